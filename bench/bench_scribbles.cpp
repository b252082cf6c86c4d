// Training by scribbles on a DRIVE photograph (green channel): the field of view and the
// features alone, the first training pressed at once (it waits for the features), and a
// training again with the features kept, as the window does after more strokes. The strokes are what a user paints in a few minutes: inside
// eight 48 x 48 boxes spread over the picture, the annotated vessel pixels along one row
// band as vessel strokes and the pixels at least three pixels away from any vessel as
// background strokes.
//
// QUENDRA_DRIVE=FOLDER names the folder with images/ and truth/ (default
// /work/shared/data/drive-train); the benchmark is skipped without it.
#include <benchmark/benchmark.h>

#include <QDir>
#include <cstdlib>

#include "ops/classify/fieldofview.h"
#include "ops/io/imageio.h"
#include "ops/core/progress.h"
#include "ops/classify/scribbletraining.h"

namespace {

QString driveFolder()
{
    const char *env = std::getenv("QUENDRA_DRIVE");
    return env ? QString::fromLocal8Bit(env) : QString("/work/shared/data/drive-train");
}

struct Scene {
    Image image, labels;
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
        LoadResult image = loadGrayImage(dir.filePath("images/21.tif"), quiet, Channel::Green);
        LoadResult truth = loadGrayImage(dir.filePath("truth/21.gif"), quiet);
        if (!image.ok() || !truth.ok()) return r;
        r.image = image.image;
        r.labels = strokeLabels(truth.image);
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

}  // namespace

BENCHMARK_MAIN();
