#include "views/text_views.h"

#include <algorithm>

#include "text/charsets.h"

namespace kestrune {

namespace {

// Maps every byte through the table, writing CR LF for each byte that breaks the line. The text
// is sized once: one character a byte, one more for each break.
template <typename IsBreak, typename Map>
std::u16string MapBytes(std::span<const std::uint8_t> data, IsBreak isBreak, Map map) {
    const auto breaks = static_cast<std::size_t>(std::count_if(data.begin(), data.end(), isBreak));
    std::u16string text(data.size() + breaks, u'\0');
    char16_t* out = text.data();
    for (const std::uint8_t byte : data) {
        if (isBreak(byte)) {
            *out++ = u'\r';
            *out++ = u'\n';
        } else {
            *out++ = map(byte);
        }
    }
    return text;
}

}  // namespace

std::u16string ScrCodeText(std::span<const std::uint8_t> data) {
    return MapBytes(
        data, [](std::uint8_t byte) { return byte == 0x1F; }, ScreenCodeChar);
}

std::u16string PetsciiText(std::span<const std::uint8_t> data) {
    return MapBytes(
        data, [](std::uint8_t byte) { return byte == 0x0D || byte == 0x8D; }, PetsciiChar);
}

}  // namespace kestrune
