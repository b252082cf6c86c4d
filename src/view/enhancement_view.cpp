// Enhancement and frequency-domain operations of the view. Each runs its row of the
// operation table on the model (which computes the whole result before it writes), then
// refreshes, updates the navigation and reports.
#include "dialogs/userdialogs.h"
#include "ops/fourier.h"
#include "view/pixmapwidget.h"

void PixmapWidget::opFft()
{
    const Image &current = model.current();
    if (current.width() != current.height()) {
        const CanvasOffsets off = spectrumOffsets(current);
        dialogs().information(this, tr("Debug info"), tr("txoffset: %1, tyoffset: %2").arg(off.x).arg(off.y));
    }
    runCore(12, Params());
    finishOperation(tr("Magnitude spectrum was calculated"));
}

void PixmapWidget::opInvFft()
{
    runCore(13, Params());
    // The navigation dialog is updated too, so it does not keep showing the spectrum.
    finishOperation(tr("Inverse FFT was calculated"));
}

void PixmapWidget::opEigenv()
{
    runCore(14, Params());
    finishOperation(tr("Vessel enhancement calculated"));
}

void PixmapWidget::opLaplEnh()
{
    runCore(15, Params());
    finishOperation(tr("Vessel enhancement calculated"));
}

void PixmapWidget::opHessEnh()
{
    runCore(16, Params());
    finishOperation(tr("Vessel enhancement calculated"));
}

void PixmapWidget::opHomoVes()
{
    runCore(17, Params());
    finishOperation(tr("Homomorphic vessel enhancement was calculated"));
}

void PixmapWidget::opVesNonl()
{
    runCore(18, Params());
    finishOperation(tr("Vessel enhancement calculated"));
}
