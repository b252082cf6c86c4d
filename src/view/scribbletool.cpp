#include "view/scribbletool.h"

#include <QPainter>

ScribbleTool::ScribbleTool(const Image &image, Channel channel)
    : trainer(image, channel), strokes_(image.width(), image.height(), QImage::Format_ARGB32)
{
    strokes_.fill(Qt::transparent);
}

void ScribbleTool::paint(const QPointF &from, const QPointF &to, bool vessel)
{
    QPainter painter(&strokes_);
    // Opaque colours written as they are, so a stroke relabels what it covers and the
    // labels can be read back from the colours exactly.
    painter.setCompositionMode(QPainter::CompositionMode_Source);
    painter.setPen(QPen(vessel ? vesselColour() : backgroundColour(), brush_, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    if (from == to)
        painter.drawPoint(from);
    else
        painter.drawLine(from, to);
}

void ScribbleTool::beginStroke()
{
    undoSteps_ << strokes_;  // shared until the stroke paints: the copy is made then
    if (undoSteps_.size() > kUndoSteps) undoSteps_.removeFirst();
}

bool ScribbleTool::undo()
{
    if (undoSteps_.isEmpty()) return false;
    strokes_ = undoSteps_.takeLast();
    return true;
}

Image ScribbleTool::labels() const
{
    Image labels(strokes_.width(), strokes_.height(), 1, 1, kNoLabel);
    for (int y = 0; y < strokes_.height(); ++y) {
        const QRgb *row = reinterpret_cast<const QRgb *>(strokes_.constScanLine(y));
        for (int x = 0; x < strokes_.width(); ++x)
            if (qAlpha(row[x]) != 0) labels(x, y) = qRed(row[x]) > qBlue(row[x]) ? kVesselLabel : kBackgroundLabel;
    }
    return labels;
}
