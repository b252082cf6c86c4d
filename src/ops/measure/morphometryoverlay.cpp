#include "ops/measure/morphometryoverlay.h"

#include <QLocale>
#include <QString>
#include <algorithm>
#include <array>
#include <cmath>
#include <stdexcept>
#include <vector>

#include "ops/core/viewtext.h"

namespace {

using Rgb = std::array<unsigned char, 3>;

// Blue, cyan, green, yellow, red at t = 0, 0.25, 0.5, 0.75, 1.
Rgb scaleColour(double t)
{
    static const double stops[5][3] = {{40, 60, 255}, {0, 200, 255}, {0, 210, 0}, {255, 230, 0}, {255, 30, 0}};
    t = std::clamp(t, 0.0, 1.0) * 4.0;
    const int i = std::min(3, int(t));
    const double f = t - i;
    Rgb c;
    for (int k = 0; k < 3; ++k) c[size_t(k)] = (unsigned char)std::lround(stops[i][k] + (stops[i + 1][k] - stops[i][k]) * f);
    return c;
}

double valueOf(const SegmentFigures &s, OverlayValue by, double scale)
{
    return by == OverlayValue::Diameter ? s.meanDiameter * scale : s.tortuosity;
}

unsigned char grayByte(double v) { return (unsigned char)(v <= 0.0 ? 0 : v >= 255.0 ? 255 : int(v + 0.5)); }

}  // namespace

QImage morphometryOverlay(const Image &input, const Morphometry &m, OverlayValue by)
{
    if (input.width() != m.width || input.height() != m.height)
        throw std::invalid_argument("overlay: the picture and the measured segmentation differ in size");
    const int w = input.width(), h = input.height();
    const bool mm = by == OverlayValue::Diameter && m.pixelSize > 0.0;
    const double scale = mm ? m.pixelSize : 1.0;
    std::vector<double> values;
    for (const SegmentFigures &s : m.segments)
        if (const double v = valueOf(s, by, scale); std::isfinite(v)) values.push_back(v);
    std::sort(values.begin(), values.end());
    double low = by == OverlayValue::Tortuosity ? 1.0 : (values.empty() ? 0.0 : values.front());
    double high = values.empty() ? low + 1.0 : values[size_t(std::floor(0.95 * double(values.size() - 1)))];
    if (!(high > low)) high = low + (by == OverlayValue::Tortuosity ? 0.1 : 1.0);

    cimg_library::CImg<unsigned char> picture(w, h, 1, 3);
    cimg_forXY(input, x, y) picture(x, y, 0, 0) = picture(x, y, 0, 1) = picture(x, y, 0, 2) = grayByte(input(x, y));
    for (const SegmentFigures &s : m.segments) {
        const double v = valueOf(s, by, scale);
        const Rgb c = std::isfinite(v) ? scaleColour((v - low) / (high - low)) : Rgb{255, 255, 255};
        for (const int i : s.pixelIndices)
            for (const auto &[dx, dy] : {std::pair{0, 0}, {1, 0}, {-1, 0}, {0, 1}, {0, -1}}) {
                const int x = i % w + dx, y = i / w + dy;
                if (x < 0 || y < 0 || x >= w || y >= h) continue;
                for (int k = 0; k < 3; ++k) picture(x, y, 0, k) = c[size_t(k)];
            }
    }
    // Legend: a dark box with the scale and its ends.
    const unsigned char black[3] = {0, 0, 0}, white[3] = {255, 255, 255};
    picture.draw_rectangle(0, 0, 219, 45, black, 0.8f);
    for (int x = 0; x < 200; ++x) {
        const Rgb c = scaleColour(x / 199.0);
        picture.draw_line(10 + x, 24, 10 + x, 38, c.data());
    }
    // In the language of the view, numbers in its notation (the default locale).
    const QString unit = by == OverlayValue::Tortuosity ? QString() : mm ? QString(" mm") : QString(" px");
    const QString title = by == OverlayValue::Diameter ? ViewText::tr("mean diameter") : ViewText::tr("tortuosity");
    const QLocale locale;
    const QString text =
        QString("%1  %2 - %3%4").arg(title, locale.toString(low, 'g', 3), locale.toString(high, 'g', 3), unit);
    picture.draw_text(10, 5, "%s", white, black, 1.0f, 13, text.toLatin1().constData());

    QImage out(w, h, QImage::Format_RGB32);
    for (int y = 0; y < h; ++y) {
        QRgb *line = reinterpret_cast<QRgb *>(out.scanLine(y));
        for (int x = 0; x < w; ++x) line[x] = qRgb(picture(x, y, 0, 0), picture(x, y, 0, 1), picture(x, y, 0, 2));
    }
    return out;
}
