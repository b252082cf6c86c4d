#include "ops/measure/runcurve.h"

#include <QCoreApplication>
#include <QPainter>
#include <QPainterPath>
#include <algorithm>

#include "ops/measure/stenosispicture.h"

namespace {

class CurveText {
    Q_DECLARE_TR_FUNCTIONS(RunCurve)
};

}  // namespace

RunCurvePoint runCurvePoint(int frame, const VesselMeasures &measures)
{
    return {frame, double(measures.basic.area), measures.skeleton.stepLength};
}

QString runCurveCsv(const std::vector<RunCurvePoint> &curve)
{
    const int best = largestArea(curve);
    QString csv = QStringLiteral("frame,area_px,length_px,largest_area\n");
    for (size_t i = 0; i < curve.size(); ++i)
        csv += QStringLiteral("%1,%2,%3,%4\n")
                   .arg(curve[i].frame)
                   .arg(QString::number(curve[i].area, 'g', 10), QString::number(curve[i].length, 'g', 10),
                        int(i) == best ? QStringLiteral("yes") : QString());
    return csv;
}

int largestArea(const std::vector<RunCurvePoint> &curve)
{
    if (curve.empty()) return -1;
    return int(std::max_element(curve.begin(), curve.end(), [](const auto &a, const auto &b) { return a.area < b.area; }) -
               curve.begin());
}

QImage runCurvePicture(const std::vector<RunCurvePoint> &curve)
{
    QImage picture(640, 360, QImage::Format_RGB32);
    picture.fill(Qt::white);
    const QRect plot(70, 30, 500, 270);
    std::vector<PlotLabel> labels;
    double topArea = 1, topLength = 1;
    for (const auto &p : curve) topArea = std::max(topArea, p.area), topLength = std::max(topLength, p.length);
    const int first = curve.empty() ? 1 : curve.front().frame, last = curve.empty() ? 1 : std::max(curve.back().frame, first + 1);
    const auto x = [&](int frame) { return plot.left() + double(frame - first) / (last - first) * plot.width(); };
    {
        QPainter painter(&picture);
        painter.setRenderHint(QPainter::Antialiasing);
        painter.setPen(Qt::gray);
        painter.drawRect(plot);
        const int best = largestArea(curve);
        if (best >= 0) {
            painter.setPen(QPen(QColor(230, 0, 0), 1.5, Qt::DashLine));
            painter.drawLine(QPointF(x(curve[size_t(best)].frame), plot.top()), QPointF(x(curve[size_t(best)].frame), plot.bottom()));
        }
        const auto series = [&](double top, double RunCurvePoint::*value, QColor colour) {
            QPainterPath path;
            for (size_t i = 0; i < curve.size(); ++i) {
                const QPointF p(x(curve[i].frame), plot.bottom() - curve[i].*value / top * plot.height());
                i == 0 ? path.moveTo(p) : path.lineTo(p);
                painter.fillRect(QRectF(p - QPointF(2, 2), QSizeF(4, 4)), colour);
            }
            painter.setPen(QPen(colour, 1.5));
            painter.drawPath(path);
        };
        series(topArea, &RunCurvePoint::area, QColor(30, 90, 220));
        series(topLength, &RunCurvePoint::length, QColor(0, 160, 0));
        if (best >= 0)
            labels.push_back({QRect(plot.left(), 8, plot.width(), 14), int(Qt::AlignHCenter),
                              CurveText::tr("Vessel area (blue) and length (green); largest area at frame %1")
                                  .arg(curve[size_t(best)].frame)});
    }
    labels.push_back({QRect(0, plot.top(), plot.left() - 6, 14), int(Qt::AlignRight), QString::number(topArea, 'f', 0)});
    labels.push_back({QRect(0, plot.bottom() - 12, plot.left() - 6, 14), int(Qt::AlignRight), QStringLiteral("0")});
    labels.push_back({QRect(plot.right() + 6, plot.top(), 70, 14), int(Qt::AlignLeft), QString::number(topLength, 'f', 0)});
    labels.push_back({QRect(plot.left(), plot.bottom() + 4, plot.width(), 14), int(Qt::AlignLeft), QString::number(first)});
    labels.push_back({QRect(plot.left(), plot.bottom() + 4, plot.width(), 14), int(Qt::AlignRight), QString::number(last)});
    labels.push_back({QRect(plot.left(), plot.bottom() + 22, plot.width(), 14), int(Qt::AlignHCenter), CurveText::tr("Frame")});
    writeLabels(picture, labels);
    return picture;
}
