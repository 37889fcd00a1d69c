// A text handed on to its sink on a thread of its own, so that making a long text and writing it
// out (a pane of a gigabyte, escaped for JSON) share two processors. The pieces are gathered into
// blocks; a few blocks at most wait, so the memory stays small whatever the text's length.
#pragma once

#include <condition_variable>
#include <deque>
#include <mutex>
#include <string>
#include <string_view>
#include <thread>
#include <vector>

#include "text/text_sink.h"

namespace kestrune::cli {

class PipedSink {
  public:
    // sink runs on the other thread until Finish.
    explicit PipedSink(Utf8Sink sink);
    // Finishes, if that was not done.
    ~PipedSink();
    PipedSink(const PipedSink&) = delete;
    PipedSink& operator=(const PipedSink&) = delete;

    // The next piece; false once the sink has asked to stop.
    bool operator()(std::string_view piece);
    // Hands on what is left and waits until the sink has taken all of it.
    void Finish();

  private:
    static constexpr std::size_t kBlock = 1 << 18;
    static constexpr std::size_t kWaiting = 4;
    void Pass();
    void HandOn();

    Utf8Sink sink_;
    std::string current_;
    std::mutex mutex_;
    std::condition_variable changed_;
    std::deque<std::string> waiting_;  // full blocks, oldest first
    std::vector<std::string> spare_;   // emptied blocks, kept for their memory
    bool finished_ = false;
    bool stopped_ = false;
    std::thread thread_;
};

}  // namespace kestrune::cli
