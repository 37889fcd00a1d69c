#include "shell/progress_wait.h"

#include <QEventLoop>
#include <QProgressDialog>
#include <QTimer>

#include <algorithm>
#include <utility>

namespace {

constexpr int kQuietMilliseconds = 100;  // the longest the window may keep the user waiting
constexpr int kPollMilliseconds = 10;
constexpr int kSteps = 1000;

}  // namespace

ProgressWait::ProgressWait(QWidget* parent, QString label)
    : parent_(parent), label_(std::move(label)) {
    quiet_.start();
}

void ProgressWait::Restart() {
    quiet_.restart();
}

bool ProgressWait::Wait(const std::function<bool()>& done,
                        const std::function<std::optional<double>()>& share) {
    if (done()) return true;
    QEventLoop loop;
    QProgressDialog* shown = nullptr;
    QTimer poll;
    QObject::connect(&poll, &QTimer::timeout, &loop, [&] {
        if (done()) {
            loop.quit();
        } else if (shown == nullptr) {
            if (quiet_.elapsed() >= kQuietMilliseconds) loop.quit();
        } else if (share) {
            if (const std::optional<double> part = share())
                shown->setValue(std::clamp(static_cast<int>(*part * kSteps), 0, kSteps - 1));
        }
    });
    poll.start(kPollMilliseconds);
    // Timers, painting and the work's questions are served; clicks and keys wait.
    while (!done() && quiet_.elapsed() < kQuietMilliseconds)
        loop.exec(QEventLoop::ExcludeUserInputEvents);
    if (done()) return true;

    QProgressDialog progress(label_, QObject::tr("Cancel"), 0, share ? kSteps : 0, parent_);
    progress.setWindowModality(Qt::WindowModal);
    progress.setMinimumDuration(0);
    progress.setAutoClose(false);
    progress.setAutoReset(false);
    bool cancelled = false;
    QObject::connect(&progress, &QProgressDialog::canceled, &loop, [&] {
        cancelled = true;
        loop.quit();
    });
    shown = &progress;
    progress.show();
    while (!done() && !cancelled)
        loop.exec();
    return !cancelled;
}
