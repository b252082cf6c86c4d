// Vessel models that hold a network: trained by the program (a U-Net, possibly fine-tuned
// from another network model) or exported from PyTorch as TorchScript with a side file.
#pragma once
#include <vector>

#include "ops/classify/networktraining.h"
#include "ops/classify/vesselmodel.h"

// The scale of a set of training images: the mean field-of-view diameter when every one
// has a field of view to measure (fieldOfViewDiameter), else the mean pixel size when
// every one states one (pixelSizesMm, 0 unknown), else none.
ModelScale trainingScale(const std::vector<Image> &fovs, const std::vector<double> &pixelSizesMm);

// A network model trained on the examples (networkExample). With from (a network model),
// its network is the starting point and its size is kept; otherwise a new U-Net of
// baseChannels is drawn from the settings' seed. Throws what trainNetwork throws, and
// std::runtime_error when from is not a trainable network.
VesselModel trainNetworkModel(const std::vector<NetworkExample> &examples, Channel channel, Polarity polarity,
                              const ModelScale &scale, const NetworkTrainingSettings &settings, int baseChannels,
                              const VesselModel *from, Progress &progress, NetworkTrainingResult *result = nullptr);

// The side file of a TorchScript model: beside it, with the suffix .json. It is a JSON
// object naming "channel" (gray, red, green, blue), "vessels" (dark or bright) and,
// optionally, "threshold" (0..1, default 0.5), "scale_kind" (none, field_of_view_px,
// pixel_size_mm) with "scale", and "smallest_component". The network receives the
// program's input plane (networkInput) and gives one logit per pixel.
QString torchScriptSideFile(const QString &path);

// A TorchScript model from its bytes and its side file; name is used in the messages.
LoadedModel loadTorchScriptModel(const QByteArray &bytes, const QString &path);

// Whether bytes look like a TorchScript file (a zip archive).
bool isTorchScript(const QByteArray &bytes);
