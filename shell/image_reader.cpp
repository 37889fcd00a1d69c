#include "shell/image_reader.h"

#include <QMetaObject>
#include <QWidget>

#include <atomic>
#include <condition_variable>
#include <mutex>
#include <utility>

#include "shell/progress_wait.h"

struct ImageReader::Job {
    std::mutex mutex;
    std::condition_variable answered;
    bool cancelled = false;          // under mutex
    std::atomic<bool> ended{false};  // the read has ended; result is set
    std::shared_ptr<kestrune::OpenedFile> result;
    ProgressWait* wait = nullptr;  // the window's thread's, while it waits
};

ImageReader::ImageReader(QWidget* window, kestrune::MessageHandler tell,
                         kestrune::ImageChooser choose)
    : window_(window), tell_(std::move(tell)), choose_(std::move(choose)) {}

ImageReader::~ImageReader() {
    for (auto& [job, thread] : cancelled_)
        thread.join();
}

template <typename Answer>
Answer ImageReader::AskOnWindowThread(const std::shared_ptr<Job>& job, std::function<Answer()> ask,
                                      Answer refusal) const {
    auto answer = std::make_shared<std::optional<Answer>>();
    std::unique_lock lock(job->mutex);
    if (job->cancelled) return refusal;
    QMetaObject::invokeMethod(
        window_,
        [job, answer, ask = std::move(ask)] {
            {
                const std::lock_guard check(job->mutex);
                if (job->cancelled) return;
            }
            Answer given = ask();
            // The time the user took to answer is not the read's.
            if (job->wait != nullptr) job->wait->Restart();
            const std::lock_guard done(job->mutex);
            *answer = std::move(given);
            job->answered.notify_all();
        },
        Qt::QueuedConnection);
    job->answered.wait(lock, [&] { return answer->has_value() || job->cancelled; });
    return answer->has_value() ? std::move(**answer) : refusal;
}

void ImageReader::JoinEnded() {
    std::erase_if(cancelled_, [](auto& read) {
        if (!read.first->ended) return false;
        read.second.join();
        return true;
    });
}

std::shared_ptr<kestrune::OpenedFile> ImageReader::Read(const std::string& path,
                                                        const QString& name) {
    return Run(QObject::tr("Opening %1...").arg(name),
               [path](const kestrune::MessageHandler& tell, const kestrune::ImageChooser& choose) {
                   return kestrune::Session::Read(path, tell, choose);
               });
}

std::shared_ptr<kestrune::OpenedFile> ImageReader::Run(const QString& label, Work work) {
    JoinEnded();
    auto job = std::make_shared<Job>();
    const kestrune::MessageHandler tell = [this, job](const kestrune::Message& message) {
        return AskOnWindowThread<bool>(
            job, [this, message] { return tell_(message); }, false);
    };
    const kestrune::ImageChooser choose = [this, job](const std::vector<std::string>& names) {
        return AskOnWindowThread<std::optional<std::size_t>>(
            job, [this, names] { return choose_(names); }, std::nullopt);
    };
    std::thread thread([job, work = std::move(work), tell, choose] {
        job->result = work(tell, choose);
        job->ended = true;
    });

    ProgressWait wait(window_, label);
    job->wait = &wait;
    const bool whole = wait.Wait([&] { return job->ended.load(); });
    job->wait = nullptr;
    if (whole) {
        thread.join();
        return std::move(job->result);
    }
    {
        const std::lock_guard cancel(job->mutex);
        job->cancelled = true;
    }
    job->answered.notify_all();
    cancelled_.emplace_back(std::move(job), std::move(thread));
    return nullptr;
}
