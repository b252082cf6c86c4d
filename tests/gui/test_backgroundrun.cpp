// Operations run on a thread of their own while the window's thread keeps handling events:
// timers fire during the run, every progress report arrives on the window's thread in order,
// and live images arrive there too, the last one always.
#include <QThread>
#include <QTimer>
#include <QtTest>
#include <atomic>
#include <chrono>
#include <new>
#include <thread>

#include "ops/core/imagemodel.h"
#include "ops/core/progress.h"
#include "ops/table/operations.h"
#include "view/backgroundrun.h"

namespace {

// Records every report with the thread it arrived on.
class RecordingProgress : public Progress {
public:
    QStringList calls;
    bool allOnMainThread = true;
    void start(const QString &title, const QString &, int maximum) override { note(QString("start %1 %2").arg(title).arg(maximum)); }
    void setValue(int value) override { note(QString("value %1").arg(value)); }
    void finish() override { note("finish"); }

private:
    void note(const QString &call)
    {
        calls << call;
        allOnMainThread = allOnMainThread && QThread::currentThread() == qApp->thread();
    }
};

}  // namespace

class TestBackgroundRun : public QObject {
    Q_OBJECT

private slots:
    void eventsAreHandledDuringTheRun()
    {
        std::atomic<bool> timerFired = false;
        QTimer::singleShot(10, [&] { timerFired = true; });
        RecordingProgress gui;
        bool sawTimer = false;
        runInBackground(
            [&](Progress &p) {
                p.start("pass", "", 3);
                // Waits for the window's thread to run its timer: it would never fire if
                // that thread were blocked by the run.
                for (int i = 0; i < 500 && !timerFired; ++i) std::this_thread::sleep_for(std::chrono::milliseconds(10));
                sawTimer = timerFired;
                for (int v = 1; v <= 3; ++v) p.setValue(v);
                p.finish();
            },
            gui);
        QVERIFY(sawTimer);
        QCOMPARE(gui.calls, QStringList({"start pass 3", "value 1", "value 2", "value 3", "finish"}));
        QVERIFY(gui.allOnMainThread);
    }

    void liveImagesArriveOnTheWindowsThreadLastOneIncluded()
    {
        NullProgress gui;
        QList<double> shown;
        bool onMainThread = true;
        runInBackground(
            [](Progress &p) {
                for (int i = 1; i <= 200; ++i) p.intermediate(Image(4, 3, 1, 1, double(i)));
            },
            gui,
            [&](const Image &image) {
                shown << image(0, 0);
                onMainThread = onMainThread && QThread::currentThread() == qApp->thread();
            });
        QVERIFY(!shown.isEmpty());
        QCOMPARE(shown.last(), 200.0);
        QVERIFY(std::is_sorted(shown.begin(), shown.end()));
        QVERIFY(onMainThread);
    }

    // The window's Cancel reaches the worker at its next report, and a cancelled operation
    // leaves the image list as it was.
    void cancelStopsTheRunAndTakesItBack()
    {
        NullProgress gui;
        const Image input(30, 20, 1, 1, 7.0);
        ImageModel model(input);
        RunOutcome outcome;
        runInBackground([&](Progress &p) { outcome = runOperation(model, *findOperation("erode"), Params(), p); }, gui, {},
                        [] { return true; });
        QCOMPARE(int(outcome.result), int(RunResult::Cancelled));
        QCOMPARE(model.count(), 1);
        QVERIFY(*model.currentImage() == input);
    }

    // Runs that stop between steps without reporting (training, tiled inference) ask
    // cancelled(): the window's Cancel reaches them as well.
    void pollingRunsSeeTheCancel()
    {
        NullProgress gui;
        bool seen = false;
        runInBackground([&](Progress &p) { seen = p.cancelled(); }, gui, {}, [] { return true; });
        QVERIFY(seen);
    }

    // What the run throws reaches the caller on the window's thread, after the run has stopped.
    void failuresAreThrownAgainHere()
    {
        NullProgress gui;
        QVERIFY_THROWS_EXCEPTION(std::bad_alloc, runInBackground([](Progress &) { throw std::bad_alloc(); }, gui));
    }
};

QTEST_MAIN(TestBackgroundRun)
#include "test_backgroundrun.moc"
