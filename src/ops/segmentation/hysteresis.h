// Hysteresis thresholding of vessel images.
//
// A pre-step turns the image into a reference image in which vessels are bright (white
// top-hat with a disc, inversion, Hessian vessel enhancement). Each calculation then
// derives two thresholds from two coverages of the reference image's histogram: the
// brightest `hardb` of the pixels are sure vessels, the darkest `weakb` are background,
// and the pixels between are kept only where they are 8-connected to sure vessels through
// such pixels.
#pragma once
#include "ops/core/image.h"
#include "ops/core/params.h"

class Params;
class Progress;

// Coverages as fractions in 0..1: weakb = background coverage, hardb = vessel coverage.
struct HystCoverages {
    double weakb;
    double hardb;
};

// The dialog's three presets.
enum class HystPreset { Retina, SkinTransplant, CoronaryAngiogram };
HystCoverages hystPresetCoverages(HystPreset preset);

// The reference image: normalizeTo255 of a copy of current, white top-hat with the disc
// makeStructEl(1, discSize), 255 - v, Hessian vessel enhancement, normalizeTo255.
// Values 0..255, the size of current. The top-hat reports its erosion and dilation passes.
// Throws std::runtime_error for an empty or too small image or a disc size below 1.
// A current image passed as a temporary is normalised in its own buffer.
Image hysteresisPreStep(Image current, int discSize, Progress &progress);
// Throws std::runtime_error for an image the pre-step refuses, before anything is changed.
void requirePreStepInput(const Image &current, int discSize);

// The number of lowest histogram bins whose counts first reach `coverage` of `total`
// (at most 256): k = 0, sum = 0; while sum / total < coverage and k < 256 add bin k.
int coverageThreshold(const Image &histogram, double coverage, double total);

// One calculation on the reference image: I = 255 - reference; t1 from the vessel
// coverage hardb and t2 from 1 - weakb over I's 256-bin histogram; sure vessels A are the
// pixels with I <= t1, the weak mask B those with I <= t2 (each mask is empty when no
// pixel lies above its threshold); the ring A XOR B is grown into A by 8-connectivity.
// Returns 255 where A holds and 0 elsewhere, the size of reference. Reports its steps
// under the title "Hysteresis Thresholding", 0..100.
// Throws std::runtime_error when reference is empty.
Image hysteresisCalculate(const Image &reference, double weakb, double hardb, Progress &progress);

// The command line's parameters: disc= (1..99, default 13); preset= retina, skin or
// coronary (default retina), or own values vessel= and background= in percent (0..100,
// vessel at most background; a missing one takes the dialog's default, 3 and 85).
// Throws std::invalid_argument for a value out of range or an unknown preset.
int hysteresisDiscSize(const Params &params);
HystCoverages hysteresisCoverages(const Params &params);
