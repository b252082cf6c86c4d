// quendra-cli segment over a folder of twenty 2048 x 2048 vessel images, with one and with
// two threads: images per second (counter images_per_second, wall-clock time).
// The images are drawn once into a temporary folder that is removed at the end.
#include <benchmark/benchmark.h>

#include <QDir>
#include <QImage>
#include <QTemporaryDir>
#include <QTextStream>
#include <algorithm>
#include <cmath>
#include <random>

#include "cli.h"

namespace {

constexpr int kImages = 20;
constexpr int kSide = 2048;

// Dark curved lines of several widths on a bright, noisy background.
QImage vesselPicture(unsigned seed)
{
    std::mt19937 rng(seed);
    std::normal_distribution<double> noise(0.0, 8.0), turn(0.0, 0.03);
    std::vector<double> v(size_t(kSide) * kSide);
    for (double &p : v) p = 180.0 + noise(rng);
    for (int k = 0; k < 40; ++k) {
        double x = double(rng() % kSide), y = double(rng() % kSide), a = double(rng() % 628) / 100.0, bend = 0.0;
        const int r = 1 + int(rng() % 5);
        for (int step = 0; step < 1500; ++step) {
            bend = 0.95 * bend + turn(rng);
            a += bend * 0.1;
            x += std::cos(a);
            y += std::sin(a);
            for (int dy = -r; dy <= r; ++dy)
                for (int dx = -r; dx <= r; ++dx) {
                    const int px = int(x) + dx, py = int(y) + dy;
                    if (px >= 0 && py >= 0 && px < kSide && py < kSide && dx * dx + dy * dy <= r * r)
                        v[size_t(py) * kSide + size_t(px)] = 90.0 + noise(rng);
                }
        }
    }
    QImage picture(kSide, kSide, QImage::Format_Grayscale8);
    for (int y = 0; y < kSide; ++y)
        for (int x = 0; x < kSide; ++x) picture.scanLine(y)[x] = uchar(std::clamp(v[size_t(y) * kSide + size_t(x)], 0.0, 255.0));
    return picture;
}

QTemporaryDir &folder()
{
    static QTemporaryDir dir;
    static const bool drawn = [] {
        QDir().mkpath(dir.filePath("in"));
        for (int i = 0; i < kImages; ++i) vesselPicture(unsigned(i)).save(dir.filePath(QString("in/img%1.png").arg(i, 2, 10, QChar('0'))));
        return true;
    }();
    (void)drawn;
    return dir;
}

void SegmentFolder(benchmark::State &state)
{
    QTemporaryDir &dir = folder();
    const QStringList args{"segment", "--method", "hysteresis", "--preset", "retina", "--dark-vessels", "--threads",
                           QString::number(state.range(0)), "--out", dir.filePath("out"), dir.filePath("in")};
    for (auto _ : state) {
        QString o, e;
        QTextStream out(&o), err(&e);
        if (runCli(args, out, err) != 0) state.SkipWithError("segment failed");
    }
    state.counters["images_per_second"] =
        benchmark::Counter(double(kImages) * double(state.iterations()), benchmark::Counter::kIsRate);
}

}  // namespace

BENCHMARK(SegmentFolder)->Arg(1)->Arg(2)->Iterations(1)->UseRealTime()->Unit(benchmark::kSecond);

BENCHMARK_MAIN();
