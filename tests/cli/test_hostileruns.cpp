// quendra-cli runs under hostile conditions: a full disk, a second run into the same
// folder, links planted among the results, a model file named like a shipped model, file
// names that are spreadsheet formulas or hold line breaks, values that overflow the
// figures, and images too large for the memory there is.
#include <QDir>
#include <QTemporaryDir>
#include <QtTest>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/resource.h>
#include <unistd.h>

#include "cli/runcli.h"
#include "ops/fullfolder.h"
#include "ops/io/filenames.h"

namespace {

Image stripes(int size = 48)
{
    Image img(size, size, 1, 1, 200.0);
    for (int x = 8; x < size; x += 12)
        for (int y = 0; y < size; ++y) img(x, y) = img(x + 1, y) = 60.0;
    return img;
}

// The address space this process has taken (VmSize), in bytes.
rlim_t currentVirtualSize()
{
    QFile status("/proc/self/status");
    if (!status.open(QIODevice::ReadOnly)) return 0;
    for (const QByteArray &line : status.readAll().split('\n'))
        if (line.startsWith("VmSize:")) return rlim_t(line.mid(7).trimmed().split(' ').value(0).toDouble() * 1024.0);
    return 0;
}

const QStringList kSegment = {"segment", "--method", "hysteresis", "--preset", "retina", "--dark-vessels", "--threads", "1"};

}  // namespace

class HostileRunsTest : public QObject {
    Q_OBJECT
    QTemporaryDir dir;
    QString image, noisy;  // noisy: a result larger than a page of the full disk

    QString path(const QString &name) const { return dir.filePath(name); }

private slots:
    void initTestCase()
    {
        image = path("img.png");
        saveGray(stripes(), image);
        noisy = path("noisy.png");
        Image noise(256, 256);
        noise.rand(0, 255);
        saveGray(noise, noisy);
    }

    // Each command that writes a table fails on a full disk with the system's reason and
    // leaves the old file; segment also leaves the old result, and no table that lists it.
    void fullDiskFailsWithTheReason_data()
    {
        QTest::addColumn<QString>("command");
        for (const char *c : {"segment", "merge", "evaluate"}) QTest::newRow(c) << QString(c);
    }

    void fullDiskFailsWithTheReason()
    {
        QFETCH(QString, command);
        FullFolder disk;
        if (!disk.ok()) QSKIP("cannot mount a small tmpfs here (needs root)");
        const QString out = disk.filePath("out"), table = disk.filePath("table.csv");
        QCOMPARE(run(kSegment + QStringList{"--out", out, noisy}), 0);
        writeText(table, "the user's earlier table\n");
        const QByteArray oldResult = readBytes(out + "/noisy.png");
        disk.fill();
        QStringList args;
        if (command == "segment") args = kSegment + QStringList{"--out", out, noisy};
        if (command == "merge") args = {"merge", table, out + "/measurements.csv"};
        if (command == "evaluate") args = {"evaluate", "--truth", noisy, "--csv", table, out + "/noisy.png"};
        QString text, err;
        QVERIFY(run(args, &text, &err) != 0);
        QVERIFY2(err.contains(QString::fromLocal8Bit(strerror(ENOSPC))), qPrintable(err));
        QVERIFY2(!text.contains("1 of 1") && !text.startsWith("merged"), qPrintable(text));
        QCOMPARE(readBytes(out + "/noisy.png"), oldResult);
        if (command == "segment") QVERIFY(!readBytes(out + "/measurements.csv").contains("noisy.png"));
        else QCOMPARE(readBytes(table), QByteArray("the user's earlier table\n"));
    }

    void secondRunIntoTheFolderIsRefused()
    {
        const QString out = path("busy");
        QVERIFY(QDir().mkpath(out));
        const int other = ::open(QFile::encodeName(out).constData(), O_RDONLY | O_DIRECTORY);
        QVERIFY(other >= 0 && ::flock(other, LOCK_EX | LOCK_NB) == 0);
        QString err;
        QCOMPARE(run(kSegment + QStringList{"--out", out, image}, nullptr, &err), 4);
        QVERIFY2(err.contains("another run is writing into " + out), qPrintable(err));
        QVERIFY(!QFile::exists(out + "/img.png"));
        ::close(other);
        QCOMPARE(run(kSegment + QStringList{"--out", out, image}), 0);
    }

    void linksInTheResultsFolderAreNotFollowed()
    {
        const QString out = path("linked");
        QVERIFY(QDir().mkpath(out));
        writeText(path("victim.txt"), "victim\n");
        QVERIFY(QFile::link("../victim.txt", out + "/measurements.csv"));
        QVERIFY(QFile::link("../victim.txt", out + "/img.png"));
        QString err;
        QCOMPARE(run(kSegment + QStringList{"--out", out, image}, nullptr, &err), 1);
        QVERIFY2(err.contains("symbolic link"), qPrintable(err));
        QCOMPARE(readBytes(path("victim.txt")), QByteArray("victim\n"));
        QVERIFY(!QFileInfo(out + "/measurements.csv").isSymLink());
    }

