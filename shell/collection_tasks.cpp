#include "shell/collection_tasks.h"

#include <QMetaObject>
#include <QStringList>

#include <chrono>
#include <filesystem>
#include <stdexcept>

#include "collection/indexer.h"

using namespace kestrune;

namespace {

// How often the pane hears of the indexing's progress.
constexpr auto kProgressEvery = std::chrono::milliseconds(100);

QString FromUtf8(const std::string& text) {
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

std::optional<Catalog> OpenIndex(const std::string& path, QString& why) {
    std::error_code error;
    const std::filesystem::path folder = std::filesystem::path(path).parent_path();
    if (!folder.empty()) std::filesystem::create_directories(folder, error);
    std::string said;
    std::optional<Catalog> catalog = Catalog::Open(path, false, said);
    if (!catalog) why = FromUtf8(said);
    return catalog;
}

}  // namespace

CollectionTasks::CollectionTasks(std::string catalogPath, QObject* parent)
    : QObject(parent), catalogPath_(std::move(catalogPath)) {
    answerer_ = std::thread([this] { Answer(); });
}

CollectionTasks::~CollectionTasks() {
    StopIndexing();
    {
        const std::lock_guard lock(mutex_);
        ending_ = true;
    }
    asked_.notify_all();
    answerer_.join();
}

void CollectionTasks::StopIndexing() {
    cancel_ = true;
    if (indexer_.joinable()) indexer_.join();
    cancel_ = false;
}

void CollectionTasks::Index(const std::string& folder) {
    StopIndexing();
    const std::uint64_t run = ++runs_;
    indexer_ = std::thread([this, folder, run] {
        QString why;
        std::optional<Catalog> catalog = OpenIndex(catalogPath_, why);
        IndexSummary summary;
        if (catalog) {
            auto shown = std::chrono::steady_clock::time_point();
            const auto progress = [&](const IndexProgress& now) {
                const auto time = std::chrono::steady_clock::now();
                if (time - shown < kProgressEvery && now.done < now.total) return;
                shown = time;
                QMetaObject::invokeMethod(
                    this,
                    [this, now, run] {
                        if (run == runs_) emit progressed(now.done, now.total);
                    },
                    Qt::QueuedConnection);
            };
            const int jobs = static_cast<int>(std::max(1u, std::thread::hardware_concurrency()));
            try {
                summary = IndexPaths(*catalog, {folder}, jobs, progress, &cancel_);
            } catch (const std::runtime_error& error) {
                why = tr("The index cannot be written: %1").arg(FromUtf8(error.what()));
            }
        }
        QStringList problems;
        for (const std::string& problem : summary.problems)
            problems << FromUtf8(problem);
        const QString line = why.isEmpty() ? FromUtf8(SummaryLine(summary)) : why;
        const bool cancelled = summary.cancelled;
        QMetaObject::invokeMethod(
            this,
            [this, line, problems, cancelled, run] {
                // An indexing stopped for a newer one is not told of.
                if (run != runs_) return;
                emit indexed(line, problems, cancelled);
            },
            Qt::QueuedConnection);
    });
}

void CollectionTasks::Cancel() {
    cancel_ = true;
}

std::uint64_t CollectionTasks::Ask(CollectionQuestion question) {
    std::uint64_t number;
    {
        const std::lock_guard lock(mutex_);
        number = ++numbered_;
        questions_[question.kind] = {number, std::move(question)};
    }
    asked_.notify_all();
    return number;
}

void CollectionTasks::Answer() {
    std::optional<Catalog> catalog;
    QString why;
    for (;;) {
        std::pair<std::uint64_t, CollectionQuestion> question;
        {
            std::unique_lock lock(mutex_);
            asked_.wait(lock, [this] { return ending_ || !questions_.empty(); });
            if (ending_) return;
            question = std::move(questions_.begin()->second);
            questions_.erase(questions_.begin());
        }
        CollectionAnswer answer;
        answer.kind = question.second.kind;
        answer.number = question.first;
        // The index is opened when first asked, and again after it could not be.
        if (!catalog) catalog = OpenIndex(catalogPath_, why);
        if (!catalog) {
            answer.error = why;
        } else {
            try {
                switch (answer.kind) {
                    case CollectionQuestion::Kind::Images:
                        answer.images = catalog->ImagesUnder(question.second.folder);
                        break;
                    case CollectionQuestion::Kind::Find:
                        answer.hits = catalog->Find(question.second.query);
                        break;
                    case CollectionQuestion::Kind::Duplicates:
                        answer.duplicates = catalog->FindDuplicates(question.second.minBlocks);
                        break;
                }
            } catch (const std::exception& error) {
                answer.error = tr("The index cannot be read: %1").arg(FromUtf8(error.what()));
            }
        }
        QMetaObject::invokeMethod(
            this, [this, answer = std::move(answer)] { emit answered(answer); },
            Qt::QueuedConnection);
    }
}
