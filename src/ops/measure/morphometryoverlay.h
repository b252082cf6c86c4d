// A picture of the morphometry: the segmented picture in gray with every skeleton segment
// drawn in the colour of its mean diameter or its tortuosity, and a legend.
#pragma once
#include <QImage>

#include "ops/measure/morphometry.h"

enum class OverlayValue { Diameter, Tortuosity };

// The colour scale runs from blue (low) through green and yellow to red (high), from the
// smallest value (tortuosity: 1) to the 95th percentile of the segments' values, so a few
// extreme segments do not wash out the rest; higher values take the top colour. Segments
// without a value (a ring's tortuosity) are drawn white. The legend in the top-left corner
// shows the scale and its two ends (diameters in px, or mm when m has a pixel size).
// Throws std::invalid_argument when input and m differ in size.
QImage morphometryOverlay(const Image &input, const Morphometry &m, OverlayValue by);
