// Skeleton measurements on hand-drawn skeletons, and the combined figures of a segmentation.
#include <QtTest>
#include <cmath>
#include <random>

#include "ops/measure/statistics.h"
#include "ops/measure/vesselmeasure.h"

namespace {

const double kRoot2 = std::sqrt(2.0);

struct Points {
    std::vector<std::pair<int, int>> xy;
    Points &add(int x, int y)
    {
        xy.emplace_back(x, y);
        return *this;
    }
    Points &line(int x0, int y0, int dx, int dy, int n)
    {
        for (int k = 0; k < n; ++k) add(x0 + k * dx, y0 + k * dy);
        return *this;
    }
    Image draw(int w, int h) const
    {
        Image img(w, h, 1, 1, 0.0);
        for (const auto &[x, y] : xy) img(x, y) = 255.0;
        return img;
    }
};

Image diamondRing(int size, int r)
{
    Image img(size, size, 1, 1, 0.0);
    const int c = size / 2;
    for (int y = 0; y < size; ++y)
        for (int x = 0; x < size; ++x)
            if (std::abs(x - c) + std::abs(y - c) == r) img(x, y) = 255.0;
    return img;
}

}  // namespace


class VesselMeasureTest : public QObject {
    Q_OBJECT

private slots:
    void handDrawnSkeletons_data()
    {
        QTest::addColumn<Image>("skeleton");
        QTest::addColumn<int>("ends");
        QTest::addColumn<int>("branches");
        QTest::addColumn<int>("segments");
        QTest::addColumn<double>("length");

        QTest::newRow("empty") << Image(6, 6, 1, 1, 0.0) << 0 << 0 << 0 << 0.0;
        QTest::newRow("isolated pixel") << Points().add(3, 3).draw(7, 7) << 0 << 0 << 1 << 0.0;
        QTest::newRow("horizontal line") << Points().line(1, 2, 1, 0, 8).draw(10, 5) << 2 << 0 << 1 << 7.0;
        QTest::newRow("diagonal line") << Points().line(0, 0, 1, 1, 10).draw(10, 10) << 2 << 0 << 1 << 9 * kRoot2;
        QTest::newRow("anti-diagonal line") << Points().line(9, 0, -1, 1, 10).draw(10, 10) << 2 << 0 << 1 << 9 * kRoot2;
        // A 4-connected staircase: each corner pixel is passed through, not jumped over.
        QTest::newRow("staircase") << Points().add(0, 0).add(1, 0).add(1, 1).add(2, 1).add(2, 2).add(3, 2).draw(5, 4)
                                   << 2 << 0 << 1 << 5.0;
        QTest::newRow("line along the border") << Points().line(0, 0, 1, 0, 12).draw(12, 4) << 2 << 0 << 1 << 11.0;
        QTest::newRow("plus cross")
            << Points().line(1, 4, 1, 0, 7).line(4, 1, 0, 1, 3).line(4, 5, 0, 1, 3).draw(9, 9) << 4 << 1 << 4 << 12.0;
        QTest::newRow("diagonal cross")
            << Points().line(1, 1, 1, 1, 7).line(7, 1, -1, 1, 3).line(3, 5, -1, 1, 3).draw(9, 9) << 4 << 1 << 4
            << 12 * kRoot2;
        QTest::newRow("T junction") << Points().line(1, 2, 1, 0, 9).line(5, 3, 0, 1, 6).draw(11, 10) << 3 << 1 << 3
                                    << 14.0;
        QTest::newRow("one-pixel spur") << Points().line(1, 2, 1, 0, 9).add(5, 3).draw(11, 6) << 3 << 1 << 3 << 9.0;
        QTest::newRow("two junctions")
            << Points().line(1, 5, 1, 0, 18).line(5, 0, 0, 1, 5).line(14, 6, 0, 1, 5).draw(20, 12) << 4 << 2 << 5
            << 27.0;
        QTest::newRow("diamond ring") << diamondRing(21, 8) << 0 << 0 << 1 << 32 * kRoot2;
        QTest::newRow("square ring")
            << Points().line(2, 2, 1, 0, 10).line(2, 11, 1, 0, 10).line(2, 3, 0, 1, 8).line(11, 3, 0, 1, 8).draw(14, 14)
            << 0 << 0 << 1 << 36.0;
        QTest::newRow("two lines") << Points().line(1, 1, 1, 0, 5).line(1, 4, 1, 1, 4).draw(8, 8) << 4 << 0 << 2
                                   << 4 + 3 * kRoot2;
    }
    void handDrawnSkeletons()
    {
        QFETCH(Image, skeleton);
        QFETCH(int, ends);
        QFETCH(int, branches);
        QFETCH(int, segments);
        QFETCH(double, length);
        const SkeletonMeasures m = skeletonMeasures(skeleton);
        QCOMPARE(m.endPoints, ends);
        QCOMPARE(m.branchPoints, branches);
        QCOMPARE(m.segments, segments);
        QCOMPARE(m.stepLength, length);
        long long white = 0;
        for (const double v : skeleton) white += v == 255.0;
        QCOMPARE(m.pixels, white);

        // The drawing classes follow the same rules: one mark per end point, every
        // skeleton pixel marked, nothing outside it.
        const Image parts = skeletonParts(skeleton);
        long long endMarks = 0, junctionMarks = 0, marked = 0;
        for (size_t i = 0; i < parts.size(); ++i) {
            endMarks += parts[i] == kEndPoint;
            junctionMarks += parts[i] == kJunctionPixel;
            marked += parts[i] != kNotSkeleton;
            QCOMPARE(parts[i] != kNotSkeleton, skeleton[i] == 255.0);
        }
        QCOMPARE(endMarks, ends);
        QCOMPARE(marked, white);
        QVERIFY(junctionMarks >= branches);
        QCOMPARE(junctionMarks == 0, branches == 0);

        // The traced segments are the counted ones; no skeleton pixel lies in two of them,
        // every path runs through neighbouring pixels, and joins end on junction pixels.
        const SkeletonTrace trace = traceSkeleton(skeleton);
        QCOMPARE(trace.measures.segments, segments);
        QCOMPARE(qsizetype(trace.segments.size()), qsizetype(segments));
        std::vector<int> owner(skeleton.size(), 0);
        const int w = skeleton.width();
        const auto neighbours = [w](int a, int b) { return std::abs(a % w - b % w) <= 1 && std::abs(a / w - b / w) <= 1; };
        for (const TracedSegment &s : trace.segments) {
            for (const int p : s.pixels) QCOMPARE(owner[size_t(p)]++, 0);
            for (size_t k = 1; k < s.path.size(); ++k) QVERIFY(neighbours(s.path[k - 1], s.path[k]));
            for (const auto *join : {&s.startJoin, &s.endJoin})
                if (!join->empty()) QCOMPARE(parts[size_t(join->back())], kJunctionPixel);
        }
    }

