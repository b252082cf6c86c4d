// One fuzz input: a file read through the program's readers, then a short sequence of
// table operations on the result, each through the one path the window and the command
// line share (runOperation: a mark, a working copy, the row's run with its default
// parameters, a rollback on failure). Shared by the fuzz target and by the test that replays every input it found.
//
// Input layout: byte 0 picks the reader (odd: .cimg, even: picture file, DICOM included,
// which is known by its preamble), bytes 1 to 3 pick
// up to three operations (a byte past the table's runnable rows ends the sequence), the
// rest is the file's content. A file that starts like a vessel model ("QUENDRA VESSEL
// MODEL") is read as one instead, its checksum first made to match as anyone can, and an
// accepted model predicts a small image.
#pragma once
#include <algorithm>
#include <QDir>
#include <QCryptographicHash>
#include <QFile>
#include <QJsonDocument>
#include <QJsonObject>
#include <QString>
#include <cstddef>
#include <cstdint>
#include <stdexcept>
#include <unistd.h>
#include <vector>

#include "ops/classify/vesselmodel.h"
#include "ops/io/imageio.h"
#include "ops/table/operations.h"
#include "ops/core/progress.h"

namespace fuzzing {

// Operations run only on images this small, so that each input stays quick.
inline constexpr long kMaxPixelsForOperations = 4096;

inline const std::vector<const OperationRow *> &runnableRows()
{
    static const std::vector<const OperationRow *> rows = [] {
        std::vector<const OperationRow *> r;
        // Rows that take a file (the classifier's model) need files the fuzzer does not make.
        const auto takesFile = [](const OperationRow &row) {
            return std::any_of(row.params.begin(), row.params.end(), [](const ParamInfo &p) { return p.kind == ParamKind::Text; });
        };
        for (const OperationRow &row : operationTable())
            if (row.run && !takesFile(row)) r.push_back(&row);
        return r;
    }();
    return rows;
}

// Checks what every operation promises about the model; a broken promise aborts, which the
// fuzzer reports like a crash.
inline void requireConsistent(const ImageModel &model)
{
    if (model.isEmpty() || model.currentIndex < 0 || model.currentIndex >= model.count()) std::abort();
    for (int i = 0; i < model.count(); ++i)
        if (model.image(i)->is_empty()) std::abort();
}

inline const QByteArray kModelMagic = "QUENDRA VESSEL MODEL\n";

// The model file with its description's tree size and checksum recomputed, so that the
// fuzzer's changes to the trees reach the checks behind the checksum.
inline QByteArray withMatchingChecksum(const QByteArray &file)
{
    const qsizetype end = file.indexOf('\n', kModelMagic.size());
    QJsonObject header = QJsonDocument::fromJson(file.mid(kModelMagic.size(), end - kModelMagic.size())).object();
    if (end < 0 || header.isEmpty()) return file;
    const QByteArray trees = file.mid(end + 1);
    header["trees_bytes"] = double(trees.size());
    header["trees_sha256"] = QString(QCryptographicHash::hash(trees, QCryptographicHash::Sha256).toHex());
    return kModelMagic + QJsonDocument(header).toJson(QJsonDocument::Compact) + '\n' + trees;
}

// A model is refused with a message, or predicts probabilities from 0 to 1.
inline void runModel(const QByteArray &file)
{
    const LoadedModel loaded = parseVesselModel(withMatchingChecksum(file), "fuzz.qvm");
    if (!loaded.ok()) {
        if (loaded.error.isEmpty()) std::abort();
        return;
    }
    Image image(16, 16, 1, 1, 0.0), fov(16, 16, 1, 1, 255.0);  // the smallest the classifier takes
    cimg_forXY(image, x, y) image(x, y) = double((x * 37 + y * 91) % 256);
    for (const double p : vesselProbability(loaded.model, image, fov, 1))
        if (!(p >= 0.0 && p <= 1.0)) std::abort();
}

inline void runOne(const uint8_t *data, size_t size)
{
    if (size < 4) return;
    if (const QByteArray file(reinterpret_cast<const char *>(data + 4), qsizetype(size - 4)); file.startsWith(kModelMagic)) {
        runModel(file);
        return;
    }
    const bool cimg = data[0] & 1;
    const QString path = QDir::temp().filePath(QString("quendra-fuzz-%1.%2").arg(::getpid()).arg(cimg ? "cimg" : "img"));
    {
        QFile file(path);
        if (!file.open(QIODevice::WriteOnly)) return;
        file.write(reinterpret_cast<const char *>(data + 4), qint64(size - 4));
    }
    NullProgress progress;
    LoadResult loaded = loadAnyImage(path, progress);
    QFile::remove(path);
    if (!loaded.ok()) {
        if (loaded.error.isEmpty() || !loaded.image.is_empty()) std::abort();
        return;
    }
    if (loaded.image.is_empty()) std::abort();
    // Every frame of a multi-frame file (DICOM, TIFF pages) is a whole image of the first one's size.
    for (const auto &frame : loaded.moreFrames)
        if (frame.width() != loaded.image.width() || frame.height() != loaded.image.height()) std::abort();
    if (long(loaded.image.width()) * loaded.image.height() > kMaxPixelsForOperations) return;
    ImageModel model(loaded.image);
    const auto &rows = runnableRows();
    for (int k = 1; k <= 3; ++k) {
        if (data[k] >= rows.size()) break;
        runOperation(model, *rows[data[k]], Params(), progress);
        requireConsistent(model);
    }
}

}  // namespace fuzzing
