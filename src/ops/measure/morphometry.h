// Vessel morphometry of a segmentation: one row of figures per skeleton segment (length,
// chord, tortuosity, diameters, gray level) and the figures of the whole vessel network
// (area fraction, length and junction densities, diameters and their classes, tortuosity,
// fractal dimension, lacunarity), all from the Zhang-Suen skeleton the binary report uses.
#pragma once
#include <vector>

#include "ops/measure/fractal.h"
#include "ops/core/image.h"

struct MorphometryOptions {
    const Image *gray = nullptr;      // the picture that was segmented: mean gray per segment
    const Image *mask = nullptr;      // region of interest (values >= 128); nullptr: the image
    const Image *skeleton = nullptr;  // zhangSuenThin(segmentation) when at hand (not used with a mask)
    double pixelSize = 0.0;           // mm per pixel; 0: not calibrated
    // Upper bounds of the diameter classes, ascending (px, or mm when calibrated): {3, 6}
    // makes the classes d < 3, 3 <= d < 6 and d >= 6.
    std::vector<double> diameterClasses{3.0, 6.0};
    bool classesInMm = true;  // false: the bounds are in px even with a pixel size
};

// One skeleton segment. Lengths and diameters in pixels.
struct SegmentFigures {
    int x0 = 0, y0 = 0, x1 = 0, y1 = 0;  // its two ends (junction pixels where it meets one)
    bool closed = false;                  // a ring without ends
    int pixels = 0;                       // skeleton pixels of the segment
    double stepLength = 0.0;  // steps of 1 and sqrt(2) from end to end
    double length = 0.0;      // the polyline through every 6th centreline pixel: the curve's length
    double chord = 0.0;       // straight distance between the ends
    double tortuosity = 0.0;  // length / chord; NaN when the chord is 0 (ring, single pixel)
    double meanDiameter = 0.0, minDiameter = 0.0, maxDiameter = 0.0;
    double meanGray = 0.0;  // of the gray picture under the centreline; NaN without one
    std::vector<int> pixelIndices;  // x + y * width, for drawing
};

// The diameter at a centreline pixel: twice the distance from the pixel's centre to the
// vessel's border, the border lying half a pixel before the nearest background pixel centre;
// where the distance map's ridge is two pixels wide (an even width), the centreline lies half
// a pixel beside the true middle and one pixel is added. NaN for an image without background.
// Along a segment, a staircase corner takes the larger distance of its path neighbours, and
// pixels nearer to an end than to the background (the tip, or inside a junction) are not read.
double centrelineDiameter(unsigned squaredDistance, bool ridgeIsTwoPixelsWide);

struct Morphometry {
    int width = 0, height = 0;
    long long regionPixels = 0;  // of the image, or inside the mask
    long long vesselPixels = 0;  // 255 pixels inside
    double areaFraction = 0.0;   // vesselPixels / regionPixels
    double totalLength = 0.0;    // sum of the segments' lengths, px
    double lengthDensity = 0.0;  // totalLength / regionPixels, 1/px
    long long junctions = 0;     // branch points
    double junctionDensity = 0.0;  // junctions / regionPixels, 1/px^2
    double meanDiameter = 0.0, medianDiameter = 0.0;  // over every diameter the segments read, px
    std::vector<double> diameterClasses;  // the bounds, as given
    bool classesInMm = false;             // the bounds are in mm (else px)
    std::vector<double> classPercent;     // share of those readings per class (bounds + 1)
    double meanTortuosity = 0.0;  // length-weighted over segments with a chord
    FractalFit fractal, skeletonFractal;
    Lacunarity lacunarity;
    double pixelSize = 0.0;
    // With a pixel size: mm, mm per mm^2, junctions per mm^2; 0 otherwise.
    double totalLengthMm = 0.0, lengthDensityMm = 0.0, junctionDensityMm = 0.0;
    double meanDiameterMm = 0.0, medianDiameterMm = 0.0;
    std::vector<SegmentFigures> segments;
};

// Throws the library's argument exception for an empty segmentation and
// std::invalid_argument for a gray picture, mask or skeleton of another size, a pixel size
// that is negative or not finite, or class bounds that are not ascending positive numbers.
// With a mask the vessels outside it are left out before thinning, and every density and
// fraction is taken over the mask's area.
Morphometry vesselMorphometry(const Image &segmentation, const MorphometryOptions &options = {});
