// Pictures of a vessel measurement: the path and the edges over the image, and the diameter
// profile as a plot with the reference line and the lesion marked.
#pragma once
#include <QImage>
#include <QRect>
#include <QString>
#include <vector>

#include "ops/measure/stenosis.h"

class QPainter;

// Draws the centre line (yellow), the measured edges (green), the lesion's stretch of the
// centre line (orange) and a cross at the minimal lumen diameter (red) with `painter`, whose
// coordinates are image pixels (pixel (x, y) covering x - 0.5 .. x + 0.5 around its centre
// when the caller translates by half a pixel).
void drawVesselPath(QPainter &painter, const VesselMeasurement &m);

// A text of the plot: its box, alignment (Qt::Alignment flags) and words.
struct PlotLabel {
    QRect box;
    int alignment = 0;
    QString text;
};

// Plots the profile in `area`: diameter (blue) against arc length, the reference line
// (dashed gray), the lesion shaded and the minimal lumen diameter marked. In millimetres
// when mmPerPixel > 0, else in pixels. The axis labels are drawn too when the program has
// fonts (a GUI application); otherwise they are returned for the caller to write.
std::vector<PlotLabel> drawProfilePlot(QPainter &painter, const QRect &area, const VesselMeasurement &m, double mmPerPixel);

// Writes labels into picture with the image library's own font, which needs no GUI
// application (the command-line tool has none).
void writeLabels(QImage &picture, const std::vector<PlotLabel> &labels);

// The image's display rendering with the path drawn over it and the profile plot below,
// as `quendra-cli stenosis --picture` writes it.
QImage stenosisPicture(const Image &image, const VesselMeasurement &m, double mmPerPixel);
