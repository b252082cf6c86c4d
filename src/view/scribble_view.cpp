// The scribble tool of the view: the left button paints vessel strokes, the right button
// background strokes, over the current image; Train learns a classifier from the painted
// pixels and shows its 0/255 result in place of the picture; Keep hands the result to the
// main window, which writes it into the list like any edit; Save model... writes the model
// for quendra-cli. Leaving the tool in any way drops strokes and result.
#include <QApplication>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QMouseEvent>
#include <cmath>
#include <new>

#include "dialogs/userdialogs.h"
#include "document/cimgdoc.h"
#include "ops/classify/fieldofview.h"
#include "view/numbertext.h"
#include "view/pixmapwidget.h"
#include "view/scribblepanel.h"
#include "view/scribbletool.h"

using namespace tool;

namespace {

// The colour channel the document's file was opened with, which the model records.
Channel documentChannel(const QWidget *view)
{
    for (const QWidget *w = view->parentWidget(); w; w = w->parentWidget())
        if (const auto *doc = qobject_cast<const CImgDoc *>(w)) return doc->channel;
    return Channel::Gray;
}

// The wait cursor for as long as a training runs.
struct WaitCursor {
    WaitCursor() { QApplication::setOverrideCursor(Qt::WaitCursor); }
    ~WaitCursor() { QApplication::restoreOverrideCursor(); }
};

}  // namespace

void PixmapWidget::startScribbles()
{
    if (state == Scribble) {
        if (scribblePanel) scribblePanel->raise();
        return;
    }
    const ImageRead current = model.currentImage();
    const Image &image = *current;
    if (image.width() < kFeatureMinimumSide || image.height() < kFeatureMinimumSide)
        throw std::runtime_error(tr("The image must be at least %1 pixels wide and high to train a classifier.")
                                     .arg(kFeatureMinimumSide)
                                     .toStdString());
    auto tool = std::make_shared<ScribbleTool>(image, documentChannel(this));
    setSelectionMode(Normal);  // ends another tool and its marks
    scribbles = std::move(tool);
    state = Scribble;
    setCursor(Qt::CrossCursor);

    auto *panel = new ScribblePanel(this);
    scribblePanel = panel;
    connect(panel, &ScribblePanel::trainRequested, this, &PixmapWidget::trainScribbles);
    connect(panel, &ScribblePanel::undoRequested, this, &PixmapWidget::undoScribble);
    connect(panel, &ScribblePanel::keepRequested, this, &PixmapWidget::keepScribbles);
    connect(panel, &ScribblePanel::saveRequested, this, &PixmapWidget::saveScribbleModel);
    connect(panel, &ScribblePanel::cancelRequested, this, &PixmapWidget::leaveScribbles);
    connect(panel, &ScribblePanel::showResultToggled, this, &PixmapWidget::showScribbleResult);
    connect(panel, &ScribblePanel::brushChanged, this, [this](int width) {
        if (scribbles) scribbles->setBrush(width);
    });
    // The features are computed while the user paints, for the polarity the panel shows.
    const auto prepare = [this](bool dark) {
        if (scribbles) scribbles->trainer.prepare(dark ? Polarity::Dark : Polarity::Bright);
    };
    connect(panel, &ScribblePanel::darkVesselsToggled, this, prepare);
    prepare(panel->darkVessels());
    panel->setStatus(tr("Paint a few strokes of each kind, then press Train."));
    panel->adjustSize();
    // Beside the top right corner of the main window, clear of the image's top left.
    const QRect frame = window()->frameGeometry();
    panel->move(frame.right() - panel->width() - 24, frame.top() + 90);
    panel->show();
    emit setStatusBarMsg(tr("Paint vessels with the left button and background with the right button."));
    emit sendState(state);
    update();
}

void PixmapWidget::leaveScribbles()
{
    if (state != Scribble) return;
    scribbles.reset();
    state = Normal;
    if (scribblePanel) {
        // The panel may be the sender of this request: it goes once its signal returns.
        scribblePanel->hide();
        scribblePanel->deleteLater();
    }
    setCursor(Qt::ArrowCursor);
    refreshView();
    update();
    emit sendState(state);
}

