// Display conversion, gray conversion, file round trips and the image model's list edits.
#include <QTemporaryDir>
#include <QtTest>
#include <cmath>
#include <limits>

#include "ops/io/cimgread.h"
#include "ops/io/display.h"
#include "ops/core/imagehelpers.h"
#include "ops/io/imageio.h"
#include "ops/core/imagemodel.h"
#include "ops/core/progress.h"

class DisplayTest : public QObject {
    Q_OBJECT

private slots:
    void displayGray_data()
    {
        QTest::addColumn<double>("value");
        QTest::addColumn<int>("gray");
        const double inf = std::numeric_limits<double>::infinity();
        const QList<QPair<double, int>> rows = {
            {0, 0},      {127.5, 127}, {255, 255},       {255.9, 255},     {256, 0},     {300, 44},
            {-1, 255},   {-0.5, 0},    {1000, 232},      {-256, 0},        {-257, 255},  {2147483647.0, 255},
            {2147483648.0, 0}, {-2147483648.0, 0}, {-2147483649.0, 0}, {std::nan(""), 0}, {inf, 0}, {-inf, 0}};
        for (const auto &[v, g] : rows) QTest::newRow(qPrintable(QString::number(v, 'g', 12))) << v << g;
    }
    void displayGray()
    {
        QFETCH(double, value);
        QFETCH(int, gray);
        QCOMPARE(int(::displayGray(value)), gray);
        // The picture carries the same level in all three channels, opaque.
        Image image(1, 1, 1, 1, value);
        const QImage picture = toDisplayImage(image);
        QCOMPARE(picture.pixel(0, 0), qRgb(gray, gray, gray));
    }

    void renderIntoKeepsPixelsOutsideTheImage()
    {
        QImage target(4, 3, QImage::Format_RGB32);
        target.fill(qRgb(9, 9, 9));
        Image small(2, 5, 1, 1, 200.0);  // taller than the target: extra rows are dropped
        renderInto(small, target);
        QCOMPARE(target.pixel(1, 2), qRgb(200, 200, 200));
        QCOMPARE(target.pixel(2, 0), qRgb(9, 9, 9));
    }

    void grayConversion_data()
    {
        QTest::addColumn<QColor>("colour");
        QTest::addColumn<int>("gray");
        QTest::newRow("red") << QColor(255, 0, 0) << 87;
        QTest::newRow("green") << QColor(0, 255, 0) << 127;
        QTest::newRow("blue") << QColor(0, 0, 255) << 39;
        QTest::newRow("white") << QColor(255, 255, 255) << 255;
        QTest::newRow("area mark") << QColor(0, 230, 0) << 115;
    }
    void grayConversion()
    {
        QFETCH(QColor, colour);
        QFETCH(int, gray);
        QImage picture(3, 2, QImage::Format_RGB32);
        picture.fill(colour);
        QTemporaryDir dir;
        const QString path = dir.filePath("colour.png");
        QVERIFY(picture.save(path));
        NullProgress progress;
        const LoadResult loaded = loadGrayImage(path, progress);
        QVERIFY2(loaded.ok(), qPrintable(loaded.error));
        QCOMPARE(loaded.image.width(), 3);
        QCOMPARE(loaded.image.height(), 2);
        QCOMPARE(loaded.image(2, 1), double(gray));
        QCOMPARE(grayImageFrom(picture)(0, 0), double(gray));
        // A chosen channel reads that channel alone; gray is the default.
        const std::pair<Channel, int> channels[] = {
            {Channel::Gray, gray}, {Channel::Red, colour.red()}, {Channel::Green, colour.green()}, {Channel::Blue, colour.blue()}};
        for (const auto &[channel, value] : channels)
            QCOMPARE(loadGrayImage(path, progress, channel).image(1, 0), double(value));
    }

