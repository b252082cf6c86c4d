// Judging a segmentation against a manual annotation: pixel counts and the usual figures.
#pragma once
#include <QString>

#include "ops/core/image.h"

// Pixel counts inside the field of view. A pixel is vessel in the prediction when its value
// is 255 (or, in a prediction that is not binary, at least 128), in the truth when it is at
// least 128; it is inside the field of view when the mask's value is at least 128.
struct Confusion {
    long long tp = 0, fp = 0, tn = 0, fn = 0;
    bool thresholded = false;  // the prediction held values other than 0 and 255
};

// mask may be nullptr: the whole image counts. Throws std::invalid_argument naming the two
// sizes when the images differ in size, and the library's argument exception for an empty one.
Confusion confusionCounts(const Image &prediction, const Image &truth, const Image *mask);

// The figures of a confusion; a figure whose denominator is zero is NaN (undefined).
struct Figures {
    double sensitivity, specificity, accuracy, precision, dice, mcc;
};
Figures evaluationFigures(const Confusion &c);
