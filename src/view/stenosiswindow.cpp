#include "view/stenosiswindow.h"

#include <QComboBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPainter>
#include <QPushButton>
#include <QVBoxLayout>
#include <cmath>

#include "ops/io/display.h"
#include "ops/measure/stenosispicture.h"
#include "view/pixmapwidget.h"

// The image enlarged by a whole factor, with the path and the marked points over it.
class StenosisWindow::Canvas : public QWidget {
public:
    Canvas(StenosisWindow *owner, const Image &image)
        : QWidget(owner), owner_(owner), picture_(toDisplayImage(image))
    {
        scale_ = std::max(1, 480 / std::max(1, std::max(picture_.width(), picture_.height())));
        setFixedSize(picture_.size() * scale_);
        setCursor(Qt::CrossCursor);
        setObjectName(QStringLiteral("canvas"));
    }

protected:
    void paintEvent(QPaintEvent *) override
    {
        QPainter painter(this);
        painter.drawImage(rect(), picture_);
        painter.scale(scale_, scale_);
        painter.translate(0.5, 0.5);
        if (owner_->measurement_.ok() && !owner_->measurement_.profile.samples.empty()) drawVesselPath(painter, owner_->measurement_);
        painter.setRenderHint(QPainter::Antialiasing);
        const auto mark = [&](const std::vector<PathPoint> &points, QColor colour) {
            painter.setPen(QPen(colour, 1.5 / scale_));
            for (const PathPoint &p : points) painter.drawEllipse(QPointF(p.x, p.y), 3.0, 3.0);
        };
        mark(owner_->points_, QColor(0, 200, 255));
        mark(owner_->catheterPoints_, QColor(255, 0, 255));
    }
    void mousePressEvent(QMouseEvent *event) override
    {
        if (event->button() != Qt::LeftButton) return;
        const QPointF at = event->position() / scale_ - QPointF(0.5, 0.5);
        owner_->clickAt({at.x(), at.y()});
    }

private:
    StenosisWindow *owner_;
    QImage picture_;
    int scale_ = 1;
};

// The diameter profile below the image.
class StenosisWindow::Plot : public QWidget {
public:
    explicit Plot(StenosisWindow *owner) : QWidget(owner), owner_(owner) { setMinimumHeight(200); }

protected:
    void paintEvent(QPaintEvent *) override
    {
        QPainter painter(this);
        drawProfilePlot(painter, rect(), owner_->measurement_, owner_->mmPerPixel());
    }

private:
    StenosisWindow *owner_;
};

StenosisWindow::StenosisWindow(PixmapWidget *view, const Image &segmentation, const Image &source, QWidget *parent)
    : QWidget(parent, Qt::Window), view_(view), segmentation_(segmentation), source_(source)
{
    auto *layout = new QVBoxLayout(this);
    auto *controls = new QHBoxLayout;
    diameterChoice = new QComboBox(this);
    if (!source_.is_empty()) diameterChoice->addItem(tr("Diameters from the gray levels"));
    diameterChoice->addItem(tr("Diameters from the segmentation"));
    catheterButton = new QPushButton(tr("Mark catheter"), this);
    catheterButton->setCheckable(true);
    catheterSize = new QLineEdit(QStringLiteral("6F"), this);
    catheterSize->setToolTip(tr("The catheter's size in French (6F) or millimetres (2.0mm)"));
    controls->addWidget(diameterChoice);
    controls->addStretch();
    controls->addWidget(new QLabel(tr("Catheter size:"), this));
    controls->addWidget(catheterSize);
    controls->addWidget(catheterButton);
    layout->addLayout(controls);
    canvas_ = new Canvas(this, source_.is_empty() ? segmentation_ : source_);
    layout->addWidget(canvas_, 0, Qt::AlignHCenter);
    plot_ = new Plot(this);
    layout->addWidget(plot_);
    figures = new QLabel(this);
    figures->setTextInteractionFlags(Qt::TextSelectableByMouse);
    layout->addWidget(figures);
    connect(diameterChoice, &QComboBox::currentIndexChanged, this, [this] { measure(); });
    connect(catheterButton, &QPushButton::toggled, this, [this](bool on) { setMode(on ? Mode::Catheter : Mode::Path); });
    showFigures();
}

