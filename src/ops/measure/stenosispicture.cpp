#include "ops/measure/stenosispicture.h"

#include <QCoreApplication>
#include <QGuiApplication>
#include <QPainter>
#include <QPainterPath>
#include <algorithm>

#include "ops/io/display.h"

namespace {

class PlotText {
    Q_DECLARE_TR_FUNCTIONS(VesselPath)
};

const QColor kLine(255, 220, 0), kEdge(0, 210, 0), kLesion(255, 140, 0), kMld(230, 0, 0), kProfile(30, 90, 220);

}  // namespace

void drawVesselPath(QPainter &painter, const VesselMeasurement &m)
{
    const auto &s = m.profile.samples;
    if (s.empty()) return;
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing);
    QPainterPath centre, lesion, nearEdge, farEdge;
    for (size_t i = 0; i < s.size(); ++i) {
        const QPointF c(s[i].x, s[i].y), n(s[i].nx, s[i].ny);
        const QPointF a = c + s[i].near * n, b = c + s[i].far * n;
        i == 0 ? centre.moveTo(c) : centre.lineTo(c);
        i == 0 ? nearEdge.moveTo(a) : nearEdge.lineTo(a);
        i == 0 ? farEdge.moveTo(b) : farEdge.lineTo(b);
        if (s[i].arc >= m.figures.lesionStart && s[i].arc <= m.figures.lesionEnd)
            lesion.elementCount() == 0 ? lesion.moveTo(c) : lesion.lineTo(c);
    }
    const double width = std::max(1.0, painter.transform().isScaling() ? 1.5 / painter.transform().m11() : 1.0);
    painter.setBrush(Qt::NoBrush);
    painter.setPen(QPen(kEdge, width));
    painter.drawPath(nearEdge);
    painter.drawPath(farEdge);
    painter.setPen(QPen(kLine, width));
    painter.drawPath(centre);
    painter.setPen(QPen(kLesion, 2 * width));
    painter.drawPath(lesion);
    painter.setPen(QPen(kMld, width));
    const QPointF mld(m.figures.mldX, m.figures.mldY);
    const double r = 4 * width;
    painter.drawLine(mld + QPointF(-r, -r), mld + QPointF(r, r));
    painter.drawLine(mld + QPointF(-r, r), mld + QPointF(r, -r));
    painter.restore();
}

