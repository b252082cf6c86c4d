// The pixel maths of the selection tools: the masks of ellipse and polygon selections, their
// pixel counts and white counts, cutting them out of a list of images, and the white-on-black
// pictures the area tool copies, blacks out and pastes.
#pragma once
#include <QList>
#include <QPoint>
#include <QRect>

#include "ops/selection/areafill.h"
#include "ops/core/image.h"

enum class SelectionShape { Rectangle, Ellipse, Polygon };

// A selection in image coordinates: box has inclusive corners (x1, y1) and (x2, y2). A
// rectangle is the box itself, an ellipse the one inscribed in the box, a polygon the part
// of polygon (odd-even rule, see polygonMask) that lies in the box.
struct Selection {
    SelectionShape shape = SelectionShape::Rectangle;
    QRect box;
    QList<QPoint> polygon;
};

// A w x h mask, 1.0 inside the filled ellipse that CImg draws centred at (w / 2, h / 2) with
// the semi-axes w / 2 and h / 2 (integer halves), 0.0 elsewhere. Empty unless w and h > 0.
Image ellipseMask(int w, int h);

// A mask of box's size, 1.0 where pixel (box.left() + i, box.top() + j) is inside polygon
// under the odd-even rule, 0.0 elsewhere. The polygon is closed from its last vertex to its
// first. Pixels are scan-converted as X11 and QRegion do: a non-horizontal edge covers the
// rows from its upper end up to, not including, its lower end, and crosses row y at the
// ceiling of its exact x there; a pixel is inside when an odd number of crossings lie at or
// left of it. So left and top edges are inside, right and bottom ones are not: the polygon
// (0, 0), (4, 0), (4, 3), (0, 3) covers 4 x 3 pixels. Fewer than three vertices cover nothing.
Image polygonMask(const QList<QPoint> &polygon, const QRect &box);

// The smallest box holding every vertex (inclusive corners); the null QRect() when empty.
QRect boundingBox(const QList<QPoint> &polygon);

// The pixel count of the selection's shape with w and h the box's width and height:
// rectangle w * h; ellipse w * 3.1415 * h * 0.25 in single precision, truncated toward zero
// (an estimate, not the mask's count); polygon the pixels of the box inside the polygon.
int selectionArea(const Selection &selection);

// The number of pixels of image equal to white (255.0) inside the selection's shape. Only
// pixels inside the image count; the ellipse uses ellipseMask of the box.
int countWhite(const Image &image, const Selection &selection);

// The number of pixels of the selection's shape that lie inside image: the pixels countWhite
// looks at, and so the share of white is taken of them (selectionArea's ellipse estimate and
// boxes reaching past the image would put a white selection above or below 100 %).
int countInside(const Image &image, const Selection &selection);

// The share of white pixels in percent, white * 100 / area; 0 for an empty area.
double whiteCoverage(int white, int area);

// The selection cut out of every image of list, in order. Each piece is the part of the box
// that lies inside its image (nothing is read outside an image), multiplied by the shape's
// mask; an image the box misses entirely gives no piece.
ImageList cutSelection(const ImageList &list, const Selection &selection);

// A w x h black image with the listed pixels white; pixels outside it are ignored.
Image pickedPixels(int w, int h, const QList<PointRecord> &points);

// A copy of image with every pixel that is white in mask set to black (0.0). Pixels outside
// either image are left alone.
Image blackedOut(const Image &image, const Image &mask);

// Sets every pixel of target that is white in source to white and leaves the others. Returns
// false, changing nothing, when the two images differ in width or height.
bool pasteWhite(Image &target, const Image &source);
