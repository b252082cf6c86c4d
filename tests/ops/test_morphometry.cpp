// Vessel morphometry on shapes whose answers are known: bars, arcs and sine curves for
// lengths, tortuosity and diameters; boxes, lines and the Sierpinski carpet for the fractal
// dimension; even fills for lacunarity; masks for densities; and the distance transform
// against the library's.
#include <QtTest>
#include <algorithm>
#include <cmath>
#include <random>

#include "ops/morphology/distancemap.h"
#include "ops/measure/fractal.h"
#include "ops/measure/morphometry.h"
#include "ops/vesselshapes.h"

namespace {

// The longest segment a single shape thins to (a thick shape may keep a short spur).
SegmentFigures longestSegment(const Image &shape)
{
    const Morphometry m = vesselMorphometry(shape);
    if (m.segments.empty()) return {};
    return *std::max_element(m.segments.begin(), m.segments.end(),
                             [](const SegmentFigures &a, const SegmentFigures &b) { return a.length < b.length; });
}

void verifyNear(double value, double expected, double tolerance, const char *what)
{
    QVERIFY2(std::abs(value - expected) <= tolerance,
             qPrintable(QString("%1: %2, expected %3 +- %4").arg(what).arg(value).arg(expected).arg(tolerance)));
}

// The angle of (x, y) about the centre, counted from 5 degrees below the arcs' start.
double angleOf(int x, int y, double centre)
{
    const double a = std::atan2(y - centre, x - centre) - 5.0 * shapes::kPi / 180.0;
    return a < 0.0 ? a + 2 * shapes::kPi : a;
}

}  // namespace

class MorphometryTest : public QObject {
    Q_OBJECT

private slots:
    // A straight bar: diameter = its width, tortuosity 1. Along the grid the distance map is
    // exact (half a pixel); at other angles its steps allow a pixel.
    void straightBars_data()
    {
        QTest::addColumn<int>("width");
        QTest::addColumn<double>("degrees");
        QTest::addColumn<double>("diameterTolerance");
        for (const int width : {1, 2, 3, 4, 5, 6, 7, 8, 11})
            for (const double degrees : {0.0, 90.0, 30.0, 45.0})
                QTest::addRow("width %d at %g degrees", width, degrees)
                    << width << degrees << (std::fmod(degrees, 90.0) == 0.0 ? 0.5 : 1.0);
    }
    void straightBars()
    {
        QFETCH(int, width);
        QFETCH(double, degrees);
        QFETCH(double, diameterTolerance);
        const SegmentFigures s = longestSegment(shapes::bar(160, width, 100, degrees));
        verifyNear(s.meanDiameter, width, diameterTolerance, "mean diameter");
        verifyNear(s.tortuosity, 1.0, 0.012, "tortuosity");
        QVERIFY(s.minDiameter <= s.meanDiameter + 1e-9 && s.meanDiameter <= s.maxDiameter + 1e-9);
    }

    // Circular arcs: length R * angle and tortuosity (angle / 2) / sin(angle / 2) within 2 %,
    // the angle taken between the ends the thinning leaves.
    void circularArcs_data()
    {
        QTest::addColumn<double>("radius");
        QTest::addColumn<double>("thickness");
        QTest::addColumn<double>("degrees");
        QTest::newRow("r 60, 90 degrees, thin") << 60.0 << 1.0 << 90.0;
        QTest::newRow("r 60, 90 degrees, 5 px") << 60.0 << 5.0 << 90.0;
        QTest::newRow("r 40, 180 degrees, 3 px") << 40.0 << 3.0 << 180.0;
        QTest::newRow("r 100, 45 degrees, 7 px") << 100.0 << 7.0 << 45.0;
        QTest::newRow("r 50, 270 degrees, 3 px") << 50.0 << 3.0 << 270.0;
    }
    void circularArcs()
    {
        QFETCH(double, radius);
        QFETCH(double, thickness);
        QFETCH(double, degrees);
        const int size = int(2 * radius + 20);
        const double centre = (size - 1) / 2.0;
        const SegmentFigures s = longestSegment(shapes::arc(size, radius, thickness, 10.0, 10.0 + degrees));
        const double angle = std::abs(angleOf(s.x1, s.y1, centre) - angleOf(s.x0, s.y0, centre));
        verifyNear(s.length, radius * angle, 0.02 * radius * angle, "length");
        const double tortuosity = (angle / 2) / std::sin(angle / 2);
        verifyNear(s.tortuosity, tortuosity, 0.02 * tortuosity, "tortuosity");
        verifyNear(s.meanDiameter, thickness, 1.0, "mean diameter");
    }

