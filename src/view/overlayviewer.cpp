#include "view/overlayviewer.h"

#include <QDialogButtonBox>
#include <algorithm>
#include <QFileInfo>
#include <QLabel>
#include <QPushButton>
#include <QScrollArea>
#include <QVBoxLayout>

#include "dialogs/userdialogs.h"
#include "ops/io/imageio.h"

OverlayViewer::OverlayViewer(const QImage &picture, const QString &title, QWidget *parent)
    : QDialog(parent), picture_(picture)
{
    setObjectName("overlayViewer");
    setWindowTitle(title);
    setAttribute(Qt::WA_DeleteOnClose);
    auto *label = new QLabel;
    label->setPixmap(QPixmap::fromImage(picture_));
    auto *scroll = new QScrollArea;
    scroll->setWidget(label);
    scroll->setAlignment(Qt::AlignCenter);
    auto *buttons = new QDialogButtonBox(QDialogButtonBox::Close);
    QPushButton *save = buttons->addButton(tr("Save picture..."), QDialogButtonBox::ActionRole);
    connect(save, &QPushButton::clicked, this, &OverlayViewer::savePicture);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::close);
    auto *layout = new QVBoxLayout(this);
    layout->addWidget(scroll);
    layout->addWidget(buttons);
    // Large enough for the picture where the screen allows; the scroll area does the rest.
    resize(std::min(picture_.width() + 40, 1000), std::min(picture_.height() + 80, 800));
}

void OverlayViewer::savePicture()
{
    QString filter;
    QString name = dialogs().getSaveFileName(this, tr("Save picture"), QString(), {tr("PNG picture (*.png)")}, &filter);
    if (name.isEmpty()) return;
    if (QFileInfo(name).suffix().isEmpty()) name += ".png";
    QString error;
    if (!::savePicture(picture_, name, "png", &error))
        dialogs().warning(this, tr("Save picture"), tr("The picture could not be written to %1: %2").arg(name, error));
}
