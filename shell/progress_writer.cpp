#include "shell/progress_writer.h"

#include <QEventLoop>
#include <QFile>
#include <QFileInfo>
#include <QProgressDialog>
#include <QTimer>

#include <algorithm>
#include <atomic>
#include <cstdio>
#include <memory>
#include <thread>

namespace {

struct FileCloser {
    void operator()(std::FILE* file) const { std::fclose(file); }
};

}  // namespace

WriteResult WriteWithProgress(QWidget* parent, const QString& path, std::uint64_t expectedBytes,
                              const std::function<bool(const kestrune::Utf8Sink&)>& write) {
    std::unique_ptr<std::FILE, FileCloser> file(
        std::fopen(QFile::encodeName(path).constData(), "wb"));
    if (!file) return WriteResult::Failed;
    std::atomic<std::uint64_t> written{0};
    std::atomic<bool> cancelled{false};
    std::atomic<bool> failed{false};
    std::atomic<bool> done{false};
    std::thread worker([&] {
        write([&](std::string_view piece) {
            if (cancelled) return false;
            if (std::fwrite(piece.data(), 1, piece.size(), file.get()) != piece.size()) {
                failed = true;
                return false;
            }
            written += piece.size();
            return true;
        });
        if (std::fflush(file.get()) != 0) failed = true;
        done = true;
    });

    // The dialog shows only when the write takes a while.
    constexpr int kSteps = 1000;
    QProgressDialog progress(QObject::tr("Writing %1...").arg(QFileInfo(path).fileName()),
                             QObject::tr("Cancel"), 0, kSteps, parent);
    progress.setWindowModality(Qt::WindowModal);
    progress.setMinimumDuration(400);
    progress.setAutoClose(false);
    progress.setAutoReset(false);
    QEventLoop loop;
    QTimer timer;
    QObject::connect(&timer, &QTimer::timeout, &loop, [&] {
        if (done) {
            loop.quit();
            return;
        }
        const double share = static_cast<double>(written) /
                             static_cast<double>(std::max<std::uint64_t>(expectedBytes, 1));
        progress.setValue(std::min(kSteps - 1, static_cast<int>(share * kSteps)));
    });
    QObject::connect(&progress, &QProgressDialog::canceled, &loop, [&] { cancelled = true; });
    timer.start(20);
    if (!done) loop.exec();
    worker.join();
    file.reset();
    const WriteResult result = cancelled ? WriteResult::Cancelled
                               : failed  ? WriteResult::Failed
                                         : WriteResult::Written;
    if (result != WriteResult::Written) QFile::remove(path);
    return result;
}
