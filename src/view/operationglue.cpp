// The shared frame of the view's operations.
#include "dialogs/userdialogs.h"
#include "ops/operations.h"
#include "view/guiprogress.h"
#include "view/pixmapwidget.h"

std::unique_ptr<Progress> PixmapWidget::makeProgress() { return std::make_unique<GuiProgress>(this); }

void PixmapWidget::runCore(int code, const Params &params)
{
    const OperationRow &row = operationRow(code);
    if (!row.run) return;
    const auto progress = makeProgress();
    Notes notes;
    row.run(model, params, *progress, notes);
    progress->finish();
    if (!notes.isEmpty()) dialogs().warning(this, tr("Note"), notes.join("<br>"));
}

void PixmapWidget::finishOperation(const QString &infoText)
{
    refreshView();
    repaint();
    emit updateImgNav();
    dialogs().information(this, tr("Filter applied"), infoText);
}