    void grayValuesAreBackground()
    {
        Image img = Points().line(1, 2, 1, 0, 8).draw(10, 5);
        img(4, 2) = 254.0;  // breaks the line in two
        const SkeletonMeasures m = skeletonMeasures(img);
        QCOMPARE(m.endPoints, 4);
        QCOMPARE(m.segments, 2);
        QCOMPARE(m.pixels, 7);
    }

    // The first figures equal the binary report's; one thinning serves both.
    void basicFiguresMatchTheBinaryReport()
    {
        std::mt19937 rng(7);
        for (int trial = 0; trial < 40; ++trial) {
            const int w = 8 + int(rng() % 40), h = 8 + int(rng() % 40);
            Image img(w, h, 1, 1, 0.0);
            for (int k = 0; k < 6; ++k)
                img.draw_circle(int(rng() % unsigned(w)), int(rng() % unsigned(h)), int(1 + rng() % 5), &kWhite);
            if (trial % 5 == 0) img(int(rng() % unsigned(w)), 0) = 100.0;  // a stray gray value
            const BinaryStats expected = binaryStatistics(img);
            const VesselMeasures v = vesselMeasures(img);
            QCOMPARE(v.basic.width, expected.width);
            QCOMPARE(v.basic.height, expected.height);
            QCOMPARE(v.basic.area, expected.area);
            QCOMPARE(v.basic.length, expected.length);
            QCOMPARE(v.basic.coverage, expected.coverage);
            QCOMPARE(v.skeleton.pixels, expected.length);
        }
    }

    void thickCrossThinsToOneBranchPoint()
    {
        Image img(61, 61, 1, 1, 0.0);
        img.draw_rectangle(5, 27, 55, 33, &kWhite);
        img.draw_rectangle(27, 5, 33, 55, &kWhite);
        const VesselMeasures v = vesselMeasures(img);
        QCOMPARE(v.skeleton.branchPoints, 1);
        QCOMPARE(v.skeleton.endPoints, 4);
        QCOMPARE(v.skeleton.segments, 4);
    }

    void widthAndMillimetres()
    {
        // A bar 5 pixels wide thins to a line; width = area / skeleton length.
        Image img(40, 20, 1, 1, 0.0);
        img.draw_rectangle(5, 8, 34, 12, &kWhite);
        const VesselMeasures px = vesselMeasures(img);
        QVERIFY(px.skeleton.stepLength > 0.0);
        QCOMPARE(px.meanWidth, 150.0 / px.skeleton.stepLength);
        QCOMPARE(px.pixelSize, 0.0);
        QCOMPARE(px.lengthMm, 0.0);

        const VesselMeasures mm = vesselMeasures(img, 0.02);
        QCOMPARE(mm.lengthMm, px.skeleton.stepLength * 0.02);
        QCOMPARE(mm.meanWidthMm, px.meanWidth * 0.02);
        QCOMPARE(mm.lengthDensity, mm.lengthMm / (40 * 0.02 * (20 * 0.02)));

        const VesselMeasures none = vesselMeasures(Image(4, 4, 1, 1, 0.0), 0.1);
        QCOMPARE(none.meanWidth, 0.0);  // no skeleton: no division by zero
        QCOMPARE(none.lengthDensity, 0.0);
    }

    void rejectsBadInput()
    {
        QVERIFY_THROWS_EXCEPTION(std::invalid_argument, vesselMeasures(Image(4, 4, 1, 1, 0.0), -1.0));
        QVERIFY_THROWS_EXCEPTION(std::invalid_argument, vesselMeasures(Image(4, 4, 1, 1, 0.0), std::nan("")));
        QVERIFY_THROWS_EXCEPTION(std::exception, vesselMeasures(Image()));
        QVERIFY_THROWS_EXCEPTION(std::exception, skeletonMeasures(Image()));
    }
};

QTEST_APPLESS_MAIN(VesselMeasureTest)
#include "test_vesselmeasure.moc"
