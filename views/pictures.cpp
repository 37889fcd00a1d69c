#include "views/pictures.h"

#include <algorithm>
#include <cstring>

#include "text/number_text.h"

namespace kestrune {

namespace {

constexpr int kScreenWidth = 320;
constexpr int kScreenHeight = 200;
// FLI shows each line's own screen from the fourth cell on: in the first three the VIC-II reads
// $FF for the screen byte, so every colour but the background is light grey there.
constexpr int kFliBugCells = 3;
constexpr std::uint8_t kFliBugColour = 15;
// Sprites and characters are laid out in a grid, a line of this colour between them.
constexpr std::uint8_t kGridColour = 11;
constexpr int kSpritesAcross = 8;
constexpr int kCharactersAcross = 32;

// The picture's bytes and the offset in the file of each: what the notes name.
struct Unpacked {
    std::vector<std::uint8_t> bytes;
    std::u16string note;
    bool whole = true;  // the stream ended where it should, and fitted
};

std::u16string Grouped(std::size_t value) {
    return GroupedDecimal(value);
}

void AddNote(std::u16string& notes, std::u16string_view note) {
    if (!notes.empty()) notes += u' ';
    notes += note;
}

Unpacked Unpack(const PictureFormat& format, std::span<const std::uint8_t> content,
                std::size_t fileOffset) {
    Unpacked out;
    const std::size_t most = format.unpackedMost;
    const auto at = [&](std::size_t i) { return Grouped(fileOffset + i); };
    const auto brokeOff = [&](std::size_t i) {
        out.note = u"The packed data breaks off inside a run at file offset " + at(i) + u".";
        out.whole = false;
    };
    const auto overrun = [&](std::size_t i) {
        out.note = u"The packed data runs past the picture's " + Grouped(most) +
                   u" bytes at file offset " + at(i) + u": the rest is not read.";
        out.whole = false;
    };
    std::size_t i = 0;
    bool ended = false;
    while (i < content.size()) {
        const std::uint8_t byte = content[i];
        std::size_t run = 1;
        std::uint8_t value = byte;
        std::size_t next = i + 1;
        if (format.packing == Packing::EscapeFe && byte == 0xFE) {
            if (i + 2 >= content.size()) {
                brokeOff(i);
                break;
            }
            value = content[i + 1];
            run = content[i + 2] == 0 ? 256 : content[i + 2];
            next = i + 3;
        } else if (format.packing == Packing::EscapeC2 && byte == 0xC2) {
            if (i + 1 < content.size() && content[i + 1] == 0) {
                ended = true;
                i += 2;
                break;
            }
            if (i + 2 >= content.size()) {
                brokeOff(i);
                break;
            }
            run = content[i + 1];
            value = content[i + 2];
            next = i + 3;
        }
        if (out.bytes.size() + run > most) {
            out.bytes.resize(most, value);
            overrun(i);
            break;
        }
        out.bytes.insert(out.bytes.end(), run, value);
        i = next;
    }
    if (format.packing == Packing::EscapeC2 && out.whole && !ended) {
        out.note = u"The packed data has no end mark ($C2 $00).";
        out.whole = false;
    }
    if (ended && i < content.size()) {
        out.note = Grouped(content.size() - i) + u" bytes after the end mark are not read.";
    }
    return out;
}

// The picture's bytes, a zero for each the file does not hold.
class Bytes {
  public:
    explicit Bytes(std::span<const std::uint8_t> bytes) : bytes_(bytes) {}
    std::uint8_t operator[](std::ptrdiff_t i) const {
        return i >= 0 && static_cast<std::size_t>(i) < bytes_.size() ? bytes_[i] : 0;
    }

