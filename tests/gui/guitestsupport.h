// Shared set-up for widget tests: settings isolated from the user's own, and small images on disk.
#pragma once
#include <QApplication>
#include <QDir>
#include <QImage>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>

// Points the settings store at a fresh folder before the application object exists.
inline void isolateSettings()
{
    static QTemporaryDir config;
    qputenv("XDG_CONFIG_HOME", config.path().toLocal8Bit());
    QStandardPaths::setTestModeEnabled(true);
}

// The main function of a widget test: settings isolated, then TestClass run in an application.
#define QUENDRA_GUI_TEST_MAIN(TestClass)               \
    int main(int argc, char **argv)                    \
    {                                                  \
        isolateSettings();                             \
        QApplication app(argc, argv);                  \
        TestClass test;                                \
        return QTest::qExec(&test, argc, argv);        \
    }

// Writes a w x h gray picture whose pixel (x, y) is (x * 7 + y * 3) % 256 and returns its path.
inline QString writeTestPicture(const QTemporaryDir &dir, const QString &name, int w = 20, int h = 10)
{
    QImage picture(w, h, QImage::Format_RGB32);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            const int g = (x * 7 + y * 3) % 256;
            picture.setPixel(x, y, qRgb(g, g, g));
        }
    const QString path = dir.filePath(name);
    picture.save(path);
    return path;
}
