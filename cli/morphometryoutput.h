// The vessel morphometry on the command line: the options stats --binary and segment share
// (--mask, --diameter-classes, --segments), the network figures as named values (stats lines
// and measurements.csv columns) and the per-segment CSV table.
#pragma once
#include <QPair>
#include <QStringList>
#include <vector>

#include "ops/measure/morphometry.h"

// The morphometry options of one command line.
struct MorphometryArgs {
    bool given = false;      // any of the options below was given
    QString mask;            // --mask FILE (segment: FILE, or a FOLDER paired by name stem)
    QString gray;            // --gray FILE (stats): the picture the segmentation came from
    QString segments;        // --segments-csv FILE (stats); "yes" for segment's --segments
    std::vector<double> diameterClasses{3.0, 6.0};
    bool classesGiven = false;  // --diameter-classes was given
};
// The class bounds to use: as given; by default 3 and 6 px, in mm (times the pixel size)
// when the classes are in mm (pixelSizeMm > 0).
std::vector<double> classBounds(const MorphometryArgs &args, double pixelSizeMm);
// Declares the options on line: --mask and --diameter-classes for both commands; stats'
// --gray and --segments-csv FILE, or segment's --segments (a table beside each result).
class CommandLine;
void addMorphometryOptions(CommandLine &line, bool batch);
// Reads them; throws UsageError for malformed values.
MorphometryArgs morphometryArgs(const CommandLine &line, bool batch);

// The figures of binary: mask and gray are read from the files the options name (LoadError
// when unreadable), skeleton is zhangSuenThin(binary) when at hand.
Morphometry measureMorphometry(const Image &binary, const Image *skeleton, const Image *gray, const Image *mask,
                               const MorphometryArgs &args, double pixelSizeMm);

// The network figures in a fixed order, as (name, value) pairs: names are CSV column names
// and stats keys. Values that do not exist are NaN; the millimetre figures are NaN without
// a pixel size. The class columns are named by their bounds and unit.
QList<QPair<QString, double>> morphometryFigures(const Morphometry &m);

// The per-segment table as CSV text: a header and one row per segment.
QString segmentsCsv(const Morphometry &m);

// measurements.csv: the morphometry columns appended to the existing ones (each starting with
// a comma), and one row's values (NaN as an empty field).
// classPixelSizeMm: the pixel size when the classes are in mm, else 0.
QString morphometryCsvHeader(const MorphometryArgs &args, double classPixelSizeMm);
QString morphometryCsvValues(const Morphometry &m);

// segment's morphometry of one result: the mask is --mask's file, or the image of its folder
// named like input (optionally with -mask or _mask after the stem; LoadError when missing).
// With --segments the table goes to output with -segments.csv for .png.
Morphometry segmentMorphometry(const MorphometryArgs &args, const QString &input, const QString &output,
                               const Image &result, const Image &skeleton, const Image *gray, double pixelSizeMm,
                               bool classesInMm);

// Writes text to path atomically; throws std::runtime_error naming the file.
void writeTextFile(const QString &path, const QString &text);
