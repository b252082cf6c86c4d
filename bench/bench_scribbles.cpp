// Training by scribbles on a DRIVE photograph (green channel): the field of view and the
// features alone, the first training pressed at once (it waits for the features), a
// training again with the features kept, as the window does after more strokes, and the
// shipped retina network fine-tuned by the strokes. The strokes are what a user paints in a
// few minutes: inside eight 48 x 48 boxes spread over the picture, the annotated vessel
// pixels along one row band as vessel strokes and the pixels at least three pixels away
// from any vessel as background strokes.
//
// QUENDRA_DRIVE=FOLDER names the folder with images/ and truth/ (default
// /work/shared/data/drive-train); the benchmark is skipped without it.
// QUENDRA_SCRIBBLE_IMAGE and QUENDRA_SCRIBBLE_TRUTH name another picture and its annotation.
#include <benchmark/benchmark.h>

#include <QDir>
#include <cstdlib>
#include <filesystem>

#include "ops/classify/fieldofview.h"
#include "ops/io/imageio.h"
#include "ops/core/progress.h"
#include "ops/classify/scribblenetwork.h"
#include "ops/classify/scribbletraining.h"
#include "ops/measure/evaluation.h"
#include "ops/scribblefixtures.h"

namespace {

QString driveFolder()
{
    const char *env = std::getenv("QUENDRA_DRIVE");
    return env ? QString::fromLocal8Bit(env) : QString("/work/shared/data/drive-train");
}

struct Scene {
    Image image, labels, truth;
    bool ok = false;
};

// Stroke labels inside boxes of the picture, from its manual annotation.
Image strokeLabels(const Image &truth)
{
    Image labels(truth.width(), truth.height(), 1, 1, kNoLabel);
    const int box = 48;
    for (int k = 0; k < 8; ++k) {
        const int x0 = truth.width() / 5 + (k % 4) * truth.width() / 6, y0 = truth.height() / 4 + (k / 4) * truth.height() / 3;
        for (int y = y0; y < std::min(y0 + box, truth.height()); ++y)
            for (int x = x0; x < std::min(x0 + box, truth.width()); ++x) {
                bool near = false;
                for (int dy = -3; dy <= 3 && !near; ++dy)
                    for (int dx = -3; dx <= 3 && !near; ++dx)
                        near = truth.atXY(x + dx, y + dy, 0, 0, 0.0) >= 128.0;
                if (truth(x, y) >= 128.0 && (y - y0) % 12 < 4) labels(x, y) = kVesselLabel;
                else if (!near) labels(x, y) = kBackgroundLabel;
            }
    }
    return labels;
}

const Scene &scene()
{
    static Scene s = [] {
        Scene r;
        NullProgress quiet;
        const QDir dir(driveFolder());
        const char *imageFile = std::getenv("QUENDRA_SCRIBBLE_IMAGE"), *truthFile = std::getenv("QUENDRA_SCRIBBLE_TRUTH");
        LoadResult image = loadGrayImage(imageFile ? QString(imageFile) : dir.filePath("images/21.tif"), quiet, Channel::Green);
        LoadResult truth = loadGrayImage(truthFile ? QString(truthFile) : dir.filePath("truth/21.gif"), quiet);
        if (!image.ok() || !truth.ok()) return r;
        r.image = image.image;
        r.labels = strokeLabels(truth.image);
        r.truth = truth.image;
        r.ok = true;
        return r;
    }();
    return s;
}

// The field of view, found when the tool starts.
void BM_ScribbleFieldOfView(benchmark::State &state)
{
    if (!scene().ok) return state.SkipWithError("no DRIVE photograph");
    for (auto _ : state) benchmark::DoNotOptimize(findFieldOfView(scene().image));
}
BENCHMARK(BM_ScribbleFieldOfView)->Unit(benchmark::kMillisecond)->Iterations(2)->UseRealTime();

// The features alone: what the first training pays on top of the others.
void BM_ScribbleFeatures(benchmark::State &state)
{
    if (!scene().ok) return state.SkipWithError("no DRIVE photograph");
    const ScribbleTrainer trainer(scene().image, Channel::Green);
    for (auto _ : state)
        benchmark::DoNotOptimize(computeVesselFeatures(trainer.image(), trainer.fieldOfView(), Polarity::Dark));
}
BENCHMARK(BM_ScribbleFeatures)->Unit(benchmark::kMillisecond)->Iterations(2)->UseRealTime();

void BM_ScribbleFirstTraining(benchmark::State &state)
{
    if (!scene().ok) return state.SkipWithError("no DRIVE photograph");
    for (auto _ : state) {
        ScribbleTrainer trainer(scene().image, Channel::Green);
        benchmark::DoNotOptimize(trainer.train(scene().labels, Polarity::Dark));
    }
    const ScribbleCounts c = ScribbleTrainer(scene().image, Channel::Green).count(scene().labels);
    state.counters["vessel_px"] = double(c.vessel);
    state.counters["background_px"] = double(c.background);
}
BENCHMARK(BM_ScribbleFirstTraining)->Unit(benchmark::kMillisecond)->Iterations(2)->UseRealTime();

void BM_ScribbleTrainingAgain(benchmark::State &state)
{
    if (!scene().ok) return state.SkipWithError("no DRIVE photograph");
    ScribbleTrainer trainer(scene().image, Channel::Green);
    trainer.train(scene().labels, Polarity::Dark);
    for (auto _ : state) benchmark::DoNotOptimize(trainer.train(scene().labels, Polarity::Dark));
}
BENCHMARK(BM_ScribbleTrainingAgain)->Unit(benchmark::kMillisecond)->Iterations(3)->UseRealTime();

double wholeDice(const Image &segmentation, const Image &fov)
{
    return evaluationFigures(confusionCounts(segmentation, scene().truth, &fov)).dice;
}

// Strokes where the network is wrong, as a user corrects it: inside the boxes of
// strokeLabels, the annotated vessel pixels it misses and the background pixels beside no
// vessel that it calls vessel, with a few right background pixels (one in eight).
Image correctionLabels(const Image &segmentation, const Image &truth)
{
    const Image boxes = strokeLabels(truth);
    Image labels(truth.width(), truth.height(), 1, 1, kNoLabel);
    cimg_forXY(truth, x, y) {
        const bool vessel = segmentation(x, y) == kWhite, inBox = truth(x, y) >= 128.0 || boxes(x, y) == kBackgroundLabel;
        if (!inBox) continue;
        bool near = false;
        for (int d = -1; d <= 1 && !near; ++d)
            near = truth.atXY(x + d, y, 0, 0, 0.0) >= 128.0 || truth.atXY(x, y + d, 0, 0, 0.0) >= 128.0;
        if (truth(x, y) >= 128.0 && !vessel) labels(x, y) = kVesselLabel;
        else if (!near && (vessel || (boxes(x, y) == kBackgroundLabel && (x + y) % 8 == 0))) labels(x, y) = kBackgroundLabel;
    }
    return labels;
}

// Fine-tuning the shipped retina network on strokes (range(1): 0 those of strokeLabels,
// 1 corrections where it errs), with the unpainted pixels asking for the starting network's
// answer at weight range(0) / 100, and batch normalisation keeping its statistics when
// range(2) is 1. The counters give the Dice of the whole photograph before and after
// against its annotation, and the share of painted pixels right: strokes on a few boxes
// must correct them without unlearning the rest.
void BM_ScribbleNetworkTraining(benchmark::State &state)
{
    if (!scene().ok) return state.SkipWithError("no DRIVE photograph");
    // The build folder holds the shipped models beside bench/.
    const std::filesystem::path build = std::filesystem::read_symlink("/proc/self/exe").parent_path().parent_path();
    const LoadedModel start = loadVesselModel(QString::fromStdString((build / "models/retina-network.qvm").string()));
    if (!start.ok()) return state.SkipWithError("no shipped network");
    const ScribbleTrainer trainer(scene().image, Channel::Green);
    NetworkTrainingSettings settings = scribbleNetworkSettings();
    settings.keepWeight = double(state.range(0)) / 100.0;
    settings.keepStatistics = state.range(2) != 0;
    const VesselClassification before = classifyVessels(start.model, scene().image, Image(), settings.threads);
    const Image labels = state.range(1) ? correctionLabels(before.segmentation, scene().truth) : scene().labels;
    NullProgress quiet;
    ScribbleResult r;
    for (auto _ : state) r = fineTuneOnScribbles(trainer, labels, Polarity::Dark, start.model, settings, quiet);
    state.counters["dice_before"] = wholeDice(before.segmentation, trainer.fieldOfView());
    state.counters["dice_after"] = wholeDice(r.segmentation, trainer.fieldOfView());
    state.counters["strokes_before"] = synth::strokesRight(before.segmentation, labels);
    state.counters["strokes_after"] = synth::strokesRight(r.segmentation, labels);
    const ScribbleCounts c = trainer.count(labels);
    state.counters["painted_px"] = double(c.vessel + c.background);
}
BENCHMARK(BM_ScribbleNetworkTraining)
    ->ArgsProduct({{0, 20}, {0, 1}, {0, 1}})
    ->Unit(benchmark::kMillisecond)
    ->Iterations(1)
    ->UseRealTime();

}  // namespace

BENCHMARK_MAIN();
