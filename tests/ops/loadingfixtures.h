// The DICOM, 16-bit and multi-page files of the loading tests, made by
// scripts/make-loading-fixtures.py (pydicom, DCMTK's tools, PIL) in a temporary folder.
#pragma once
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QString>

#include "ops/io/imageio.h"
#include "ops/core/progress.h"

// Runs the script into dir; an empty string on success, else what went wrong.
inline QString makeLoadingFixtures(const QString &dir)
{
    const QString source = qEnvironmentVariable("QUENDRA_SOURCE_DIR");
    if (source.isEmpty()) return "QUENDRA_SOURCE_DIR is not set";
    // Debian's interpreter, which has python3-pydicom, also when another one comes first in PATH.
    const QString python = QFile::exists("/usr/bin/python3") ? "/usr/bin/python3" : "python3";
    QProcess script;
    script.start(python, {QDir(source).filePath("scripts/make-loading-fixtures.py"), dir});
    if (!script.waitForFinished(120000) || script.exitStatus() != QProcess::NormalExit || script.exitCode() != 0)
        return "the fixture script failed (needs python3-pydicom, python3-pil and dcmtk): " +
               QString::fromLocal8Bit(script.readAllStandardError());
    return {};
}

inline LoadResult loadFixture(const QString &path, Channel channel = Channel::Gray)
{
    NullProgress progress;
    return loadAnyImage(path, progress, channel);
}
