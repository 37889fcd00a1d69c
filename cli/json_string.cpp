#include "cli/json_string.h"

#include <array>
#include <bit>
#include <cstdint>
#include <cstring>
#include <string_view>

#include <emmintrin.h>

namespace kestrune::cli {

namespace {

// More escapes than this in a block, and it is written byte by byte.
constexpr int kSparseMarks = 3;

// How a byte is written: its escape, or the byte itself, padded to eight bytes so that it is
// copied in one move.
struct Escape {
    char bytes[8];
    std::uint8_t size;
};

// Each byte as it is written: bytes below 0x20, '"' and '\\' escaped, the others as they are.
constexpr std::array<Escape, 256> kEscapes = [] {
    std::array<Escape, 256> escapes{};
    for (std::size_t c = 0; c < 256; ++c) {
        escapes[c].bytes[0] = static_cast<char>(c);
        escapes[c].size = 1;
    }
    const auto set = [&](unsigned char c, std::string_view text) {
        for (std::size_t i = 0; i < text.size(); ++i)
            escapes[c].bytes[i] = text[i];
        escapes[c].size = static_cast<std::uint8_t>(text.size());
    };
    constexpr char kHex[] = "0123456789abcdef";
    for (unsigned char c = 0; c < 0x20; ++c) {
        const char unicode[] = {'\\', 'u', '0', '0', kHex[c >> 4], kHex[c & 15]};
        set(c, std::string_view(unicode, 6));
    }
    set('\b', "\\b");
    set('\t', "\\t");
    set('\n', "\\n");
    set('\f', "\\f");
    set('\r', "\\r");
    set('"', "\\\"");
    set('\\', "\\\\");
    return escapes;
}();

// The bytes of the block that need an escape (are below 0x20, '"' or '\\'), one bit each.
unsigned Marks(__m128i block) {
    const __m128i control =
        _mm_cmpeq_epi8(_mm_max_epu8(block, _mm_set1_epi8(0x1F)), _mm_set1_epi8(0x1F));
    const __m128i quote = _mm_cmpeq_epi8(block, _mm_set1_epi8('"'));
    const __m128i backslash = _mm_cmpeq_epi8(block, _mm_set1_epi8('\\'));
    return static_cast<unsigned>(
        _mm_movemask_epi8(_mm_or_si128(control, _mm_or_si128(quote, backslash))));
}

// Writes c at out as it is written in a string; where the next byte goes.
char* Put(char* out, char c) {
    const Escape& escape = kEscapes[static_cast<unsigned char>(c)];
    std::memcpy(out, escape.bytes, sizeof escape.bytes);
    return out + escape.size;
}

}  // namespace

JsonString::JsonString(std::ostream& out) : out_(out) {
    *end_++ = '"';
}

bool JsonString::operator()(std::string_view piece) {
    const char* in = piece.data();
    const char* const last = in + piece.size();
    // Sixteen bytes at a time: the plain runs between the bytes to escape are moved whole, from a
    // copy of the block with room after it.
    for (; last - in >= kBlock; in += kBlock) {
        if (buffer_ + kBufferSize - end_ < kRoom) Flush();
        const __m128i bytes = _mm_loadu_si128(reinterpret_cast<const __m128i*>(in));
        unsigned marks = Marks(bytes);
        if (marks == 0) {
            _mm_storeu_si128(reinterpret_cast<__m128i*>(end_), bytes);
            end_ += kBlock;
            continue;
        }
        // A block of many escapes goes byte by byte.
        unsigned beyond = marks;
        for (int i = 0; i < kSparseMarks; ++i)
            beyond &= beyond - 1;
        if (beyond != 0) {
            for (int i = 0; i < kBlock; ++i)
                end_ = Put(end_, in[i]);
            continue;
        }
        char block[2 * kBlock] = {};
        _mm_storeu_si128(reinterpret_cast<__m128i*>(block), bytes);
        int from = 0;
        for (; marks != 0; marks &= marks - 1) {
            const int at = std::countr_zero(marks);
            std::memcpy(end_, block + from, kBlock);
            end_ += at - from;
            // Lines end in CR LF: the pair is escaped at once.
            if (block[at] == '\r' && block[at + 1] == '\n') {
                std::memcpy(end_, "\\r\\n", 4);
                end_ += 4;
                marks &= marks - 1;
                from = at + 2;
                continue;
            }
            end_ = Put(end_, block[at]);
            from = at + 1;
        }
        std::memcpy(end_, block + from, kBlock);
        end_ += kBlock - from;
    }
    for (; in < last; ++in) {
        if (buffer_ + kBufferSize - end_ < kRoom) Flush();
        end_ = Put(end_, *in);
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
