// Point operations of the view.
#include "view/pixmapwidget.h"

void PixmapWidget::opInvert()
{
    runCore(4, Params());
    finishOperation(tr("The image was inverted"));
}
