// The collection pane's work, off the window's thread so that it keeps answering: a folder
// indexed with progress and a Cancel, and questions to the index (the folder's images, a find,
// the duplicates), each kind answered for its newest question only. Each thread has its own
// connection to the index; what they find comes back on the window's thread, as signals.
#pragma once

#include <QObject>
#include <QString>

#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <map>
#include <mutex>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "collection/catalog.h"

struct CollectionQuestion {
    enum class Kind { Images, Find, Duplicates };
    Kind kind = Kind::Images;
    std::string folder;            // Images: absolute, ending in '/'
    kestrune::CatalogQuery query;  // Find
    int minBlocks = 1;             // Duplicates
};

struct CollectionAnswer {
    CollectionQuestion::Kind kind = CollectionQuestion::Kind::Images;
    std::uint64_t number = 0;  // the question's, counted from 1 as they are asked
    std::vector<kestrune::FolderImage> images;
    std::vector<kestrune::CatalogHit> hits;
    kestrune::Duplicates duplicates;
    QString error;  // why the index could not answer
};

class CollectionTasks : public QObject {
    Q_OBJECT

  public:
    // catalogPath is the index's file; its folder is made when missing.
    explicit CollectionTasks(std::string catalogPath, QObject* parent = nullptr);
    // Stops the indexing after the files being read and waits for both threads.
    ~CollectionTasks() override;
    CollectionTasks(const CollectionTasks&) = delete;
    CollectionTasks& operator=(const CollectionTasks&) = delete;

    // Indexes folder (absolute) anew, stopping an indexing that runs.
    void Index(const std::string& folder);
    void Cancel();

    // Asks question; returns its number, which its answer carries.
    std::uint64_t Ask(CollectionQuestion question);

  signals:
    void progressed(qulonglong done, qulonglong total);  // files
    // A summary line, the problems met, and whether it was cancelled.
    void indexed(const QString& summary, const QStringList& problems, bool cancelled);
    void answered(const CollectionAnswer& answer);

  private:
    void StopIndexing();
    void Answer();

    std::string catalogPath_;
    std::thread indexer_;
    std::atomic<bool> cancel_{false};
    std::uint64_t runs_ = 0;  // indexings started

    std::thread answerer_;
    std::mutex mutex_;
    std::condition_variable asked_;
    std::map<CollectionQuestion::Kind, std::pair<std::uint64_t, CollectionQuestion>> questions_;
    std::uint64_t numbered_ = 0;
    bool ending_ = false;
};
