// The non-modal dialog of hysteresis thresholding: one vessel-enhancement pre-step (white
// top-hat with a disc of the chosen size), then as many calculations as the user likes
// from a preset or own coverages, kept by the view as they come. Closing with "Close"
// keeps the last result, or drops the working copy when nothing was calculated.
#pragma once
#include <QDialog>
#include <memory>

namespace Ui {
class HystTDialog;
}

class HystTDialog : public QDialog {
    Q_OBJECT

public:
    // text stands for %1 in the label "Reference image: %1" (the document's number).
    explicit HystTDialog(const QString &text, QWidget *parent = nullptr);
    ~HystTDialog() override;

    int calculationCount() const { return count_; }

signals:
    void savePreview(int type = 0);
    void discardPreview(bool confirm);
    void calcHystT(double weakb, double hardb, bool first);
    void calcTopHat(int dsize);

public slots:
    void closeDlgSlot();
    void doCalculate();
    void performTopHat();
    // The view refused the pre-step: back to the first step, nothing to calculate yet.
    void preStepRefused();
    void closeDialog();
    void setVesselSpin(int v);
    void setBkgSpin(int v);
    void setVesselSlider(double x);
    void setBkgSlider(double x);

private:
    std::unique_ptr<Ui::HystTDialog> ui;
    int count_ = 0;
};
