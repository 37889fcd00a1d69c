// A JSON string written as it is made, piece by piece, so that a pane of a gigabyte goes out in
// little memory. The escapes are nlohmann::json's, so the output is byte for byte what its dump()
// writes: \" \\ \b \f \n \r \t, \u00xx for the other control characters, everything else as
// the UTF-8 it is.
#pragma once

#include <ostream>
#include <string_view>

namespace kestrune::cli {

class JsonString {
  public:
    // Writes the opening quote.
    explicit JsonString(std::ostream& out);
    // Adds the next piece of UTF-8 text; a Utf8Sink, so it always asks for more.
    bool operator()(std::string_view piece);
    // Writes what is left and the closing quote.
    void Close();

  private:
    static constexpr std::ptrdiff_t kBufferSize = 1 << 16;
    static constexpr std::ptrdiff_t kBlock = 16;  // bytes looked at and moved at once
    // The most a block writes: sixteen escapes of six bytes, and a block moved after them.
    static constexpr std::ptrdiff_t kRoom = 6 * kBlock + kBlock;
    void Flush();

    std::ostream& out_;
    // The bytes to write.
    char buffer_[kBufferSize];
    char* end_ = buffer_;
};

}  // namespace kestrune::cli
