#include "cli/json_string.h"

#include <array>
#include <bit>
#include <cstdint>
#include <cstring>

namespace kestrune::cli {

namespace {

// The escape of each byte below 0x20 and of '"' and '\\'; empty for a byte that stands as it is.
constexpr std::array<std::string_view, 256> kEscapes = [] {
    std::array<std::string_view, 256> escapes{};
    constexpr std::string_view kControls[32] = {
        "\\u0000", "\\u0001", "\\u0002", "\\u0003", "\\u0004", "\\u0005", "\\u0006", "\\u0007",
        "\\b",     "\\t",     "\\n",     "\\u000b", "\\f",     "\\r",     "\\u000e", "\\u000f",
        "\\u0010", "\\u0011", "\\u0012", "\\u0013", "\\u0014", "\\u0015", "\\u0016", "\\u0017",
        "\\u0018", "\\u0019", "\\u001a", "\\u001b", "\\u001c", "\\u001d", "\\u001e", "\\u001f"};
    for (std::size_t c = 0; c < 32; ++c)
        escapes[c] = kControls[c];
    escapes['"'] = "\\\"";
    escapes['\\'] = "\\\\";
    return escapes;
}();

// Of eight bytes read as a little-endian word, how many come before the first that needs an
// escape (is below 0x20, '"' or '\\'); 8 when none does. The marks a test sets above the first
// marked byte may be wrong, the first is not.
int PlainBytes(std::uint64_t bytes) {
    constexpr std::uint64_t kOnes = 0x0101010101010101;
    constexpr std::uint64_t kHighs = 0x8080808080808080;
    const auto below = [&](std::uint64_t x, std::uint8_t n) {
        return (x - kOnes * n) & ~x & kHighs;
    };
    const std::uint64_t marks =
        below(bytes, 0x20) | below(bytes ^ (kOnes * '"'), 1) | below(bytes ^ (kOnes * '\\'), 1);
    return marks == 0 ? 8 : std::countr_zero(marks) / 8;
}

}  // namespace

JsonString::JsonString(std::ostream& out) : out_(out) {
    *end_++ = '"';
}

bool JsonString::operator()(std::string_view piece) {
    const char* in = piece.data();
    const char* const last = in + piece.size();
    while (in < last) {
        // Eight bytes at a time, up to the first that needs an escape.
        while (last - in >= 8 && buffer_ + kBufferSize - end_ >= 8) {
            std::uint64_t bytes;
            std::memcpy(&bytes, in, 8);
            const int plain = PlainBytes(bytes);
            std::memcpy(end_, in, 8);
            end_ += plain;
            in += plain;
            if (plain < 8) break;
        }
        if (end_ >= buffer_ + kBufferSize) Flush();
        if (in == last) break;
        const std::string_view escape = kEscapes[static_cast<unsigned char>(*in)];
        if (escape.empty()) {
            *end_++ = *in;
        } else {
            std::memcpy(end_, escape.data(), escape.size());
            end_ += escape.size();
        }
        ++in;
    }
    return true;
}

void JsonString::Close() {
    *end_++ = '"';
    Flush();
}

void JsonString::Flush() {
    out_.write(buffer_, end_ - buffer_);
    end_ = buffer_;
}

}  // namespace kestrune::cli
