// The view's tool states and the requests its tools hand to it. The tools decide what the
// user asked for; the view alone carries a request out on its image list and windows.
#pragma once
#include <variant>

#include "ops/core/image.h"
#include "ops/selection/selection.h"
#include "ops/table/toolstate.h"

namespace tool {

constexpr bool isRectangle(State s) { return s == Rectangle || s == RectangleDrawing || s == RectangleMoving; }
constexpr bool isEllipse(State s) { return s == Ellipse || s == EllipseDrawing || s == EllipseMoving; }
constexpr bool isPolygon(State s) { return s == Polygon || s == PolygonMoving; }
// The rectangle and ellipse tools waiting for a press.
constexpr bool isBoxWaiting(State s) { return s == Rectangle || s == Ellipse; }
constexpr bool isDrawing(State s) { return s == RectangleDrawing || s == EllipseDrawing; }
constexpr bool isMoving(State s) { return s == RectangleMoving || s == EllipseMoving || s == PolygonMoving; }
// The waiting state of a tool's drawing or moving state; other states map to themselves.
constexpr State waiting(State s)
{
    if (isRectangle(s)) return Rectangle;
    if (isEllipse(s)) return Ellipse;
    if (isPolygon(s)) return Polygon;
    return s;
}
constexpr State drawing(State s) { return waiting(s) == Ellipse ? EllipseDrawing : RectangleDrawing; }
constexpr State moving(State s)
{
    return waiting(s) == Polygon ? PolygonMoving : waiting(s) == Ellipse ? EllipseMoving : RectangleMoving;
}
// The shape a state's selection is cut as.
constexpr SelectionShape shapeOf(State s)
{
    return isEllipse(s) ? SelectionShape::Ellipse : isPolygon(s) ? SelectionShape::Polygon : SelectionShape::Rectangle;
}

// Cut the selection out of every image of the list and open the pieces in a new window.
// With dropWorkingCopy the current image, the working copy made for the tool, goes first.
struct Cut {
    Selection selection;
    bool dropWorkingCopy = false;
};
// Open these images in a new window.
struct OpenWindow {
    ImageList images;
};
// Paste the white pixels of image into the current image of the window numbered window.
struct SendToWindow {
    int window = 0;
    Image image;
};
// Black out the pixels that are white in mask: in a copy of the current image opened in a
// new window, or in the current image itself. With keepAsPreview the blacked-out image also
// becomes the preview (working) image.
struct BlackOut {
    Image mask;
    bool newWindow = false;
    bool keepAsPreview = false;
};
// Paste the white pixels of image, sent from another window, into the current image.
struct PasteWhite {
    Image image;
};

using Request = std::variant<std::monostate, Cut, OpenWindow, SendToWindow, BlackOut, PasteWhite>;

}  // namespace tool