    // Sine curves: arc length between the ends within 2 %.
    void sineCurves_data()
    {
        QTest::addColumn<double>("amplitude");
        QTest::addColumn<double>("period");
        QTest::addColumn<double>("thickness");
        QTest::newRow("gentle") << 10.0 << 200.0 << 3.0;
        QTest::newRow("steep") << 30.0 << 120.0 << 5.0;
        QTest::newRow("thin") << 20.0 << 150.0 << 1.0;
    }
    void sineCurves()
    {
        QFETCH(double, amplitude);
        QFETCH(double, period);
        QFETCH(double, thickness);
        const int w = 420, h = int(2 * amplitude + 40);
        const SegmentFigures s = longestSegment(shapes::sine(w, h, amplitude, period, thickness, 10));
        const double expected = shapes::sineLength(std::min(s.x0, s.x1), std::max(s.x0, s.x1), amplitude, period);
        verifyNear(s.length, expected, 0.02 * expected, "length");
        QVERIFY(s.tortuosity > 1.0);
    }

    void fractalDimension_data()
    {
        QTest::addColumn<Image>("image");
        QTest::addColumn<double>("dimension");
        Image square(512, 512, 1, 1, 0.0), line(512, 512, 1, 1, 0.0), diagonal(512, 512, 1, 1, 0.0);
        square.draw_rectangle(0, 0, 511, 511, &kWhite);
        line.draw_line(0, 100, 511, 100, &kWhite);
        diagonal.draw_line(0, 0, 511, 511, &kWhite);
        QTest::newRow("filled square") << square << 2.0;
        QTest::newRow("filled image of odd size") << Image(300, 201, 1, 1, kWhite) << 2.0;
        QTest::newRow("straight line") << line << 1.0;
        QTest::newRow("diagonal line") << diagonal << 1.0;
        QTest::newRow("Sierpinski carpet") << shapes::carpet(6) << std::log(8.0) / std::log(3.0);
    }
    void fractalDimension()
    {
        QFETCH(Image, image);
        QFETCH(double, dimension);
        const FractalFit fit = boxCountingDimension(image);
        verifyNear(fit.dimension, dimension, 0.03, "dimension");
        QCOMPARE(fit.smallestBox, 2);
        QVERIFY(fit.largestBox <= std::min(image.width(), image.height()) / 4);
        QVERIFY(std::isnan(boxCountingDimension(Image(64, 64, 1, 1, 0.0)).dimension));
        QVERIFY(std::isnan(boxCountingDimension(Image(12, 12, 1, 1, kWhite)).dimension));
    }

    // An even fill has lacunarity 1 at every box size; a mask keeps the empty outside from
    // counting as gaps.
    void lacunarity()
    {
        QCOMPARE(glidingBoxLacunarity(Image(200, 150, 1, 1, kWhite)).value, 1.0);
        Image half(200, 200, 1, 1, 0.0), mask(200, 200, 1, 1, 0.0);
        half.draw_rectangle(0, 0, 99, 199, &kWhite);
        mask.draw_rectangle(0, 0, 99, 199, &kWhite);
        QVERIFY(glidingBoxLacunarity(half).value > 1.2);
        const Lacunarity inside = glidingBoxLacunarity(half, &mask);
        QCOMPARE(inside.value, 1.0);
        QCOMPARE(inside.smallestBox, 2);
        QCOMPARE(inside.largestBox, 64);
        // Clumped pixels: a checkerboard of 8 x 8 tiles is more lacunar than a fine one.
        Image fine(128, 128), coarse(128, 128);
        cimg_forXY(fine, x, y)
        {
            fine(x, y) = (x + y) % 2 ? kWhite : 0.0;
            coarse(x, y) = (x / 8 + y / 8) % 2 ? kWhite : 0.0;
        }
        QVERIFY(glidingBoxLacunarity(coarse).value > glidingBoxLacunarity(fine).value);
        QVERIFY(std::isnan(glidingBoxLacunarity(Image(100, 100, 1, 1, 0.0)).value));
    }

