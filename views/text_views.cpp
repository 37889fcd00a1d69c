#include "views/text_views.h"

#include <algorithm>
#include <cstring>

#include "text/c64_charsets.h"
#include "text/charsets.h"
#include "views/utf8_tables.h"

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

// The code of each character MapBytes writes: code(byte), or -1 twice for a break.
template <typename IsBreak, typename Code>
std::vector<std::int16_t> MapCodes(std::span<const std::uint8_t> data, IsBreak isBreak, Code code) {
    std::vector<std::int16_t> codes;
    codes.reserve(data.size());
    for (const std::uint8_t byte : data) {
        if (isBreak(byte)) {
            codes.insert(codes.end(), 2, -1);
        } else {
            codes.push_back(code(byte));
        }
    }
    return codes;
}

constexpr auto IsScreenBreak = [](std::uint8_t byte) { return byte == 0x1F; };
constexpr auto IsPetsciiBreak = [](std::uint8_t byte) { return byte == 0x0D || byte == 0x8D; };

// MapBytes in UTF-8 from a table of encoded characters, a piece at a time.
template <typename IsBreak>
bool MapUtf8(std::span<const std::uint8_t> data, IsBreak isBreak,
             const std::array<Utf8Char, 256>& table, const Utf8Sink& sink) {
    constexpr std::size_t kPiece = 16384;
    char buffer[3 * kPiece + 1];
    for (std::size_t at = 0; at < data.size(); at += kPiece) {
        char* out = buffer;
        for (const std::uint8_t byte : data.subspan(at, std::min(kPiece, data.size() - at))) {
            if (isBreak(byte)) {
                *out++ = '\r';
                *out++ = '\n';
            } else {
                std::memcpy(out, &table[byte], sizeof(Utf8Char));
                out += table[byte].size;
            }
        }
        if (!sink(std::string_view(buffer, static_cast<std::size_t>(out - buffer)))) return false;
    }
    return true;
}

}  // namespace

std::vector<std::int16_t> ScrCodeCodes(std::span<const std::uint8_t> data) {
    return MapCodes(data, IsScreenBreak, [](std::uint8_t byte) {
        return static_cast<std::int16_t>(PetsciiOfScreenCode(byte & 0x7F));
    });
}

std::vector<std::int16_t> PetsciiCodes(std::span<const std::uint8_t> data) {
    return MapCodes(data, IsPetsciiBreak,
                    [](std::uint8_t byte) { return static_cast<std::int16_t>(byte); });
}

std::u16string ScrCodeText(std::span<const std::uint8_t> data) {
    return MapBytes(data, IsScreenBreak, ScreenCodeChar);
}

std::u16string PetsciiText(std::span<const std::uint8_t> data) {
    return MapBytes(data, IsPetsciiBreak, PetsciiChar);
}

namespace {

// MapBytes over the data a piece at a time.
template <typename IsBreak, typename Map>
bool MapPieces(std::span<const std::uint8_t> data, IsBreak isBreak, Map map, const TextSink& sink) {
    constexpr std::size_t kPiece = 16384;
    for (std::size_t at = 0; at < data.size(); at += kPiece) {
        if (!sink(MapBytes(data.subspan(at, std::min(kPiece, data.size() - at)), isBreak, map)))
            return false;
    }
    return true;
}

}  // namespace

bool ScrCodeText(std::span<const std::uint8_t> data, const TextSink& sink) {
    return MapPieces(data, IsScreenBreak, ScreenCodeChar, sink);
}

bool PetsciiText(std::span<const std::uint8_t> data, const TextSink& sink) {
    return MapPieces(data, IsPetsciiBreak, PetsciiChar, sink);
}

bool ScrCodeTextUtf8(std::span<const std::uint8_t> data, const Utf8Sink& sink) {
    return MapUtf8(data, IsScreenBreak, kScreenCodeUtf8, sink);
}

bool PetsciiTextUtf8(std::span<const std::uint8_t> data, const Utf8Sink& sink) {
    return MapUtf8(data, IsPetsciiBreak, kPetsciiUtf8, sink);
}

}  // namespace kestrune
