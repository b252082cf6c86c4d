// How the vessel filling changes over a run: vessel area and length per frame, which a user
// reads to pick the frame with the best contrast filling.
#pragma once
#include <QImage>
#include <QString>
#include <vector>

#include "ops/measure/vesselmeasure.h"

struct RunCurvePoint {
    int frame = 1;        // 1-based, in the run
    double area = 0.0;    // vessel pixels
    double length = 0.0;  // skeleton length, pixels
};

// The point of one frame from its segmentation's measures: the white area and the skeleton
// length with diagonal steps counted as sqrt(2), as the rows of segment's table give them.
RunCurvePoint runCurvePoint(int frame, const VesselMeasures &measures);

// The index of the point of largest area (the first of equals); -1 when there is none.
int largestArea(const std::vector<RunCurvePoint> &curve);

// A plot of area (blue, left scale) and length (green, right scale) against the frame
// number, the frame of largest area marked by a red line. Its labels are written with the
// image library's font, so the command-line tool can draw it too.
QImage runCurvePicture(const std::vector<RunCurvePoint> &curve);

// The curve as CSV: a header, then one row per point in order with its frame, area, length
// and "yes" in largest_area for the point largestArea names.
QString runCurveCsv(const std::vector<RunCurvePoint> &curve);
