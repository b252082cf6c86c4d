#include "ops/measure/evaluation.h"

#include <cmath>
#include <limits>
#include <stdexcept>

#include "ops/core/imagehelpers.h"

namespace {

QString sizeText(const Image &image) { return QString("%1 x %2").arg(image.width()).arg(image.height()); }

void requireSameSize(const Image &a, const Image &b, const char *what)
{
    if (a.width() != b.width() || a.height() != b.height())
        throw std::invalid_argument(QString("evaluation: the prediction is %1 pixels but the %2 is %3")
                                        .arg(sizeText(a), what, sizeText(b))
                                        .toStdString());
}

double ratio(double num, double den) { return den > 0.0 ? num / den : std::numeric_limits<double>::quiet_NaN(); }

}  // namespace

Confusion confusionCounts(const Image &prediction, const Image &truth, const Image *mask)
{
    requireNonEmpty(prediction);
    requireNonEmpty(truth);
    requireSameSize(prediction, truth, "truth");
    if (mask) requireSameSize(prediction, *mask, "mask");
    Confusion c;
    for (const double v : prediction)
        if (v != 0.0 && v != kWhite) {
            c.thresholded = true;
            break;
        }
    const size_t n = prediction.size();
    const double *p = prediction.data(), *t = truth.data(), *m = mask ? mask->data() : nullptr;
    for (size_t i = 0; i < n; ++i) {
        if (m && !(m[i] >= 128.0)) continue;
        const bool predicted = c.thresholded ? p[i] >= 128.0 : p[i] == kWhite;
        const bool vessel = t[i] >= 128.0;
        if (predicted) (vessel ? c.tp : c.fp) += 1;
        else (vessel ? c.fn : c.tn) += 1;
    }
    return c;
}

Figures evaluationFigures(const Confusion &c)
{
    const double tp = double(c.tp), fp = double(c.fp), tn = double(c.tn), fn = double(c.fn);
    Figures f;
    f.sensitivity = ratio(tp, tp + fn);
    f.specificity = ratio(tn, tn + fp);
    f.accuracy = ratio(tp + tn, tp + tn + fp + fn);
    f.precision = ratio(tp, tp + fp);
    f.dice = ratio(2.0 * tp, 2.0 * tp + fp + fn);
    // The four sums multiplied as doubles: their product overflows 64-bit integers on large images.
    const double den = std::sqrt((tp + fp) * (tp + fn)) * std::sqrt((tn + fp) * (tn + fn));
    f.mcc = ratio(tp * tn - fp * fn, den);
    return f;
}
