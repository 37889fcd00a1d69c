// A JSON string written as it is made, piece by piece, so that a pane of a gigabyte goes out in
// little memory. The escapes are nlohmann::json's, so the output is byte for byte what its dump()
// writes: \" \\ \b \f \n \r \t, \u00xx for the other control characters, everything else as
// UTF-8.
#pragma once

#include <ostream>
#include <string>
#include <string_view>

namespace kestrune::cli {

class JsonString {
  public:
    // Writes the opening quote.
    explicit JsonString(std::ostream& out);
    // Adds the next piece; a TextSink, so it always asks for more.
    bool operator()(std::u16string_view piece);
    // Writes what is left and the closing quote.
    void Close();

  private:
    void Flush();

    std::ostream& out_;
    std::string buffer_;
    char16_t highSurrogate_ = 0;  // the first half of a pair that the last piece ended with
};

}  // namespace kestrune::cli
