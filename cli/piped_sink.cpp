#include "cli/piped_sink.h"

#include <utility>

namespace kestrune::cli {

PipedSink::PipedSink(Utf8Sink sink) : sink_(std::move(sink)) {
    current_.reserve(kBlock);
    thread_ = std::thread([this] { HandOn(); });
}

PipedSink::~PipedSink() {
    Finish();
}

bool PipedSink::operator()(std::string_view piece) {
    current_.append(piece);
    if (current_.size() >= kBlock) Pass();
    const std::lock_guard lock(mutex_);
    return !stopped_;
}

void PipedSink::Pass() {
    std::unique_lock lock(mutex_);
    changed_.wait(lock, [&] { return waiting_.size() < kWaiting || stopped_; });
    if (stopped_) {
        current_.clear();
        return;
    }
    waiting_.push_back(std::move(current_));
    current_ = std::string();
    if (!spare_.empty()) {
        current_ = std::move(spare_.back());
        spare_.pop_back();
    }
    current_.reserve(kBlock);
    changed_.notify_all();
}

void PipedSink::HandOn() {
    std::unique_lock lock(mutex_);
    for (;;) {
        changed_.wait(lock, [&] { return !waiting_.empty() || finished_; });
        if (waiting_.empty()) return;
        std::string block = std::move(waiting_.front());
        waiting_.pop_front();
        changed_.notify_all();
        // Once the sink has asked to stop, what was still waiting is dropped.
        if (!stopped_) {
            lock.unlock();
            const bool more = sink_(block);
            lock.lock();
            if (!more) stopped_ = true;
        }
        block.clear();
        spare_.push_back(std::move(block));
        changed_.notify_all();
    }
}

void PipedSink::Finish() {
    if (!thread_.joinable()) return;
    if (!current_.empty()) Pass();
    {
        const std::lock_guard lock(mutex_);
        finished_ = true;
    }
    changed_.notify_all();
    thread_.join();
}

}  // namespace kestrune::cli