  private:
    std::span<const std::uint8_t> bytes_;
};

void DrawBitmap(const PictureFormat& format, const Bytes& bytes, Picture& picture) {
    const BitmapLayout& at = format.layout;
    picture.width = kScreenWidth;
    picture.height = kScreenHeight;
    picture.pixels.assign(kScreenWidth * kScreenHeight, 0);
    const bool fli = format.drawing == Drawing::Fli || format.drawing == Drawing::Afli;
    const bool multicolour =
        format.drawing == Drawing::Multicolour || format.drawing == Drawing::Fli;
    for (int y = 0; y < kScreenHeight; ++y) {
        const std::uint8_t background = at.lineBackgrounds >= 0 ? bytes[at.lineBackgrounds + y] & 15
                                        : at.background >= 0    ? bytes[at.background] & 15
                                                                : 0;
        const int screen = at.screen + (fli ? (y & 7) * 1024 : 0);
        std::uint8_t* line = &picture.pixels[static_cast<std::size_t>(y) * kScreenWidth];
        for (int cx = 0; cx < 40; ++cx) {
            const int cell = (y / 8) * 40 + cx;
            const std::uint8_t bits = bytes[at.bitmap + cell * 8 + (y & 7)];
            const bool bug = fli && cx < kFliBugCells;
            const std::uint8_t screenByte = bug ? 0xFF : bytes[screen + cell];
            const std::uint8_t high = screenByte >> 4;
            const std::uint8_t low = screenByte & 15;
            std::uint8_t* out = line + cx * 8;
            if (multicolour) {
                const std::uint8_t colourRam = bug              ? kFliBugColour
                                               : at.colour >= 0 ? bytes[at.colour + cell] & 15
                                                                : 0;
                const std::array<std::uint8_t, 4> colours = {background, high, low, colourRam};
                for (int pair = 0; pair < 4; ++pair) {
                    const std::uint8_t colour = colours[(bits >> (6 - 2 * pair)) & 3];
                    out[2 * pair] = out[2 * pair + 1] = colour;
                }
            } else {
                for (int bit = 0; bit < 8; ++bit)
                    out[bit] = (bits >> (7 - bit)) & 1 ? high : low;
            }
        }
    }
}

// Draws each block of blockSize bytes as a width x height tile (rowBytes a line, pixels twice as
// wide in multicolour) in a grid of across tiles.
void DrawTiles(std::span<const std::uint8_t> content, std::size_t blockSize, std::size_t most,
               int tileWidth, int tileHeight, int rowBytes, int across,
               const std::array<std::uint8_t, 4>& colours, bool multicolour,
               std::u16string_view what, Picture& picture) {
    const std::size_t blocks = (content.size() + blockSize - 1) / blockSize;
    const std::size_t drawn = std::min(blocks, most);
    if (blocks > most) {
        AddNote(picture.note, u"The first " + Grouped(most) + u" of the file's " + Grouped(blocks) +
                                  u" " + std::u16string(what) + u" are drawn.");
    }
    if (drawn == 0) {
        AddNote(picture.note, u"The file holds no bytes to draw.");
        return;
    }
    const int columns = static_cast<int>(std::min<std::size_t>(drawn, across));
    const int rows = static_cast<int>((drawn + across - 1) / across);
    picture.width = columns * (tileWidth + 1) - 1;
    picture.height = rows * (tileHeight + 1) - 1;
    picture.pixels.assign(static_cast<std::size_t>(picture.width) * picture.height, kGridColour);
    // The eight pixels each byte value makes, worked out once.
    std::array<std::array<std::uint8_t, 8>, 256> pixelsOf{};
    for (int value = 0; value < 256; ++value) {
        std::array<std::uint8_t, 8>& out = pixelsOf[static_cast<std::size_t>(value)];
        if (multicolour) {
            for (int pair = 0; pair < 4; ++pair)
                out[2 * pair] = out[2 * pair + 1] = colours[(value >> (6 - 2 * pair)) & 3];
        } else {
            for (int bit = 0; bit < 8; ++bit)
                out[bit] = (value >> (7 - bit)) & 1 ? colours[1] : colours[0];
        }
    }
    const Bytes bytes(content);
    for (std::size_t block = 0; block < drawn; ++block) {
        const int left = static_cast<int>(block % across) * (tileWidth + 1);
        const int top = static_cast<int>(block / across) * (tileHeight + 1);
        const auto base = static_cast<std::ptrdiff_t>(block * blockSize);
        for (int y = 0; y < tileHeight; ++y) {
            std::uint8_t* out = &picture.pixels[static_cast<std::size_t>(top + y) * picture.width +
                                                static_cast<std::size_t>(left)];
            for (int b = 0; b < rowBytes; ++b)
                std::memcpy(out + b * 8, pixelsOf[bytes[base + y * rowBytes + b]].data(), 8);
        }
    }
}

std::u16string LoadAddressText(std::int32_t address) {
    std::u16string text = u"$";
    AppendHex(text, static_cast<std::uint32_t>(address), 4, true);
    return text;
}

}  // namespace

const PictureFormat* FindPictureFormat(std::string_view key) {
    for (const PictureFormat& format : PictureFormats) {
        if (format.key == key) return &format;
    }
    return nullptr;
}

const PictureFormat* DetectPicture(std::optional<std::int32_t> loadAddress,
                                   std::span<const std::uint8_t> content) {
    if (!loadAddress) return nullptr;
    const std::size_t length = content.size() + 2;
    for (const PictureFormat& format : PictureFormats) {
        if (format.loadAddress != *loadAddress) continue;
        if (format.packing == Packing::None) {
            if (std::find(format.lengths.begin(), format.lengths.end(), length) !=
                format.lengths.end())
                return &format;
            continue;
        }
        // A packed picture is smaller than the picture, unpacks whole and fills it.
        if (content.size() >= format.size) continue;
        const Unpacked unpacked = Unpack(format, content, 2);
        if (unpacked.whole && unpacked.note.empty() && unpacked.bytes.size() >= format.size)
            return &format;
    }
    return nullptr;
}

Picture DrawPicture(const PictureFormat& format, std::optional<std::int32_t> loadAddress,
                    std::span<const std::uint8_t> content, const PictureColours& colours) {
    Picture picture;
    picture.format = &format;
    const std::array<std::uint8_t, 4> tileColours = {
        static_cast<std::uint8_t>(colours.background & 15),
        static_cast<std::uint8_t>(colours.colour & 15),
        static_cast<std::uint8_t>(colours.multicolour1 & 15),
        static_cast<std::uint8_t>(colours.multicolour2 & 15)};
    switch (format.drawing) {
        case Drawing::Sprites:
        case Drawing::SpritesMulticolour: {
            // Multicolour sprite pairs: background, $D025, the sprite's colour, $D026.
            const std::array<std::uint8_t, 4> pairs = {tileColours[0], tileColours[2],
                                                       tileColours[1], tileColours[3]};
            const bool multicolour = format.drawing == Drawing::SpritesMulticolour;
            DrawTiles(content, 64, kMostSprites, 24, 21, 3, kSpritesAcross,
                      multicolour ? pairs : tileColours, multicolour, u"sprites", picture);
            return picture;
        }
        case Drawing::Charset:
        case Drawing::CharsetMulticolour: {
            // Multicolour character pairs: background, $D022, $D023, the character's colour
            // (colours 0-7 only: its fourth bit turns multicolour on).
            const std::array<std::uint8_t, 4> pairs = {
                tileColours[0], tileColours[2], tileColours[3],
                static_cast<std::uint8_t>(tileColours[1] & 7)};
            const bool multicolour = format.drawing == Drawing::CharsetMulticolour;
            DrawTiles(content, 8, kMostCharacters, 8, 8, 1, kCharactersAcross,
                      multicolour ? pairs : tileColours, multicolour, u"characters", picture);
            return picture;
        }
        default:
            break;
    }

    if (loadAddress != format.loadAddress) {
        AddNote(picture.note, std::u16string(format.name) + u" pictures load at " +
                                  LoadAddressText(format.loadAddress) + u"; this file " +
                                  (loadAddress ? u"loads at " + LoadAddressText(*loadAddress)
                                               : std::u16string(u"has no load address")) +
                                  u".");
    }
    std::span<const std::uint8_t> bytes = content;
    Unpacked unpacked;
    if (format.packing != Packing::None) {
        unpacked = Unpack(format, content, loadAddress ? 2 : 0);
        AddNote(picture.note, unpacked.note);
        bytes = unpacked.bytes;
        if (bytes.size() < format.size) {
            AddNote(picture.note, u"It unpacks to " + Grouped(bytes.size()) +
                                      u" of the picture's " + Grouped(format.size) +
                                      u" bytes: the rest is drawn as zeros.");
        }
    } else if (content.size() < format.size) {
        AddNote(picture.note, u"The file holds " + Grouped(content.size()) + u" of the picture's " +
                                  Grouped(format.size) + u" bytes: the rest is drawn as zeros.");
    } else if (const std::size_t length = content.size() + (loadAddress ? 2 : 0);
               std::find(format.lengths.begin(), format.lengths.end(), length) ==
               format.lengths.end()) {
        AddNote(picture.note, u"The file is " + Grouped(length) + u" bytes long, a " +
                                  std::u16string(format.name) + u" file " +
                                  Grouped(format.lengths[0]) +
                                  u": the bytes past the picture are not drawn.");
    }
    DrawBitmap(format, Bytes(bytes), picture);
    return picture;
}

std::vector<std::uint8_t> PictureRgb(const Picture& picture,
                                     const std::array<std::uint32_t, 16>& palette) {
    return PictureRgb(std::span<const std::uint8_t>(picture.pixels), palette);
}

std::vector<std::uint8_t> PictureRgb(std::span<const std::uint8_t> pixels,
                                     const std::array<std::uint32_t, 16>& palette) {
    std::vector<std::uint8_t> rgb(pixels.size() * 3);
    for (std::size_t i = 0; i < pixels.size(); ++i) {
        const std::uint32_t colour = palette[pixels[i] & 15];
        rgb[3 * i] = static_cast<std::uint8_t>(colour >> 16);
        rgb[3 * i + 1] = static_cast<std::uint8_t>(colour >> 8);
        rgb[3 * i + 2] = static_cast<std::uint8_t>(colour);
    }
    return rgb;
}

}  // namespace kestrune
