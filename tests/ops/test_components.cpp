// Connected components on CImg's labelling give what the flood fills they replaced gave:
// the same regions in the same raster order, on random pictures of several densities, and
// the same speck removal through the classifier's segmentation.
#include <QtTest>
#include <random>
#include <vector>

#include "ops/classify/vesselmodel.h"
#include "ops/morphology/components.h"

namespace {

using Mask = cimg_library::CImg<unsigned char>;

// The flood fill the routines used: regions of equal value numbered in the raster order of
// their first pixels, 4- or 8-connected.
std::vector<long> floodLabels(const Mask &m, bool eight)
{
    const int w = m.width(), h = m.height();
    std::vector<long> label(m.size(), -1);
    std::vector<int> queue;
    long next = 0;
    for (size_t start = 0; start < m.size(); ++start) {
        if (label[start] >= 0) continue;
        label[start] = next;
        queue.assign(1, int(start));
        for (size_t head = 0; head < queue.size(); ++head) {
            const int x = queue[head] % w, y = queue[head] / w;
            for (int v = y - 1; v <= y + 1; ++v)
                for (int u = x - 1; u <= x + 1; ++u) {
                    if (u < 0 || v < 0 || u >= w || v >= h || (!eight && u != x && v != y)) continue;
                    const int q = u + v * w;
                    if (label[size_t(q)] < 0 && m[size_t(q)] == m[start]) label[size_t(q)] = next, queue.push_back(q);
                }
        }
        ++next;
    }
    return label;
}

Mask randomMask(int w, int h, double density, unsigned seed)
{
    std::mt19937 random(seed);
    std::bernoulli_distribution on(density);
    Mask m(w, h, 1, 1, 0);
    for (size_t i = 0; i < m.size(); ++i) m[i] = on(random);
    return m;
}

// The speck removal the classifier used: 8-connected white regions under `smallest` cleared.
Image clearedByFlood(const Image &binary, size_t smallest)
{
    Mask white(binary.width(), binary.height(), 1, 1, 0);
    for (size_t i = 0; i < binary.size(); ++i) white[i] = binary[i] == kWhite;
    const std::vector<long> label = floodLabels(white, true);
    std::vector<size_t> size(binary.size(), 0);
    for (const long l : label) ++size[size_t(l)];
    Image out(binary);
    for (size_t i = 0; i < out.size(); ++i)
        if (white[i] && size[size_t(label[i])] < smallest) out[i] = 0.0;
    return out;
}

}  // namespace

class TestComponents : public QObject {
    Q_OBJECT

private slots:
    void sameRegionsAsTheFloodFill_data()
    {
        QTest::addColumn<int>("width");
        QTest::addColumn<int>("height");
        QTest::addColumn<double>("density");
        for (const double density : {0.0, 0.3, 0.55, 0.8, 1.0})
            for (const auto &[w, h] : {std::pair{61, 47}, std::pair{1, 30}, std::pair{30, 1}})
                QTest::addRow("%dx%d at %.2f", w, h, density) << w << h << density;
    }
    void sameRegionsAsTheFloodFill()
    {
        QFETCH(int, width);
        QFETCH(int, height);
        QFETCH(double, density);
        const Mask m = randomMask(width, height, density, unsigned(width * 1000 + height + int(density * 100)));
        for (const bool eight : {false, true}) {
            const Components c = connectedComponents(m, eight);
            const std::vector<long> expected = floodLabels(m, eight);
            size_t members = 0;
            std::vector<size_t> size(c.size.size(), 0);
            for (size_t i = 0; i < m.size(); ++i) {
                QCOMPARE(long(c.label[i]), expected[i]);
                QCOMPARE(c.isMember(i), m[i] != 0);
                ++size[c.label[i]];
            }
            for (size_t l = 0; l < c.size.size(); ++l) members += c.member[l];
            QCOMPARE(c.size, size);
            QCOMPARE(c.count, members);
        }
    }

    void specksAsBefore()
    {
        for (unsigned seed = 1; seed <= 4; ++seed) {
            const Mask m = randomMask(80, 64, 0.12 * seed, seed);
            Image probability(80, 64, 1, 1, 0.0), binary(80, 64, 1, 1, 0.0);
            for (size_t i = 0; i < m.size(); ++i) probability[i] = m[i] ? 0.9 : 0.1, binary[i] = m[i] ? kWhite : 0.0;
            const Image cleared = vesselSegmentation(probability, 0.5, 6);
            QVERIFY(cleared == clearedByFlood(binary, 6));
        }
    }
};

QTEST_GUILESS_MAIN(TestComponents)
#include "test_components.moc"
