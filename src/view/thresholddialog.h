// The coverage threshold dialog: a border chosen by slider or spin box drives the view's
// live preview, and the LCD shows which percentage of the image that border covers.
#pragma once
#include <QDialog>
#include <array>
#include <memory>

#include "ops/core/image.h"

namespace Ui {
class ThresholdDialog;
}

class ThresholdDialog : public QDialog {
    Q_OBJECT

public:
    // Copies the 256-bin histogram and computes the coverage table once.
    explicit ThresholdDialog(const Image &histogram, QWidget *parent = nullptr);
    ~ThresholdDialog() override;

    int coverage(int border) const { return coverage_[size_t(border)]; }

signals:
    void showThreshPreview(int tborder, bool invert);
    void savePreview();
    void discardPreview(bool confirm);

public slots:
    void doPreview();
    void setCoverage(int border);
    void okDialog();
    void cancelDialog();

private:
    std::unique_ptr<Ui::ThresholdDialog> ui;
    Image histogram_;
    std::array<int, 256> coverage_;
};
