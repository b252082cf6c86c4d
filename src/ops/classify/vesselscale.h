// The scale a vessel model was trained at, and the factor by which an image is resized so
// that its vessels appear as wide as those the model learned from.
#pragma once
#include "ops/core/image.h"

struct ModelScale {
    enum class Kind { None, FieldOfView, PixelSize };
    Kind kind = Kind::None;
    // FieldOfView: the mean field-of-view diameter of the training images, in pixels.
    // PixelSize: their mean pixel size, in millimetres.
    double value = 0.0;
};

// Resize factors between 1 / kScaleTolerance and kScaleTolerance are taken as 1: the
// networks tolerate that much, and the field-of-view rule is only an estimate (a field of
// view clipped at the top and bottom, as some cameras frame it, still measures its full
// width, but the retina it shows may not be larger).
inline constexpr double kScaleTolerance = 1.3;
// Factors the program applies at most: an image is not shrunk below a sixty-fourth nor
// enlarged more than eight times.
inline constexpr double kSmallestFactor = 1.0 / 64.0, kLargestFactor = 8.0;

// The diameter of a field of view (255 inside): the larger extent of its bounding box, so
// a disc clipped at the top and bottom keeps its width. 0 when the mask is empty or covers
// the whole image (then there is no field of view to measure).
double fieldOfViewDiameter(const Image &fov);

// The factor by which to resize an image before a model of scale `trained` segments it:
// FieldOfView: trained diameter / the image's field-of-view diameter; PixelSize: the
// image's pixel size / the trained one (pixelSizeMm 0: unknown); 1 when the image gives no
// measure or the model records none, or when the factor lies within kScaleTolerance;
// clamped to kSmallestFactor..kLargestFactor.
double segmentationFactor(const ModelScale &trained, const Image &fov, double pixelSizeMm);

// The image resized by factor with the library's linear interpolation (an area average when
// shrinking), at least minimumSide pixels on each side.
Image resizedByFactor(const Image &image, double factor, int minimumSide);
// Probabilities computed on an image resized by resizedByFactor, brought back to width x
// height: enlarged by linear interpolation between pixel centres (the library's linear
// enlargement aligns the corners instead, which shifts thin vessels by up to half a pixel
// against the area average that shrank the image), shrunk by the library's area average.
Image resizedBack(const Image &probability, int width, int height);
// A field-of-view mask resized to width x height and made binary again (255 from half way).
Image resizedMask(const Image &mask, int width, int height);
