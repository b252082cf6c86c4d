#include "view/structeldlg.h"

#include "ops/table/operations.h"
#include "ui_structeldlg.h"

StructElDlg::StructElDlg(const ParamInfo &size, QWidget *parent)
    : QDialog(parent), ui(std::make_unique<Ui::StructElDlg>())
{
    ui->setupUi(this);
    ui->sizeSpinBox->setRange(int(size.minimum), int(size.maximum));
    ui->sizeSpinBox->setValue(QString(size.defaultValue).toInt());
    connect(ui->okButton, &QPushButton::clicked, this, &StructElDlg::ready);
    connect(ui->cancelButton, &QPushButton::clicked, this, &QDialog::close);
}

StructElDlg::~StructElDlg() = default;

int StructElDlg::type() const { return ui->discButton->isChecked() ? 1 : -1; }

int StructElDlg::size() const { return ui->sizeSpinBox->value(); }

void StructElDlg::setSize(int size) { ui->sizeSpinBox->setValue(size); }

void StructElDlg::ready()
{
    emit useStrEl(type(), size());
    accept();
}