    // Densities and fractions over the mask's area; the vessels outside it are not counted.
    void maskedNetworkFigures()
    {
        Image vessels(200, 100, 1, 1, 0.0), mask(200, 100, 1, 1, 0.0);
        vessels.draw_rectangle(10, 20, 189, 24, &kWhite);   // 180 x 5 inside
        vessels.draw_rectangle(10, 70, 189, 72, &kWhite);   // 180 x 3, half outside
        mask.draw_rectangle(0, 0, 99, 99, &kWhite);
        const Morphometry whole = vesselMorphometry(vessels);
        QCOMPARE(whole.regionPixels, 20000);
        QCOMPARE(whole.vesselPixels, 180 * 8);
        QCOMPARE(whole.areaFraction, 180.0 * 8 / 20000);
        QCOMPARE(whole.segments.size(), size_t(2));
        QCOMPARE(whole.junctions, 0);
        QCOMPARE(whole.meanTortuosity, 1.0);
        // Both vessels: readings of 5 and 3 px, the classes < 3, 3..6, >= 6 split them.
        QCOMPARE(whole.classPercent.size(), size_t(3));
        QCOMPARE(whole.classPercent[0], 0.0);
        QCOMPARE(whole.classPercent[1], 100.0);
        QCOMPARE(whole.medianDiameter == 3.0 || whole.medianDiameter == 5.0 || whole.medianDiameter == 4.0, true);

        MorphometryOptions o;
        o.mask = &mask;
        o.pixelSize = 0.5;
        o.diameterClasses = {2.0};  // mm: 4 px
        const Morphometry inside = vesselMorphometry(vessels, o);
        QCOMPARE(inside.regionPixels, 10000);
        QCOMPARE(inside.vesselPixels, 90 * 8);
        QCOMPARE(inside.areaFraction, 90.0 * 8 / 10000);
        QCOMPARE(inside.lengthDensity, inside.totalLength / 10000);
        QCOMPARE(inside.totalLengthMm, inside.totalLength * 0.5);
        QCOMPARE(inside.lengthDensityMm, inside.totalLengthMm / (10000 * 0.25));
        QVERIFY(inside.totalLength < 0.6 * whole.totalLength);
        QCOMPARE(inside.classPercent.size(), size_t(2));
        QVERIFY(inside.classPercent[0] > 30.0 && inside.classPercent[1] > 30.0);  // 3 px below 4, 5 px above
    }

    // The network figures add up the per-segment rows; junctions are the branch points.
    void networkAddsUpItsSegments()
    {
        const Image net = shapes::vesselNetwork(400, 300, 5);
        Image gray(net);
        gray.fill(77.0);
        MorphometryOptions o;
        o.gray = &gray;
        const Morphometry m = vesselMorphometry(net, o);
        double total = 0.0;
        for (const SegmentFigures &s : m.segments) {
            total += s.length;
            QCOMPARE(s.meanGray, 77.0);
            QVERIFY(s.stepLength >= s.length - 1e-9);
            if (!s.closed && s.chord > 0) QVERIFY(s.length >= s.chord - 1e-9);
        }
        QCOMPARE(m.totalLength, total);
        QVERIFY(m.junctions > 0);
        QVERIFY(m.fractal.dimension > m.skeletonFractal.dimension);
        QVERIFY(m.skeletonFractal.dimension > 1.0 && m.fractal.dimension < 2.0);
        QVERIFY(std::isnan(vesselMorphometry(net).segments.front().meanGray));
    }

    void distanceMatchesTheLibrary()
    {
        std::mt19937 rng(11);
        for (int trial = 0; trial < 12; ++trial) {
            const int w = 1 + int(rng() % 90), h = 1 + int(rng() % 90);
            Image img(w, h, 1, 1, kWhite);
            for (int k = 0; k < int(rng() % 6); ++k) img(int(rng() % unsigned(w)), int(rng() % unsigned(h))) = 0.0;
            if (trial % 3 == 0) img(int(rng() % unsigned(w)), int(rng() % unsigned(h))) = 100.0;  // gray is background
            Image zeroOne(img);
            cimg_for(zeroOne, p, double)*p = *p == kWhite ? 1.0 : 0.0;
            const Image library = zeroOne.get_distance(0.0, 3);
            const std::vector<uint32_t> ours = squaredDistanceToBackground(img);
            const bool anyBackground = zeroOne.min() == 0.0;
            for (size_t i = 0; i < img.size(); ++i)
                QCOMPARE(ours[i], anyBackground ? uint32_t(library[i]) : kNoBackground);
        }
    }

    void rejectsBadOptions()
    {
        const Image img(20, 20, 1, 1, 0.0), other(10, 20, 1, 1, 0.0);
        MorphometryOptions o;
        o.mask = &other;
        QVERIFY_THROWS_EXCEPTION(std::invalid_argument, vesselMorphometry(img, o));
        o = {};
        o.gray = &other;
        QVERIFY_THROWS_EXCEPTION(std::invalid_argument, vesselMorphometry(img, o));
        o = {};
        o.diameterClasses = {6.0, 3.0};
        QVERIFY_THROWS_EXCEPTION(std::invalid_argument, vesselMorphometry(img, o));
        o = {};
        o.pixelSize = -1.0;
        QVERIFY_THROWS_EXCEPTION(std::invalid_argument, vesselMorphometry(img, o));
        QVERIFY_THROWS_EXCEPTION(std::exception, vesselMorphometry(Image()));
        // Nothing to measure: no division by zero, figures that do not exist are NaN.
        const Morphometry empty = vesselMorphometry(img);
        QCOMPARE(empty.totalLength, 0.0);
        QVERIFY(std::isnan(empty.meanDiameter) && std::isnan(empty.meanTortuosity));
    }
};

QTEST_APPLESS_MAIN(MorphometryTest)
#include "test_morphometry.moc"
