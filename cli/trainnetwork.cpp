#include "trainnetwork.h"

#include <QElapsedTimer>

#include "classifierrun.h"
#include "commandline.h"
#include "commands.h"
#include "ops/classify/networkinput.h"
#include "ops/classify/networkmodel.h"
#include "ops/core/progress.h"

namespace {

int intOption(const CommandLine &line, const QString &name, int low, int high, int fallback)
{
    const QString text = line.value(name);
    if (text.isEmpty()) return fallback;
    bool ok = false;
    const int n = text.toInt(&ok);
    if (!ok || n < low || n > high)
        throw UsageError(QString("--%1 must be %2 to %3, not \"%4\"").arg(name).arg(low).arg(high).arg(text).toStdString());
    return n;
}

// The training's step, loss and time left, a line every 5 % (the log of a long run).
class StepLog : public Progress {
public:
    explicit StepLog(QTextStream &err) : err_(err) {}
    void start(const QString &, const QString &, int maximum) override { maximum_ = maximum, shown_ = -1; }
    void setLabel(const QString &label) override { label_ = label; }
    void setValue(int value) override
    {
        const int twentieth = maximum_ > 0 ? value * 20 / maximum_ : 0;
        if (twentieth == shown_) return;
        shown_ = twentieth;
        err_ << "train: " << label_ << "\n" << Qt::flush;
    }

private:
    QTextStream &err_;
    QString label_;
    int maximum_ = 0, shown_ = -1;
};

}  // namespace

void addNetworkOptions(CommandLine &line)
{
    line.option("learner", "L", "trees (boosted trees on 20 filter responses, the default) or network (a U-Net)")
        .option("from", "MODEL", "network: fine-tune this network model (a file or a shipped model's name)")
        .option("steps", "N", "network: optimisation steps of 32 patches, 1 to 1000000 (default 1200)")
        .option("minutes", "M", "network: train for M minutes instead of a number of steps")
        .option("seed", "S", "network: draws the patches and the first weights, 0 to 2147483647 (default 1)")
        .option("base-channels", "C", "network: channels of a new network's first block, 4 to 64 (default 16)");
}

NetworkOptions networkOptions(const CommandLine &line)
{
    NetworkOptions o;
    const QString learner = line.value("learner");
    if (!learner.isEmpty() && learner != "network" && learner != "trees")
        throw UsageError(QString("--learner must be network or trees, not \"%1\"").arg(learner).toStdString());
    o.network = learner == "network";
    const bool stepsGiven = line.isSet("steps"), minutesGiven = line.isSet("minutes");
    const bool others = line.isSet("from") || line.isSet("seed") || line.isSet("base-channels");
    if (!o.network && (stepsGiven || minutesGiven || others))
        throw UsageError("--from, --steps, --minutes, --seed and --base-channels belong to --learner network");
    if (stepsGiven && minutesGiven) throw UsageError("give --steps or --minutes, not both");
    o.from = line.value("from");
    o.training.steps = intOption(line, "steps", 1, 1000000, 1200);
    o.training.seed = uint64_t(intOption(line, "seed", 0, 2147483647, 1));
    o.baseChannels = intOption(line, "base-channels", 4, 64, 16);
    if (minutesGiven) {
        const QString minutes = line.value("minutes");
        bool ok = false;
        o.training.minutes = minutes.toDouble(&ok);
        if (!ok || !(o.training.minutes > 0.0 && o.training.minutes <= 10000.0))
            throw UsageError(QString("--minutes must be a number of minutes above 0, not \"%1\"").arg(minutes).toStdString());
        o.training.steps = 0;
    }
    return o;
}

VesselModel trainNetworkFromImages(const std::vector<TrainingImage> &images, const NetworkOptions &o, Channel channel,
                                   Polarity polarity, int threads, QTextStream &err)
{
    std::shared_ptr<const VesselModel> from;
    if (!o.from.isEmpty()) {
        from = loadNamedModel(o.from);
        if (from->learner != Learner::Network)
            throw UsageError(QString("--from needs a network model; %1 holds %2").arg(o.from, learnerName(from->learner)).toStdString());
    }
    std::vector<NetworkExample> examples;
    std::vector<Image> fovs;
    std::vector<double> sizes;
    for (const TrainingImage &t : images) {
        examples.push_back(networkExample(networkInput(t.image, t.fov, polarity), t.labels, t.fov));
        fovs.push_back(t.fov);
        sizes.push_back(t.pixelSizeMm);
    }
    NetworkTrainingSettings settings = o.training;
    settings.threads = threads;
    StepLog log(err);
    NetworkTrainingResult r;
    VesselModel model = trainNetworkModel(examples, channel, polarity, trainingScale(fovs, sizes), settings,
                                          o.baseChannels, from.get(), log, &r);
    err << "train: " << r.steps << " steps in " << QString::number(r.seconds, 'f', 1) << " s, final loss "
        << QString::number(r.loss, 'f', 4) << "\n"
        << Qt::flush;
    return model;
}