void PixmapWidget::scribbleMouse(QMouseEvent *event)
{
    if (!scribbles) return;
    // The image pixel under the centre of the view pixel under the mouse: at any zoom a
    // click labels the pixel it covers (whole coordinates name pixels in aliased painting).
    const double z = zoomFactor;
    const QPointF p(std::floor((event->position().x() + 0.5 - xCenterOffset) / z),
                    std::floor((event->position().y() + 0.5 - yCenterOffset) / z));
    const bool press = event->type() == QEvent::MouseButtonPress;
    const Qt::MouseButtons buttons = press ? Qt::MouseButtons(event->button()) : event->buttons();
    // One button at a time paints; both together (or none) leave the strokes alone.
    if (event->type() != QEvent::MouseButtonRelease && (buttons == Qt::LeftButton || buttons == Qt::RightButton)) {
        if (press) {
            scribbles->beginStroke();
            if (scribblePanel) scribblePanel->setUndoable(true);
        }
        scribbles->paint(press ? p : lastScribblePos, p, buttons == Qt::LeftButton);
        update();
    }
    lastScribblePos = p;
}

void PixmapWidget::undoScribble()
{
    if (!scribbles || !scribbles->undo()) return;
    if (scribblePanel) scribblePanel->setUndoable(scribbles->canUndo());
    update();
}

void PixmapWidget::trainScribbles()
{
    if (!scribbles || !scribblePanel) return;
    const Image labels = scribbles->labels();
    const ScribbleCounts counts = scribbles->trainer.count(labels);
    if (counts.vessel == 0 || counts.background == 0) {
        dialogs().warning(this, tr("Train classifier"),
                          tr("Paint at least one vessel stroke (left button) and one background stroke (right "
                             "button) inside the field of view, then press Train again."));
        return;
    }
    const Polarity polarity = scribblePanel->darkVessels() ? Polarity::Dark : Polarity::Bright;
    QElapsedTimer clock;
    clock.start();
    try {
        const WaitCursor wait;
        scribbles->result = scribbles->trainer.train(labels, polarity);
    } catch (const std::bad_alloc &) {
        dialogs().warning(this, tr("Train classifier"), tr("There is not enough memory to train the classifier."));
        return;
    } catch (const std::exception &e) {
        dialogs().warning(this, tr("Train classifier"),
                          tr("The classifier could not be trained: %1").arg(QString::fromLocal8Bit(e.what())));
        return;
    }
    const ScribbleResult &r = *scribbles->result;
    const double share = 100.0 * double(fieldOfViewArea(r.segmentation)) /
                         double(std::max(1LL, fieldOfViewArea(scribbles->trainer.fieldOfView())));
    scribblePanel->setTrained(true);
    scribblePanel->setStatus(tr("Trained on %1 vessel and %2 background pixels in %3 s: %4 % of the field of view "
                                "is vessel.")
                                 .arg(counts.vessel)
                                 .arg(counts.background)
                                 .arg(numberText(double(clock.elapsed()) / 1000.0, 1))
                                 .arg(numberText(share, 1)));
    showScribbleResult(true);
}

void PixmapWidget::showScribbleResult(bool on)
{
    if (!scribbles) return;
    if (on && scribbles->result)
        renderToPixmap(scribbles->result->segmentation);
    else
        refreshView();
    update();
}

void PixmapWidget::keepScribbles()
{
    if (!scribbles || !scribbles->result) return;
    const Image result = scribbles->result->segmentation;
    leaveScribbles();
    emit keepResult(result);
}

void PixmapWidget::saveScribbleModel()
{
    if (!scribbles || !scribbles->result) return;
    const VesselModel trained = scribbles->result->model;
    QString filter;
    QString name = dialogs().getSaveFileName(this, tr("Save vessel model"), QString(), {tr("Vessel models (*.qvm)")},
                                             &filter);
    if (name.isEmpty()) return;
    if (QFileInfo(name).suffix().isEmpty()) name += ".qvm";
    QString error;
    if (!saveVesselModel(trained, name, &error)) {
        dialogs().warning(this, tr("Save vessel model"), tr("The model could not be saved: %1").arg(error));
        return;
    }
    emit setStatusBarMsg(tr("Vessel model saved to %1").arg(name));
}
