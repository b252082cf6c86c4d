#include "ops/boostedtrees.h"

#include <xgboost/c_api.h>

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QString>
#include <algorithm>
#include <cmath>
#include <mutex>
#include <stdexcept>
#include <string>

#include "ops/execution.h"
#include "ops/separable.h"

namespace {

// Every library call goes through this: a failure becomes an exception in plain words.
void check(int status, const char *what)
{
    if (status != 0)
        throw std::runtime_error(std::string("The learning library (XGBoost) failed to ") + what + ": " +
                                 XGBGetLastError());
}

// The library logs to the console by default; the program reports its own errors.
void silenceLibrary()
{
    static std::once_flag once;
    std::call_once(once, [] { XGBSetGlobalConfig("{\"verbosity\": 0}"); });
}

struct Matrix {
    DMatrixHandle handle = nullptr;
    Matrix(const float *rows, size_t count, int featureCount, int threads)
    {
        check(XGDMatrixCreateFromMat_omp(rows, bst_ulong(count), bst_ulong(featureCount), std::nanf(""), &handle,
                                         threads),
              "take the training pixels");
    }
    ~Matrix() { XGDMatrixFree(handle); }
    Matrix(const Matrix &) = delete;
    Matrix &operator=(const Matrix &) = delete;
};

void setParam(BoosterHandle booster, const char *name, const std::string &value)
{
    check(XGBoosterSetParam(booster, name, value.c_str()), "accept a setting");
}

// The trees of a model laid out flat for prediction: node k of the whole forest has its
// children, split feature and threshold (or, for a leaf, its value) at index k. A leaf is its
// own child, so a walk of the tree's depth always ends on the leaf, without a branch per row.
struct FlatForest {
    std::vector<int32_t> children, feature, roots, depths;  // children: left, right of each node
    std::vector<float> value;
    float baseMargin = 0.0f;

