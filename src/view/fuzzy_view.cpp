// Fuzzy clustering in the view: every iteration's segmentation is shown as it comes.
#include "dialogs/userdialogs.h"
#include "ops/fuzzy.h"
#include "view/guiprogress.h"
#include "view/pixmapwidget.h"

void PixmapWidget::opFuzzyClust()
{
    // A long operation without a question before it: its progress shows at once.
    GuiProgress progress(this, true);
    Notes notes;
    fuzzyClustering(model, progress, notes, [this] {
        showPreviewImage();
        repaint();
        emit updateImgNav();
    });
    progress.finish();
    refreshView();
    update();
    emit updateImgNav();
    if (!notes.isEmpty()) dialogs().warning(this, tr("Note"), notes.join("<br>"));
}
