// Magnitude spectrum and inverse transform.
#include <QtTest>

#include <atomic>
#include <condition_variable>
#include <thread>

#include "ops/filters/fourier.h"
#include "ops/filters/homomorphic.h"
#include "ops/table/operations.h"
#include "ops/core/progress.h"
#include "ops/tablesupport.h"
#include "reference_enhancement.h"

class TestFourier : public QObject {
    Q_OBJECT
private slots:
    void spectrumMatchesReference_data();
    void spectrumMatchesReference();
    void inverseMatchesReference_data();
    void inverseMatchesReference();
    void squareSpectrumIsCentred();
    void nonSquareShowsCanvasRows();
    void constantAndZeroImages();
    void forwardThenInverseIsNotIdentity();
    void rejectsEmpty();
    void tableRuns();
    void concurrentTransformsAgree();
};

void TestFourier::spectrumMatchesReference_data()
{
    // Not the impulse: its magnitude spectrum is flat, and scaling would blow rounding up.
    ref::addImageRows({"noise", "waves", "line", "checker", "huge"},
                      {QSize(1, 1), QSize(2, 1), QSize(1, 5), QSize(7, 7), QSize(16, 9), QSize(13, 30),
                       QSize(64, 64), QSize(101, 77), QSize(300, 300)});
}

void TestFourier::spectrumMatchesReference()
{
    QFETCH(QString, kind);
    QFETCH(int, w);
    QFETCH(int, h);
    const Image in = ref::testImage(kind, w, h, 4);
    QUENDRA_COMPARE_REF(magnitudeSpectrum(in), ref::magnitude(in));
}

void TestFourier::inverseMatchesReference_data()
{
    ref::addImageRows({"noise", "impulse", "huge"},
                      {QSize(1, 1), QSize(1, 6), QSize(5, 1), QSize(7, 7), QSize(16, 9), QSize(13, 30), QSize(128, 65)});
}

void TestFourier::inverseMatchesReference()
{
    QFETCH(QString, kind);
    QFETCH(int, w);
    QFETCH(int, h);
    const Image in = ref::testImage(kind, w, h, 8);
    const Image copy(in);
    QUENDRA_COMPARE_REF(inverseSpectrum(in), ref::inverse(in));
    QCOMPARE(ref::maxDiff(in, copy), 0.0);
}

void TestFourier::squareSpectrumIsCentred()
{
    // A pure cosine along x: energy only at frequency 0 and +-8 of row 0.
    Image in(256, 256, 1, 1);
    cimg_forXY(in, x, y) in(x, y) = 100.0 + 50.0 * std::cos(2 * M_PI * 8 * x / 256.0) + (x + y) % 3;
    const Image s = magnitudeSpectrum(in);
    QCOMPARE(s.width(), 256);
    QCOMPARE(s.height(), 256);
    QCOMPARE(s.min(), 0.0);
    QCOMPARE(s.max(), 255.0);
    QCOMPARE(s(128, 128), 255.0);
    QCOMPARE(spectrumOffsets(in).x, 0);
    QCOMPARE(spectrumOffsets(in).y, 0);
}

void TestFourier::nonSquareShowsCanvasRows()
{
    const Image in = ref::testImage("noise", 256, 128, 3);
    QCOMPARE(spectrumOffsets(in).x, 0);
    QCOMPARE(spectrumOffsets(in).y, 64);
    const Image s = magnitudeSpectrum(in);
    QCOMPARE(s.width(), 256);
    QCOMPARE(s.height(), 128);
    // Rows 64 to 191 of the centred spectrum of the 256 x 256 canvas.
    Image canvas(256, 256, 1, 1, 0.0);
    canvas.draw_image(0, 64, in);
    const Image full = magnitudeSpectrum(canvas);
    QCOMPARE(ref::maxDiff(s, full.get_crop(0, 64, 255, 191)), 0.0);
    QCOMPARE(s(128, 64), full(128, 128));
}

