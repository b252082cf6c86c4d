#include "view/backgroundrun.h"

#include <QCoreApplication>
#include <QEventLoop>
#include <QPointer>
#include <QProgressDialog>
#include <QTimer>
#include <atomic>
#include <memory>
#include <mutex>
#include <optional>
#include <exception>
#include <thread>

#include "ops/core/cancel.h"
#include "ops/core/progress.h"

namespace {

// The progress the worker reports to: each call is queued to the window's thread.
class ForwardingProgress : public Progress {
public:
    ForwardingProgress(QObject *receiver, Progress &gui, std::function<void(const Image &)> show,
                       const std::atomic<bool> &stop)
        : receiver_(receiver), gui_(gui), show_(std::move(show)), stop_(stop)
    {
    }
    void start(const QString &title, const QString &label, int maximum) override
    {
        stopWhenAsked();
        post([this, title, label, maximum] { gui_.start(title, label, maximum); });
    }
    void setLabel(const QString &label) override
    {
        stopWhenAsked();
        post([this, label] { gui_.setLabel(label); });
    }
    void setValue(int value) override
    {
        stopWhenAsked();
        post([this, value] { gui_.setValue(value); });
    }

    void finish() override
    {
        post([this] { gui_.finish(); });
    }
    // The window's thread handles its events all along.
    void processEvents() override { stopWhenAsked(); }
    // Runs that stop cleanly between steps (training, tiled inference) ask this.
    bool cancelled() const override { return stop_; }
    void intermediate(const Image &image) override
    {
        stopWhenAsked();
        if (!show_) return;
        bool alreadyPending = false;
        {
            const std::lock_guard<std::mutex> lock(pendingMutex_);
            alreadyPending = pending_.has_value();
            pending_ = image;
        }
        // One queued call shows whatever is latest when it runs.
        if (!alreadyPending)
            post([this] {
                std::optional<Image> latest;
                {
                    const std::lock_guard<std::mutex> lock(pendingMutex_);
                    latest.swap(pending_);
                }
                if (latest) show_(*latest);
            });
    }

private:
    void stopWhenAsked() const
    {
        if (stop_) throw OperationCancelled();
    }
    template <class F>
    void post(F &&call)
    {
        QMetaObject::invokeMethod(receiver_, std::forward<F>(call), Qt::QueuedConnection);
    }
    QObject *receiver_;
    Progress &gui_;
    std::function<void(const Image &)> show_;
    const std::atomic<bool> &stop_;
    std::mutex pendingMutex_;
    std::optional<Image> pending_;
};

// Lets user input reach progress dialogs only (their Cancel button) while a run owns the
// images: everything else waits until it has ended.
class InputGate : public QObject {
protected:
    bool eventFilter(QObject *target, QEvent *event) override
    {
        switch (event->type()) {
        case QEvent::MouseButtonPress:
        case QEvent::MouseButtonRelease:
        case QEvent::MouseButtonDblClick:
        case QEvent::MouseMove:
        case QEvent::Wheel:
        case QEvent::KeyPress:
        case QEvent::KeyRelease:
        case QEvent::Shortcut:
        case QEvent::ShortcutOverride:
        case QEvent::ContextMenu:
        case QEvent::TouchBegin:
        case QEvent::TouchUpdate:
        case QEvent::TouchEnd: {
            const auto *widget = qobject_cast<QWidget *>(target);
            return !(widget && qobject_cast<QProgressDialog *>(widget->window()));
        }
        default:
            return false;
        }
    }
};

}  // namespace

void runInBackground(const std::function<void(Progress &)> &work, Progress &gui,
                     const std::function<void(const Image &)> &showIntermediate,
                     const std::function<bool()> &cancelRequested)
{
    QEventLoop loop;
    const auto asked = [&] { return cancelRequested && cancelRequested(); };
    std::atomic<bool> stop = asked();
    ForwardingProgress forwarding(&loop, gui, showIntermediate, stop);
    // The window's Cancel is seen by the worker at its next report.
    QTimer watch;
    QObject::connect(&watch, &QTimer::timeout, [&] { stop = stop || asked(); });
    watch.start(50);
    InputGate gate;
    QCoreApplication::instance()->installEventFilter(&gate);
    std::exception_ptr failure;
    std::thread worker([&] {
        try {
            work(forwarding);
        } catch (...) {
            failure = std::current_exception();
        }
        // Queued after every report of the run, so the loop has handled them all when it ends.
        QMetaObject::invokeMethod(&loop, [&loop] { loop.quit(); }, Qt::QueuedConnection);
    });
    loop.exec();
    worker.join();
    QCoreApplication::instance()->removeEventFilter(&gate);
    if (failure) std::rethrow_exception(failure);
}
