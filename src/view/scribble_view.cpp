// The scribble tool of the view: the left button paints vessel strokes, the right button
// background strokes, over the current image; Train learns a classifier from the painted
// pixels (boosted trees, or a network fine-tuned on a thread of its own with progress and
// Cancel) and shows its 0/255 result in place of the picture; Keep hands the result to the
// main window, which writes it into the list like any edit; Save model... writes the model
// for quendra-cli. Leaving the tool in any way drops strokes and result.
#include <QApplication>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QMouseEvent>
#include <cmath>
#include <functional>
#include <new>

#include "dialogs/userdialogs.h"
#include "document/cimgdoc.h"
#include "ops/classify/fieldofview.h"
#include "ops/core/cancel.h"
#include "ops/core/progress.h"
#include "ops/table/runs.h"
#include "view/backgroundrun.h"
#include "view/guiprogress.h"
#include "view/modelchoice.h"
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
    connect(panel, &ScribblePanel::modelFileRequested, this, &PixmapWidget::chooseScribbleModelFile);
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

void PixmapWidget::chooseScribbleModelFile()
{
    if (!scribblePanel) return;
    const QString path = askModelFile(this);
    QString refusal;
    if (!path.isEmpty()) {
        try {
            const std::shared_ptr<const VesselModel> m = sharedVesselModel(path);
            if (m->learner != Learner::Network || !m->network || !m->network->trainable())
                refusal = tr("%1 holds no network the program can fine-tune: choose a network model it trained.")
                              .arg(QFileInfo(path).fileName());
        } catch (const std::exception &e) {
            refusal = tr("The model could not be read: %1").arg(QString::fromLocal8Bit(e.what()));
        }
    }
    if (path.isEmpty() || !refusal.isEmpty()) {
        if (!refusal.isEmpty()) dialogs().warning(this, tr("Train classifier"), refusal);
        scribblePanel->restoreStartModel();
        return;
    }
    scribblePanel->addModelFile(path);
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
    const QString start = scribblePanel->startModel();  // empty: boosted trees
    // Held by the run as well: nothing the worker reads goes while it runs.
    const std::shared_ptr<ScribbleTool> tool = scribbles;
    std::optional<ScribbleResult> trained;
    QString failure;
    bool noMemory = false, cancelled = false;
    const auto attempt = [&](const std::function<ScribbleResult()> &train) {
        try {
            trained = train();
        } catch (const OperationCancelled &) {
            cancelled = true;
        } catch (const std::bad_alloc &) {
            noMemory = true;
        } catch (const std::exception &e) {
            failure = QString::fromLocal8Bit(e.what());
        }
    };
    QElapsedTimer clock;
    clock.start();
    if (start.isEmpty()) {
        const WaitCursor wait;
        attempt([&] { return tool->trainer.train(labels, polarity); });
    } else {
        // Train again goes on from the network trained last, unless another start was chosen.
        std::shared_ptr<const VesselModel> from = tool->tunedFrom == start ? tool->tuned : nullptr;
        try {
            if (!from) from = sharedVesselModel(start);
        } catch (const std::exception &e) {
            failure = QString::fromLocal8Bit(e.what());
        }
        if (from) {
            const NetworkTrainingSettings settings = tool->networkSettings;
            GuiProgress progress(this, true);
            runInBackground([&](Progress &p) {
                attempt([&] { return fineTuneOnScribbles(tool->trainer, labels, polarity, *from, settings, p); });
            }, progress, {}, [&] { return progress.cancelRequested(); });
        }
    }
    if (scribbles != tool || !scribblePanel) return;
    if (cancelled) {
        scribblePanel->setStatus(tool->result ? tr("Training cancelled: the last result is kept.") : tr("Training cancelled."));
        return;
    }
    if (!trained) {
        dialogs().warning(this, tr("Train classifier"),
                          noMemory ? tr("There is not enough memory to train the classifier.")
                                   : tr("The classifier could not be trained: %1").arg(failure));
        return;
    }
    tool->result = std::move(trained);
    if (!start.isEmpty()) {
        tool->tuned = std::make_shared<const VesselModel>(tool->result->model);
        tool->tunedFrom = start;
    }
    const ScribbleResult &r = *tool->result;
    const double share = 100.0 * double(fieldOfViewArea(r.segmentation)) /
                         double(std::max(1LL, fieldOfViewArea(tool->trainer.fieldOfView())));
    const QString seconds = numberText(double(clock.elapsed()) / 1000.0, 1);
    scribblePanel->setTrained(true);
    if (start.isEmpty())
        scribblePanel->setStatus(tr("Trained on %1 vessel and %2 background pixels in %3 s: %4 % of the field of view "
                                    "is vessel.")
                                     .arg(counts.vessel)
                                     .arg(counts.background)
                                     .arg(seconds)
                                     .arg(numberText(share, 1)));
    else
        scribblePanel->setStatus(tr("Network fine-tuned in %1 steps on %2 vessel and %3 background pixels in %4 s: "
                                    "%5 % of the field of view is vessel. Train again goes on from this network.")
                                     .arg(tool->networkSettings.steps)
                                     .arg(counts.vessel)
                                     .arg(counts.background)
                                     .arg(seconds)
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
