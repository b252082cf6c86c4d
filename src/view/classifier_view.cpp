// "Vessel classifier..." in the view: choose a shipped model or a model file, then
// the working copy becomes the vessel probability map (0..255) and the 0/255 segmentation
// is appended after it, ready for the binary report.
#include <QDir>
#include <utility>
#include <vector>
#include <stdexcept>

#include "app/datafolders.h"
#include "dialogs/userdialogs.h"
#include "ops/core/execution.h"
#include "ops/classify/fieldofview.h"
#include "ops/classify/vesselmodel.h"
#include "view/numbertext.h"
#include "view/pixmapwidget.h"

namespace {

// The model file chosen by the user, or empty when they cancelled. The shipped models are
// offered by what they are for; those not installed are left out.
QString chooseModelFile(QWidget *parent)
{
    const QDir models(dataFolder("models"));
    const std::vector<std::pair<QString, QString>> shipped{
        {PixmapWidget::tr("Retina photographs (network)"), "retina-network.qvm"},
        {PixmapWidget::tr("Coronary angiograms (network)"), "coronary-network.qvm"},
        {PixmapWidget::tr("Retina photographs (boosted trees)"), "retina.qvm"}};
    QStringList items;
    for (const auto &[label, file] : shipped)
        if (models.exists(file)) items << label;
    const QString other = PixmapWidget::tr("Model file...");
    items << other;
    bool ok = false;
    const QString choice =
        dialogs().getItem(parent, PixmapWidget::tr("Vessel classifier"), PixmapWidget::tr("Model:"), items, 0, &ok);
    if (!ok) return {};
    for (const auto &[label, file] : shipped)
        if (choice == label) return models.filePath(file);
    return dialogs().getOpenFileName(parent, PixmapWidget::tr("Open vessel model"), QString(),
                                     PixmapWidget::tr("Vessel models (*.qvm *.pt)"));
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
