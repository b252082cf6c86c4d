// Shared by the fine-tuning tests of the core and the window: strokes taken from a synthetic
// photograph's truth, a network that has learned nothing yet, short training settings, and
// how many painted pixels a segmentation gets right.
#pragma once
#include "ops/classify/networkinput.h"
#include "ops/classify/scribblenetwork.h"
#include "syntheticfundus.h"

namespace synth {

// Calls paint(x, y, vessel) for every fourth vessel pixel of the truth and for a grid of
// pixels at least three pixels from any vessel, inside the field of view.
template <class Paint>
void strokesFromTruth(const Fundus &scene, Paint paint)
{
    for (int y = 0; y < scene.truth.height(); ++y)
        for (int x = 0; x < scene.truth.width(); ++x) {
            if (scene.fov(x, y) != kWhite) continue;
            bool near = false;
            for (int d = -3; d <= 3 && !near; ++d)
                near = scene.truth.atXY(x + d, y, 0, 0, 0.0) > 0 || scene.truth.atXY(x, y + d, 0, 0, 0.0) > 0;
            if (scene.truth(x, y) == kWhite && (x + y) % 4 == 0) paint(x, y, true);
            else if (!near && x % 5 == 0 && y % 5 == 0) paint(x, y, false);
        }
}

inline Image strokeLabels(const Fundus &scene)
{
    Image labels(scene.image.width(), scene.image.height(), 1, 1, kNoLabel);
    strokesFromTruth(scene, [&](int x, int y, bool vessel) { labels(x, y) = vessel ? kVesselLabel : kBackgroundLabel; });
    return labels;
}

// The share of painted pixels the segmentation (0/255) labels as they were painted.
inline double strokesRight(const Image &segmentation, const Image &labels)
{
    long long painted = 0, right = 0;
    cimg_forXY(labels, x, y) if (labels(x, y) != kNoLabel)
        ++painted, right += (segmentation(x, y) == kWhite) == (labels(x, y) == kVesselLabel);
    return painted ? double(right) / double(painted) : 0.0;
}

// A network model of 4 base channels with weights drawn from seed and nothing learned.
inline VesselModel untrainedNetwork(uint64_t seed = 7, ModelScale scale = ModelScale())
{
    VesselModel m;
    m.learner = Learner::Network;
    m.features = networkInputNames();
    m.threshold = 0.5;
    m.scale = scale;
    m.network = std::make_shared<const VesselNetwork>(VesselNetwork(4, seed));
    return m;
}

// Few small steps at a high rate: enough for a tiny network to learn the strokes of a small
// image. keep: as the window fine-tunes a network that has learned (its answers and batch
// statistics kept); without, for a start that has learned nothing worth keeping.
inline NetworkTrainingSettings quickTuning(bool keep = false)
{
    NetworkTrainingSettings s = scribbleNetworkSettings();
    s.steps = 60;
    s.batch = 8;
    s.patch = 64;  // smaller patches see too little of an enlarged photograph
    s.learningRate = 1e-2;
    if (!keep) s.keepWeight = 0.0, s.keepStatistics = false;
    return s;
}

}  // namespace synth
