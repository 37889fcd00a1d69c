#include "views/hex_dump.h"

#include <algorithm>
#include <array>
#include <bit>
#include <cstring>

#include "text/c64_charsets.h"
#include "text/charsets.h"
#include "text/number_text.h"
#include "views/utf8_tables.h"

namespace kestrune {

namespace {

constexpr std::string_view kHeading =
    "Offset Bytes                  | PETSCII  | ScrCode\r\n"
    "------------------------------+----------+---------\r\n";
constexpr std::size_t kBytesPerLine = 8;
constexpr std::size_t kHexWidth = 3 * kBytesPerLine;  // "%02x " for each byte of a full line
// The longest line: an address of up to eight digits and ": ", the bytes, both columns, CR LF.
constexpr std::size_t kLongestLine = 10 + kHexWidth + 2 + kBytesPerLine + 3 + kBytesPerLine + 2;

// A byte in hexadecimal and the space after it, "3f ", each as a character.
constexpr std::array<std::array<char, 4>, 256> kHexTriples = [] {
    constexpr char kDigits[] = "0123456789abcdef";
    std::array<std::array<char, 4>, 256> table{};
    for (std::size_t b = 0; b < 256; ++b)
        table[b] = {kDigits[b >> 4], kDigits[b & 0xF], ' ', 0};
    return table;
}();

// What the writer writes in: UTF-16 units or UTF-8 bytes. Each writer may write a unit past the
// character it writes (the buffer has room for it) and returns the end of the character.
template <typename Char>
struct Encoding;

template <>
struct Encoding<char16_t> {
    static constexpr std::size_t kMostPerChar = 1;
    static char16_t* Hex(char16_t* out, std::uint8_t b) {
        const std::array<char, 4>& triple = kHexTriples[b];
        out[0] = static_cast<char16_t>(triple[0]);
        out[1] = static_cast<char16_t>(triple[1]);
        out[2] = u' ';
        return out + 3;
    }
    static char16_t* Petscii(char16_t* out, std::uint8_t b) {
        *out = PetsciiChar(b);
        return out + 1;
    }
    static char16_t* Screen(char16_t* out, std::uint8_t b) {
        *out = ScreenCodeChar(b);
        return out + 1;
    }
};

template <>
struct Encoding<char> {
    static constexpr std::size_t kMostPerChar = 3;
    static char* Hex(char* out, std::uint8_t b) {
        std::memcpy(out, kHexTriples[b].data(), 4);
        return out + 3;
    }
    static char* Put(char* out, const Utf8Char& c) {
        std::memcpy(out, &c, sizeof(Utf8Char));
        return out + c.size;
    }
    static char* Petscii(char* out, std::uint8_t b) { return Put(out, kPetsciiUtf8[b]); }
    static char* Screen(char* out, std::uint8_t b) { return Put(out, kScreenCodeUtf8[b]); }
};

template <typename Char>
Char* PutAscii(Char* out, std::string_view text) {
    return std::copy(text.begin(), text.end(), out);
}

template <typename Char>
Char* PutAddress(Char* out, std::int64_t address) {
    static constexpr char kHexDigits[] = "0123456789abcdef";
    auto value = static_cast<std::uint32_t>(address);
    const int count = value < 0x10000 ? 4 : static_cast<int>(std::bit_width(value) + 3) / 4;
    for (int i = count - 1; i >= 0; --i, value >>= 4)
        out[i] = static_cast<Char>(kHexDigits[value & 0xF]);
    out += count;
    *out++ = ':';
    *out++ = ' ';
    return out;
}

// Writes the dump into a buffer of whole lines and hands each full buffer on.
template <typename Char, typename Sink>
class HexWriter {
  public:
    explicit HexWriter(const Sink& sink) : sink_(sink) {}

