// Which method of the view runs an operation with an interaction of its own.
#pragma once

enum class OpCode : int;
class PixmapWidget;

using ViewHandler = void (PixmapWidget::*)();

// The view method of an operation with its own interaction (previews, dialogs of its own,
// reports, the erase mode), or nullptr for the plain operations, which run through
// PixmapWidget::runTableOperation (live displays included).
ViewHandler viewHandler(OpCode code);