std::vector<PlotLabel> drawProfilePlot(QPainter &painter, const QRect &area, const VesselMeasurement &m, double mmPerPixel)
{
    const auto &s = m.profile.samples;
    std::vector<PlotLabel> labels;
    painter.save();
    painter.fillRect(area, Qt::white);
    if (s.size() < 2) {
        painter.restore();
        return labels;
    }
    const double unit = mmPerPixel > 0 ? mmPerPixel : 1.0;
    const QString unitName = mmPerPixel > 0 ? PlotText::tr("mm") : PlotText::tr("px");
    double top = 0;
    for (const auto &p : s) top = std::max({top, p.diameter, m.figures.referenceAt(p.arc)});
    top *= 1.15 * unit;
    const double length = s.back().arc * unit;
    // Without a GUI application there are no fonts: the labels are then left to the caller.
    const bool fonts = qobject_cast<QGuiApplication *>(QCoreApplication::instance()) != nullptr;
    const int lineHeight = fonts ? QFontMetrics(painter.font()).height() : 13;
    const QRect plot = area.adjusted(6 * lineHeight / 2 + 8, lineHeight / 2 + 4, -10, -2 * lineHeight - 6);
    auto at = [&](double arc, double d) {
        return QPointF(plot.left() + arc * unit / length * plot.width(), plot.bottom() - d * unit / top * plot.height());
    };
    painter.setRenderHint(QPainter::Antialiasing);
    painter.fillRect(QRectF(at(m.figures.lesionStart, top / unit), at(m.figures.lesionEnd, 0)), QColor(255, 220, 170));
    painter.setPen(QPen(Qt::gray, 1));
    painter.drawRect(plot);
    for (int k = 0; k <= 4; ++k) {
        const double d = top * k / 4;
        const QPointF p = at(0, d / unit);
        labels.push_back({QRect(area.left(), int(p.y()) - lineHeight / 2, plot.left() - area.left() - 4, lineHeight),
                          int(Qt::AlignRight | Qt::AlignVCenter), QString::number(d, 'f', top < 10 ? 2 : 1)});
    }
    const QRect below(plot.left(), plot.bottom() + 2, plot.width(), lineHeight);
    labels.push_back({below, int(Qt::AlignLeft), QStringLiteral("0")});
    labels.push_back({below, int(Qt::AlignRight), QString::number(length, 'f', 1)});
    labels.push_back({below.translated(0, lineHeight), int(Qt::AlignHCenter),
                      PlotText::tr("Diameter (%1) along the vessel (%1)").arg(unitName)});
    painter.setPen(QPen(Qt::darkGray, 1, Qt::DashLine));
    painter.drawLine(at(s.front().arc, m.figures.referenceAt(s.front().arc)), at(s.back().arc, m.figures.referenceAt(s.back().arc)));
    QPainterPath curve;
    for (size_t i = 0; i < s.size(); ++i) i == 0 ? curve.moveTo(at(s[i].arc, s[i].diameter)) : curve.lineTo(at(s[i].arc, s[i].diameter));
    painter.setPen(QPen(kProfile, 1.5));
    painter.drawPath(curve);
    painter.setPen(QPen(kMld, 1.5));
    const QPointF mld = at(m.figures.mldArc, m.figures.mld);
    painter.drawLine(mld + QPointF(-4, -4), mld + QPointF(4, 4));
    painter.drawLine(mld + QPointF(-4, 4), mld + QPointF(4, -4));
    if (fonts) {
        painter.setPen(Qt::black);
        for (const PlotLabel &l : labels) painter.drawText(l.box, l.alignment, l.text);
        labels.clear();
    }
    painter.restore();
    return labels;
}

void writeLabels(QImage &picture, const std::vector<PlotLabel> &labels)
{
    if (labels.empty()) return;
    cimg_library::CImg<unsigned char> rgb(picture.width(), picture.height(), 1, 3);
    cimg_forXY(rgb, x, y) {
        const QRgb c = picture.pixel(x, y);
        rgb(x, y, 0, 0) = uchar(qRed(c)), rgb(x, y, 0, 1) = uchar(qGreen(c)), rgb(x, y, 0, 2) = uchar(qBlue(c));
    }
    const unsigned char black[] = {0, 0, 0};
    for (const PlotLabel &l : labels) {
        const QByteArray text = l.text.toLatin1();
        const int width = 7 * int(text.size());
        const int x = l.alignment & Qt::AlignRight ? l.box.right() - width
                      : l.alignment & Qt::AlignHCenter ? l.box.center().x() - width / 2 : l.box.left();
        rgb.draw_text(x, l.box.top(), "%s", black, 0, 1.0f, 13, text.constData());
    }
    cimg_forXY(rgb, x, y) picture.setPixel(x, y, qRgb(rgb(x, y, 0, 0), rgb(x, y, 0, 1), rgb(x, y, 0, 2)));
}

QImage stenosisPicture(const Image &image, const VesselMeasurement &m, double mmPerPixel)
{
    const QImage gray = toDisplayImage(image).convertToFormat(QImage::Format_RGB32);
    // Small images are enlarged so the path and the plot's labels stay readable.
    const int scale = std::max(1, 600 / std::max(1, gray.width()));
    const int w = gray.width() * scale, h = gray.height() * scale, plotHeight = 220;
    QImage picture(std::max(w, 400), h + plotHeight, QImage::Format_RGB32);
    picture.fill(Qt::white);
    QPainter painter(&picture);
    painter.drawImage(QRect(0, 0, w, h), gray);
    painter.save();
    painter.scale(scale, scale);
    painter.translate(0.5, 0.5);
    drawVesselPath(painter, m);
    painter.restore();
    const auto labels = drawProfilePlot(painter, QRect(0, h, picture.width(), plotHeight), m, mmPerPixel);
    painter.end();
    writeLabels(picture, labels);
    return picture;
}
