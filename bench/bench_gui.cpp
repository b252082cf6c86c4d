// What a user feels in the window, on a photograph the size a modern fundus camera takes
// (3504 x 2336): opening the PNG and showing it, and every plain operation of the Image
// menu and the vessel classifier (the shipped model) on it, each through the window's own code path (main window, dispatcher, view),
// offscreen. Questions and input boxes are answered with their defaults.
// The counter max_unpainted_s is the longest stretch of an operation without a paint of
// the window or its progress dialog: from the start to the first paint, between paints,
// and from the last paint to the end. Meanwhile a timer asks the window to repaint every
// 50 ms, as the window system does when it is uncovered or resized: a window that keeps
// handling its events paints within about that time.
#include <QApplication>
#include <QElapsedTimer>
#include <QImage>
#include <QMdiArea>
#include <QTemporaryDir>
#include <QTimer>
#include <benchmark/benchmark.h>
#include <memory>

#include "app/mainwindow.h"
#include "document/cimgdoc.h"
#include "gui/documentsupport.h"
#include "gui/scripteddialogs.h"
#include "ops/io/display.h"
#include "ops/table/operations.h"
#include "vesselimage.h"
#include "view/pixmapwidget.h"

namespace {

constexpr int kWidth = 3504, kHeight = 2336;

// Records when any widget is painted, and the longest gap between paints since reset.
class PaintWatch : public QObject {
public:
    void reset()
    {
        clock_.start();
        last_ = 0;
        longest_ = 0;
    }
    double longestGapSeconds()
    {
        note();
        return double(longest_) / 1e9;
    }

protected:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (event->type() == QEvent::Paint) note();
        return QObject::eventFilter(watched, event);
    }

private:
    void note()
    {
        const qint64 now = clock_.nsecsElapsed();
        longest_ = std::max(longest_, now - last_);
        last_ = now;
    }
    QElapsedTimer clock_;
    qint64 last_ = 0, longest_ = 0;
};

struct Session {
    QTemporaryDir dir;
    QString photograph;
    ScriptedDialogs dialogs;
    ScriptedDialogs::Scope scope{dialogs};
    MainWindow window;
    PaintWatch watch;
    QTimer repaintRequests;

    Session()
    {
        QObject::connect(&repaintRequests, &QTimer::timeout, &window, [this] { window.update(); });
        repaintRequests.start(50);
        photograph = dir.filePath("fundus.png");
        toDisplayImage(vesselImage(kWidth, kHeight, 3)).save(photograph);
        qApp->installEventFilter(&watch);
        window.show();
    }
};

// Made at first use and gone before the application object: windows must not outlive it.
std::unique_ptr<Session> currentSession;

Session &session()
{
    if (!currentSession) currentSession = std::make_unique<Session>();
    return *currentSession;
}

void BM_OpenAndShow(benchmark::State &state)
{
    Session &s = session();
    for (auto _ : state) {
        s.watch.reset();
        CImgDoc *doc = s.window.openFile(s.photograph);
        QCoreApplication::processEvents();
        state.counters["max_unpainted_s"] = s.watch.longestGapSeconds();
        if (!doc) state.SkipWithError("the photograph did not open");
        state.PauseTiming();
        s.window.workspace->closeAllSubWindows();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        state.ResumeTiming();
    }
}

// One operation on a fresh document of the photograph: on a working copy, or on a clone in
// a new window (made from the displayed picture before the operation starts).
void BM_Operation(benchmark::State &state, OpCode code, bool newWindow)
{
    Session &s = session();
    setNewWindowWhenEditing(s.window, newWindow);
    const OperationRow &row = operationRow(code);
    for (auto _ : state) {
        state.PauseTiming();
        s.window.workspace->closeAllSubWindows();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        CImgDoc *doc = s.window.openFile(s.photograph);
        QCoreApplication::processEvents();
        if (!doc) {
            state.SkipWithError("the photograph did not open");
            break;
        }
        // Input boxes take their defaults; the structuring-element dialog is accepted as it opens.
        if (row.ask == Ask::Number) s.dialogs.doubles.enqueue(QString(row.params.front().defaultValue).toDouble());
        if (row.ask == Ask::Disc) s.dialogs.execs.enqueue([](QDialog *) { return int(QDialog::Accepted); });
        // The classifier takes the shipped model and reads the photograph in its channel.
        if (row.code == OpCode::VesselClassifier) {
            s.dialogs.items.enqueue("Model file...");
            s.dialogs.fileNames.enqueue(QCoreApplication::applicationDirPath() + "/../models/retina.qvm");
            s.dialogs.answers.enqueue(0);
        }
        s.watch.reset();
        state.ResumeTiming();
        s.window.applyOperation(code, false);
        QCoreApplication::processEvents();
        state.counters["max_unpainted_s"] = s.watch.longestGapSeconds();
    }
}

int registerOperations()
{
    for (const OperationRow &row : operationTable())
        if ((isPlain(row) || row.code == OpCode::VesselClassifier) && row.run)
            benchmark::RegisterBenchmark(QString("BM_Operation/%1").arg(*row.cliName ? row.cliName : row.slot).toUtf8().constData(),
                                         BM_Operation, row.code, false)
                ->Unit(benchmark::kMillisecond)
                ->Iterations(1);
    benchmark::RegisterBenchmark("BM_OperationInNewWindow/invert", BM_Operation, OpCode::Invert, true)
        ->Unit(benchmark::kMillisecond)
        ->Iterations(1);
    return 0;
}

}  // namespace

BENCHMARK(BM_OpenAndShow)->Unit(benchmark::kMillisecond)->Iterations(3);

int main(int argc, char **argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    registerOperations();
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    currentSession.reset();
    return 0;
}
