// Saving onto a full disk or into a folder that cannot exist must report the failure and
// leave an existing file exactly as it was. A full disk is simulated with the file-size
// limit of this process (writes past it fail with EFBIG, for root as well), a folder that
// cannot exist by a path whose parent is a regular file.
#include <QAction>
#include <QDir>
#include <QFileInfo>
#include <QMdiArea>
#include <QtTest>
#include <cerrno>
#include <csignal>
#include <cstring>
#include <sys/resource.h>

#include "app/mainwindow.h"
#include "document/cimgdoc.h"
#include "gui/guitestsupport.h"
#include "gui/scripteddialogs.h"
#include "ops/fullfolder.h"
#include "ops/io/display.h"
#include "ops/io/imageio.h"
#include "ops/core/progress.h"
#include "view/pixmapwidget.h"

namespace {

// While it lives, no file of this process can grow beyond limit bytes.
class FileSizeLimit {
public:
    explicit FileSizeLimit(rlim_t limit)
    {
        getrlimit(RLIMIT_FSIZE, &saved_);
        previous_ = std::signal(SIGXFSZ, SIG_IGN);
        rlimit l = saved_;
        l.rlim_cur = limit;
        setrlimit(RLIMIT_FSIZE, &l);
    }
    ~FileSizeLimit()
    {
        setrlimit(RLIMIT_FSIZE, &saved_);
        std::signal(SIGXFSZ, previous_);
    }

private:
    rlimit saved_{};
    void (*previous_)(int) = nullptr;
};

constexpr rlim_t kLimit = 2000;

// Noise does not compress: every format needs far more than the limit.
Image noiseImage(int w, int h)
{
    Image img(w, h, 1, 1);
    quint32 state = 12345;
    cimg_forXY(img, x, y) {
        state = state * 1664525u + 1013904223u;
        img(x, y) = double(state >> 24);
    }
    return img;
}

QByteArray contents(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

QString writeOriginal(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly)) qFatal("cannot write %s", qPrintable(path));
    file.write(QByteArray("the user's earlier file, which must survive\n").repeated(3));
    return path;
}

// Nothing but the original is left in the folder: no temporary file, no backup.
QStringList entries(const QString &folder) { return QDir(folder).entryList(QDir::Files | QDir::Hidden | QDir::System); }

}  // namespace

class SaveFailureTest : public QObject {
    Q_OBJECT

    ScriptedDialogs answers;

private slots:
    void init() { answers = ScriptedDialogs(); }

    // A small file (under the 16 KB that buffered writes hold back) fails only when it is
    // flushed, a large one already while it is written.
    void fullDiskLeavesTheExistingFile_data()
    {
        QTest::addColumn<QString>("format");
        QTest::addColumn<int>("side");
        QTest::addColumn<int>("limit");
        for (const char *f : {"cimg", "png", "bmp", "jpg", "tif"}) {
            QTest::newRow(f) << QString(f) << 200 << int(kLimit);
            QTest::newRow(qPrintable(QString(f) + " small")) << QString(f) << 40 << 1000;
        }
    }

    void fullDiskLeavesTheExistingFile()
    {
        QFETCH(QString, format);
        QFETCH(int, side);
        QFETCH(int, limit);
        QTemporaryDir dir;
        const QString path = writeOriginal(dir.filePath("result." + format));
        const QByteArray before = contents(path);
        const Image image = noiseImage(side, side);
        QString error;
        bool saved;
        {
            FileSizeLimit full{rlim_t(limit)};
            saved = format == "cimg" ? saveCimgImage(image, path, &error)
                                     : savePicture(toDisplayImage(image), path, format.toLatin1().constData(), &error);
        }
        QVERIFY2(!saved, "a save that could not be completed was reported as done");
        QVERIFY2(error.contains(QString::fromLocal8Bit(strerror(EFBIG))), qPrintable(error));
        QCOMPARE(contents(path), before);
        QCOMPARE(entries(dir.path()), QStringList{"result." + format});
        // Once there is room, the same call writes the file.
        QVERIFY2(format == "cimg" ? saveCimgImage(image, path, &error)
                                  : savePicture(toDisplayImage(image), path, format.toLatin1().constData(), &error),
                 qPrintable(error));
        QVERIFY(contents(path) != before);
        QCOMPARE(entries(dir.path()), QStringList{"result." + format});
    }

    // A real full disk, where even the temporary file cannot be written: the system's
    // reason reaches the user, the old file stays, no temporary is left.
    void fullTmpfsGivesTheSystemsReason_data() { fullDiskLeavesTheExistingFile_data(); }

