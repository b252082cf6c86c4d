// The tool states of the window's view; a tool row of the operation table names the state
// its action switches on.
#pragma once

namespace tool {

// The view's tool state. The view reports it to the main window, which checks the tool
// action of the row with that state, and a tool row's action sets it in the view.
enum State : int {
    Normal = 0,            // no tool: the mouse shows the colour probe
    Rectangle = 1,         // rectangle tool, waiting for a press
    RectangleDrawing = 2,  // button held: the rectangle follows the mouse
    RectangleMoving = 3,   // button held inside the rectangle: it moves
    Ellipse = 4,           // ellipse tool, waiting for a press
    EllipseDrawing = 5,
    EllipseMoving = 6,
    Area = 7,              // area tool: picks regions by clicking
    Erase = 8,             // erase mode: strokes black out the image on space
    Polygon = 9,           // polygon tool: collects vertices or holds a closed polygon
    PolygonMoving = 11,    // button held inside a closed polygon: it moves
    Scribble = 12,         // scribble training: the left button paints vessel strokes, the
                           // right button background strokes
};

}  // namespace tool
