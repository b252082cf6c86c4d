#include "ops/measure/stenosis.h"

#include <QCoreApplication>
#include <QRegularExpression>
#include <algorithm>
#include <cmath>

namespace {

class StenosisText {
    Q_DECLARE_TR_FUNCTIONS(VesselPath)
};

// The index range [first, last] of the samples measured, without the ends' margins.
std::pair<size_t, size_t> analysedRange(const std::vector<ProfileSample> &s)
{
    std::vector<double> d;
    for (const auto &p : s) d.push_back(p.diameter);
    std::nth_element(d.begin(), d.begin() + d.size() / 2, d.end());
    const double length = s.back().arc, margin = std::min(d[d.size() / 2], length / 4);
    size_t first = 0, last = s.size() - 1;
    while (first < last && s[first].arc < margin) ++first;
    while (last > first && s[last].arc > length - margin) --last;
    return {first, last};
}

// Least-squares line through the chosen samples; false when fewer than two.
bool fitLine(const std::vector<ProfileSample> &s, const std::vector<bool> &use, double *a, double *b)
{
    double n = 0, sx = 0, sy = 0, sxx = 0, sxy = 0;
    for (size_t i = 0; i < s.size(); ++i)
        if (use[i]) n += 1, sx += s[i].arc, sy += s[i].diameter, sxx += s[i].arc * s[i].arc, sxy += s[i].arc * s[i].diameter;
    if (n < 2) return false;
    const double det = n * sxx - sx * sx;
    *b = det > 0 ? (n * sxy - sx * sy) / det : 0.0;
    *a = (sy - *b * sx) / n;
    return true;
}

}  // namespace

StenosisFigures stenosisFigures(const DiameterProfile &profile)
{
    StenosisFigures f;
    const auto &s = profile.samples;
    if (s.size() < 3) return f;
    const auto [first, last] = analysedRange(s);
    f.analysedStart = s[first].arc, f.analysedEnd = s[last].arc;

    std::vector<bool> inRange(s.size(), false), use;
    for (size_t i = first; i <= last; ++i) inRange[i] = true;
    use = inRange;
    fitLine(s, use, &f.referenceStart, &f.referenceSlope);
    for (int round = 0; round < 50; ++round) {
        std::vector<bool> next = inRange;
        for (size_t i = first; i <= last; ++i)
            next[i] = s[i].diameter >= (1 - kReferenceExclusion) * f.referenceAt(s[i].arc);
        if (next == use) break;
        use = next;
        if (!fitLine(s, use, &f.referenceStart, &f.referenceSlope)) break;
    }

    size_t m = first;
    for (size_t i = first; i <= last; ++i)
        if (s[i].diameter < s[m].diameter) m = i;
    f.mld = s[m].diameter, f.mldArc = s[m].arc, f.mldX = s[m].x, f.mldY = s[m].y;
    f.reference = f.referenceAt(f.mldArc);
    const double ratio = f.reference > 0 ? f.mld / f.reference : 1.0;
    f.percentDiameter = (1 - ratio) * 100, f.percentArea = (1 - ratio * ratio) * 100;

    auto inLesion = [&](size_t i) { return s[i].diameter < (1 - kLesionMargin) * f.referenceAt(s[i].arc); };
    if (!inLesion(m)) {
        f.lesionStart = f.lesionEnd = f.mldArc;
        return f;
    }
    size_t a = m, b = m;
    while (a > first && inLesion(a - 1)) --a;
    while (b < last && inLesion(b + 1)) ++b;
    f.lesionStart = s[a].arc, f.lesionEnd = s[b].arc, f.lesionLength = f.lesionEnd - f.lesionStart;
    return f;
}

VesselMeasurement measureVessel(const Image &segmentation, const Image *gray, PathPoint from, PathPoint to,
                                DiameterSource source)
{
    VesselMeasurement m;
    if (gray && (gray->width() != segmentation.width() || gray->height() != segmentation.height())) {
        m.error = StenosisText::tr("The image (%1 x %2) and its segmentation (%3 x %4) differ in size.")
                      .arg(gray->width()).arg(gray->height()).arg(segmentation.width()).arg(segmentation.height());
        return m;
    }
    m.path = findVesselPath(segmentation, from, to);
    if (!m.path.ok()) {
        m.error = m.path.error;
        return m;
    }
    m.line = centreLine(m.path);
    if (m.line.size() < 5) {
        m.error = StenosisText::tr("The two points are too close together to measure a profile between them.");
        return m;
    }
    m.profile = diameterProfile(segmentation, gray, m.line, source);
    m.figures = stenosisFigures(m.profile);
    return m;
}

double catheterSizeMm(const QString &text)
{
    static const QRegularExpression pattern(QStringLiteral("^\\s*([0-9]+(?:[.,][0-9]+)?)\\s*(f|fr|french|mm)\\s*$"),
                                            QRegularExpression::CaseInsensitiveOption);
    const auto match = pattern.match(text);
    if (!match.hasMatch()) return 0.0;
    const double value = match.captured(1).replace(QLatin1Char(','), QLatin1Char('.')).toDouble();
    return match.captured(2).toLower() == QLatin1String("mm") ? value : value / 3.0;
}

CatheterCalibration calibrateOnCatheter(const Image &segmentation, const Image *gray, PathPoint from, PathPoint to,
                                        DiameterSource source, double sizeMm)
{
    CatheterCalibration c;
    c.sizeMm = sizeMm;
    if (!(sizeMm > 0)) {
        c.error = StenosisText::tr("The catheter's size must be given, for example 6F or 2.0mm.");
        return c;
    }
    const VesselMeasurement m = measureVessel(segmentation, gray, from, to, source);
    if (!m.ok()) {
        c.error = StenosisText::tr("Catheter: %1").arg(m.error);
        return c;
    }
    double sum = 0;
    int n = 0;
    for (const auto &p : m.profile.samples)
        if (p.arc >= m.figures.analysedStart && p.arc <= m.figures.analysedEnd) sum += p.diameter, ++n;
    c.meanWidth = n ? sum / n : 0.0;
    if (!(c.meanWidth > 0)) {
        c.error = StenosisText::tr("The catheter has no measurable width between the two points.");
        return c;
    }
    c.mmPerPixel = sizeMm / c.meanWidth;
    return c;
}
