// The run curve window: vessel area and length of every frame's result against the frame
// number, the frame of largest area marked, with the plot saved as a PNG picture and the
// numbers as a CSV table.
#pragma once
#include <QImage>
#include <QWidget>
#include <vector>

#include "ops/measure/runcurve.h"

class QLabel;
class QPushButton;

class RunCurveWindow : public QWidget {
    Q_OBJECT

public:
    RunCurveWindow(const std::vector<RunCurvePoint> &curve, QWidget *parent);

    const QImage &picture() const { return picture_; }
    QLabel *summary = nullptr;
    QPushButton *savePictureButton = nullptr;
    QPushButton *saveNumbersButton = nullptr;

private:
    // Each asks for a file name through the dialog seam and writes the whole file or
    // nothing, saying why when it could not.
    void savePicture();
    void saveNumbers();

    std::vector<RunCurvePoint> curve_;
    QImage picture_;
};
