#include "cli/utf8_output.h"

#include <algorithm>
#include <cstring>

#include "text/unicode.h"

namespace kestrune::cli {

BlockWriter::BlockWriter(std::ostream& out) : out_(out) {}

BlockWriter::~BlockWriter() {
    Flush();
}

bool BlockWriter::operator()(std::string_view piece) {
    if (used_ + piece.size() > kBlock) Flush();
    if (piece.size() >= kBlock) {
        out_.write(piece.data(), static_cast<std::streamsize>(piece.size()));
    } else {
        std::memcpy(buffer_ + used_, piece.data(), piece.size());
        used_ += piece.size();
    }
    return true;
}

bool BlockWriter::operator()(std::u16string_view piece) {
    for (std::size_t i = 0; i < piece.size();) {
        std::size_t n = std::min(kStep, piece.size() - i);
        if (i + n < piece.size() && piece[i + n - 1] >= 0xD800 && piece[i + n - 1] <= 0xDBFF) ++n;
        // A UTF-16 unit takes at most three bytes of UTF-8.
        if (used_ + 3 * n > kBlock) Flush();
        used_ = static_cast<std::size_t>(EncodeUtf8(buffer_ + used_, piece.substr(i, n)) - buffer_);
        i += n;
    }
    return true;
}

void BlockWriter::Flush() {
    out_.write(buffer_, static_cast<std::streamsize>(used_));
    used_ = 0;
}

}  // namespace kestrune::cli
