// The vessel stenosis window: a segmentation's source image with a path tool. The user
// clicks a proximal and a distal point; the path along the vessel's centre is drawn over
// the image with its edges, the diameter profile is plotted below with the lesion marked,
// and the narrowing's figures are listed. Further clicks move the nearer end. In the
// catheter mode two clicks on a catheter of the size given calibrate the document.
#pragma once
#include <QPointer>
#include <QWidget>

#include "ops/measure/stenosis.h"

class PixmapWidget;
class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;

class StenosisWindow : public QWidget {
    Q_OBJECT

public:
    // segmentation: 0/255; source: the image it was made from (same size), or empty.
    StenosisWindow(PixmapWidget *view, const Image &segmentation, const Image &source, QWidget *parent);

    enum class Mode { Path, Catheter };
    void setMode(Mode mode);
    // A click at image coordinates p, as the canvas passes it on.
    void clickAt(PathPoint p);
    const VesselMeasurement &measurement() const { return measurement_; }
    // Millimetres per pixel of the document; 0 when it has no calibration.
    double mmPerPixel() const;

    QComboBox *diameterChoice = nullptr;
    QLineEdit *catheterSize = nullptr;
    QPushButton *catheterButton = nullptr;
    QLabel *figures = nullptr;

private:
    class Canvas;
    class Plot;
    void measure();
    void calibrate();
    void showFigures();
    DiameterSource source() const;

    QPointer<PixmapWidget> view_;
    Image segmentation_, source_;
    Mode mode_ = Mode::Path;
    std::vector<PathPoint> points_, catheterPoints_;
    VesselMeasurement measurement_;
    QString message_;
    Canvas *canvas_ = nullptr;
    Plot *plot_ = nullptr;
};
