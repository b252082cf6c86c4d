// Running quendra-cli in process with its standard output and error captured, and writing
// its test inputs.
#pragma once
#include <QFile>
#include <QImage>
#include <QStringList>
#include <QTextStream>
#include <QtTest>
#include <algorithm>

#include "ops/core/image.h"

#include "cli.h"

// Runs the command line args; returns the exit status and, when asked, what it printed.
inline int run(const QStringList &args, QString *out = nullptr, QString *err = nullptr)
{
    QString o, e;
    QTextStream os(&o), es(&e);
    const int status = runCli(args, os, es);
    os.flush();
    es.flush();
    if (out) *out = o;
    if (err) *err = e;
    return status;
}

// The file's bytes; empty when it cannot be read.
inline QByteArray readBytes(const QString &path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

inline void writeText(const QString &path, const QString &text)
{
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(text.toUtf8());
}

// Saves image as an 8-bit gray picture (values clamped to 0..255).
inline void saveGray(const Image &image, const QString &path)
{
    QImage picture(image.width(), image.height(), QImage::Format_Grayscale8);
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x) picture.scanLine(y)[x] = uchar(std::clamp(image(x, y), 0.0, 255.0));
    QVERIFY(picture.save(path));
}
