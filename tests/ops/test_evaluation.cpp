// Confusion counts and figures on small hand-counted masks.
#include <QtTest>
#include <cmath>

#include "ops/measure/evaluation.h"

namespace {
Image rows(int w, std::initializer_list<double> values)
{
    Image img(w, int(values.size()) / w, 1, 1, 0.0);
    int i = 0;
    for (const double v : values) img[size_t(i++)] = v;
    return img;
}
}  // namespace

class EvaluationTest : public QObject {
    Q_OBJECT

private slots:
    void handCounted_data()
    {
        QTest::addColumn<Image>("prediction");
        QTest::addColumn<Image>("truth");
        QTest::addColumn<Image>("mask");  // empty: no mask
        QTest::addColumn<QList<long long>>("counts");  // tp fp tn fn
        QTest::addColumn<bool>("thresholded");

        const Image pred = rows(4, {255, 255, 0, 0, 255, 0, 0, 0});
        const Image truth = rows(4, {255, 0, 255, 0, 255, 0, 0, 0});
        QTest::newRow("whole image") << pred << truth << Image() << QList<long long>{2, 1, 4, 1} << false;
        QTest::newRow("mask leaves out the miss")
            << pred << truth << rows(4, {255, 255, 0, 255, 255, 255, 0, 255}) << QList<long long>{2, 1, 3, 0} << false;
        QTest::newRow("gray mask and truth split at 128")
            << pred << rows(4, {128, 127, 200, 0, 255, 0, 0, 0}) << rows(4, {128, 128, 128, 128, 127, 128, 128, 128})
            << QList<long long>{1, 1, 4, 1} << false;
        QTest::newRow("gray prediction thresholded at 128")
            << rows(4, {200, 128, 127, 3, 255, 0, 0, 0}) << truth << Image() << QList<long long>{2, 1, 4, 1} << true;
        // In a binary prediction only 255 is vessel; 254 makes it non-binary.
        QTest::newRow("almost white")
            << rows(4, {254, 255, 0, 0, 255, 0, 0, 0}) << truth << Image() << QList<long long>{2, 1, 4, 1} << true;
        QTest::newRow("empty mask") << pred << truth << Image(4, 2, 1, 1, 0.0) << QList<long long>{0, 0, 0, 0} << false;
    }
    void handCounted()
    {
        QFETCH(Image, prediction);
        QFETCH(Image, truth);
        QFETCH(Image, mask);
        QFETCH(QList<long long>, counts);
        QFETCH(bool, thresholded);
        const Confusion c = confusionCounts(prediction, truth, mask.is_empty() ? nullptr : &mask);
        QCOMPARE((QList<long long>{c.tp, c.fp, c.tn, c.fn}), counts);
        QCOMPARE(c.thresholded, thresholded);
    }

    void figures()
    {
        Confusion c;
        c.tp = 2, c.fp = 1, c.tn = 4, c.fn = 1;
        const Figures f = evaluationFigures(c);
        QCOMPARE(f.sensitivity, 2.0 / 3.0);
        QCOMPARE(f.specificity, 4.0 / 5.0);
        QCOMPARE(f.accuracy, 6.0 / 8.0);
        QCOMPARE(f.precision, 2.0 / 3.0);
        QCOMPARE(f.dice, 4.0 / 6.0);
        QVERIFY(std::abs(f.mcc - 7.0 / 15.0) < 1e-15);

        // Nothing predicted and nothing true: the vessel figures are undefined, not 0 or 1.
        Confusion none;
        none.tn = 10;
        const Figures g = evaluationFigures(none);
        QVERIFY(std::isnan(g.sensitivity) && std::isnan(g.precision) && std::isnan(g.dice) && std::isnan(g.mcc));
        QCOMPARE(g.specificity, 1.0);
        QCOMPARE(g.accuracy, 1.0);

        // Counts of a huge image: the MCC denominator's product exceeds 64-bit integers.
        Confusion big;
        big.tp = 3'000'000'000LL, big.fp = 1'000'000'000LL, big.tn = 9'000'000'000LL, big.fn = 2'000'000'000LL;
        const long double num = 3e9L * 9e9L - 1e9L * 2e9L;
        const long double den = std::sqrt(4e9L * 5e9L * 10e9L * 11e9L);
        QVERIFY(std::abs(evaluationFigures(big).mcc - double(num / den)) < 1e-12);

        Confusion perfect;
        perfect.tp = 5, perfect.tn = 5;
        QCOMPARE(evaluationFigures(perfect).mcc, 1.0);
        QCOMPARE(evaluationFigures(perfect).dice, 1.0);
    }

    void sizeMismatchNamesBothSizes()
    {
        const Image a(4, 2, 1, 1, 0.0), b(3, 2, 1, 1, 0.0);
        try {
            confusionCounts(a, b, nullptr);
            QFAIL("no exception");
        } catch (const std::invalid_argument &e) {
            QVERIFY(QString(e.what()).contains("4 x 2"));
            QVERIFY(QString(e.what()).contains("3 x 2"));
        }
        QVERIFY_THROWS_EXCEPTION(std::invalid_argument, confusionCounts(a, a, &b));
        QVERIFY_THROWS_EXCEPTION(std::exception, confusionCounts(Image(), Image(), nullptr));
    }
};

QTEST_APPLESS_MAIN(EvaluationTest)
#include "test_evaluation.moc"
