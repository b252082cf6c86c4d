#include "view/runcurvewindow.h"

#include <QDialogButtonBox>
#include <QFileInfo>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

#include "dialogs/userdialogs.h"
#include "ops/io/filewrite.h"
#include "ops/io/imageio.h"

namespace {

// The name chosen in the save dialog with suffix added when it has none; empty when cancelled.
QString askFileName(QWidget *parent, const QString &caption, const QString &filter, const QString &suffix)
{
    QString chosen;
    QString name = dialogs().getSaveFileName(parent, caption, QString(), {filter}, &chosen);
    if (!name.isEmpty() && QFileInfo(name).suffix().isEmpty()) name += "." + suffix;
    return name;
}

}  // namespace

RunCurveWindow::RunCurveWindow(const std::vector<RunCurvePoint> &curve, QWidget *parent)
    : QWidget(parent, Qt::Window), curve_(curve), picture_(runCurvePicture(curve))
{
    setObjectName(QStringLiteral("runCurveWindow"));
    auto *layout = new QVBoxLayout(this);
    auto *plot = new QLabel(this);
    plot->setPixmap(QPixmap::fromImage(picture_));
    layout->addWidget(plot);
    summary = new QLabel(this);
    summary->setTextInteractionFlags(Qt::TextSelectableByMouse);
    if (const int best = largestArea(curve_); best >= 0)
        summary->setText(tr("Largest vessel area: %1 pixels in frame %2 (of %3 frames); vessel length there: %4 pixels.")
                             .arg(curve_[size_t(best)].area, 0, 'f', 0)
                             .arg(curve_[size_t(best)].frame)
                             .arg(curve_.size())
                             .arg(curve_[size_t(best)].length, 0, 'f', 1));
    layout->addWidget(summary);
    auto *buttons = new QDialogButtonBox(QDialogButtonBox::Close, this);
    savePictureButton = buttons->addButton(tr("Save picture..."), QDialogButtonBox::ActionRole);
    saveNumbersButton = buttons->addButton(tr("Save numbers..."), QDialogButtonBox::ActionRole);
    connect(savePictureButton, &QPushButton::clicked, this, &RunCurveWindow::savePicture);
    connect(saveNumbersButton, &QPushButton::clicked, this, &RunCurveWindow::saveNumbers);
    connect(buttons, &QDialogButtonBox::rejected, this, &QWidget::close);
    layout->addWidget(buttons);
}

void RunCurveWindow::savePicture()
{
    const QString name = askFileName(this, tr("Save run curve picture"), tr("PNG picture (*.png)"), "png");
    if (name.isEmpty()) return;
    QString error;
    if (!::savePicture(picture_, name, "png", &error))
        dialogs().warning(this, tr("Run curve"), tr("The picture could not be written to %1: %2").arg(name, error));
}

void RunCurveWindow::saveNumbers()
{
    const QString name = askFileName(this, tr("Save run curve numbers"), tr("CSV table (*.csv)"), "csv");
    if (name.isEmpty()) return;
    QString error;
    if (!writeFileReplacing(name, runCurveCsv(curve_).toUtf8(), &error))
        dialogs().warning(this, tr("Run curve"), tr("The numbers could not be written to %1: %2").arg(name, error));
}
