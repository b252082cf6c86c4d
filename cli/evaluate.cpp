// quendra-cli evaluate: segmentations against ground truth, inside an optional field-of-view
// mask; one CSV row per image, a mean row, and a summary line.
#include <QDir>
#include <QFileInfo>
#include <QMap>
#include <QSaveFile>
#include <cmath>

#include "commandline.h"
#include "commands.h"
#include "ops/measure/evaluation.h"
#include "ops/core/progress.h"

// Pairing is by name stem, so two files with one stem (a.png and sub/a.png, or a.png and
// a.tif) would silently share a partner: refused, naming both.
void refuseStemClash(const QString &stem, const QString &first, const QString &second)
{
    throw UsageError(QString("%1 and %2 have the same name stem \"%3\"; pairing by stem would be ambiguous")
                         .arg(first, second, stem)
                         .toStdString());
}

// A folder's images by stem, for pairing with predictions. When some stems carry one of
// the role's suffixes (retina-truth.png beside retina.png), only those count and the suffix
// is taken off; otherwise the plain stems count.
QMap<QString, QString> indexByStem(const QString &folder, const QStringList &suffixes)
{
    const QStringList files = collectImages({folder});
    auto suffixOf = [&](const QString &stem) {
        for (const QString &s : suffixes)
            if (stem.size() > s.size() && stem.endsWith(s)) return s;
        return QString();
    };
    bool anySuffixed = false;
    for (const QString &f : files) anySuffixed = anySuffixed || !suffixOf(QFileInfo(f).completeBaseName()).isEmpty();
    QMap<QString, QString> index;
    for (const QString &f : files) {
        const QString stem = QFileInfo(f).completeBaseName();
        const QString suffix = suffixOf(stem);
        if (anySuffixed && suffix.isEmpty()) continue;
        const QString key = stem.left(stem.size() - suffix.size());
        if (index.contains(key)) refuseStemClash(key, index.value(key), f);
        index.insert(key, f);
    }
    return index;
}

namespace {

QString sizeText(const Image &image) { return QString("%1 x %2").arg(image.width()).arg(image.height()); }

struct Pair {
    QString prediction, truth, mask;  // mask may be empty
};

double meanOf(const std::vector<double> &values)
{
    double sum = 0.0;
    int n = 0;
    for (const double v : values)
        if (!std::isnan(v)) sum += v, ++n;
    return n > 0 ? sum / n : std::nan("");
}

}  // namespace

CommandLine evaluateCommandLine()
{
    return CommandLine("evaluate", "--truth T [--mask M] [--csv FILE] PRED...",
                       "Compares each segmentation PRED with its ground truth T inside the field-of-view mask M. With "
                       "folders, predictions are paired with truths and masks by file name stem (\"-truth\" and "
                       "\"-mask\", or \"_truth\" and \"_mask\", after the stem are understood). Writes TP, FP, TN, "
                       "FN, sensitivity, specificity, accuracy, precision, Dice and Matthews correlation per image and "
                       "their mean to the CSV file, and prints a one-line summary.")
        .option("truth", "T", "the ground truth: a file, or a folder paired by stem")
        .option("mask", "M", "the field of view: a file, or a folder paired by stem (default: the whole image)")
        .option("csv", "FILE", "where the table goes (default: evaluation.csv beside the first PRED)");
}

