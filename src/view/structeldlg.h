// The structuring element dialog of the morphology operations: shape (disc) and size.
#pragma once
#include <QDialog>
#include <memory>

struct ParamInfo;

namespace Ui {
class StructElDlg;
}

class StructElDlg : public QDialog {
    Q_OBJECT

public:
    // The size box takes its range and its starting value from the size parameter.
    explicit StructElDlg(const ParamInfo &size, QWidget *parent = nullptr);
    ~StructElDlg() override;

    // 1 for the disc, -1 otherwise; the size as the spin box shows it.
    int type() const;
    int size() const;
    void setSize(int size);

signals:
    void useStrEl(int type, int size);

public slots:
    void ready();

private:
    std::unique_ptr<Ui::StructElDlg> ui;
};
