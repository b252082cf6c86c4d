// quendra-cli merge: joins the measurements.csv (or evaluation.csv) files of several runs,
// for example the shards of one batch, into one file. Files whose columns differ, or whose
// runs used different parameters, are refused; mean rows are computed again over all rows.
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <cmath>

#include "commandline.h"
#include "commands.h"

namespace {

// Columns that name how a run worked rather than what it measured: they must agree
// across the merged files.
const QStringList kParameterColumns = {"method", "disc", "preset", "vessel_coverage_percent",
                                       "background_coverage_percent", "dark_vessels", "channel", "model", "version"};

// The fields of one CSV line as csvField writes them: quoted when they hold a comma, a
// quote (doubled) or a line break. Lines are split beforehand, so fields with a line break
// are not supported; the program's own files have none.
QStringList csvFields(const QString &line)
{
    QStringList fields;
    QString field;
    bool quoted = false;
    for (int i = 0; i < line.size(); ++i) {
        const QChar c = line[i];
        if (quoted) {
            if (c == '"' && i + 1 < line.size() && line[i + 1] == '"') {
                field += '"';
                ++i;
            } else if (c == '"') {
                quoted = false;
            } else {
                field += c;
            }
        } else if (c == '"') {
            quoted = true;
        } else if (c == ',') {
            fields << field;
            field.clear();
        } else {
            field += c;
        }
    }
    fields << field;
    return fields;
}

struct Table {
    QString path;
    QString header;
    QList<QStringList> rows;  // without mean rows
    bool hadMean = false;
};

Table readTable(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly | QIODevice::Text))
        throw LoadError(QString("cannot read %1: %2").arg(path, file.errorString()).toStdString());
    QStringList lines = QString::fromUtf8(file.readAll()).split('\n', Qt::SkipEmptyParts);
    if (lines.isEmpty()) throw LoadError(QString("%1 is empty: it has no header line").arg(path).toStdString());
    Table table{path, lines.takeFirst(), {}, false};
    const int columns = int(csvFields(table.header).size());
    for (const QString &line : lines) {
        QStringList fields = csvFields(line);
        if (fields.size() != columns)
            throw LoadError(QString("%1: a row has %2 fields where the header names %3").arg(path).arg(fields.size()).arg(columns).toStdString());
        if (fields.first() == "mean")
            table.hadMean = true;
        else
            table.rows << fields;
    }
    return table;
}

// Every row of every table must hold the first row's value in each parameter column.
void requireSameParameters(const QList<Table> &tables, const QStringList &header)
{
    const Table *first = nullptr;
    for (const Table &t : tables)
        if (!t.rows.isEmpty()) {
            first = &t;
            break;
        }
    if (!first) return;
    for (const QString &name : kParameterColumns) {
        const int k = int(header.indexOf(name));
        if (k < 0) continue;
        const QString expected = first->rows.first()[k];
        for (const Table &t : tables)
            for (const QStringList &row : t.rows)
                if (row[k] != expected)
                    throw UsageError(QString("%1 and %2 come from different runs: %3 is \"%4\" in one and \"%5\" in the other")
                                         .arg(first->path, t.path, name, expected, row[k])
                                         .toStdString());
    }
}

// The mean row: the mean of each column whose every value is a number ("nan" included;
// NaNs are left out of the mean), the text "mean" in the first and empty fields elsewhere.
QStringList meanRow(const QList<QStringList> &rows, const QStringList &header)
{
    QStringList mean{"mean"};
    for (int k = 1; k < header.size(); ++k) {
        bool numeric = !kParameterColumns.contains(header[k]);
        double sum = 0.0;
        int count = 0;
        for (const QStringList &row : rows) {
            if (!numeric) break;
            if (row[k] == "nan") continue;
            bool ok = false;
            const double v = row[k].toDouble(&ok);
            numeric = ok;
            if (ok && std::isfinite(v)) {
                sum += v;
                ++count;
            }
        }
        mean << (numeric ? csvNumber(count ? sum / count : std::nan("")) : QString());
    }
    return mean;
}

}  // namespace

CommandLine mergeCommandLine()
{
    return CommandLine("merge", "OUT.csv IN.csv...",
                       "Joins the measurements.csv (or evaluation.csv) files of several runs, for example the shards "
                       "of one segment run, in the order given into OUT.csv, and computes the mean row again. Files "
                       "whose columns or run parameters differ are refused.");
}

int mergeCommand(const CommandLine &line, QTextStream &out, QTextStream &)
{
    const QStringList args = line.positional();
    if (args.size() < 2) throw UsageError("merge needs OUT.csv and at least one IN.csv");
    const QString outPath = args.first();
    QList<Table> tables;
    for (const QString &path : args.mid(1)) {
        if (QFileInfo(path).absoluteFilePath() == QFileInfo(outPath).absoluteFilePath())
            throw UsageError(QString("OUT.csv must not be one of the inputs: %1").arg(path).toStdString());
        tables << readTable(path);
    }
    for (const Table &t : tables)
        if (t.header != tables.first().header)
            throw UsageError(QString("%1 and %2 have different columns").arg(tables.first().path, t.path).toStdString());
    const QStringList header = csvFields(tables.first().header);
    requireSameParameters(tables, header);

    // Rows in the order of the files given, each file's rows in its own order.
    QList<QStringList> rows;
    bool anyMean = false;
    for (const Table &t : tables) {
        rows << t.rows;
        anyMean = anyMean || t.hadMean;
    }
    QString csv = tables.first().header + "\n";
    for (const QStringList &row : rows) {
        QStringList quoted;
        for (const QString &field : row) quoted << csvField(field);
        csv += quoted.join(',') + "\n";
    }
    if (anyMean && !rows.isEmpty()) csv += meanRow(rows, header).join(',') + "\n";
    QSaveFile file(outPath);
    if (!file.open(QIODevice::WriteOnly) || file.write(csv.toUtf8()) < 0 || !file.commit())
        throw std::runtime_error(QString("cannot write %1: %2").arg(outPath, file.errorString()).toStdString());
    out << "merged " << rows.size() << " rows of " << tables.size() << " files into " << outPath << "\n";
    return 0;
}
