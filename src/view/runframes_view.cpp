// "Segment every frame" and "Run curve" in the view. One segmentation method, asked once,
// runs on each frame of the run alone, on a thread of its own; the results are appended in
// frame order only when every frame is done, so a cancel or a failure leaves the list as it
// was. Their vessel area and length make the run curve.
#include <QCoreApplication>
#include <algorithm>
#include <new>
#include <stdexcept>

#include "dialogs/userdialogs.h"
#include "ops/core/cancel.h"
#include "ops/core/progress.h"
#include "ops/measure/vesselmeasure.h"
#include "ops/table/framesegmentation.h"
#include "ops/table/operations.h"
#include "ops/table/runs.h"
#include "view/backgroundrun.h"
#include "view/guiprogress.h"
#include "view/pixmapwidget.h"
#include "view/runcurvewindow.h"

namespace {

// The reports of one frame's runs inside the whole pass: they only let the user's Cancel
// through, and the dialog goes on showing which frame is being segmented.
class FramePass : public Progress {
public:
    explicit FramePass(Progress &whole) : whole_(whole) {}
    void start(const QString &, const QString &, int) override { whole_.processEvents(); }
    void setLabel(const QString &) override { whole_.processEvents(); }
    void setValue(int) override { whole_.processEvents(); }
    void processEvents() override { whole_.processEvents(); }
    void intermediate(const Image &) override { whole_.processEvents(); }
    bool cancelled() const override { return whole_.cancelled(); }

private:
    Progress &whole_;
};

QString title() { return PixmapWidget::tr("Segment every frame"); }

// Whether each frame is inverted first; false when the user cancelled.
bool askPolarity(QWidget *parent, bool &dark)
{
    const int answer = dialogs().question(
        parent, title(), PixmapWidget::tr("Are the vessels darker than their surround, as in an angiogram? Each frame is then inverted first."),
        {PixmapWidget::tr("Dark vessels"), PixmapWidget::tr("Bright vessels"), PixmapWidget::tr("Cancel")}, 0, 2);
    dark = answer == 0;
    return answer != 2;
}

}  // namespace

void PixmapWidget::opSegmentFrames()
{
    if (frameCount < 2) {
        dialogs().information(this, title(), tr("This document holds a single frame. Open a run of several frames (a DICOM "
                                                "cine run, a multi-page TIFF file) to segment every frame."));
        cancelled = true;
        return;
    }
    // The method: a segmentation row of the table, and what it needs to know.
    QStringList methods;
    std::vector<const OperationRow *> rows;
    for (const OperationRow &row : operationTable())
        if (*row.segmentMethod) {
            QString text = QCoreApplication::translate("MainWindow", row.actionText);
            if (text.endsWith("...")) text.chop(3);
            methods << text;
            rows.push_back(&row);
        }
    bool ok = false;
    const QString chosen = dialogs().getItem(this, title(), tr("Method:"), methods, 0, &ok);
    if (!ok || !methods.contains(chosen)) {
        cancelled = true;
        return;
    }
    FrameMethod method;
    method.row = rows[size_t(methods.indexOf(chosen))];
    Notes notes;
    if (method.row->code == OpCode::HystThres) {
        const QStringList presets{tr("Coronary angiogram"), tr("Retina"), tr("Skin transplant")};
        const QString preset = dialogs().getItem(this, title(), tr("Preset:"), presets, 0, &ok);
        if (!ok || !presets.contains(preset)) {
            cancelled = true;
            return;
        }
        method.params.set("preset", QStringList{"coronary", "retina", "skin"}[presets.indexOf(preset)]);
    }
    if (method.row->code == OpCode::VesselClassifier) {
        // The model knows the polarity of the vessels it was trained on.
        const QString path = chooseModelFile();
        if (path.isEmpty()) {
            cancelled = true;
            return;
        }
        if (sharedVesselModel(path)->channel != channel)
            notes << tr("The model was trained on another colour channel than the one this document holds; the frames "
                        "were classified as they are.");
        method.params.set("model", path);
        method.params.set("pixelsize", calibration.known() ? calibration.pixelSizeMm : 0.0);
    } else if (!askPolarity(this, method.darkVessels)) {
        cancelled = true;
        return;
    }

    const int frames = std::min(frameCount, model.count());
    std::vector<Image> results;
    std::vector<RunCurvePoint> curve;
    bool stopped = false, noMemory = false;
    QString error;
    {
        GuiProgress progress(this, true);
        // The frames are only read meanwhile: the run's results wait beside the list.
        runInBackground(
            [&](Progress &p) {
                int k = 0;
                try {
                    p.start(title(), tr("Frame %1 of %2").arg(1).arg(frames), frames);
                    for (; k < frames; ++k) {
                        p.setLabel(tr("Frame %1 of %2").arg(k + 1).arg(frames));
                        p.setValue(k);
                        FramePass pass(p);
                        Notes frameNotes;
                        ImageModel segmented = segmentFrame(*model.image(k), method, pass, frameNotes);
                        results.push_back(std::move(segmented.current()));
                        curve.push_back(runCurvePoint(k + 1, vesselMeasures(results.back())));
                        for (const QString &note : frameNotes) notes << tr("Frame %1: %2").arg(k + 1).arg(note);
                    }
                    p.setValue(frames);
                    p.finish();
                } catch (const OperationCancelled &) {
                    stopped = true;
                } catch (const std::bad_alloc &) {
                    noMemory = true;
                } catch (const std::exception &e) {
                    error = tr("frame %1: %2").arg(k + 1).arg(QString::fromLocal8Bit(e.what()));
                }
            },
            progress, {}, [&progress] { return progress.cancelRequested(); });
    }
    if (stopped) {
        cancelled = true;
        return;
    }
    if (noMemory) throw std::bad_alloc();
    if (!error.isEmpty()) throw std::runtime_error(error.toStdString());

    // The dispatcher takes the list back should appending run out of memory.
    const int first = model.count();
    for (const Image &result : results) model.appendCompact(result);
    model.currentIndex = first;
    runCurve = std::move(curve);
    refreshView();
    update();
    emit updateImgNav();
    notes.removeDuplicates();
    if (!notes.isEmpty()) dialogs().warning(this, tr("Note"), notes.join("<br>"));
    opRunCurve();
}

void PixmapWidget::opRunCurve()
{
    if (runCurve.empty()) {
        dialogs().information(this, tr("Run curve"), tr("There are no results per frame yet: segment every frame of the run first."));
        cancelled = true;
        return;
    }
    auto *window = new RunCurveWindow(runCurve, this);
    window->setAttribute(Qt::WA_DeleteOnClose);
    window->setWindowTitle(tr("Run curve: image %1").arg(imageNumber));
    window->show();
}