    void saveAndLoadRoundTrip_data()
    {
        QTest::addColumn<QString>("format");
        QTest::newRow("png") << "png";
        QTest::newRow("bmp") << "bmp";
        QTest::newRow("tif") << "tif";
    }
    void saveAndLoadRoundTrip()
    {
        QFETCH(QString, format);
        Image image(17, 9, 1, 1, 0.0);
        cimg_forXY(image, x, y) image(x, y) = (x * 37 + y * 11) % 256;
        image(3, 4) = 300;  // saved as its display level 44
        QTemporaryDir dir;
        const QString path = dir.filePath("scan." + format);
        QString error;
        QVERIFY2(savePicture(toDisplayImage(image), path, format.toLatin1().constData(), &error), qPrintable(error));
        NullProgress progress;
        const LoadResult loaded = loadGrayImage(path, progress);
        QVERIFY2(loaded.ok(), qPrintable(loaded.error));
        image(3, 4) = 44;
        QVERIFY(loaded.image == image);
    }

    void cimgKeepsDoublesIncludingNaN()
    {
        Image image(5, 4, 1, 1, 0.0);
        cimg_forXY(image, x, y) image(x, y) = x * 0.1 - y * 1e6;
        image(1, 1) = std::nan("");
        image(2, 2) = -std::numeric_limits<double>::infinity();
        QTemporaryDir dir;
        const QString path = dir.filePath("values.cimg");
        QString error;
        QVERIFY2(saveCimgImage(image, path, &error), qPrintable(error));
        const LoadResult loaded = loadCimgImage(path);
        QVERIFY2(loaded.ok(), qPrintable(loaded.error));
        QVERIFY(std::isnan(loaded.image(1, 1)));
        QCOMPARE(loaded.image(2, 2), image(2, 2));
        QCOMPARE(loaded.image(4, 3), image(4, 3));
    }

    void unreadableFilesAreReportedByName_data()
    {
        QTest::addColumn<QByteArray>("content");
        QTest::addColumn<QString>("name");
        QTest::newRow("empty png") << QByteArray() << "empty.png";
        QTest::newRow("text as png") << QByteArray("not a picture at all") << "text.png";
        QTest::newRow("truncated png") << QByteArray("\x89PNG\r\n\x1a\n\0\0\0\rIHDR", 16) << "cut.png";
        QTest::newRow("missing") << QByteArray("-") << "missing.png";
        QTest::newRow("folder") << QByteArray("/") << "folder";
    }
    void unreadableFilesAreReportedByName()
    {
        QFETCH(QByteArray, content);
        QFETCH(QString, name);
        QTemporaryDir dir;
        const QString path = dir.filePath(name);
        if (content == "/")
            QVERIFY(QDir(dir.path()).mkdir(name));
        else if (content != "-") {
            QFile file(path);
            QVERIFY(file.open(QIODevice::WriteOnly));
            file.write(content);
        }
        NullProgress progress;
        const LoadResult loaded = loadAnyImage(path, progress);
        QVERIFY(!loaded.ok());
        QVERIFY(loaded.image.is_empty());
        QVERIFY2(loaded.error.contains(name), qPrintable(loaded.error));
    }

    void failedSaveKeepsTheExistingFile()
    {
        QTemporaryDir dir;
        const QString path = dir.filePath("keep.png");
        QImage old(2, 2, QImage::Format_RGB32);
        old.fill(Qt::white);
        QVERIFY(old.save(path));
        const QByteArray before = [&] { QFile f(path); f.open(QIODevice::ReadOnly); return f.readAll(); }();
        QString error;
        // An unknown format makes the writer fail after the file was opened.
        QVERIFY(!savePicture(old, path, "no-such-format", &error));
        QVERIFY(!error.isEmpty());
        QFile f(path);
        QVERIFY(f.open(QIODevice::ReadOnly));
        QCOMPARE(f.readAll(), before);
    }

    void modelListEdits()
    {
        const Image a(2, 2, 1, 1, 1.0), b(2, 2, 1, 1, 2.0);
        ImageList list;
        list.push_back(a);
        list.push_back(b);
        ImageModel model(list);
        QCOMPARE(model.currentIndex, 1);

        model.currentIndex = 0;
        model.duplicateCurrent();  // [A, B, A'] with A' current
        QCOMPARE(model.count(), 3);
        QCOMPARE(model.currentIndex, 2);
        QCOMPARE(model.current()(0, 0), 1.0);

        model.currentIndex = 0;
        model.previewImage = Image(2, 2, 1, 1, 7.0);
        model.previewToCurrent();  // replaces the last image, not the current one
        QCOMPARE(model.count(), 3);
        QCOMPARE(model.currentIndex, 0);
        QCOMPARE((*model.image(0))(0, 0), 1.0);
        QCOMPARE((*model.image(2))(0, 0), 7.0);

        QVERIFY(model.deleteCurrent());  // removing image 0 makes the former image 1 current
        QCOMPARE(model.count(), 2);
        QCOMPARE(model.currentIndex, 0);
        QCOMPARE(model.current()(0, 0), 2.0);
        QVERIFY(model.deleteCurrent());
        QVERIFY(!model.deleteCurrent());  // the last image always stays
        QCOMPARE(model.count(), 1);
    }