int evaluateCommand(const CommandLine &line, QTextStream &out, QTextStream &err)
{
    const QStringList args = line.positional();
    const QString truthArg = line.value("truth"), maskArg = line.value("mask");
    QString csvPath = line.value("csv");
    if (truthArg.isEmpty()) throw UsageError("evaluate needs --truth T");
    if (args.isEmpty()) throw UsageError("evaluate needs a PRED file or folder");
    const QStringList predictions = collectImages(args);
    if (predictions.isEmpty()) throw UsageError("no image files among the predictions");
    if (!QFileInfo::exists(truthArg)) throw UsageError(QString("no such file or folder: %1").arg(truthArg).toStdString());
    if (!maskArg.isEmpty() && !QFileInfo::exists(maskArg))
        throw UsageError(QString("no such file or folder: %1").arg(maskArg).toStdString());
    const bool truthFolder = QFileInfo(truthArg).isDir(), maskFolder = QFileInfo(maskArg).isDir();
    if ((!truthFolder || (!maskArg.isEmpty() && !maskFolder)) && predictions.size() > 1)
        throw UsageError("with several predictions, --truth (and --mask) must be folders, paired by file name stem");
    if (csvPath.isEmpty()) {
        const QFileInfo first(args[0]);
        csvPath = QDir(first.isDir() ? args[0] : first.path()).filePath("evaluation.csv");
    }

    if (truthFolder) {
        QMap<QString, QString> seen;
        for (const QString &pred : predictions) {
            const QString stem = QFileInfo(pred).completeBaseName();
            if (seen.contains(stem)) refuseStemClash(stem, seen.value(stem), pred);
            seen.insert(stem, pred);
        }
    }
    const QMap<QString, QString> truths = truthFolder ? indexByStem(truthArg, {"-truth", "_truth"}) : QMap<QString, QString>();
    const QMap<QString, QString> masks = maskFolder ? indexByStem(maskArg, {"-mask", "_mask"}) : QMap<QString, QString>();

    QString csv = "file,truth,mask,tp,fp,tn,fn,sensitivity,specificity,accuracy,precision,dice,mcc,thresholded\n";
    std::vector<std::vector<double>> columns(10);  // counts and figures, for the mean row
    int failed = 0, done = 0;
    NullProgress progress;
    for (const QString &pred : predictions) {
        const QString stem = QFileInfo(pred).completeBaseName();
        Pair pair{pred, truthFolder ? truths.value(stem) : truthArg, maskFolder ? masks.value(stem) : maskArg};
        auto fail = [&](const QString &message) {
            err << "quendra-cli: " << message << ": skipped\n";
            ++failed;
        };
        if (pair.truth.isEmpty()) {
            fail(QString("%1: no ground truth named %2 in %3").arg(pred, stem, truthArg));
            continue;
        }
        if (maskFolder && pair.mask.isEmpty())
            err << "quendra-cli: note: " << pred << ": no mask named " << stem << " in " << maskArg
                << ": the whole image counts\n";
        Image p, t, m;
        try {
            p = loadInput(pair.prediction, progress);
            t = loadInput(pair.truth, progress);
            if (!pair.mask.isEmpty()) m = loadInput(pair.mask, progress);
        } catch (const LoadError &e) {
            fail(QString::fromLocal8Bit(e.what()));
            continue;
        }
        if (p.width() != t.width() || p.height() != t.height()) {
            fail(QString("%1 (%2) and %3 (%4) differ in size").arg(pair.prediction, sizeText(p), pair.truth, sizeText(t)));
            continue;
        }
        if (!pair.mask.isEmpty() && (p.width() != m.width() || p.height() != m.height())) {
            fail(QString("%1 (%2) and %3 (%4) differ in size").arg(pair.prediction, sizeText(p), pair.mask, sizeText(m)));
            continue;
        }
        const Confusion c = confusionCounts(p, t, pair.mask.isEmpty() ? nullptr : &m);
        if (c.thresholded) err << "quendra-cli: note: " << pred << " is not binary: thresholded at 128\n";
        const Figures f = evaluationFigures(c);
        const double values[10] = {double(c.tp), double(c.fp), double(c.tn), double(c.fn), f.sensitivity,
                                   f.specificity, f.accuracy,  f.precision, f.dice,        f.mcc};
        QStringList row{csvField(pair.prediction), csvField(pair.truth), csvField(pair.mask)};
        for (int k = 0; k < 10; ++k) {
            columns[size_t(k)].push_back(values[k]);
            row << (k < 4 ? QString::number(qint64(values[k])) : csvNumber(values[k]));
        }
        row << (c.thresholded ? "yes" : "no");
        csv += row.join(',') + "\n";
        ++done;
    }
    double means[10];
    QStringList meanRow{"mean", "", ""};
    for (int k = 0; k < 10; ++k) {
        means[k] = meanOf(columns[size_t(k)]);
        meanRow << csvNumber(means[k]);
    }
    meanRow << "";
    if (done > 0) csv += meanRow.join(',') + "\n";

    QSaveFile file(csvPath);
    if (!file.open(QIODevice::WriteOnly) || file.write(csv.toUtf8()) < 0 || !file.commit())
        throw std::runtime_error(QString("cannot write %1: %2").arg(csvPath, file.errorString()).toStdString());
    auto fig = [](double v) { return std::isnan(v) ? QString("nan") : QString::number(v, 'f', 4); };
    out << "evaluated " << done << " of " << predictions.size() << " images: mean Dice " << fig(means[8])
        << ", sensitivity " << fig(means[4]) << ", specificity " << fig(means[5]) << ", accuracy " << fig(means[6])
        << ", precision " << fig(means[7]) << ", MCC " << fig(means[9]) << " (" << csvPath << ")\n";
    return failed > 0 ? 1 : 0;
}
