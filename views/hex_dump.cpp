#include "views/hex_dump.h"

#include <algorithm>
#include <bit>

#include "text/c64_charsets.h"
#include "text/charsets.h"
#include "text/number_text.h"

namespace kestrune {

namespace {

constexpr std::u16string_view kHeading =
    u"Offset Bytes                  | PETSCII  | ScrCode\r\n"
    u"------------------------------+----------+---------\r\n";
constexpr std::size_t kBytesPerLine = 8;
constexpr std::size_t kHexWidth = 3 * kBytesPerLine;  // "%02x " for each byte of a full line
// The longest line: an address of up to eight digits and ": ", the bytes, both columns, CR LF.
constexpr std::size_t kLongestLine = 10 + kHexWidth + 2 + kBytesPerLine + 3 + kBytesPerLine + 2;

char16_t* PutAddress(char16_t* out, std::int64_t address) {
    out = PutHex(out, static_cast<std::uint32_t>(address), 4);
    *out++ = u':';
    *out++ = u' ';
    return out;
}

char16_t* PutText(char16_t* out, std::u16string_view text) {
    return std::copy(text.begin(), text.end(), out);
}

// Writes the dump into a buffer of whole lines and hands each full buffer on.
class HexWriter {
  public:
    explicit HexWriter(const std::function<void(std::u16string_view)>& sink) : sink_(sink) {}

    void Write(std::span<const std::uint8_t> data, std::int32_t start) {
        static constexpr char16_t kHexDigits[] = u"0123456789abcdef";
        out_ = PutText(buffer_, kHeading);
        out_ = PutAddress(out_, start);

        char16_t petscii[kBytesPerLine];
        char16_t screen[kBytesPerLine];
        std::size_t column = 0;
        for (std::size_t i = 0; i < data.size(); ++i) {
            const std::uint8_t byte = data[i];
            *out_++ = kHexDigits[byte >> 4];
            *out_++ = kHexDigits[byte & 0xF];
            *out_++ = u' ';
            petscii[column] = PetsciiChar(byte);
            screen[column] = ScreenCodeChar(byte);
            if (++column == kBytesPerLine) {
                out_ = PutText(out_, u"| ");
                out_ = std::copy_n(petscii, kBytesPerLine, out_);
                out_ = PutText(out_, u" | ");
                out_ = std::copy_n(screen, kBytesPerLine, out_);
                out_ = PutText(out_, u"\r\n");
                if (out_ + kLongestLine > std::end(buffer_)) Flush();
                out_ = PutAddress(out_, std::int64_t{start} + static_cast<std::int64_t>(i) + 1);
                column = 0;
            }
        }
        // The last, partial line: the hex part filled to a full line's width, the PETSCII column
        // filled to eight characters, the screen-code column not filled.
        if (column > 0) {
            out_ = std::fill_n(out_, kHexWidth - 3 * column, u' ');
            out_ = PutText(out_, u"| ");
            out_ = std::copy_n(petscii, column, out_);
            out_ = std::fill_n(out_, kBytesPerLine - column, u' ');
            out_ = PutText(out_, u" | ");
            out_ = std::copy_n(screen, column, out_);
        }
        Flush();
    }

  private:
    void Flush() {
        sink_(std::u16string_view(buffer_, static_cast<std::size_t>(out_ - buffer_)));
        out_ = buffer_;
    }

    const std::function<void(std::u16string_view)>& sink_;
    char16_t buffer_[256 * kLongestLine];
    char16_t* out_ = buffer_;
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
    HexDump(data, start, [&](std::u16string_view piece) { text.append(piece); });
    return text;
}

void HexDump(std::span<const std::uint8_t> data, std::int32_t start,
             const std::function<void(std::u16string_view)>& sink) {
    HexWriter(sink).Write(data, start);
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
