// Fine-tuning a vessel network from strokes painted on one image: the painted pixels count
// in full (vessel strokes 1, background strokes 0); every other field-of-view pixel counts
// a little towards the starting network's own answer, so that strokes on a few vessels
// correct them without unlearning the rest of the image. Every patch is centred on a painted
// pixel, and a bounded number of steps keeps a training in the window short.
#pragma once
#include "ops/classify/networktraining.h"
#include "ops/classify/scribbletraining.h"

class Progress;

// The settings of one fine-tuning in the window: 40 steps of 16 patches of 64 x 64 at
// Adam's usual rate, on 2 threads with a fixed seed (the same strokes give the same model),
// the unpainted pixels at weight 0.2, and batch normalisation keeping the start's statistics.
// Chosen so that a first Train on a 565 x 584 photograph stays under half a minute on 2 cores.
NetworkTrainingSettings scribbleNetworkSettings();

// Fine-tunes the network of from (a network model trained by this program) on the strokes
// labels (kVesselLabel, kBackgroundLabel, anything else unlabelled; those outside the
// trainer's field of view are not learned from) over the trainer's image, and classifies
// the image with the result. The image, its field of view and the strokes are first resized
// by the factor from's scale gives for this image (segmentationFactor), so the network sees
// vessels as wide as it learned them; the model keeps from's scale, threshold and smallest
// region, so it segments this image as the saved file does (classifyVessels, field of view
// found automatically). Progress reports every step; a cancelled run throws OperationCancelled
// and changes nothing. Throws std::runtime_error when a class has
// no stroke inside the field of view or from is not a trainable network.
ScribbleResult fineTuneOnScribbles(const ScribbleTrainer &trainer, const Image &labels, Polarity polarity,
                                   const VesselModel &from, const NetworkTrainingSettings &settings,
                                   Progress &progress);
