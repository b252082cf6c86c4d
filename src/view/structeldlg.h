// The structuring element dialog of the morphology operations: shape (disc) and size.
#pragma once
#include <QDialog>
#include <memory>

namespace Ui {
class StructElDlg;
}

class StructElDlg : public QDialog {
    Q_OBJECT

public:
    explicit StructElDlg(QWidget *parent = nullptr);
    ~StructElDlg() override;

    // 1 for the disc, -1 otherwise; the size as the spin box shows it (1..999).
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
