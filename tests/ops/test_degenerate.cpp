// Every operation of the table on degenerate images, through the path the window and the
// command line share (runOperation: a mark, a working copy, the row's run with its default
// parameters, a rollback on failure). Each run must end with a result or an
// exception carrying a message, within a time bound, and leave a consistent model.
#include <QtTest>
#include <chrono>
#include <cmath>
#include <cstring>
#include <future>
#include <limits>

#include "ops/io/imageio.h"
#include "ops/table/operations.h"
#include "ops/core/progress.h"

namespace {

constexpr auto kTimeBound = std::chrono::seconds(60);

struct Content {
    const char *name;
    double (*value)(int x, int y, int w, int h);
};

const Content kContents[] = {
    {"zero", [](int, int, int, int) { return 0.0; }},
    {"white", [](int, int, int, int) { return 255.0; }},
    {"onewhite", [](int x, int y, int w, int h) { return x == w / 2 && y == h / 2 ? 255.0 : 0.0; }},
    {"faroutside", [](int x, int y, int, int) { return (x + y) % 2 ? 1.0e7 + x : -3.0e6 - 1000.0 * y; }},
    {"huge", [](int x, int y, int, int) { return (x * 3 + y) % 3 == 0 ? 1.0e300 : -1.0e300; }},
    {"nan", [](int x, int y, int, int) {
         return (x + y) % 3 == 0 ? std::numeric_limits<double>::quiet_NaN() : 20.0 * x + y;
     }},
    {"infinities", [](int x, int y, int, int) {
         const double inf = std::numeric_limits<double>::infinity();
         return (x + 2 * y) % 3 == 0 ? inf : ((x + 2 * y) % 3 == 1 ? -inf : 100.0);
     }},
    {"allnan", [](int, int, int, int) { return std::numeric_limits<double>::quiet_NaN(); }},
};

const QSize kSizes[] = {{1, 1}, {1, 50}, {50, 1}, {2, 2}, {3, 3}, {7, 7}, {9, 9}};

Image makeImage(const QSize &size, const Content &content)
{
    Image img(size.width(), size.height(), 1, 1);
    cimg_forXY(img, x, y) img(x, y) = content.value(x, y, size.width(), size.height());
    return img;
}

// Bitwise equality, so that NaN compares equal to itself.
bool sameImage(const Image &a, const Image &b)
{
    return a.width() == b.width() && a.height() == b.height() && a.depth() == b.depth() &&
           a.spectrum() == b.spectrum() && (a.is_empty() || std::memcmp(a.data(), b.data(), a.size() * sizeof(double)) == 0);
}

// What one run through the shared path left behind.
struct Outcome {
    ImageModel model;
    ImageModel::Mark mark;
    bool failed = false;
    QString message;
};

Outcome runThroughModel(const OperationRow &row, const Image &input)
{
    Outcome out;
    out.model = ImageModel(input);
    out.mark = out.model.mark();
    NullProgress progress;
    const RunOutcome ran = runOperation(out.model, row, Params(), progress);
    out.failed = !ran.ok();
    out.message = ran.error;
    return out;
}

// Runs on a worker thread; a run that outlives the bound ends the program with its name,
// since a hanging computation cannot be stopped from outside.
Outcome runBounded(const OperationRow &row, const Image &input, const QByteArray &label)
{
    auto future = std::async(std::launch::async, [&] { return runThroughModel(row, input); });
    if (future.wait_for(kTimeBound) != std::future_status::ready)
        qFatal("%s did not finish within %lld s", label.constData(), (long long)kTimeBound.count());
    return future.get();
}

}  // namespace

class DegenerateTest : public QObject {
    Q_OBJECT

private slots:
    void everyOperationOnDegenerateImages_data()
    {
        QTest::addColumn<int>("code");
        QTest::addColumn<Image>("input");
        for (const OperationRow &row : operationTable()) {
            if (!row.run) continue;
            for (const QSize &size : kSizes)
                for (const Content &content : kContents)
                    QTest::addRow("%s/%dx%d/%s", row.slot, size.width(), size.height(), content.name)
                        << int(row.code) << makeImage(size, content);
        }
    }

    void everyOperationOnDegenerateImages()
    {
        QFETCH(int, code);
        QFETCH(Image, input);
        const OperationRow &row = operationRow(OpCode(code));
        const Outcome out = runBounded(row, input, QTest::currentDataTag());
        const ImageModel &m = out.model;
        if (out.failed) {
            QVERIFY2(!out.message.trimmed().isEmpty(), "an operation failed without saying why");
            // The rollback gives back exactly the model before the operation.
            QCOMPARE(m.count(), 1);
            QCOMPARE(m.currentIndex, 0);
            QVERIFY(sameImage(*m.currentImage(), input));
            return;
        }
        QVERIFY(m.count() >= 2);
        QVERIFY(m.currentIndex >= 0 && m.currentIndex < m.count());
        // The original stays untouched; every image of the list holds pixels.
        QVERIFY(sameImage(*m.image(0), input));
        for (int i = 0; i < m.count(); ++i) {
            const Image img = *m.image(i);
            QVERIFY2(!img.is_empty() && img.depth() == 1 && img.spectrum() == 1,
                     qPrintable(QString("image %1 is %2 x %3 x %4 x %5")
                                    .arg(i).arg(img.width()).arg(img.height()).arg(img.depth()).arg(img.spectrum())));
        }
    }

    // The same images as .cimg files through the reader the window and the command line use:
    // NaN and infinities come back as they were written.
    void specialValuesSurviveTheCimgFile_data()
    {
        QTest::addColumn<Image>("input");
        for (const Content &content : kContents)
            QTest::addRow("%s", content.name) << makeImage({7, 7}, content);
    }

    void specialValuesSurviveTheCimgFile()
    {
        QFETCH(Image, input);
        QTemporaryDir dir;
        const QString path = dir.filePath("values.cimg");
        QString error;
        QVERIFY2(saveCimgImage(input, path, &error), qPrintable(error));
        NullProgress progress;
        const LoadResult loaded = loadAnyImage(path, progress);
        QVERIFY2(loaded.ok(), qPrintable(loaded.error));
        QVERIFY(sameImage(loaded.image, input));
    }
};

QTEST_APPLESS_MAIN(DegenerateTest)
#include "test_degenerate.moc"
