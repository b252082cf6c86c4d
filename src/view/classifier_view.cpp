// "Vessel classifier..." in the view: choose the shipped retina model or a model file, then
// the working copy becomes the vessel probability map (0..255) and the 0/255 segmentation
// is appended after it, ready for the binary report.
#include <QDir>
#include <stdexcept>

#include "app/datafolders.h"
#include "dialogs/userdialogs.h"
#include "ops/core/execution.h"
#include "ops/classify/fieldofview.h"
#include "ops/classify/vesselmodel.h"
#include "view/numbertext.h"
#include "view/pixmapwidget.h"

namespace {

// The model file chosen by the user, or empty when they cancelled.
QString chooseModelFile(QWidget *parent)
{
    const QString shipped = PixmapWidget::tr("Shipped retina model (fundus photographs, green channel)");
    const QString other = PixmapWidget::tr("Model file...");
    bool ok = false;
    const QString choice = dialogs().getItem(parent, PixmapWidget::tr("Vessel classifier"), PixmapWidget::tr("Model:"),
                                             {shipped, other}, 0, &ok);
    if (!ok) return {};
    if (choice == shipped) return QDir(dataFolder("models")).filePath("retina.qvm");
    return dialogs().getOpenFileName(parent, PixmapWidget::tr("Open vessel model"), QString(),
                                     PixmapWidget::tr("Vessel models (*.qvm)"));
}

}  // namespace

void PixmapWidget::opVesselClassifier()
{
    const QString path = chooseModelFile(this);
    if (path.isEmpty()) {
        cancelled = true;
        return;
    }
    const LoadedModel loaded = loadVesselModel(path);
    if (!loaded.ok()) throw std::runtime_error(loaded.error.toStdString());
    const Image &image = model.current();
    const VesselClassification c = classifyVessels(loaded.model, image, findFieldOfView(image), execution::threads());
    Image probability = c.probability * 255.0;
    model.replaceCurrent(std::move(probability));
    model.append(c.segmentation);
    model.currentIndex = model.count() - 1;
    refreshView();
    update();
    emit updateImgNav();
    const double share = 100.0 * double(fieldOfViewArea(c.segmentation)) / double(std::max(1LL, fieldOfViewArea(c.fov)));
    dialogs().information(this, tr("Filter applied"),
                          tr("Vessels classified: %1 % of the field of view").arg(numberText(share, 1)));
}
