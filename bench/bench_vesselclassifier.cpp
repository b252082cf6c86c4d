// The vessel classifier on a DRIVE-sized photograph (565 x 584): the features, the trees'
// prediction and the whole classification (field of view, features, prediction, threshold),
// with the shipped retina model; the shipped retina network on the same photograph and on
// the photograph enlarged to 3504 x 2336 (an HRF-sized image: resized to the network's scale,
// and at its own size in tiles); one training step of the network. The photograph is DRIVE
// training image 21 when the data folder beside the repository holds it (QUENDRA_DRIVE_IMAGE
// names another), else a synthetic fundus of that size. QUENDRA_THREADS sets the thread
// count (2 by default).
#include <benchmark/benchmark.h>

#include <QFileInfo>
#include <cstdlib>
#include <filesystem>
#include <random>
#include <stdexcept>

#include "ops/core/execution.h"
#include "ops/classify/fieldofview.h"
#include "ops/io/imageio.h"
#include "ops/core/progress.h"
#include "ops/classify/vesselmodel.h"
#include "ops/classify/vesselnetwork.h"
#include "ops/syntheticfundus.h"

namespace {

const std::filesystem::path kSourceRoot = std::filesystem::path(__FILE__).parent_path().parent_path();

int benchThreads()
{
    const char *t = std::getenv("QUENDRA_THREADS");
    return t ? std::max(1, std::atoi(t)) : 2;
}

// Read for each benchmark, not kept in a static: the learning library's own statics may be
// gone by the time a static model would be freed at exit.
VesselModel shippedModel(const char *file = "models/retina.qvm")
{
    const LoadedModel loaded = loadVesselModel(QString::fromStdString((kSourceRoot / file).string()));
    if (!loaded.ok()) throw std::runtime_error(loaded.error.toStdString());
    return loaded.model;
}

// The green channel of the photograph and its field of view, found as segment finds it.
struct Photograph {
    Image green, fov;
};

const Photograph &photograph()
{
    static const Photograph photo = [] {
        const char *named = std::getenv("QUENDRA_DRIVE_IMAGE");
        const QString path = named ? QString(named)
                                   : QString::fromStdString(
                                         (kSourceRoot / "../shared/data/drive-train/images/21.tif").lexically_normal().string());
        NullProgress quiet;
        if (QFileInfo::exists(path)) {
            const LoadResult green = loadGrayImage(path, quiet, Channel::Green), gray = loadGrayImage(path, quiet);
            if (green.ok() && gray.ok()) return Photograph{green.image, findFieldOfView(gray.image)};
        }
        const synth::Fundus drawn = synth::fundus(565, 584, 1);
        return Photograph{drawn.image, drawn.fov};
    }();
    return photo;
}

void BM_VesselFeatures(benchmark::State &state)
{
    const Photograph &p = photograph();
    const execution::ThreadBudget budget(benchThreads());
    for (auto _ : state) benchmark::DoNotOptimize(computeVesselFeatures(p.green, p.fov, Polarity::Dark));
}
BENCHMARK(BM_VesselFeatures)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_VesselPrediction(benchmark::State &state)
{
    const Photograph &p = photograph();
    const execution::ThreadBudget budget(benchThreads());
    const VesselModel model = shippedModel();
    const FeatureStack features = computeVesselFeatures(p.green, p.fov, Polarity::Dark);
    for (auto _ : state) benchmark::DoNotOptimize(vesselProbability(model, features, p.fov, benchThreads()));
}
BENCHMARK(BM_VesselPrediction)->Unit(benchmark::kMillisecond)->UseRealTime();

// What segment --method classifier does per photograph once it is loaded.
void BM_VesselClassification(benchmark::State &state)
{
    const Photograph &p = photograph();
    const execution::ThreadBudget budget(benchThreads());
    const VesselModel model = shippedModel();
    for (auto _ : state) benchmark::DoNotOptimize(classifyVessels(model, p.green, p.fov, benchThreads()));
}
BENCHMARK(BM_VesselClassification)->Unit(benchmark::kMillisecond)->UseRealTime();

// The network on the photograph, and on it enlarged to 3504 x 2336 with the scale rule
// (scale 0) or at its own size (scale 1, in tiles).
void BM_NetworkClassification(benchmark::State &state)
{
    const Photograph &p = photograph();
    const bool large = state.range(0) > 0;
    const Image green = large ? p.green.get_resize(3504, 2336, 1, 1, 3) : p.green;
    const Image fov = large ? resizedMask(p.fov, 3504, 2336) : p.fov;
    const VesselModel model = shippedModel("models/retina-network.qvm");
    ClassifyOptions options;
    options.scale = double(state.range(1));
    for (auto _ : state) benchmark::DoNotOptimize(classifyVessels(model, green, fov, benchThreads(), options));
}
BENCHMARK(BM_NetworkClassification)->Args({0, 0})->Args({1, 0})->Args({1, 1})->Unit(benchmark::kMillisecond)->UseRealTime();

// One training step (forward, loss, backward, Adam) on 32 patches of 64 x 64 with range(0)
// base channels, as the peer's --train-batch 32 --patch 64 --base N times it.
void BM_NetworkTrainingStep(benchmark::State &state)
{
    setNetworkThreads(benchThreads());
    VesselNetwork network(int(state.range(0)), 1);
    NetworkBatch batch;
    batch.count = 32, batch.side = 64;
    const size_t values = size_t(batch.count) * 64 * 64;
    std::mt19937 random(0);
    std::normal_distribution<float> normal;
    for (size_t i = 0; i < values; ++i) {
        batch.input.push_back(normal(random));
        batch.target.push_back(random() % 10 == 0 ? 1.0f : 0.0f);
    }
    batch.weight.assign(values, 1.0f);
    network.trainStep(batch, 1e-3);  // starts the optimiser
    for (auto _ : state) benchmark::DoNotOptimize(network.trainStep(batch, 1e-3));
}
BENCHMARK(BM_NetworkTrainingStep)->Arg(8)->Arg(16)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace

BENCHMARK_MAIN();
