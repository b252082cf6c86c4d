#include "view/modelchoice.h"

#include <QCoreApplication>
#include <QDir>

#include "dialogs/userdialogs.h"
#include "ops/io/datafolders.h"

std::vector<ShippedModel> installedModels()
{
    const QDir models(dataFolder("models"));
    const std::vector<ShippedModel> shipped{
        {QCoreApplication::translate("PixmapWidget", "Retina photographs (network)"), "retina-network.qvm", true},
        {QCoreApplication::translate("PixmapWidget", "Coronary angiograms (network)"), "coronary-network.qvm", true},
        {QCoreApplication::translate("PixmapWidget", "Retina photographs (boosted trees)"), "retina.qvm", false}};
    std::vector<ShippedModel> installed;
    for (const ShippedModel &m : shipped)
        if (models.exists(m.path)) installed.push_back({m.label, models.filePath(m.path), m.network});
    return installed;
}

QString modelFileItem() { return QCoreApplication::translate("PixmapWidget", "Model file..."); }

QString askModelFile(QWidget *parent)
{
    return dialogs().getOpenFileName(parent, QCoreApplication::translate("PixmapWidget", "Open vessel model"), QString(),
                                     QCoreApplication::translate("PixmapWidget", "Vessel models (*.qvm *.pt)"));
}
