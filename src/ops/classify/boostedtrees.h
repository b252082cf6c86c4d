// Gradient-boosted decision trees for two classes, learned with XGBoost. The rest of the
// program sees only this small interface: train on rows of float features with 0/1 labels,
// predict probabilities, and turn the model into bytes and back.
#pragma once
#include <QByteArray>
#include <memory>
#include <vector>

struct TreeSettings {
    int rounds = 40;       // boosting rounds (trees); more did not help on the DRIVE photographs
    int depth = 6;         // largest tree depth
    double eta = 0.3;      // learning rate
    int threads = 1;       // worker threads; the model does not depend on it
};

class BoostedTrees {
public:
    BoostedTrees();
    ~BoostedTrees();
    BoostedTrees(BoostedTrees &&) noexcept;
    BoostedTrees &operator=(BoostedTrees &&) noexcept;

    // Learns from rows (rows.size() == labels.size() * featureCount, row-major) with labels
    // 0 (background) and 1 (vessel). Deterministic: no random subsampling, a fixed seed,
    // and the histogram split search, whose sums the library forms in an order that does
    // not depend on the thread count (the tests compare the model bytes).
    // Throws std::runtime_error with the library's message when it fails, and when a class
    // has no example.
    static BoostedTrees train(const std::vector<float> &rows, const std::vector<float> &labels, int featureCount,
                              const TreeSettings &settings);

    // The model as bytes (the library's universal binary JSON) and back; fromBytes throws
    // std::runtime_error when the library does not accept them.
    QByteArray toBytes() const;
    static BoostedTrees fromBytes(const QByteArray &bytes);

    // The vessel probability of each of `count` rows. Safe to call from several threads.
    std::vector<float> predict(const float *rows, size_t count, int featureCount, int threads) const;
    int featureCount() const;

private:
    struct Handle;
    std::unique_ptr<Handle> handle_;
};