    // The probabilities of up to kBlock rows: from the base margin, each tree's leaf value
    // added in tree order, then the logistic function, in single precision like the
    // library. The rows of a block walk each tree level by level together, so the
    // processor overlaps their memory reads instead of stalling on each comparison.
    static constexpr size_t kBlock = 16;
    void predict(const float *rows, size_t count, size_t featureCount, float *out) const
    {
        float margin[kBlock];
        int32_t node[kBlock];
        std::fill_n(margin, count, baseMargin);
        const int32_t *child = children.data(), *split = feature.data();
        const float *threshold = value.data();
        for (size_t t = 0; t < roots.size(); ++t) {
            std::fill_n(node, count, roots[t]);
            for (int32_t d = 0; d < depths[t]; ++d)
                for (size_t i = 0; i < count; ++i) {
                    // The right child unless the value is below the threshold, chosen by
                    // index rather than by a branch the processor would mispredict.
                    const size_t k = size_t(node[i]);
                    node[i] = child[2 * k + size_t(!(rows[i * featureCount + size_t(split[k])] < threshold[k]))];
                }
            for (size_t i = 0; i < count; ++i) margin[i] += threshold[size_t(node[i])];
        }
        for (size_t i = 0; i < count; ++i) out[i] = 1.0f / (1.0f + std::exp(-margin[i]));
    }
};

FlatForest flatten(BoosterHandle booster, int featureCount)
{
    bst_ulong length = 0;
    const char *bytes = nullptr;
    check(XGBoosterSaveModelToBuffer(booster, "{\"format\": \"json\"}", &length, &bytes), "write the model");
    const QJsonObject learner =
        QJsonDocument::fromJson(QByteArray(bytes, qsizetype(length))).object()["learner"].toObject();
    FlatForest forest;
    const double base = learner["learner_model_param"].toObject()["base_score"].toString().toDouble();
    if (learner["objective"].toObject()["name"].toString() != "binary:logistic" || !(base > 0.0 && base < 1.0))
        throw std::runtime_error("The model is not one of two classes with a logistic output.");
    forest.baseMargin = float(std::log(base / (1.0 - base)));
    for (const QJsonValue &t : learner["gradient_booster"].toObject()["model"].toObject()["trees"].toArray()) {
        const QJsonObject tree = t.toObject();
        const QJsonArray left = tree["left_children"].toArray(), right = tree["right_children"].toArray(),
                         feature = tree["split_indices"].toArray(), value = tree["split_conditions"].toArray();
        const int32_t offset = int32_t(forest.feature.size()), nodes = int32_t(left.size());
        if (nodes == 0 || right.size() != nodes || feature.size() != nodes || value.size() != nodes)
            throw std::runtime_error("The model holds a damaged tree.");
        forest.roots.push_back(offset);
        for (int32_t k = 0; k < nodes; ++k) {
            const int l = left[k].toInt(-1), r = right[k].toInt(-1);
            const bool leaf = l < 0;
            if (!leaf && (l == k || r == k || l >= nodes || r >= nodes || r < 0))
                throw std::runtime_error("The model holds a damaged tree.");
            forest.children.push_back(offset + (leaf ? k : l));
            forest.children.push_back(offset + (leaf ? k : r));
            const int f = leaf ? 0 : feature[k].toInt(-1);
            if (f < 0 || f >= featureCount) throw std::runtime_error("The model holds a damaged tree.");
            forest.feature.push_back(f);
            forest.value.push_back(float(value[k].toDouble()));
        }
        // The depth by a walk from the root; a node reached twice means the links are broken.
        std::vector<char> reached(size_t(nodes), 0);
        std::vector<std::pair<int32_t, int32_t>> pending{{0, 0}};
        int32_t deepest = 0;
        while (!pending.empty()) {
            const auto [k, depth] = pending.back();
            pending.pop_back();
            if (reached[size_t(k)]) throw std::runtime_error("The model holds a damaged tree.");
            reached[size_t(k)] = 1;
            deepest = std::max(deepest, depth);
            const int32_t l = forest.children[2 * size_t(offset + k)] - offset, r = forest.children[2 * size_t(offset + k) + 1] - offset;
            if (l != k) pending.push_back({l, depth + 1}), pending.push_back({r, depth + 1});
        }
        forest.depths.push_back(deepest);
    }
    return forest;
}

}  // namespace

struct BoostedTrees::Handle {
    BoosterHandle booster = nullptr;
    int features = 0;
    FlatForest forest;
    // The booster keeps per-call prediction buffers: one prediction at a time.
    mutable std::mutex lock;
    ~Handle() { XGBoosterFree(booster); }
};

BoostedTrees::BoostedTrees() : handle_(std::make_unique<Handle>()) {}
BoostedTrees::~BoostedTrees() = default;
BoostedTrees::BoostedTrees(BoostedTrees &&) noexcept = default;
BoostedTrees &BoostedTrees::operator=(BoostedTrees &&) noexcept = default;

int BoostedTrees::featureCount() const { return handle_->features; }

BoostedTrees BoostedTrees::train(const std::vector<float> &rows, const std::vector<float> &labels, int featureCount,
                                 const TreeSettings &settings)
{
    silenceLibrary();
    if (featureCount < 1 || rows.size() != labels.size() * size_t(featureCount))
        throw std::runtime_error("The training pixels and their labels do not match in number.");
    size_t vessels = 0;
    for (const float l : labels) vessels += l > 0.5f;
    if (vessels == 0 || vessels == labels.size())
        throw std::runtime_error(vessels == 0 ? "There is no vessel pixel to learn from."
                                              : "There is no background pixel to learn from.");
    const Matrix data(rows.data(), labels.size(), featureCount, settings.threads);
    check(XGDMatrixSetFloatInfo(data.handle, "label", labels.data(), bst_ulong(labels.size())), "take the labels");

    BoostedTrees model;
    model.handle_->features = featureCount;
    BoosterHandle b = nullptr;
    check(XGBoosterCreate(&data.handle, 1, &b), "create a model");
    model.handle_->booster = b;
    setParam(b, "objective", "binary:logistic");
    setParam(b, "tree_method", "hist");
    setParam(b, "max_bin", "256");
    setParam(b, "max_depth", std::to_string(settings.depth));
    setParam(b, "eta", QString::number(settings.eta, 'g', 17).toStdString());
    setParam(b, "min_child_weight", "1");
    setParam(b, "subsample", "1");
    setParam(b, "colsample_bytree", "1");
    setParam(b, "seed", "0");
    setParam(b, "nthread", std::to_string(std::max(1, settings.threads)));
    for (int round = 0; round < settings.rounds; ++round)
        check(XGBoosterUpdateOneIter(b, round, data.handle), "learn a tree");
    model.handle_->forest = flatten(b, featureCount);
    return model;
}

