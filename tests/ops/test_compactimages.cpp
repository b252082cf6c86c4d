// Binary images held in one bit per pixel read back as the same doubles wherever the
// program reads them (display, every save format, statistics), stay compact while only
// read or copied, and become doubles of their own when edited.
#include <QFile>
#include <QTemporaryDir>
#include <QtTest>
#include <cmath>
#include <cstring>
#include <random>

#include "ops/io/display.h"
#include "ops/io/imageio.h"
#include "ops/core/imagemodel.h"
#include "ops/measure/statistics.h"
#include "ops/tablesupport.h"

namespace {

// 0/255 noise of the given size; odd sizes leave a partial last word of bits.
Image randomBinary(int w, int h, unsigned seed)
{
    std::mt19937 rng(seed);
    Image img(w, h, 1, 1);
    for (double &v : img) v = rng() & 1 ? kWhite : 0.0;
    return img;
}

QByteArray fileBytes(const QString &path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

}  // namespace

class CompactImagesTest : public QObject {
    Q_OBJECT

private slots:
    void readsGiveTheSameDoubles_data()
    {
        QTest::addColumn<int>("width");
        QTest::addColumn<int>("height");
        QTest::newRow("one pixel") << 1 << 1;
        QTest::newRow("one word and a bit") << 65 << 1;
        QTest::newRow("odd rectangle") << 37 << 23;
    }

    void readsGiveTheSameDoubles()
    {
        QFETCH(int, width);
        QFETCH(int, height);
        const Image binary = randomBinary(width, height, unsigned(width * height));
        ImageModel model(Image(width, height, 1, 1, 7.0));
        model.appendCompact(binary);
        QVERIFY(model.isCompact(1));
        QVERIFY(sameBits(*model.image(1), binary));
        QVERIFY(sameBits(model.toList()[1], binary));

        // The display conversion, every save format and the statistics see the same image.
        QVERIFY(toDisplayImage(*model.image(1)) == toDisplayImage(binary));
        QTemporaryDir dir;
        for (const char *format : {"png", "bmp", "tif", "jpg"}) {
            const QString a = dir.filePath(QString("a.") + format), b = dir.filePath(QString("b.") + format);
            QVERIFY(savePicture(toDisplayImage(*model.image(1)), a, format, nullptr));
            QVERIFY(savePicture(toDisplayImage(binary), b, format, nullptr));
            QVERIFY2(fileBytes(a) == fileBytes(b), format);
        }
        QVERIFY(saveCimgImage(*model.image(1), dir.filePath("a.cimg"), nullptr));
        QVERIFY(saveCimgImage(binary, dir.filePath("b.cimg"), nullptr));
        QCOMPARE(fileBytes(dir.filePath("a.cimg")), fileBytes(dir.filePath("b.cimg")));
        const GrayStats g = grayStatistics(*model.image(1)), e = grayStatistics(binary);
        QCOMPARE(g.mean, e.mean);
        QCOMPARE(g.variance, e.variance);
        const BinaryStats s = binaryStatistics(*model.image(1)), t = binaryStatistics(binary);
        QCOMPARE(s.area, t.area);
        QCOMPARE(s.length, t.length);
    }

    void onlyExactBinaryImagesAreCompacted()
    {
        Image negativeZero(4, 1, 1, 1, kWhite), gray(4, 1, 1, 1, 0.0);
        negativeZero[2] = -0.0;
        gray[3] = 128.0;
        ImageModel model(Image(4, 1, 1, 1, 0.0));
        model.appendCompact(negativeZero);
        model.appendCompact(gray);
        QVERIFY(model.isCompact(0) == false);
        QVERIFY(!model.isCompact(1) && std::signbit((*model.image(1))[2]));
        QVERIFY(!model.isCompact(2) && sameBits(*model.image(2), gray));
    }

    void copiesStayCompactAndEditsExpand()
    {
        const Image binary = randomBinary(9, 7, 3);
        ImageModel model(Image(9, 7, 1, 1, 1.0));
        model.appendCompact(binary);
        model.currentIndex = 1;
        const ImageModel::Mark mark = model.mark();

        // A working copy of a compact image is compact too; editing it leaves the original.
        model.duplicateCurrent();
        QVERIFY(model.isCompact(2));
        model.current().fill(42.0);
        QVERIFY(!model.isCompact(2));
        QVERIFY(model.isCompact(1) && sameBits(*model.image(1), binary));

        // A working copy of doubles shares them until it is edited.
        model.currentIndex = 0;
        model.duplicateCurrent();
        model.current()(0, 0) = 5.0;
        QCOMPARE((*model.image(0))(0, 0), 1.0);
        QCOMPARE((*model.image(3))(0, 0), 5.0);

        // Taking an edit back restores the compact image.
        model.currentIndex = 1;
        model.current().fill(0.0);
        model.rollback(mark);
        QCOMPARE(model.count(), 2);
        QVERIFY(model.isCompact(1) && sameBits(*model.image(1), binary));
    }
};

QTEST_GUILESS_MAIN(CompactImagesTest)
#include "test_compactimages.moc"
