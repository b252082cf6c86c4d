// The area tool's region fill: picked sets, header and order.
#include <QtTest>

#include "ops/selection/areafill.h"

namespace {

// An image from rows of characters: '#' is 255, '.' is 0, digits are that gray level * 10.
Image fromRows(const QStringList &rows)
{
    Image image(int(rows[0].size()), int(rows.size()), 1, 1, 0.0);
    cimg_forXY(image, x, y)
    {
        const QChar c = rows[y][x];
        image(x, y) = c == '#' ? 255.0 : c == '.' ? 0.0 : c.digitValue() * 10.0;
    }
    return image;
}

QSet<QPair<int, int>> pixelsOf(const QList<PointRecord> &region)
{
    QSet<QPair<int, int>> set;
    for (int i = 1; i < region.size(); ++i) set.insert({region[i].x, region[i].y});
    return set;
}

}  // namespace

class AreaFillTest : public QObject {
    Q_OBJECT

private slots:
    void diagonalSeedingRule()
    {
        // (0,0), (1,1), (0,2) white: clicking (1,1) picks (1,1) and (0,0), not (0,2).
        Image image = fromRows({"#.", ".#", "#."});
        const QList<PointRecord> region = areaFill(image, 1, 1, 8);
        QCOMPARE(region.size(), 3);
        QCOMPARE(region[0], (PointRecord{0, 0, 0, 3}));
        QCOMPARE(pixelsOf(region), (QSet<QPair<int, int>>{{1, 1}, {0, 0}}));
    }

    void squaresTouchingAtACorner()
    {
        Image image = fromRows({"##..", "##..", "..##", "..##"});
        Image copy = image;
        QCOMPARE(areaFill(copy, 0, 0, 8).size(), 9);
        copy = image;
        QCOMPARE(areaFill(copy, 0, 0, 4).size(), 5);  // edge neighbours only
    }

    void blackOrOutsideIsEmpty()
    {
        Image image = fromRows({"#.", ".#"});
        QVERIFY(areaFill(image, 1, 0, 8).isEmpty());
        QVERIFY(areaFill(image, 2, 0, 8).isEmpty());
        QVERIFY(areaFill(image, -1, 0, 8).isEmpty());
    }

    void regionOfEqualGrayReachingTheLastRow()
    {
        Image image = fromRows({"....", ".55.", ".555", "..5#"});
        const QList<PointRecord> region = areaFill(image, 1, 1, 4);
        QCOMPARE(region.first(), (PointRecord{1, 1, 0, 7}));
        QVERIFY(pixelsOf(region).contains({2, 3}));
        QVERIFY(!pixelsOf(region).contains({3, 3}));  // other gray level
    }

    void fourConnectivityIsTheConnectedComponent()
    {
        // Against a plain flood fill on random images.
        std::srand(7);
        for (int round = 0; round < 200; ++round) {
            Image image(9, 7, 1, 1, 0.0);
            for (double &v : image) v = (std::rand() % 3 == 0) ? 0.0 : 255.0;
            int x0 = std::rand() % 9, y0 = std::rand() % 7;
            image(x0, y0) = 255.0;
            QSet<QPair<int, int>> expected;
            QList<QPair<int, int>> stack = {{x0, y0}};
            while (!stack.isEmpty()) {
                const auto [x, y] = stack.takeLast();
                if (x < 0 || y < 0 || x >= 9 || y >= 7 || image(x, y) != 255.0 || expected.contains({x, y})) continue;
                expected.insert({x, y});
                stack << qMakePair(x + 1, y) << qMakePair(x - 1, y) << qMakePair(x, y + 1) << qMakePair(x, y - 1);
            }
            Image copy = image;
            const QList<PointRecord> region = areaFill(copy, x0, y0, 4);
            QCOMPARE(pixelsOf(region), expected);
            QCOMPARE(region.first().count, int(expected.size()) + 1);
        }
    }
};

QTEST_APPLESS_MAIN(AreaFillTest)
#include "test_areafill.moc"