QByteArray BoostedTrees::toBytes() const
{
    const std::lock_guard<std::mutex> guard(handle_->lock);
    bst_ulong length = 0;
    const char *bytes = nullptr;
    check(XGBoosterSaveModelToBuffer(handle_->booster, "{\"format\": \"ubj\"}", &length, &bytes), "write the model");
    return QByteArray(bytes, qsizetype(length));
}

BoostedTrees BoostedTrees::fromBytes(const QByteArray &bytes)
{
    silenceLibrary();
    BoostedTrees model;
    BoosterHandle b = nullptr;
    check(XGBoosterCreate(nullptr, 0, &b), "create a model");
    model.handle_->booster = b;
    check(XGBoosterLoadModelFromBuffer(b, bytes.constData(), bst_ulong(bytes.size())), "read the model");
    bst_ulong features = 0;
    check(XGBoosterGetNumFeature(b, &features), "read the model");
    model.handle_->features = int(features);
    model.handle_->forest = flatten(b, int(features));
    return model;
}

std::vector<float> BoostedTrees::predict(const float *rows, size_t count, int featureCount, int threads) const
{
    if (featureCount != handle_->features)
        throw std::runtime_error("The model expects " + std::to_string(handle_->features) + " features, not " +
                                 std::to_string(featureCount) + ".");
    // The library's trees walked directly: its own prediction spends most of its time on
    // bookkeeping around each row, several times what the walk itself costs. The result is
    // the library's (tests compare them); each row is computed alone, so the thread count
    // changes nothing.
    std::vector<float> out(count);
    const FlatForest &forest = handle_->forest;
    const execution::ThreadBudget budget(std::max(1, threads));
    constexpr size_t kBand = 256;
    fast::parallelRows(int((count + kBand - 1) / kBand), [&](int begin, int end) {
        for (size_t i = size_t(begin) * kBand; i < std::min(count, size_t(end) * kBand); i += FlatForest::kBlock)
            forest.predict(rows + i * size_t(featureCount), std::min(FlatForest::kBlock, count - i), size_t(featureCount),
                           out.data() + i);
    });
    return out;
}

std::vector<float> BoostedTrees::libraryPredict(const float *rows, size_t count, int featureCount, int threads) const
{
    if (count == 0) return {};
    const std::lock_guard<std::mutex> guard(handle_->lock);
    setParam(handle_->booster, "nthread", std::to_string(std::max(1, threads)));
    // In-place prediction reads the rows where they are, without building a matrix first.
    const std::string values = "{\"data\": [" + std::to_string(reinterpret_cast<uintptr_t>(rows)) +
                               ", true], \"shape\": [" + std::to_string(count) + ", " + std::to_string(featureCount) +
                               "], \"typestr\": \"<f4\", \"version\": 3}";
    const char *config = "{\"type\": 0, \"training\": false, \"iteration_begin\": 0, \"iteration_end\": 0, "
                         "\"strict_shape\": false, \"missing\": -3.4e38, \"cache_id\": 0}";
    const bst_ulong *shape = nullptr;
    bst_ulong dims = 0;
    const float *result = nullptr;
    check(XGBoosterPredictFromDense(handle_->booster, values.c_str(), config, nullptr, &shape, &dims, &result), "predict");
    return std::vector<float>(result, result + count);
}