void TestFourier::constantAndZeroImages()
{
    const Image c = magnitudeSpectrum(Image(32, 32, 1, 1, 9.0));
    cimg_forXY(c, x, y) QCOMPARE(c(x, y), (x == 16 && y == 16) ? 255.0 : 0.0);
    const Image z = magnitudeSpectrum(Image(20, 20, 1, 1, 0.0));
    QCOMPARE(z.max(), 0.0);
    QCOMPARE(z.min(), 0.0);
    QCOMPARE(inverseSpectrum(Image(6, 5, 1, 1, 0.0)).max(), 0.0);
}

void TestFourier::forwardThenInverseIsNotIdentity()
{
    const Image in = ref::testImage("waves", 64, 64, 2);
    const Image back = inverseSpectrum(magnitudeSpectrum(in));
    QCOMPARE(back.width(), 64);
    QVERIFY(ref::maxDiff(back, in) > 1.0);
}

void TestFourier::rejectsEmpty()
{
    QVERIFY_THROWS_EXCEPTION(std::runtime_error, magnitudeSpectrum(Image()));
    QVERIFY_THROWS_EXCEPTION(std::runtime_error, inverseSpectrum(Image()));
}

void TestFourier::tableRuns()
{
    NullProgress progress;
    Notes notes;
    const Image in = ref::testImage("noise", 30, 17, 6);
    for (const char *name : {"fft", "invfft"}) {
        ImageModel model = runOnWorkingCopy(name, in);
        QCOMPARE(model.count(), 2);
        const Image expected = QString(name) == "fft" ? magnitudeSpectrum(in) : inverseSpectrum(in);
        QCOMPARE(ref::maxDiff(model.current(), expected), 0.0);
        QCOMPARE(ref::maxDiff(*model.image(0), in), 0.0);
    }
    // A failing inverse leaves the working copy exactly as it was.
    ImageModel empty(Image(4, 4, 1, 1, 1.0));
    empty.edit(0).assign();
    QVERIFY_THROWS_EXCEPTION(std::runtime_error,
                             findOperation("invfft")->run(empty, {}, progress, notes));
    QVERIFY(empty.current().is_empty());
}

QTEST_APPLESS_MAIN(TestFourier)
void TestFourier::concurrentTransformsAgree()
{
    // Batch workers transform different images at the same time. Planning is serialised;
    // unguarded, two planners corrupt FFTW's state (crashes, or workers spinning forever).
    using Transform = Image (*)(const Image &);
    const Transform transforms[] = {magnitudeSpectrum, inverseSpectrum, homomorphicImage};
    std::vector<Image> inputs, expected;
    for (const QSize size : {QSize(37, 29), QSize(64, 64), QSize(101, 77), QSize(130, 90)})
        for (const Transform t : transforms) {
            inputs.push_back(ref::testImage("noise", size.width(), size.height(), 3));
            expected.push_back(t(inputs.back()));
        }
    constexpr int kThreads = 4, kRounds = 25;
    std::atomic<int> mismatches{0}, finished{0};
    std::mutex doneMutex;
    std::condition_variable done;
    std::vector<std::thread> threads;
    for (int t = 0; t < kThreads; ++t)
        threads.emplace_back([&, t] {
            for (int round = 0; round < kRounds; ++round)
                for (size_t i = 0; i < inputs.size(); ++i) {
                    const size_t k = (i + size_t(t)) % inputs.size();
                    if (ref::maxDiff(transforms[k % 3](inputs[k]), expected[k]) != 0.0) ++mismatches;
                }
            const std::lock_guard<std::mutex> lock(doneMutex);
            ++finished;
            done.notify_one();
        });
    std::unique_lock<std::mutex> lock(doneMutex);
    if (!done.wait_for(lock, std::chrono::minutes(5), [&] { return finished == kThreads; }))
        qFatal("concurrent Fourier transforms did not finish within five minutes");
    lock.unlock();
    for (std::thread &thread : threads) thread.join();
    QCOMPARE(mismatches.load(), 0);
}

#include "test_fourier.moc"
