#include "trainnetwork.h"

#include <QElapsedTimer>

#include "classifierrun.h"
#include "commands.h"
#include "ops/classify/networkinput.h"
#include "ops/classify/networkmodel.h"
#include "ops/core/progress.h"

namespace {

int intOption(QStringList &args, const QString &name, int low, int high, int fallback)
{
    const QString text = takeOption(args, name);
    if (text.isEmpty()) return fallback;
    bool ok = false;
    const int n = text.toInt(&ok);
    if (!ok || n < low || n > high)
        throw UsageError(QString("%1 must be %2 to %3, not \"%4\"").arg(name).arg(low).arg(high).arg(text).toStdString());
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

NetworkOptions takeNetworkOptions(QStringList &args)
{
    NetworkOptions o;
    const QString learner = takeOption(args, "--learner");
    if (!learner.isEmpty() && learner != "network" && learner != "trees")
        throw UsageError(QString("--learner must be network or trees, not \"%1\"").arg(learner).toStdString());
    o.network = learner == "network";
    const bool stepsGiven = args.contains("--steps"), minutesGiven = args.contains("--minutes");
    const bool others = args.contains("--from") || args.contains("--seed") || args.contains("--base-channels");
    o.from = takeOption(args, "--from");
    o.training.steps = intOption(args, "--steps", 1, 1000000, 1200);
    const QString minutes = takeOption(args, "--minutes");
    o.training.seed = uint64_t(intOption(args, "--seed", 0, 2147483647, 1));
    o.baseChannels = intOption(args, "--base-channels", 4, 64, 16);
    if (!o.network && (stepsGiven || minutesGiven || others))
        throw UsageError("--from, --steps, --minutes, --seed and --base-channels belong to --learner network");
    if (stepsGiven && minutesGiven) throw UsageError("give --steps or --minutes, not both");
    if (minutesGiven) {
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
