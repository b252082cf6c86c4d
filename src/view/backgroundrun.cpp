#include "view/backgroundrun.h"

#include <QCoreApplication>
#include <QEventLoop>
#include <QPointer>
#include <memory>
#include <mutex>
#include <optional>
#include <thread>

#include "ops/core/progress.h"

namespace {

// The progress the worker reports to: each call is queued to the window's thread.
class ForwardingProgress : public Progress {
public:
    ForwardingProgress(QObject *receiver, Progress &gui, std::function<void(const Image &)> show)
        : receiver_(receiver), gui_(gui), show_(std::move(show))
    {
    }
    void start(const QString &title, const QString &label, int maximum) override
    {
        post([this, title, label, maximum] { gui_.start(title, label, maximum); });
    }
    void setLabel(const QString &label) override
    {
        post([this, label] { gui_.setLabel(label); });
    }
    void setValue(int value) override
    {
        post([this, value] { gui_.setValue(value); });
    }
    void finish() override
    {
        post([this] { gui_.finish(); });
    }
    // The window's thread handles its events all along.
    void processEvents() override {}
    void intermediate(const Image &image) override
    {
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
    template <class F>
    void post(F &&call)
    {
        QMetaObject::invokeMethod(receiver_, std::forward<F>(call), Qt::QueuedConnection);
    }
    QObject *receiver_;
    Progress &gui_;
    std::function<void(const Image &)> show_;
    std::mutex pendingMutex_;
    std::optional<Image> pending_;
};

}  // namespace

void runInBackground(const std::function<void(Progress &)> &work, Progress &gui,
                     const std::function<void(const Image &)> &showIntermediate)
{
    QEventLoop loop;
    ForwardingProgress forwarding(&loop, gui, showIntermediate);
    std::thread worker([&] {
        work(forwarding);
        // Queued after every report of the run, so the loop has handled them all when it ends.
        QMetaObject::invokeMethod(&loop, [&loop] { loop.quit(); }, Qt::QueuedConnection);
    });
    loop.exec(QEventLoop::ExcludeUserInputEvents);
    worker.join();
}
