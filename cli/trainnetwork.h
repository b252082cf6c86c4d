// quendra-cli train --learner network: the options only a network takes, and the training
// of a network model from loaded photographs.
#pragma once
#include <QStringList>
#include <QTextStream>
#include <vector>

#include "ops/classify/networktraining.h"
#include "ops/classify/vesselmodel.h"

struct NetworkOptions {
    bool network = false;  // --learner network
    QString from;          // --from MODEL: fine-tune this network model
    NetworkTrainingSettings training;
    int baseChannels = 16;  // --base-channels C (a new network only)
};

class CommandLine;
// Declares --learner, --from, --steps, --minutes, --seed and --base-channels.
void addNetworkOptions(CommandLine &line);
// Reads them; with the trees learner, the network options are refused.
NetworkOptions networkOptions(const CommandLine &line);

// One photograph for a network, as train loads it.
struct TrainingImage {
    Image image, labels, fov;  // the channel's gray levels, labelsFromTruth, 255 inside
    double pixelSizeMm = 0.0;  // as the file states, 0 when unknown
};

// Trains a network model on the images and writes it to out. Returns the model.
VesselModel trainNetworkFromImages(const std::vector<TrainingImage> &images, const NetworkOptions &options,
                                   Channel channel, Polarity polarity, int threads, QTextStream &err);
