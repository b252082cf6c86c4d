// The diameter of a vessel across its centre line, sample by sample along the line.
#pragma once
#include <vector>

#include "ops/core/image.h"
#include "ops/measure/vesselpath.h"

enum class DiameterSource {
    // The chord across the binary segmentation: where the segmentation, interpolated
    // bilinearly, falls to half white on either side. Resolves about a pixel.
    Segmentation,
    // The source image's gray levels across the vessel, sub-pixel (see diameterProfile).
    GrayLevels,
};

struct ProfileSample {
    double arc = 0.0;        // arc length from the proximal end, pixels
    double x = 0.0, y = 0.0; // the centre-line point
    double nx = 0.0, ny = 0.0; // unit normal to the line
    double near = 0.0, far = 0.0; // the vessel's edges along the normal: x + t * nx, t in [near, far]
    double diameter = 0.0;   // pixels
};

struct DiameterProfile {
    std::vector<ProfileSample> samples;
    DiameterSource source = DiameterSource::Segmentation;
};

// The diameter perpendicular to `line` (a centre line from centreLine) at each of its points.
// With DiameterSource::GrayLevels, `gray` (the image the segmentation was made from, same
// size) is read along each normal and the diameter found densitometrically: the background
// level is taken beside the vessel on both sides and joined by a straight line, the vessel's
// difference from it (darker or brighter, the polarity taken from the whole line) is
// integrated across the vessel, and a round vessel's integral grows with the square of its
// diameter. The integral per squared diameter is learnt on the line's wider half from the
// peak difference there (see grayDiameters). Blur spreads the
// difference but keeps its integral, so narrowings far below the blur's width are measured
// true; the edges drawn are the diameter placed about the difference's centroid.
// Finally the profile is smoothed along the line (a Gaussian of half a pixel of arc length).
DiameterProfile diameterProfile(const Image &segmentation, const Image *gray, const std::vector<PathPoint> &line,
                                DiameterSource source);
