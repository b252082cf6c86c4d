#include "view/hysttdialog.h"

#include "ops/segmentation/hysteresis.h"
#include "ui_hysttdialog.h"

HystTDialog::HystTDialog(const QString &text, QWidget *parent) : QDialog(parent), ui(std::make_unique<Ui::HystTDialog>())
{
    ui->setupUi(this);
    ui->referenceLabel->setText(ui->referenceLabel->text().arg(text));

    connect(ui->closebtn, &QPushButton::clicked, this, &QDialog::accept);
    connect(ui->closebtn, &QPushButton::clicked, this, &HystTDialog::closeDialog);
    connect(ui->calcthbtn, &QPushButton::clicked, this, &HystTDialog::performTopHat);
    connect(ui->bkgspin, &QDoubleSpinBox::valueChanged, this, &HystTDialog::setBkgSlider);
    connect(ui->vesselspin, &QDoubleSpinBox::valueChanged, this, &HystTDialog::setVesselSlider);
    connect(ui->bkgcovslider, &QSlider::sliderMoved, this, &HystTDialog::setBkgSpin);
    connect(ui->vesselcovslider, &QSlider::sliderMoved, this, &HystTDialog::setVesselSpin);
    for (QAbstractButton *b : {static_cast<QAbstractButton *>(ui->calculateBtn),
                               static_cast<QAbstractButton *>(ui->radioButton), static_cast<QAbstractButton *>(ui->radioButton_2),
                               static_cast<QAbstractButton *>(ui->radioButton_3), static_cast<QAbstractButton *>(ui->ownvalRb)})
        connect(b, &QAbstractButton::clicked, this, &HystTDialog::doCalculate);
    connect(ui->vesselcovslider, &QSlider::sliderReleased, this, &HystTDialog::doCalculate);
    connect(ui->bkgcovslider, &QSlider::sliderReleased, this, &HystTDialog::doCalculate);
}

HystTDialog::~HystTDialog() = default;

void HystTDialog::closeDlgSlot() { close(); }

void HystTDialog::doCalculate()
{
    ++count_;
    HystCoverages c = hystPresetCoverages(HystPreset::Retina);
    if (ui->radioButton->isChecked())
        c = hystPresetCoverages(HystPreset::Retina);
    else if (ui->radioButton_2->isChecked())
        c = hystPresetCoverages(HystPreset::SkinTransplant);
    else if (ui->radioButton_3->isChecked())
        c = hystPresetCoverages(HystPreset::CoronaryAngiogram);
    else if (ui->ownvalRb->isChecked())
        c = {ui->bkgspin->value() / 100.0, ui->vesselspin->value() / 100.0};
    emit calcHystT(c.weakb, c.hardb, count_ == 1);
}

void HystTDialog::performTopHat()
{
    ui->tophatBox->setEnabled(false);
    ui->thresholdBox->setEnabled(true);
    emit calcTopHat(ui->tophatspin->value());
}

void HystTDialog::preStepRefused()
{
    ui->tophatBox->setEnabled(true);
    ui->thresholdBox->setEnabled(false);
}

void HystTDialog::closeDialog()
{
    if (count_ == 0)
        emit discardPreview(false);
    else
        emit savePreview(1);
}

// The four couplings keep the own vessel coverage at or below the own background coverage.
void HystTDialog::setVesselSpin(int v)
{
    ui->ownvalRb->setChecked(true);
    ui->vesselspin->setValue(v);
    if (v > ui->bkgspin->value()) {
        ui->bkgcovslider->setValue(v);
        ui->bkgspin->setValue(v);
    }
}

void HystTDialog::setBkgSpin(int v)
{
    ui->ownvalRb->setChecked(true);
    ui->bkgspin->setValue(v);
    if (v < ui->vesselcovslider->value()) {
        ui->vesselcovslider->setValue(v);
        ui->vesselspin->setValue(v);
    }
}

void HystTDialog::setVesselSlider(double x)
{
    ui->ownvalRb->setChecked(true);
    ui->vesselcovslider->setValue(int(x));
    if (x > ui->bkgcovslider->value()) {
        ui->bkgcovslider->setValue(int(x));
        ui->bkgspin->setValue(x);
    }
}

void HystTDialog::setBkgSlider(double x)
{
    ui->ownvalRb->setChecked(true);
    ui->bkgcovslider->setValue(int(x));
    if (x < ui->vesselcovslider->value()) {
        ui->vesselcovslider->setValue(int(x));
        ui->vesselspin->setValue(x);
    }
}
