#include "view/thresholddialog.h"

#include "ops/segmentation/threshold.h"
#include "ui_thresholddialog.h"

ThresholdDialog::ThresholdDialog(const Image &histogram, QWidget *parent)
    : QDialog(parent), ui(std::make_unique<Ui::ThresholdDialog>()), histogram_(histogram),
      coverage_(coverageTable(histogram))
{
    ui->setupUi(this);
    connect(ui->borderSlider, &QSlider::sliderMoved, ui->borderSpinBox, &QSpinBox::setValue);
    connect(ui->borderSlider, &QSlider::sliderMoved, this, &ThresholdDialog::doPreview);
    connect(ui->borderSlider, &QSlider::sliderMoved, this, &ThresholdDialog::setCoverage);
    connect(ui->borderSpinBox, &QSpinBox::valueChanged, this, &ThresholdDialog::doPreview);
    connect(ui->borderSpinBox, &QSpinBox::valueChanged, ui->borderSlider, &QSlider::setValue);
    connect(ui->borderSpinBox, &QSpinBox::valueChanged, this, &ThresholdDialog::setCoverage);
    connect(ui->invertCheckBox, &QCheckBox::stateChanged, this, &ThresholdDialog::doPreview);
    connect(ui->okButton, &QPushButton::clicked, this, &ThresholdDialog::okDialog);
    connect(ui->cancelButton, &QPushButton::clicked, this, &ThresholdDialog::cancelDialog);
    setCoverage(ui->borderSpinBox->value());
}

ThresholdDialog::~ThresholdDialog() = default;

void ThresholdDialog::doPreview() { emit showThreshPreview(ui->borderSpinBox->value(), ui->invertCheckBox->isChecked()); }

void ThresholdDialog::setCoverage(int border)
{
    if (border >= 0 && border < 256) ui->coverageLcd->display(coverage_[size_t(border)]);
}

void ThresholdDialog::okDialog()
{
    emit savePreview();
    accept();
}

void ThresholdDialog::cancelDialog()
{
    emit discardPreview(false);
    reject();
}
