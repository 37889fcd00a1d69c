#include "shell/progress_writer.h"

#include <QFile>
#include <QFileInfo>

#include <algorithm>
#include <atomic>
#include <cstdio>
#include <memory>
#include <optional>
#include <thread>

#include "shell/progress_wait.h"

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
    ProgressWait wait(parent, QObject::tr("Writing %1...").arg(QFileInfo(path).fileName()));
    if (!wait.Wait([&] { return done.load(); },
                   [&]() -> std::optional<double> {
                       return static_cast<double>(written) /
                              static_cast<double>(std::max<std::uint64_t>(expectedBytes, 1));
                   }))
        cancelled = true;
    worker.join();
    file.reset();
    const WriteResult result = cancelled ? WriteResult::Cancelled
                               : failed  ? WriteResult::Failed
                                         : WriteResult::Written;
    if (result != WriteResult::Written) QFile::remove(path);
    return result;
}
