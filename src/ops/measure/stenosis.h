// Quantitative coronary angiography on one vessel: the narrowing's figures from its diameter
// profile, and millimetres per pixel from a catheter of known size.
#pragma once
#include <QString>

#include "ops/measure/diameterprofile.h"

// How far below the reference line a sample must fall to be left out of the reference, and
// how close to it the profile must come back to end the lesion (fractions of the reference).
inline constexpr double kReferenceExclusion = 0.10;
inline constexpr double kLesionMargin = 0.05;

// The figures of a narrowing, lengths in pixels (multiply by the pixel size for mm).
// The reference diameter follows the interpolated-reference method: a straight line
// reference(arc) = referenceStart + referenceSlope * arc is fitted by least squares to the
// profile; samples more than kReferenceExclusion below the line are left out and the line is
// fitted again, until the samples left out stop changing. The line thus runs through the
// healthy stretches either side of the narrowing and follows a vessel that tapers.
// The first and last stretch of the profile, one median diameter long each (at most a
// quarter of the profile), are left out of everything: there the path enters the vessel
// from where it was clicked.
// mld is the least diameter of the profile, at arc length mldArc; reference is the line's
// value there. percentDiameter = (1 - mld / reference) * 100 and percentArea =
// (1 - (mld / reference)^2) * 100 (round lumen). The lesion runs from mldArc either way
// until the profile comes back to within kLesionMargin of the reference line.
struct StenosisFigures {
    double mld = 0.0, mldArc = 0.0, mldX = 0.0, mldY = 0.0;
    double reference = 0.0, referenceStart = 0.0, referenceSlope = 0.0;
    double percentDiameter = 0.0, percentArea = 0.0;
    double lesionStart = 0.0, lesionEnd = 0.0, lesionLength = 0.0;
    double analysedStart = 0.0, analysedEnd = 0.0;
    double referenceAt(double arc) const { return referenceStart + referenceSlope * arc; }
};
StenosisFigures stenosisFigures(const DiameterProfile &profile);

// The whole measurement between two points: path, centre line, profile and figures.
// error is empty on success, else the path's refusal.
struct VesselMeasurement {
    VesselPath path;
    std::vector<PathPoint> line;
    DiameterProfile profile;
    StenosisFigures figures;
    QString error;
    bool ok() const { return error.isEmpty(); }
};
VesselMeasurement measureVessel(const Image &segmentation, const Image *gray, PathPoint from, PathPoint to,
                                DiameterSource source);

// A catheter's size in millimetres from text such as "6F", "6 Fr", "2mm" or "2.0 mm"
// (1 French = 1/3 mm); 0 when the text is not a positive size with one of these units.
double catheterSizeMm(const QString &text);

// Millimetres per pixel from a stretch of catheter between two points: the catheter's mean
// diameter along the stretch, measured as a vessel's (same path, profile and end margins),
// against its known size. error says why there is none.
struct CatheterCalibration {
    double meanWidth = 0.0;  // pixels
    double sizeMm = 0.0;
    double mmPerPixel = 0.0;
    QString error;
    bool ok() const { return error.isEmpty(); }
};
CatheterCalibration calibrateOnCatheter(const Image &segmentation, const Image *gray, PathPoint from, PathPoint to,
                                        DiameterSource source, double sizeMm);