    bool Write(std::span<const std::uint8_t> data, std::int32_t start) {
        using Text = Encoding<Char>;
        out_ = PutAscii(buffer_, kHeading);
        std::size_t i = 0;
        for (; i + kBytesPerLine <= data.size(); i += kBytesPerLine) {
            const std::uint8_t* line = data.data() + i;
            out_ = PutAddress(out_, std::int64_t{start} + static_cast<std::int64_t>(i));
            for (std::size_t k = 0; k < kBytesPerLine; ++k)
                out_ = Text::Hex(out_, line[k]);
            out_ = PutAscii(out_, "| ");
            for (std::size_t k = 0; k < kBytesPerLine; ++k)
                out_ = Text::Petscii(out_, line[k]);
            out_ = PutAscii(out_, " | ");
            for (std::size_t k = 0; k < kBytesPerLine; ++k)
                out_ = Text::Screen(out_, line[k]);
            out_ = PutAscii(out_, "\r\n");
            if (out_ + kLongest > std::end(buffer_) && !Flush()) return false;
        }
        // The address of the line after the last full one stands also when no byte follows. The
        // last, partial line: the hex part filled to a full line's width, the PETSCII column
        // filled to eight characters, the screen-code column not filled.
        out_ = PutAddress(out_, std::int64_t{start} + static_cast<std::int64_t>(i));
        const std::span<const std::uint8_t> rest = data.subspan(i);
        if (!rest.empty()) {
            for (const std::uint8_t byte : rest)
                out_ = Text::Hex(out_, byte);
            out_ = std::fill_n(out_, kHexWidth - 3 * rest.size(), Char{' '});
            out_ = PutAscii(out_, "| ");
            for (const std::uint8_t byte : rest)
                out_ = Text::Petscii(out_, byte);
            out_ = std::fill_n(out_, kBytesPerLine - rest.size(), Char{' '});
            out_ = PutAscii(out_, " | ");
            for (const std::uint8_t byte : rest)
                out_ = Text::Screen(out_, byte);
        }
        return Flush();
    }

  private:
    static constexpr std::size_t kLongest = kLongestLine * Encoding<Char>::kMostPerChar;

    bool Flush() {
        const bool goOn =
            sink_(std::basic_string_view<Char>(buffer_, static_cast<std::size_t>(out_ - buffer_)));
        out_ = buffer_;
        return goOn;
    }

    const Sink& sink_;
    // Whole lines, and room for the unit a writer may write past its character.
    Char buffer_[64 * kLongest + 1];
    Char* out_ = buffer_;
};

}  // namespace

std::size_t HexDumpOffset(std::int32_t start, std::size_t index) {
    // A line: the address of four digits or more, ": ", the bytes, both columns, CR LF.
    constexpr std::size_t kLineWithoutAddress =
        2 + kHexWidth + 2 + kBytesPerLine + 3 + kBytesPerLine + 2;
    const auto digits = [](std::uint64_t address) {
        return std::max<std::size_t>(4, (std::bit_width(address) + 3) / 4);
    };
    const std::uint64_t first = static_cast<std::uint32_t>(start);
    const std::uint64_t lines = index / kBytesPerLine;
    std::size_t offset = kHeading.size();
    for (std::uint64_t line = 0; line < lines;) {
        // The lines whose addresses have as many digits as this one's.
        const std::uint64_t address = first + kBytesPerLine * line;
        const std::size_t width = digits(address);
        const std::uint64_t wider = std::uint64_t{1} << (4 * width);
        const std::uint64_t same =
            std::min(lines - line, (wider - address + kBytesPerLine - 1) / kBytesPerLine);
        offset += same * (width + kLineWithoutAddress);
        line += same;
    }
    return offset + digits(first + kBytesPerLine * lines) + 2 + 3 * (index % kBytesPerLine);
}

std::u16string HexDump(std::span<const std::uint8_t> data, std::int32_t start) {
    std::u16string text;
    text.reserve(kHeading.size() + (data.size() / kBytesPerLine + 1) * (kLongestLine - 4));
    HexDump(data, start, [&](std::u16string_view piece) {
        text.append(piece);
        return true;
    });
    return text;
}

bool HexDump(std::span<const std::uint8_t> data, std::int32_t start, const TextSink& sink) {
    return HexWriter<char16_t, TextSink>(sink).Write(data, start);
}

bool HexDumpUtf8(std::span<const std::uint8_t> data, std::int32_t start, const Utf8Sink& sink) {
    return HexWriter<char, Utf8Sink>(sink).Write(data, start);
}

std::vector<std::int16_t> HexDumpCodes(std::span<const std::uint8_t> data, std::int32_t start) {
    std::vector<std::int16_t> codes;
    for (std::size_t first = 0; first < data.size(); first += kBytesPerLine) {
        const std::size_t count = std::min(kBytesPerLine, data.size() - first);
        // The address, the bytes (filled to a full line's width) and "| " stand for no code.
        codes.resize(HexDumpOffset(start, first) + kHexWidth + 2, -1);
        for (std::size_t i = 0; i < count; ++i)
            codes.push_back(data[first + i]);
        // A short last line fills its PETSCII column with spaces; " | " follows.
        codes.insert(codes.end(), kBytesPerLine - count + 3, -1);
        for (std::size_t i = 0; i < count; ++i)
            codes.push_back(PetsciiOfScreenCode(data[first + i] & 0x7F));
    }
    return codes;
}

}  // namespace kestrune