    void refusals_data()
    {
        QTest::addColumn<QStringList>("args");
        QTest::addColumn<QString>("message");
        QTest::newRow("pixel size 1e-320") << (kSegment + QStringList{"--pixel-size", "1e-320", "--out", "OUT", "IMG"})
                                           << "--pixel-size";
        QTest::newRow("stats pixel size 1e-320") << QStringList{"stats", "IMG", "--binary", "--pixel-size", "1e-320"}
                                                 << "--pixel-size";
        QTest::newRow("pixel size 1e300") << QStringList{"stats", "IMG", "--binary", "--pixel-size", "1e300"} << "--pixel-size";
        // A file named retina in the current folder is not the shipped model.
        QTest::newRow("model name in the current folder")
            << QStringList{"segment", "--method", "classifier", "--model", "retina", "--out", "OUT", "IMG"}
            << "installed model";
    }

    void refusals()
    {
        QFETCH(QStringList, args);
        QFETCH(QString, message);
        args.replaceInStrings("OUT", path("refused")).replaceInStrings("IMG", image);
        const QString saved = QDir::currentPath();
        QDir::setCurrent(dir.path());
        writeText(path("retina"), "not a model\n");
        QString err;
        const int status = run(args, nullptr, &err);
        QDir::setCurrent(saved);
        QCOMPARE(status, 2);
        QVERIFY2(err.contains(message), qPrintable(err));
        QVERIFY(!QFile::exists(path("refused/measurements.csv")));
    }

    // File names are data: a name that is a formula reaches the table as text, and a name
    // with a line break survives merging.
    void fileNamesStayData()
    {
        const QString in = path("names");
        QVERIFY(QDir().mkpath(in));
        QVERIFY(QFile::copy(image, in + "/=1+2.png"));
        QVERIFY(QFile::copy(image, in + "/two\nlines.png"));
        QCOMPARE(run(kSegment + QStringList{"--out", path("names-out"), in}), 0);
        const QString table = QString::fromUtf8(readBytes(path("names-out/measurements.csv")));
        QVERIFY2(table.contains("\n'" + in + "/=1+2.png,") || table.contains(",'=1+2.png,"), qPrintable(table));
        QVERIFY2(!table.contains(",=1+2.png"), qPrintable(table));
        QString err;
        QCOMPARE(run({"merge", path("merged.csv"), path("names-out/measurements.csv")}, nullptr, &err), 0);
        const QString merged = QString::fromUtf8(readBytes(path("merged.csv")));
        QVERIFY2(merged.contains("two\nlines.png"), qPrintable(merged + err));
        QVERIFY(merged.contains(",'=1+2.png,"));
    }

    // A Latin-1 name, as an older camera or a Windows share leaves it, named and in a folder.
    void namesThatAreNotUtf8AreRead()
    {
        const QByteArray folder = QFile::encodeName(path("latin1")), name = "/caf\xe9.png";
        QVERIFY(QDir().mkpath(path("latin1")));
        const QByteArray bytes = readBytes(image);
        const int fd = ::open((folder + name).constData(), O_WRONLY | O_CREAT, 0644);
        QVERIFY(fd >= 0 && ::write(fd, bytes.constData(), size_t(bytes.size())) == bytes.size() && ::close(fd) == 0);
        QString out, err;
        QCOMPARE(run(kSegment + QStringList{"--out", path("latin1-named"), nameFromNative(folder + name)}, &out, &err), 0);
        QVERIFY(::access((QFile::encodeName(path("latin1-named")) + name).constData(), F_OK) == 0);
        QCOMPARE(run(kSegment + QStringList{"--out", path("latin1-folder"), path("latin1")}, &out, &err), 0);
        QVERIFY2(out.contains("segmented 1 of 1"), qPrintable(out + err));
        // The temporary folder's removal goes through Qt, which cannot name these files.
        for (const char *folder : {"latin1", "latin1-named", "latin1-folder"})
            QVERIFY(::unlink((QFile::encodeName(path(folder)) + name).constData()) == 0);
    }

    // 5000 x 5000 pixels decode in a few hundred MB, but thresholding them needs about 2 GB:
    // with less address space than that, the image is refused before the work starts.
    void tooLittleMemoryIsReportedBeforeTheWork()
    {
        QImage big(5000, 5000, QImage::Format_Grayscale8);
        big.fill(200);
        QVERIFY(big.save(path("big.png")));
        big = QImage();
        rlimit saved{};
        QVERIFY(getrlimit(RLIMIT_AS, &saved) == 0);
        rlimit tight = saved;
        tight.rlim_cur = rlim_t(1.5 * 1024 * 1024 * 1024) + currentVirtualSize();
        QVERIFY(setrlimit(RLIMIT_AS, &tight) == 0);
        QString text, err;
        const int result = run(kSegment + QStringList{"--out", path("big-out"), path("big.png")}, &text, &err);
        setrlimit(RLIMIT_AS, &saved);
        QCOMPARE(result, 1);
        QVERIFY2(err.contains("5000 x 5000") && err.contains("GB of memory"), qPrintable(err));
    }

};

QTEST_MAIN(HostileRunsTest)
#include "test_hostileruns.moc"
