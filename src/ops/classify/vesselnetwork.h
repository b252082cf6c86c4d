// A convolutional vessel network on libtorch. The rest of the program sees only this small
// interface: a fresh U-Net or one read from bytes, one optimisation step on a batch of
// patches, the vessel probability of a whole plane, and the network as bytes. libtorch's
// headers stay inside vesselnetwork.cpp.
//
// The U-Net (Ronneberger, Fischer and Brox, "U-Net: convolutional networks for biomedical
// image segmentation", MICCAI 2015) has 4 resolutions with c, 2c, 4c and 8c channels: two
// 3 x 3 convolutions with batch normalisation and ReLU per block, 2 x 2 max pooling down,
// 2 x 2 transposed convolutions up, skip connections, and a 1 x 1 head giving one logit.
#pragma once
#include <QByteArray>
#include <cstdint>
#include <memory>
#include <vector>

// Patches of side x side input values with their 0/1 targets and per-pixel weights (1 where
// the loss counts, 0 elsewhere), patch after patch, row-major.
struct NetworkBatch {
    int count = 0, side = 0;
    std::vector<float> input, target, weight;
};

class VesselNetwork {
public:
    // A new U-Net with baseChannels channels in its first block, its weights drawn from seed.
    VesselNetwork(int baseChannels, uint64_t seed);
    ~VesselNetwork();
    VesselNetwork(VesselNetwork &&) noexcept;
    VesselNetwork &operator=(VesselNetwork &&) noexcept;

    // A network written by toBytes (baseChannels must be the one it was made with), or a
    // TorchScript module exported from PyTorch (one input channel, one logit out). Throw
    // std::runtime_error with the library's message when the bytes are not accepted.
    static VesselNetwork fromBytes(const QByteArray &bytes, int baseChannels);
    static VesselNetwork fromTorchScript(const QByteArray &bytes);
    QByteArray toBytes() const;

    int baseChannels() const;  // 0 for a TorchScript module
    bool trainable() const;    // false for a TorchScript module
    long long parameterCount() const;

    // One Adam step at learningRate on the mean over the batch of the binary cross-entropy
    // plus the soft Dice loss, each pixel counted by its weight. Returns the loss before
    // the step. The first call starts the optimiser (Adam, betas 0.9 and 0.999). With
    // keepStatistics, batch normalisation uses and keeps the statistics learned so far
    // instead of the batch's: patches drawn around a few painted pixels are no sample of
    // the image.
    double trainStep(const NetworkBatch &batch, double learningRate, bool keepStatistics = false);

    // The vessel probability (0..1) of every value of a width x height plane (both multiples
    // of 8), in one pass, with the statistics learned in training (evaluation mode).
    std::vector<float> probability(const float *plane, int width, int height) const;

private:
    struct Impl;
    explicit VesselNetwork(std::unique_ptr<Impl> impl);
    std::unique_ptr<Impl> impl_;
};

// Makes libtorch use `threads` threads and its deterministic algorithms: the same seed
// and thread count then give the same network.
void setNetworkThreads(int threads);
