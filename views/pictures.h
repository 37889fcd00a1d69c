// C64 pictures: the bitmap formats of the paint programs (some packed), FLI, and any file drawn
// as sprites or as character sets. Each format is a row of one table: how a file names it (its
// load address and length), how it is packed, and where its bitmap and colours lie.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace kestrune {

// How the bytes of a file become the picture's bytes.
enum class Packing {
    None,
    EscapeFe,  // runs as $FE value count (count 0: 256), other bytes as they are
    EscapeC2,  // runs as $C2 count value, other bytes as they are, the end as $C2 $00
};

// How the picture's bytes are drawn.
enum class Drawing {
    Multicolour,         // 160x200 pixels twice as wide: background, screen nibbles, colour RAM
    Hires,               // 320x200: the screen's nibbles for set and clear bits
    Fli,                 // multicolour with a screen for each of a cell's eight lines
    Afli,                // hires with a screen for each of a cell's eight lines
    Sprites,             // 24x21 from each 64 bytes
    SpritesMulticolour,  // 12x21 pixels twice as wide
    Charset,             // 8x8 from each 8 bytes
    CharsetMulticolour,  // 4x8 pixels twice as wide
};

// Where a bitmap format's parts lie, as offsets into the picture's bytes (after the load
// address); -1 for a part the format does not have.
struct BitmapLayout {
    int bitmap = -1;
    int screen = -1;           // the first screen; FLI's eight follow 1024 bytes apart
    int colour = -1;           // colour RAM
    int background = -1;       // one background colour ($D021); black without
    int lineBackgrounds = -1;  // a background colour for each of the 200 lines
};

struct PictureFormat {
    std::string_view key;      // how kestrune-cli and the JSON name it
    std::u16string_view name;  // how the window names it
    std::int32_t loadAddress;  // -1: any file (sprites and charsets are never chosen unasked)
    std::array<std::size_t, 3> lengths;  // file lengths, load address included, that name it
    Packing packing;
    std::size_t unpackedMost;  // the most bytes a packed form unpacks to
    std::size_t size;          // the picture's bytes: what the drawing reads
    Drawing drawing;
    BitmapLayout layout;
};

// clang-format off
inline constexpr std::array<PictureFormat, 14> PictureFormats = {{
    // key                   name                          load    lengths              packing           unpacked size   drawing                       bitmap  screen  colour  bg      lines
    {"koala",              u"Koala Painter",              0x6000, {10003, 0, 0},       Packing::None,     0,     10001, Drawing::Multicolour,        {0,     8000,   9000,   10000,  -1}},
    {"koala-gg",           u"Koala Painter (GG packed)",  0x6000, {0, 0, 0},           Packing::EscapeFe, 10001, 10001, Drawing::Multicolour,        {0,     8000,   9000,   10000,  -1}},
    {"artstudio",          u"Art Studio",                 0x2000, {9009, 9002, 9003},  Packing::None,     0,     9000,  Drawing::Hires,              {0,     8000,   -1,     -1,     -1}},
    {"advanced-artstudio", u"Advanced Art Studio",        0x2000, {10018, 0, 0},       Packing::None,     0,     10016, Drawing::Multicolour,        {0,     8000,   9016,   9001,   -1}},
    {"amica",              u"Amica Paint",                0x4000, {0, 0, 0},           Packing::EscapeC2, 10257, 10001, Drawing::Multicolour,        {0,     8000,   9000,   10000,  -1}},
    {"doodle",             u"Doodle",                     0x5C00, {9218, 0, 0},        Packing::None,     0,     9024,  Drawing::Hires,              {1024,  0,      -1,     -1,     -1}},
    {"doodle-jj",          u"Doodle (JJ packed)",         0x5C00, {0, 0, 0},           Packing::EscapeFe, 9216,  9024,  Drawing::Hires,              {1024,  0,      -1,     -1,     -1}},
    {"fli-graph",          u"FLI Graph",                  0x3B00, {17474, 0, 0},       Packing::None,     0,     17472, Drawing::Fli,                {0x2500, 0x0500, 0x0100, -1,   0}},
    {"fli-designer",       u"FLI Designer",               0x3C00, {17409, 17410, 0},   Packing::None,     0,     17216, Drawing::Fli,                {0x2400, 0x0400, 0,     -1,     -1}},
    {"afli",               u"AFLI",                       0x4000, {16385, 16386, 0},   Packing::None,     0,     16192, Drawing::Afli,               {0x2000, 0,     -1,     -1,     -1}},
    {"sprites",            u"Sprites",                    -1,     {0, 0, 0},           Packing::None,     0,     64,    Drawing::Sprites,            {}},
    {"sprites-mc",         u"Sprites, multicolour",       -1,     {0, 0, 0},           Packing::None,     0,     64,    Drawing::SpritesMulticolour, {}},
    {"charset",            u"Character set",              -1,     {0, 0, 0},           Packing::None,     0,     2048,  Drawing::Charset,            {}},
    {"charset-mc",         u"Character set, multicolour", -1,     {0, 0, 0},           Packing::None,     0,     2048,  Drawing::CharsetMulticolour, {}},
}};
// clang-format on

// Whether a format is drawn in colours of the viewer's choosing: sprites and character sets.
constexpr bool TakesColours(const PictureFormat& format) {
    return format.drawing == Drawing::Sprites || format.drawing == Drawing::SpritesMulticolour ||
           format.drawing == Drawing::Charset || format.drawing == Drawing::CharsetMulticolour;
}

// The colours sprites and charsets are drawn in: the background ($D021), their own colour, and
// the two shared multicolours ($D025/$D026 for sprites, $D022/$D023 for characters).
struct PictureColours {
    std::uint8_t background = 0;
    std::uint8_t colour = 1;
    std::uint8_t multicolour1 = 15;
    std::uint8_t multicolour2 = 12;
};

// The most sprites (64 KiB of them) and characters (eight sets) one picture draws.
inline constexpr std::size_t kMostSprites = 1024;
inline constexpr std::size_t kMostCharacters = 2048;

// A drawn picture: a colour number (0-15) for each pixel, row after row.
struct Picture {
    const PictureFormat* format = nullptr;
    int width = 0;
    int height = 0;
    std::vector<std::uint8_t> pixels;
    // What did not fit: a file shorter or longer than the format, a load address of another
    // format, a packed stream that overran or broke off. Empty when the file was whole.
    std::u16string note;
};

// The bitmap format a file's load address and length name; a packed format when its stream
// unpacks, without a fault, to the picture's size. Nothing for any other file.
const PictureFormat* DetectPicture(std::optional<std::int32_t> loadAddress,
                                   std::span<const std::uint8_t> content);

// The format of the table with that key; nothing for none.
const PictureFormat* FindPictureFormat(std::string_view key);

// Draws content (the file's bytes after its load address) in format. The parts a short file does
// not hold are drawn as zeros.
Picture DrawPicture(const PictureFormat& format, std::optional<std::int32_t> loadAddress,
                    std::span<const std::uint8_t> content, const PictureColours& colours = {});

// The picture as 8-bit RGB triples in palette's colours, row after row.
// The same for colour numbers held elsewhere.
std::vector<std::uint8_t> PictureRgb(std::span<const std::uint8_t> pixels,
                                     const std::array<std::uint32_t, 16>& palette);
std::vector<std::uint8_t> PictureRgb(const Picture& picture,
                                     const std::array<std::uint32_t, 16>& palette);

}  // namespace kestrune
