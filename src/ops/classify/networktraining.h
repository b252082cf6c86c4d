// Teaching a vessel network from labelled images: patches drawn at random labelled pixels,
// turned, flipped and changed in contrast, and learned from by Adam with the loss counted
// only where there is a label.
#pragma once
#include <cstdint>
#include <vector>

#include "ops/classify/vesselnetwork.h"
#include "ops/core/image.h"

class Progress;

// One image ready for training: its network input plane (networkInput), 0/1 targets,
// weights (1 where labelled) and the field of view (where contrast changes apply).
struct NetworkExample {
    int width = 0, height = 0;
    std::vector<float> input, target, weight;
    std::vector<uint8_t> inside;
    std::vector<size_t> labelled;  // the pixels with weight 1: patch centres
};

// input: networkInput of the image; labels: kVesselLabel, kBackgroundLabel, anything else
// not learned from (labelsFromTruth, or painted strokes); fov: 255 inside.
NetworkExample networkExample(const std::vector<float> &input, const Image &labels, const Image &fov);

struct NetworkTrainingSettings {
    int steps = 1200;        // optimisation steps; 0 with minutes: as many as the time allows
    double minutes = 0.0;    // 0: no time limit; else training stops when the time is up
    int batch = 32;          // patches per step
    int patch = 64;          // patch side (a multiple of 8)
    double learningRate = 1e-3;  // divided by 10 for the last fifth of the steps (or time)
    uint64_t seed = 1;       // draws the patches, their changes and a new network's weights
    int threads = 1;         // libtorch's threads; with the seed they decide the result
    // Fine-tuning by strokes only: the weight with which every unpainted field-of-view pixel
    // asks for the starting network's own answer (0: the strokes alone count).
    double keepWeight = 0.0;
    bool keepStatistics = false;  // batch normalisation keeps the start's statistics
};

struct NetworkTrainingResult {
    int steps = 0;
    double loss = 0.0;       // mean loss of the last tenth of the steps
    double seconds = 0.0;
};

// Trains network on the examples. Patches are centred on labelled pixels drawn uniformly
// over all examples; each is turned by a multiple of 90 degrees, flipped at random, and
// its field-of-view values multiplied by 0.8 to 1.2 and shifted by up to 0.2. Progress
// reports the step, the loss and the time left; when it is cancelled, OperationCancelled is thrown
// (the network is then partly trained and should be dropped). The same settings, examples
// and starting network give the same network when steps (not minutes) end the training.
// Throws std::runtime_error when no example has a labelled pixel or a setting is invalid.
NetworkTrainingResult trainNetwork(VesselNetwork &network, const std::vector<NetworkExample> &examples,
                                   const NetworkTrainingSettings &settings, Progress &progress);