    void rollbackRestoresTheListAfterAFailedOperation()
    {
        ImageModel model(Image(3, 3, 1, 1, 5.0));
        const ImageModel::Mark mark = model.mark();
        model.duplicateCurrent();
        model.current().fill(9.0);
        model.append(Image(1, 1, 1, 1, 0.0));
        model.rollback(mark);
        QCOMPARE(model.count(), 1);
        QCOMPARE(model.currentIndex, 0);
        QCOMPARE(model.current()(1, 1), 5.0);
    }

    void movingMarkKeepsOrRestoresThePreview()
    {
        // A run on a working copy: the mark copies nothing, the preview comes back after
        // success unless the run made one, and a rollback restores list and preview.
        for (const bool fails : {false, true})
            for (const bool setsPreview : {false, true}) {
                ImageModel model(Image(3, 3, 1, 1, 5.0));
                model.previewImage = Image(2, 2, 1, 1, 7.0);
                ImageModel::Mark mark = model.markMovingPreview(false);
                QVERIFY(!mark.current.full && model.previewImage.is_empty());
                model.duplicateCurrent();
                model.current().fill(9.0);
                if (setsPreview) model.previewImage = Image(1, 1, 1, 1, 3.0);
                if (fails)
                    model.rollback(mark);
                else
                    model.keep(std::move(mark));
                QCOMPARE(model.count(), fails ? 1 : 2);
                QCOMPARE(model.current()(1, 1), fails ? 5.0 : 9.0);
                QCOMPARE(model.previewImage(0, 0), setsPreview && !fails ? 3.0 : 7.0);
            }
    }

    void directCimgReaderMatchesTheLibrary()
    {
        // Files the program writes are read straight into the image; anything else (other
        // types, lists, a wrong length) is left to the library's reader, with equal values.
        Image values(7, 5, 1, 1, 0.0);
        cimg_forXY(values, x, y) values(x, y) = (x - 3) * 1e7 + y * 0.1;
        values(1, 1) = std::numeric_limits<double>::quiet_NaN();
        values(2, 2) = -std::numeric_limits<double>::infinity();
        QTemporaryDir dir;
        const QByteArray doubles = QFile::encodeName(dir.filePath("d.cimg")), floats = QFile::encodeName(dir.filePath("f.cimg")),
                         list = QFile::encodeName(dir.filePath("l.cimg"));
        values.save_cimg(doubles.constData());
        cimg_library::CImg<float>(values).save_cimg(floats.constData());
        ImageList(values, values).save_cimg(list.constData());
        const std::pair<QByteArray, bool> cases[] = {{doubles, true}, {floats, false}, {list, false}};
        for (const auto &[path, direct] : cases) {
            Image read;
            QCOMPARE(readNativeCimg(QFile::decodeName(path), read), direct);
            QVERIFY(read.is_empty() != direct);
        }
        Image read, reference;
        QVERIFY(readNativeCimg(QFile::decodeName(doubles), read));
        reference.load_cimg(doubles.constData());
        QCOMPARE(QByteArray(reinterpret_cast<const char *>(read.data()), int(read.size() * sizeof(double))),
                 QByteArray(reinterpret_cast<const char *>(reference.data()), int(reference.size() * sizeof(double))));
        QVERIFY(read.is_sameXYZC(reference));
    }

    void maxOfAndMinOfWithNaN()
    {
        const double nan = std::nan("");
        QVERIFY(std::isnan(maxOf(1, nan)));
        QVERIFY(std::isnan(minOf(1, nan)));
        QCOMPARE(maxOf(nan, 1), 1.0);
        QCOMPARE(minOf(nan, 1), 1.0);
    }
};

QTEST_GUILESS_MAIN(DisplayTest)
#include "test_display.moc"
