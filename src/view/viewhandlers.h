// Which method of the view handles an operation code.
#pragma once

class PixmapWidget;

using ViewHandler = void (PixmapWidget::*)();

// The view method for code, or nullptr for an operation without one (yet).
ViewHandler viewHandler(int code);
