#include "ops/classify/networktraining.h"

#include <QElapsedTimer>
#include <QString>
#include <algorithm>
#include <cmath>
#include <random>
#include <stdexcept>

#include "ops/classify/vesselmodel.h"
#include "ops/core/progress.h"
#include "ops/core/viewtext.h"

namespace {

// A labelled pixel drawn uniformly over all examples: which example, which pixel.
struct Centre {
    size_t example, pixel;
};

Centre drawCentre(const std::vector<NetworkExample> &examples, size_t total, std::mt19937_64 &random)
{
    size_t k = size_t(random() % total);
    for (size_t e = 0; e < examples.size(); ++e) {
        if (k < examples[e].labelled.size()) return {e, examples[e].labelled[k]};
        k -= examples[e].labelled.size();
    }
    return {0, examples[0].labelled[0]};
}

// Patch coordinates (u, v) to source offsets under rotation by turns x 90 degrees and an
// optional mirror.
void sourceOf(int u, int v, int side, int turns, bool mirror, int *du, int *dv)
{
    if (mirror) u = side - 1 - u;
    switch (turns) {
    case 0: *du = u, *dv = v; break;
    case 1: *du = v, *dv = side - 1 - u; break;
    case 2: *du = side - 1 - u, *dv = side - 1 - v; break;
    default: *du = side - 1 - v, *dv = u; break;
    }
}

// Copies one changed patch centred on c into slot i of the batch; beyond the image the
// input is 0 and nothing is learned.
void copyPatch(const NetworkExample &e, size_t c, NetworkBatch &b, int i, std::mt19937_64 &random)
{
    const int side = b.side, x0 = int(c % size_t(e.width)) - side / 2, y0 = int(c / size_t(e.width)) - side / 2;
    const int turns = int(random() % 4);
    const bool mirror = random() % 2 == 1;
    std::uniform_real_distribution<double> contrastDraw(0.8, 1.2), shiftDraw(-0.2, 0.2);
    const double contrast = contrastDraw(random), shift = shiftDraw(random);
    const size_t base = size_t(i) * size_t(side) * size_t(side);
    for (int v = 0; v < side; ++v)
        for (int u = 0; u < side; ++u) {
            int du = 0, dv = 0;
            sourceOf(u, v, side, turns, mirror, &du, &dv);
            const int x = x0 + du, y = y0 + dv;
            const size_t q = base + size_t(u) + size_t(v) * size_t(side);
            if (x < 0 || y < 0 || x >= e.width || y >= e.height) {
                b.input[q] = b.target[q] = b.weight[q] = 0.0f;
                continue;
            }
            const size_t p = size_t(x) + size_t(y) * size_t(e.width);
            b.input[q] = e.inside[p] ? float(e.input[p] * contrast + shift) : 0.0f;
            b.target[q] = e.target[p];
            b.weight[q] = e.weight[p];
        }
}

NetworkBatch drawBatch(const std::vector<NetworkExample> &examples, size_t total, int count, int side,
                       std::mt19937_64 &random)
{
    NetworkBatch b;
    b.count = count, b.side = side;
    const size_t values = size_t(count) * size_t(side) * size_t(side);
    b.input.resize(values), b.target.resize(values), b.weight.resize(values);
    for (int i = 0; i < count; ++i) {
        const Centre c = drawCentre(examples, total, random);
        copyPatch(examples[c.example], c.pixel, b, i, random);
    }
    return b;
}

// How far training has come, 0..1: by steps, by time, or by whichever ends it first.
double fraction(const NetworkTrainingSettings &s, int steps, double seconds)
{
    const double byTime = s.minutes > 0.0 ? seconds / (s.minutes * 60.0) : 0.0;
    const double bySteps = s.steps > 0 ? double(steps) / double(s.steps) : 0.0;
    return std::max(byTime, bySteps);
}

QString timeText(double seconds)
{
    const int s = int(std::lround(std::max(0.0, seconds)));
    return s >= 60 ? ViewText::tr("%1 min %2 s").arg(s / 60).arg(s % 60, 2, 10, QChar('0')) : ViewText::tr("%1 s").arg(s);
}

}  // namespace

NetworkExample networkExample(const std::vector<float> &input, const Image &labels, const Image &fov)
{
    if (input.size() != labels.size() || fov.width() != labels.width() || fov.height() != labels.height())
        throw std::runtime_error("The training image, its labels and its field of view differ in size.");
    NetworkExample e;
    e.width = labels.width(), e.height = labels.height();
    e.input = input;
    e.target.assign(labels.size(), 0.0f), e.weight.assign(labels.size(), 0.0f), e.inside.assign(labels.size(), 0);
    for (size_t p = 0; p < labels.size(); ++p) {
        const double l = labels.data()[p];
        e.inside[p] = fov.data()[p] == kWhite;
        if (l != kVesselLabel && l != kBackgroundLabel) continue;
        e.target[p] = l == kVesselLabel ? 1.0f : 0.0f;
        e.weight[p] = 1.0f;
        e.labelled.push_back(p);
    }
    return e;
}

NetworkTrainingResult trainNetwork(VesselNetwork &network, const std::vector<NetworkExample> &examples,
                                   const NetworkTrainingSettings &s, Progress &progress)
{
    size_t total = 0;
    for (const NetworkExample &e : examples) total += e.labelled.size();
    if (total == 0) throw std::runtime_error(ViewText::tr("There is no labelled pixel to learn from.").toStdString());
    if (s.patch < 8 || s.patch % 8 != 0 || s.batch < 1 || (s.steps < 1 && s.minutes <= 0.0) || s.steps < 0)
        throw std::runtime_error("The network's training settings are out of range.");
    setNetworkThreads(s.threads);
    std::mt19937_64 random(s.seed);
    const int shown = s.steps > 0 ? s.steps : 1000;
    progress.start(ViewText::tr("Training the vessel network"), QString(), shown);
    QElapsedTimer clock;
    clock.start();
    NetworkTrainingResult r;
    std::vector<double> losses;
    for (;;) {
        const double before = fraction(s, r.steps, double(clock.elapsed()) / 1000.0);
        if (before >= 1.0) break;
        if (progress.cancelled()) {
            progress.finish();
            throw OperationCancelled();
        }
        const double rate = before >= 0.8 ? s.learningRate / 10.0 : s.learningRate;
        const NetworkBatch batch = drawBatch(examples, total, s.batch, s.patch, random);
        losses.push_back(network.trainStep(batch, rate, s.keepStatistics));
        ++r.steps;
        const double now = double(clock.elapsed()) / 1000.0, done = fraction(s, r.steps, now);
        const double left = now / std::max(done, 1e-9) - now;
        const QString loss = QString::number(losses.back(), 'f', 4);
        progress.setLabel(s.steps > 0 ? ViewText::tr("step %1 of %2, loss %3, %4 left").arg(r.steps).arg(s.steps).arg(loss, timeText(left))
                                      : ViewText::tr("step %1, loss %2, %3 left").arg(r.steps).arg(loss, timeText(left)));
        progress.setValue(std::min(shown, int(std::lround(std::min(1.0, done) * shown))));
        progress.processEvents();
    }
    progress.finish();
    const size_t tail = std::max<size_t>(1, losses.size() / 10);
    for (size_t i = losses.size() - std::min(tail, losses.size()); i < losses.size(); ++i) r.loss += losses[i] / double(tail);
    r.seconds = double(clock.elapsed()) / 1000.0;
    return r;
}
