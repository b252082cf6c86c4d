// Selection maths: masks, pixel and white counts, cutting, and the area tool's pictures.
#include <QRandomGenerator>
#include <QRegion>
#include <QtTest>

#include "ops/selection/selection.h"

namespace {

Image allWhite(int w, int h) { return Image(w, h, 1, 1, kWhite); }

// Every pixel of box where polygonMask and QRegion's odd-even scan conversion disagree.
QStringList regionMismatches(const QList<QPoint> &polygon, const QRect &box)
{
    const QRegion region(QPolygon(polygon), Qt::OddEvenFill);
    const Image mask = polygonMask(polygon, box);
    QStringList wrong;
    cimg_forXY(mask, i, j)
    {
        const QPoint p(box.left() + i, box.top() + j);
        if ((mask(i, j) == 1.0) != region.contains(p)) wrong << QString("(%1,%2)").arg(p.x()).arg(p.y());
    }
    return wrong;
}

}  // namespace

class SelectionTest : public QObject {
    Q_OBJECT

private slots:
    void polygonMaskMatchesQRegion_data()
    {
        QTest::addColumn<QList<QPoint>>("polygon");
        QTest::newRow("rectangle") << QList<QPoint>{{2, 3}, {9, 3}, {9, 8}, {2, 8}};
        QTest::newRow("triangle") << QList<QPoint>{{0, 0}, {13, 4}, {3, 11}};
        QTest::newRow("bow tie") << QList<QPoint>{{0, 0}, {10, 10}, {10, 0}, {0, 10}};
        QTest::newRow("star, odd-even hole") << QList<QPoint>{{6, 0}, {9, 12}, {0, 4}, {12, 4}, {3, 12}};
        QTest::newRow("collinear and horizontal") << QList<QPoint>{{0, 0}, {5, 0}, {10, 0}, {10, 5}, {10, 5}, {0, 5}};
        QTest::newRow("reaching left of and above 0") << QList<QPoint>{{-4, -3}, {7, 1}, {2, 9}};
        QTest::newRow("two vertices") << QList<QPoint>{{1, 1}, {8, 6}};
        // Random polygons on a small grid: many shared rows, steep and shallow edges, crossings.
        QRandomGenerator random(13);
        for (int n = 0; n < 300; ++n) {
            QList<QPoint> polygon;
            const int count = 3 + random.bounded(8);
            for (int k = 0; k < count; ++k) polygon << QPoint(random.bounded(-3, 17), random.bounded(-3, 17));
            QTest::newRow(qPrintable(QString("random %1").arg(n))) << polygon;
        }
    }
    void polygonMaskMatchesQRegion()
    {
        QFETCH(QList<QPoint>, polygon);
        const QStringList wrong = regionMismatches(polygon, QRect(-6, -6, 30, 30));
        QVERIFY2(wrong.isEmpty(), qPrintable(wrong.join(' ')));
        // A box that cuts through the polygon gives the same pixels as the whole one.
        QVERIFY(regionMismatches(polygon, QRect(3, 2, 5, 7)).isEmpty());
    }

    void areasAndWhiteCounts_data()
    {
        QTest::addColumn<int>("shape");
        QTest::addColumn<QRect>("box");
        QTest::addColumn<QList<QPoint>>("polygon");
        QTest::addColumn<int>("area");
        QTest::addColumn<int>("white");  // in an all-white 40 x 30 image
        const QList<QPoint> none;
        using S = SelectionShape;
        QTest::newRow("rectangle") << int(S::Rectangle) << QRect(QPoint(10, 10), QPoint(19, 14)) << none << 50 << 50;
        QTest::newRow("rectangle past the image")
            << int(S::Rectangle) << QRect(QPoint(35, 25), QPoint(44, 34)) << none << 100 << 25;
        QTest::newRow("ellipse, formula")
            << int(S::Ellipse) << QRect(QPoint(10, 10), QPoint(19, 14)) << none << 39 << -1;
        QTest::newRow("empty rectangle") << int(S::Rectangle) << QRect() << none << 0 << 0;
        const QList<QPoint> square{{5, 5}, {25, 5}, {25, 20}, {5, 20}};
        QTest::newRow("polygon") << int(S::Polygon) << boundingBox(square) << square << 300 << 300;
        QTest::newRow("open polygon") << int(S::Polygon) << QRect(QPoint(1, 1), QPoint(8, 6))
                                      << QList<QPoint>{{1, 1}, {8, 6}} << 0 << 0;
    }
    void areasAndWhiteCounts()
    {
        QFETCH(int, shape);
        QFETCH(QRect, box);
        QFETCH(QList<QPoint>, polygon);
        QFETCH(int, area);
        QFETCH(int, white);
        const Selection s{SelectionShape(shape), box, polygon};
        QCOMPARE(selectionArea(s), area);
        const int counted = countWhite(allWhite(40, 30), s);
        if (white >= 0) QCOMPARE(counted, white);
        // A white selection is all white, whatever the area estimate or the image's edges.
        if (counted > 0) QCOMPARE(whiteCoverage(counted, countInside(allWhite(40, 30), s)), 100.0);
        // Only white pixels count: a black image has none inside any shape.
        QCOMPARE(countWhite(Image(40, 30, 1, 1, 254.0), s), 0);
    }

