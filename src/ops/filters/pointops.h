// Point operations: every value is mapped on its own, then (except for invert) the result
// is stretched to 0..255 with normalizeTo255.
#pragma once
#include "ops/core/image.h"
#include "ops/core/notes.h"

// Natural logarithm of every value, normalized. Values of 0 or below (and NaN) have no
// logarithm: they take the lowest logarithm found in the image, so they show black; a note
// says how many there were. The base does not matter once the result is normalized.
Image logImage(const Image &image, Notes &notes);
// Square root of every value, normalized. Negative values are taken as 0 (black), with a note.
Image sqrtImage(const Image &image, Notes &notes);
// Every value raised to exponent (0..100), normalized. 0 gives 1 everywhere (all black after
// normalizing), 1 keeps the values, 2, 3 and 4 multiply the value by itself, any other
// exponent uses pow. A fractional exponent of a negative value is taken as 0 (black);
// results too large for a double become the largest finite result; each with a note.
Image powerImage(const Image &image, double exponent, Notes &notes);
// normalizeTo255 of a copy; NaN and infinite values are first replaced (see above) with a note.
Image normalizedImage(const Image &image, Notes &notes);
