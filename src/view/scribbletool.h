// The data of the scribble tool of one view: the painted strokes, the trainer that learns
// from them on the image the tool was started on, the last training's result and the
// network fine-tuned last, which the next fine-tuning goes on from. The
// strokes live in a layer of their own at the image's size, drawn over the picture and
// never into the image list.
#pragma once
#include <QColor>
#include <QImage>
#include <QList>
#include <QPointF>
#include <memory>
#include <optional>

#include "ops/classify/scribblenetwork.h"

class ScribbleTool {
public:
    static QColor vesselColour() { return QColor(230, 30, 30); }
    static QColor backgroundColour() { return QColor(30, 120, 255); }
    static constexpr int kDefaultBrush = 3;

    ScribbleTool(const Image &image, Channel channel);

    // Paints a stroke from `from` to `to` (image coordinates; equal points paint a dot) as
    // vessel or background; a later stroke replaces the label of an earlier one under it.
    void paint(const QPointF &from, const QPointF &to, bool vessel);
    // Keeps the strokes as they are before a new stroke begins, so that undo can bring them
    // back; at most kUndoSteps strokes are kept.
    void beginStroke();
    // Takes back the last stroke; false when there is none.
    bool undo();
    bool canUndo() const { return !undoSteps_.isEmpty(); }
    static constexpr int kUndoSteps = 50;
    void setBrush(int width) { brush_ = width; }
    int brush() const { return brush_; }

    const QImage &strokes() const { return strokes_; }
    // The strokes as labels: kVesselLabel, kBackgroundLabel, kNoLabel elsewhere.
    Image labels() const;

    ScribbleTrainer trainer;
    std::optional<ScribbleResult> result;
    // The network fine-tuned last and the model file it started from: Train with the same
    // start goes on from it (a training of trees meanwhile does not end the chain).
    std::shared_ptr<const VesselModel> tuned;
    QString tunedFrom;
    NetworkTrainingSettings networkSettings = scribbleNetworkSettings();

private:
    QImage strokes_;
    QList<QImage> undoSteps_;  // the strokes before each of the last strokes, oldest first
    int brush_ = kDefaultBrush;
};