double StenosisWindow::mmPerPixel() const { return view_ && view_->calibration.known() ? view_->calibration.pixelSizeMm : 0.0; }

DiameterSource StenosisWindow::source() const
{
    return !source_.is_empty() && diameterChoice->currentIndex() == 0 ? DiameterSource::GrayLevels : DiameterSource::Segmentation;
}

void StenosisWindow::setMode(Mode mode)
{
    mode_ = mode;
    catheterPoints_.clear();
    catheterButton->setChecked(mode == Mode::Catheter);
    message_ = mode == Mode::Catheter ? tr("Click two points on the catheter's centre line.") : QString();
    showFigures();
    canvas_->update();
}

void StenosisWindow::clickAt(PathPoint p)
{
    if (mode_ == Mode::Catheter) {
        catheterPoints_.push_back(p);
        if (catheterPoints_.size() == 2) calibrate();
        canvas_->update();
        return;
    }
    // The first two clicks place the ends; later ones move the nearer end there.
    if (points_.size() < 2) {
        points_.push_back(p);
    } else {
        const auto distance = [&](const PathPoint &q) { return std::hypot(q.x - p.x, q.y - p.y); };
        points_[distance(points_[0]) <= distance(points_[1]) ? 0 : 1] = p;
    }
    message_ = points_.size() == 1 ? tr("Click the distal point.") : QString();
    if (points_.size() == 2) measure();
    showFigures();
    canvas_->update();
}

void StenosisWindow::measure()
{
    if (points_.size() < 2) return;
    measurement_ = measureVessel(segmentation_, source_.is_empty() ? nullptr : &source_, points_[0], points_[1], source());
    message_ = measurement_.error;
    showFigures();
    canvas_->update();
    plot_->update();
}

void StenosisWindow::calibrate()
{
    const double sizeMm = catheterSizeMm(catheterSize->text());
    const CatheterCalibration c = calibrateOnCatheter(segmentation_, source_.is_empty() ? nullptr : &source_,
                                                      catheterPoints_[0], catheterPoints_[1], source(), sizeMm);
    setMode(Mode::Path);
    if (!c.ok()) {
        message_ = c.error;
    } else if (view_) {
        // The document keeps the factor: its clones, its reports and later measurements use it.
        view_->calibration = {c.mmPerPixel, CalibrationSource::Catheter};
        message_ = tr("Calibrated on the catheter: mean width %1 pixels for %2 mm, %3 mm per pixel.")
                       .arg(c.meanWidth, 0, 'f', 2).arg(sizeMm, 0, 'f', 2).arg(c.mmPerPixel, 0, 'f', 4);
    }
    showFigures();
    plot_->update();
}

void StenosisWindow::showFigures()
{
    const double k = mmPerPixel();
    const QString unit = k > 0 ? tr("mm") : tr("pixels");
    const auto length = [&](double px) { return QString::number(k > 0 ? px * k : px, 'f', 2); };
    QStringList lines;
    if (measurement_.ok() && !measurement_.profile.samples.empty()) {
        const StenosisFigures &f = measurement_.figures;
        lines << tr("Minimal lumen diameter: %1 %2, at %3 %2 along the path").arg(length(f.mld), unit, length(f.mldArc))
              << tr("Reference diameter: %1 %2").arg(length(f.reference), unit)
              << tr("Diameter stenosis: %1 %, area stenosis: %2 %").arg(f.percentDiameter, 0, 'f', 1).arg(f.percentArea, 0, 'f', 1)
              << tr("Lesion length: %1 %2; path length: %3 %2").arg(length(f.lesionLength), unit,
                                                                    length(measurement_.profile.samples.back().arc));
    } else if (points_.empty() && mode_ == Mode::Path) {
        lines << tr("Click the proximal point of the vessel, then the distal point.");
    }
    lines << (k > 0 ? tr("Calibration: %1 mm per pixel (%2)").arg(k, 0, 'f', 4).arg(PixmapWidget::calibrationSourceText(view_->calibration.source))
                    : tr("Not calibrated: lengths in pixels. Mark a catheter to calibrate."));
    if (!message_.isEmpty()) lines << message_;
    figures->setText(lines.join('\n'));
}