    void ellipseMaskIsInscribed()
    {
        QVERIFY(ellipseMask(0, 5).is_empty());
        const Image mask = ellipseMask(10, 5);
        QCOMPARE(mask(0, 0) + mask(9, 0) + mask(0, 4) + mask(9, 4), 0.0);
        QCOMPARE(mask(5, 2), 1.0);
        // The white count of an ellipse on white is its mask's count.
        const Selection s{SelectionShape::Ellipse, QRect(3, 4, 10, 5), {}};
        QCOMPARE(double(countWhite(allWhite(40, 30), s)), mask.sum());
        QCOMPARE(whiteCoverage(39, 39), 100.0);
        QCOMPARE(whiteCoverage(5, 0), 0.0);
    }

    void cutTakesEveryImageAndStaysInside()
    {
        Image ramp(40, 30, 1, 1, 0.0);
        cimg_forXY(ramp, x, y) ramp(x, y) = x + 100 * y;
        ImageList list(ramp, Image(10, 10, 1, 1, 7.0));
        // Past the left and bottom edges: clipped, the small image is missed entirely.
        ImageList pieces = cutSelection(list, {SelectionShape::Rectangle, QRect(QPoint(-5, 25), QPoint(3, 40)), {}});
        QCOMPARE(pieces.size(), 1u);
        QCOMPARE(pieces[0].width(), 4);
        QCOMPARE(pieces[0].height(), 5);
        QCOMPARE(pieces[0](3, 0), ramp(3, 25));
        // A polygon cut keeps the pixels inside it and blacks out the rest of its box.
        const QList<QPoint> triangle{{2, 2}, {8, 2}, {2, 8}};
        pieces = cutSelection(list, {SelectionShape::Polygon, boundingBox(triangle), triangle});
        QCOMPARE(pieces.size(), 2u);
        const Image mask = polygonMask(triangle, boundingBox(triangle));
        for (const Image &piece : pieces) QCOMPARE(piece.width(), 7);
        QCOMPARE(pieces[1], Image(mask) * 7.0);
        QCOMPARE(pieces[0](0, 0), ramp(2, 2));
        QCOMPARE(pieces[0](6, 6), 0.0);
        QCOMPARE(cutSelection(ImageList(), {}).size(), 0u);
    }

    void pickBlackOutAndPaste()
    {
        const QList<PointRecord> points{{1, 1, 0, 3}, {1, 1, 0, 0}, {2, 1, 0, 0}, {-1, 0, 0, 0}, {9, 9, 0, 0}};
        const Image picked = pickedPixels(4, 3, points);
        QCOMPARE(picked.sum(), 2 * kWhite);
        QCOMPARE(picked(2, 1), kWhite);

        const Image gray(4, 3, 1, 1, 80.0);
        const Image out = blackedOut(gray, picked);
        QCOMPARE(out(1, 1) + out(2, 1), 0.0);
        QCOMPARE(out.sum(), 80.0 * 10);
        QCOMPARE(blackedOut(gray, pickedPixels(2, 2, points)).sum(), 80.0 * 11);  // a smaller mask

        Image target = gray;
        QVERIFY(pasteWhite(target, picked));
        QCOMPARE(target.sum(), 80.0 * 10 + 2 * kWhite);
        Image other = gray;
        QVERIFY(!pasteWhite(other, pickedPixels(3, 4, points)));
        QCOMPARE(other, gray);
    }
};

QTEST_APPLESS_MAIN(SelectionTest)
#include "test_selection.moc"
