// The shared frame of the view's operations, and the one path of the plain operations of
// the table: ask the parameters as the row says, run the operation as one transaction,
// refresh, update the navigation and report.
#include <QDialog>

#include "dialogs/userdialogs.h"
#include "ops/io/display.h"
#include "ops/table/operations.h"
#include "view/backgroundrun.h"
#include "view/guiprogress.h"
#include "view/pixmapwidget.h"
#include "view/structeldlg.h"

std::unique_ptr<Progress> PixmapWidget::makeProgress() { return std::make_unique<GuiProgress>(this); }

bool PixmapWidget::askParameters(const OperationRow &row, Params &params)
{
    if (row.ask != Ask::Number && row.ask != Ask::Disc) return true;
    // Both ask for the first parameter, within its range, starting from its default.
    const ParamInfo &param = row.params.front();
    if (row.ask == Ask::Disc) {
        StructElDlg dialog(param);
        if (dialogs().exec(&dialog) != QDialog::Accepted) return false;
        // The form offers the disc only; its size is the one parameter.
        params.set(param.name, QString::number(dialog.size()));
        return true;
    }
    bool ok = false;
    const double value = dialogs().getDouble(this, tr(row.askTitle), tr(param.label), QString(param.defaultValue).toDouble(),
                                             param.minimum, param.maximum, param.kind == ParamKind::Integer ? 0 : 2, &ok);
    if (ok) params.set(param.name, value);
    return ok;
}

RunOutcome PixmapWidget::runTableOperation(OpCode code, bool workingCopy)
{
    return runTableOperation(operationRow(code), Params(), workingCopy);
}

RunOutcome PixmapWidget::runTableOperation(const OperationRow &row, Params params, bool workingCopy)
{
    cancelled = !askParameters(row, params);
    if (cancelled) return {};
    if (row.notice)
        if (const QString notice = row.notice(*model.currentImage()); !notice.isEmpty())
            dialogs().information(this, tr("Debug info"), notice);
    if (*row.segmentMethod) segmentationSource = *model.currentImage();
    RunOutcome outcome;
    // The result is rendered on the worker too, into a copy of the displayed picture, so the
    // window only swaps it in when the run has ended.
    QImage picture = pixmap->toImage();
    {
        // Live rows show every result on the way as the preview, their progress from the start.
        GuiProgress progress(this, row.liveDisplay);
        std::function<void(const Image &)> showLive;
        if (row.liveDisplay)
            showLive = [this](const Image &image) {
                renderToPixmap(image);
                repaint();
            };
        // The run owns the model until it ends; the window only paints meanwhile.
        runInBackground(
            [&](Progress &p) {
                outcome = runOperation(model, row, params, p, !workingCopy);
                if (outcome.ok()) renderInto(*model.currentImage(), picture);
            },
            progress, showLive, [&progress] { return progress.cancelRequested(); });
    }
    if (outcome.result == RunResult::Cancelled) cancelled = true;
    if (!outcome.ok()) return outcome;
    *pixmap = QPixmap::fromImage(std::move(picture));
    if (!outcome.notes.isEmpty()) dialogs().warning(this, tr("Note"), outcome.notes.join("<br>"));
    repaint();
    emit updateImgNav();
    // Zhang-Suen thinning and fuzzy clustering report nothing: the result speaks for itself.
    if (!*row.doneText) return outcome;
    QString text = tr(row.doneText);
    if (row.ask == Ask::Number) text = text.arg(params.number(row.params.front().name, 0.0));
    dialogs().information(this, tr("Filter applied"), text);
    return outcome;
}

// The operations named after the menus run the one path on the current image.
void PixmapWidget::opInvert() { runTableOperation(OpCode::Invert); }
void PixmapWidget::opNormalize() { runTableOperation(OpCode::Normalize); }
void PixmapWidget::opLog2() { runTableOperation(OpCode::Log2); }
void PixmapWidget::opSqrt() { runTableOperation(OpCode::Sqrt); }
void PixmapWidget::opPower() { runTableOperation(OpCode::Power); }
void PixmapWidget::opErode() { runTableOperation(OpCode::Erode); }
void PixmapWidget::opDilate() { runTableOperation(OpCode::Dilate); }
void PixmapWidget::opOpen() { runTableOperation(OpCode::Open); }
void PixmapWidget::opClose() { runTableOperation(OpCode::Close); }
void PixmapWidget::opTopHat() { runTableOperation(OpCode::TopHat); }
void PixmapWidget::opMGradient() { runTableOperation(OpCode::MGradient); }
void PixmapWidget::opZhangSuen() { runTableOperation(OpCode::ZhangSuen); }
void PixmapWidget::opFft() { runTableOperation(OpCode::Fft); }
void PixmapWidget::opInvFft() { runTableOperation(OpCode::InvFft); }
void PixmapWidget::opEigenv() { runTableOperation(OpCode::Eigenv); }
void PixmapWidget::opLaplEnh() { runTableOperation(OpCode::LaplEnh); }
void PixmapWidget::opHessEnh() { runTableOperation(OpCode::HessEnh); }
void PixmapWidget::opHomoVes() { runTableOperation(OpCode::HomoVes); }
void PixmapWidget::opVesNonl() { runTableOperation(OpCode::VesNonl); }
void PixmapWidget::opFuzzyClust() { runTableOperation(OpCode::FuzzyClust); }
void PixmapWidget::opSkeletonize() { runTableOperation(OpCode::Skeletonize); }