    void fullTmpfsGivesTheSystemsReason()
    {
        QFETCH(QString, format);
        QFETCH(int, side);
        FullFolder disk;
        if (!disk.ok()) QSKIP("cannot mount a small tmpfs here (needs root)");
        const QString path = writeOriginal(disk.filePath("result." + format));
        const QByteArray before = contents(path);
        disk.fill();
        const Image image = noiseImage(side, side);
        QString error;
        QVERIFY(!(format == "cimg" ? saveCimgImage(image, path, &error)
                                   : savePicture(toDisplayImage(image), path, format.toLatin1().constData(), &error)));
        QVERIFY2(error.contains(QString::fromLocal8Bit(strerror(ENOSPC))), qPrintable(error));
        QCOMPARE(contents(path), before);
        QCOMPARE(entries(disk.path()), (QStringList{".filler", "result." + format}));
    }

    // A link planted where a result goes is not followed into another folder.
    void linkIsNotWrittenThrough_data()
    {
        QTest::addColumn<QString>("format");
        for (const char *f : {"cimg", "png"}) QTest::newRow(f) << QString(f);
    }

    void linkIsNotWrittenThrough()
    {
        QFETCH(QString, format);
        QTemporaryDir dir;
        QVERIFY(QDir(dir.path()).mkdir("results"));
        const QString victim = writeOriginal(dir.filePath("victim.txt")), link = dir.filePath("results/out." + format);
        QVERIFY(QFile::link("../victim.txt", link));
        const QByteArray before = contents(victim);
        QString error;
        const Image image = noiseImage(10, 10);
        QVERIFY(!(format == "cimg" ? saveCimgImage(image, link, &error)
                                   : savePicture(toDisplayImage(image), link, format.toLatin1().constData(), &error)));
        QVERIFY2(error.contains("symbolic link"), qPrintable(error));
        QCOMPARE(contents(victim), before);
        QVERIFY(QFileInfo(link).isSymLink());
    }

    void savingOverAnUnrelatedBackupNameKeepsIt()
    {
        // A file named like a backup of the target belongs to the user as well.
        QTemporaryDir dir;
        const QString path = dir.filePath("result.cimg");
        const QString other = writeOriginal(dir.filePath("result.cimg.old"));
        const QByteArray before = contents(other);
        QString error;
        QVERIFY2(saveCimgImage(noiseImage(5, 5), path, &error), qPrintable(error));
        QVERIFY2(saveCimgImage(noiseImage(6, 6), path, &error), qPrintable(error));
        QCOMPARE(contents(other), before);
        NullProgress progress;
        QCOMPARE(loadAnyImage(path, progress).image, noiseImage(6, 6));
    }

    void folderThatCannotExist_data()
    {
        QTest::addColumn<QString>("format");
        for (const char *f : {"cimg", "png", "jpg"}) QTest::newRow(f) << QString(f);
    }

    void folderThatCannotExist()
    {
        QFETCH(QString, format);
        QTemporaryDir dir;
        const QString parent = writeOriginal(dir.filePath("plainfile"));
        const QByteArray before = contents(parent);
        const QString path = parent + "/result." + format;
        QString error;
        const Image image = noiseImage(10, 10);
        const bool saved = format == "cimg" ? saveCimgImage(image, path, &error)
                                            : savePicture(toDisplayImage(image), path, format.toLatin1().constData(), &error);
        QVERIFY(!saved);
        QVERIFY(!error.isEmpty());
        QCOMPARE(contents(parent), before);
    }

    // The window's "Save as": a failure is reported as such, never as "Image saved".
    void saveAsReportsTheFailure_data()
    {
        QTest::addColumn<bool>("fullDisk");
        QTest::newRow("full disk") << true;
        QTest::newRow("parent is a file") << false;
    }

    void saveAsReportsTheFailure()
    {
        QFETCH(bool, fullDisk);
        ScriptedDialogs::Scope scope(answers);
        QTemporaryDir dir;
        const QString path = fullDisk ? writeOriginal(dir.filePath("kept.png")) : writeOriginal(dir.filePath("plain")) + "/x.png";
        const QString existing = fullDisk ? path : dir.filePath("plain");
        const QByteArray before = contents(existing);
        MainWindow w;
        w.show();
        ImageList list;
        list.push_back(noiseImage(300, 200));
        w.createNewWindow(list);
        answers.fileNames.enqueue(path);
        answers.filters.enqueue(".png");
        {
            FileSizeLimit full(fullDisk ? kLimit : RLIM_INFINITY);
            QMetaObject::invokeMethod(&w, "saveAs");
        }
        QVERIFY2(answers.sawTitle("Image not saved"), qPrintable(answers.shown.join("\n")));
        QVERIFY(!answers.sawTitle("Image saved"));
        QCOMPARE(contents(existing), before);
        QCOMPARE(entries(dir.path()).size(), 1);
        w.workspace->closeAllSubWindows();
    }
};

QUENDRA_GUI_TEST_MAIN(SaveFailureTest)

#include "test_savefailure.moc"
