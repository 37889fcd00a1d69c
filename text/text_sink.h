// A long text handed on piece after piece as it is made, so that it never has to be held whole:
// a disassembly of megabytes goes straight to a file or a terminal.
#pragma once

#include <functional>
#include <string>
#include <string_view>

namespace kestrune {

// Takes the next piece of a text; returning false stops the writer, which makes no more of it.
using TextSink = std::function<bool(std::u16string_view piece)>;
// The same for a text in UTF-8.
using Utf8Sink = std::function<bool(std::string_view piece)>;

// A sink of UTF-16 pieces that hands each on to sink in UTF-8 (sink must outlive it). Writers put
// whole lines in a piece, so no piece ends between the two halves of a surrogate pair.
TextSink InUtf8(const Utf8Sink& sink);

// Gathers pieces into a buffer of its own and hands the buffer on when it is full: writers append
// a line at a time and the sink sees pieces of a good size.
class SinkBuffer {
  public:
    explicit SinkBuffer(const TextSink& sink) : sink_(sink) { buffer_.reserve(kSize + 256); }
    ~SinkBuffer() = default;
    SinkBuffer(const SinkBuffer&) = delete;
    SinkBuffer& operator=(const SinkBuffer&) = delete;

    std::u16string& text() { return buffer_; }
    // Hands the buffer on when it is full; false once the sink has asked to stop.
    bool Pass() { return buffer_.size() < kSize || Flush(); }
    // Hands on what is left; false once the sink has asked to stop.
    bool Flush() {
        if (!buffer_.empty() && stopped_ == false) stopped_ = !sink_(buffer_);
        buffer_.clear();
        return !stopped_;
    }

  private:
    static constexpr std::size_t kSize = 32768;
    const TextSink& sink_;
    std::u16string buffer_;
    bool stopped_ = false;
};

}  // namespace kestrune
