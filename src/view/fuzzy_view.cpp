// Fuzzy clustering in the view: every iteration's segmentation is shown as it comes.
#include "dialogs/userdialogs.h"
#include "ops/fuzzy.h"
#include "ops/progress.h"
#include "view/pixmapwidget.h"

void PixmapWidget::opFuzzyClust()
{
    const auto progress = makeProgress();
    Notes notes;
    fuzzyClustering(model, *progress, notes, [this] {
        showPreviewImage();
        repaint();
        emit updateImgNav();
    });
    progress->finish();
    refreshView();
    update();
    emit updateImgNav();
    if (!notes.isEmpty()) dialogs().warning(this, tr("Note"), notes.join("<br>"));
}
