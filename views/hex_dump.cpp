#include "views/hex_dump.h"

#include "image/number_text.h"
#include "views/charsets.h"

namespace kestrune {

namespace {

constexpr std::u16string_view kHeading =
    u"Offset Bytes                  | PETSCII  | ScrCode\r\n"
    u"------------------------------+----------+---------\r\n";
constexpr std::size_t kBytesPerLine = 8;
constexpr std::size_t kHexWidth = 3 * kBytesPerLine;  // "%02x " for each byte of a full line

void AppendAddress(std::u16string& text, std::int64_t address) {
    AppendHex(text, static_cast<std::uint32_t>(address), 4);
    text.append(u": ");
}

}  // namespace

std::u16string HexDump(std::span<const std::uint8_t> data, std::int32_t start) {
    static constexpr char16_t kHexDigits[] = u"0123456789abcdef";
    std::u16string text;
    text.reserve(kHeading.size() + 8 + (data.size() / kBytesPerLine + 1) * 56);
    text.append(kHeading);
    AppendAddress(text, start);

    char16_t petscii[kBytesPerLine];
    char16_t screen[kBytesPerLine];
    std::size_t column = 0;
    for (std::size_t i = 0; i < data.size(); ++i) {
        const std::uint8_t byte = data[i];
        text.push_back(kHexDigits[byte >> 4]);
        text.push_back(kHexDigits[byte & 0xF]);
        text.push_back(u' ');
        petscii[column] = PetsciiChar(byte);
        screen[column] = ScreenCodeChar(byte);
        if (++column == kBytesPerLine) {
            text.append(u"| ")
                .append(petscii, kBytesPerLine)
                .append(u" | ")
                .append(screen, kBytesPerLine);
            text.append(u"\r\n");
            AppendAddress(text, std::int64_t{start} + static_cast<std::int64_t>(i) + 1);
            column = 0;
        }
    }
    // The last, partial line: the hex part filled to a full line's width, the PETSCII column
    // filled to eight characters, the screen-code column not filled.
    if (column > 0) {
        text.append(kHexWidth - 3 * column, u' ');
        text.append(u"| ").append(petscii, column).append(kBytesPerLine - column, u' ');
        text.append(u" | ").append(screen, column);
    }
    return text;
}

}  // namespace kestrune
