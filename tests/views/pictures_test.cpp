// C64 pictures: which format a file names, and each format drawn pixel by pixel from a few chosen
// cells that reach every colour source (bitmap bits, screen nibbles, colour RAM, backgrounds, FLI
// lines); packed forms through a small packer of the test's own; what a file that does not fit
// says.
#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "views/palettes.h"
#include "views/pictures.h"

namespace kestrune {
namespace {

using Bytes = std::vector<std::uint8_t>;

const PictureFormat& Format(std::string_view key) {
    const PictureFormat* format = FindPictureFormat(key);
    EXPECT_NE(format, nullptr) << key;
    return *format;
}

int Pixel(const Picture& picture, int x, int y) {
    return picture.pixels.at(static_cast<std::size_t>(y) * picture.width + x);
}

// The eight pixels of a cell's line.
std::vector<int> Line(const Picture& picture, int cellX, int y) {
    std::vector<int> pixels;
    for (int x = cellX * 8; x < cellX * 8 + 8; ++x)
        pixels.push_back(Pixel(picture, x, y));
    return pixels;
}

// Packs bytes as runs behind an escape byte: $FE value count, or $C2 count value with the end
// mark $C2 $00. A literal escape byte is packed as a run of one.
Bytes Pack(const Bytes& bytes, Packing packing) {
    const std::uint8_t escape = packing == Packing::EscapeFe ? 0xFE : 0xC2;
    Bytes packed;
    for (std::size_t i = 0; i < bytes.size();) {
        std::size_t run = 1;
        while (i + run < bytes.size() && bytes[i + run] == bytes[i] && run < 255)
            ++run;
        if (run >= 4 || bytes[i] == escape) {
            if (packing == Packing::EscapeFe) {
                packed.insert(packed.end(), {escape, bytes[i], static_cast<std::uint8_t>(run)});
            } else {
                packed.insert(packed.end(), {escape, static_cast<std::uint8_t>(run), bytes[i]});
            }
            i += run;
        } else {
            packed.push_back(bytes[i++]);
        }
    }
    if (packing == Packing::EscapeC2) packed.insert(packed.end(), {0xC2, 0x00});
    return packed;
}

TEST(PicturesTest, LoadAddressAndLengthNameTheFormat) {
    struct Case {
        std::int32_t load;
        std::size_t length;    // with the load address
        std::string_view key;  // empty: no picture
    };
    for (const Case& c : std::vector<Case>{{0x6000, 10003, "koala"},
                                           {0x6000, 10004, ""},
                                           {0x4400, 10003, ""},
                                           {0x2000, 9009, "artstudio"},
                                           {0x2000, 9002, "artstudio"},
                                           {0x2000, 9003, "artstudio"},
                                           {0x2000, 10018, "advanced-artstudio"},
                                           {0x5C00, 9218, "doodle"},
                                           {0x3B00, 17474, "fli-graph"},
                                           {0x3C00, 17409, "fli-designer"},
                                           {0x3C00, 17410, "fli-designer"},
                                           {0x4000, 16385, "afli"},
                                           {0x4000, 16386, "afli"},
                                           {0x0801, 10003, ""},
                                           {0xC000, 64, ""}}) {
        const PictureFormat* format = DetectPicture(c.load, Bytes(c.length - 2, 0x11));
        EXPECT_EQ(format != nullptr ? format->key : "", c.key) << c.load << " " << c.length;
    }
    EXPECT_EQ(DetectPicture(std::nullopt, Bytes(10001)), nullptr);
}

TEST(PicturesTest, PackedFormsAreNamedWhenTheyUnpackToAWholePicture) {
    Bytes koala(10001, 0x00);
    koala[5] = 0xFE;  // an escape byte in the picture itself
    koala[8000] = 0x12;
    const PictureFormat* gg = DetectPicture(0x6000, Pack(koala, Packing::EscapeFe));
    ASSERT_NE(gg, nullptr);
    EXPECT_EQ(gg->key, "koala-gg");
    Bytes doodle(9216, 0x33);
    EXPECT_EQ(DetectPicture(0x5C00, Pack(doodle, Packing::EscapeFe))->key, "doodle-jj");
    Bytes amica(10257, 0x00);
    amica[100] = 0xC2;
    EXPECT_EQ(DetectPicture(0x4000, Pack(amica, Packing::EscapeC2))->key, "amica");
    // Packed data that falls short of a picture, or breaks off, names none.
    EXPECT_EQ(DetectPicture(0x6000, Pack(Bytes(5000, 0), Packing::EscapeFe)), nullptr);
    EXPECT_EQ(DetectPicture(0x4000, Bytes{0xC2, 0x10}), nullptr);

    // Round trip: the packed picture draws as the unpacked one.
    koala[9000] = 0x07;
    koala[0] = 0xFF;
    const Picture packed = DrawPicture(Format("koala-gg"), 0x6000, Pack(koala, Packing::EscapeFe));
    const Picture plain = DrawPicture(Format("koala"), 0x6000, koala);
    EXPECT_EQ(packed.pixels, plain.pixels);
    EXPECT_EQ(packed.note, u"");
    const Picture fromAmica = DrawPicture(Format("amica"), 0x4000, Pack(amica, Packing::EscapeC2));
    EXPECT_EQ(fromAmica.note, u"");
}

TEST(PicturesTest, MulticolourBitmapsTakeEachColourFromItsSource) {
    // Koala: bitmap 0, screen 8000, colour RAM 9000, background 10000. The high nibbles of
    // colour RAM and background are not colours.
    Bytes koala(10001, 0);
    koala[0] = 0b00011011;  // cell 0, line 0: background, screen high, low, colour RAM
    koala[8000] = 0x23;
    koala[9000] = 0xF5;
    koala[10000] = 0xF6;
    koala[41 * 8 + 3] = 0b11100100;  // cell 41 (second row, second column), its fourth line
    koala[8000 + 41] = 0x9A;
    koala[9000 + 41] = 0x0D;
    const Picture picture = DrawPicture(Format("koala"), 0x6000, koala);
    ASSERT_EQ(picture.width, 320);
    ASSERT_EQ(picture.height, 200);
    EXPECT_EQ(Line(picture, 0, 0), (std::vector<int>{6, 6, 2, 2, 3, 3, 5, 5}));
    EXPECT_EQ(Line(picture, 1, 11), (std::vector<int>{13, 13, 10, 10, 9, 9, 6, 6}));
    EXPECT_EQ(Pixel(picture, 319, 199), 6);
    EXPECT_EQ(picture.note, u"");

    // Advanced Art Studio: colour RAM at 9016, and the background at 9001, not 9000.
    Bytes advanced(10016, 0);
    advanced[0] = 0b00011011;
    advanced[8000] = 0x45;
    advanced[9000] = 0x02;
    advanced[9001] = 0x07;
    advanced[9016] = 0x0E;
    EXPECT_EQ(Line(DrawPicture(Format("advanced-artstudio"), 0x2000, advanced), 0, 0),
              (std::vector<int>{7, 7, 4, 4, 5, 5, 14, 14}));
}

TEST(PicturesTest, HiresBitmapsTakeSetBitsFromTheScreensHighNibble) {
    Bytes art(9007, 0);
    art[1 * 8 + 7] = 0b10100001;  // cell 1, line 7
    art[8000 + 1] = 0x1E;
    EXPECT_EQ(Line(DrawPicture(Format("artstudio"), 0x2000, art), 1, 7),
              (std::vector<int>{1, 14, 1, 14, 14, 14, 14, 1}));
    // Doodle: the screen first, the bitmap 1024 bytes on.
    Bytes doodle(9216, 0);
    doodle[1024 + 80 * 8] = 0b11110000;  // cell 80: the third row's first
    doodle[80] = 0x72;
    EXPECT_EQ(Line(DrawPicture(Format("doodle"), 0x5C00, doodle), 0, 16),
              (std::vector<int>{7, 7, 7, 7, 2, 2, 2, 2}));
}

TEST(PicturesTest, FliTakesEachLinesScreenAndShowsTheFliBug) {
    // FLI Graph at $3B00: line backgrounds at 0, colour RAM at $100, screens at $500, bitmap at
    // $2500.
    Bytes fli(17472, 0);
    fli[0] = 0x04;                 // line 0's background
    fli[1] = 0x08;                 // line 1's background
    fli[0x100 + 3] = 0x0C;         // colour RAM of cell 3
    fli[0x500 + 3] = 0x12;         // screen 0 (line 0) of cell 3
    fli[0x500 + 1024 + 3] = 0x34;  // screen 1 (line 1) of cell 3
    fli[0x2500 + 3 * 8] = 0b00011011;
    fli[0x2500 + 3 * 8 + 1] = 0b00011011;
    fli[0x2500] = 0b00011011;  // cell 0 lies in the FLI bug's three cells
    const Picture graph = DrawPicture(Format("fli-graph"), 0x3B00, fli);
    EXPECT_EQ(Line(graph, 3, 0), (std::vector<int>{4, 4, 1, 1, 2, 2, 12, 12}));
    EXPECT_EQ(Line(graph, 3, 1), (std::vector<int>{8, 8, 3, 3, 4, 4, 12, 12}));
    EXPECT_EQ(Line(graph, 0, 0), (std::vector<int>{4, 4, 15, 15, 15, 15, 15, 15}));

    // FLI Designer at $3C00: colour RAM at 0, screens at $400, bitmap at $2400, black behind.
    Bytes designer(17407, 0);
    designer[5] = 0x09;
    designer[0x400 + 7 * 1024 + 5] = 0x6A;
    designer[0x2400 + 5 * 8 + 7] = 0b00011011;
    EXPECT_EQ(Line(DrawPicture(Format("fli-designer"), 0x3C00, designer), 5, 7),
              (std::vector<int>{0, 0, 6, 6, 10, 10, 9, 9}));

    // AFLI at $4000: hires, screens at 0, bitmap at $2000.
    Bytes afli(16384, 0);
    afli[2 * 1024 + 4] = 0x5B;
    afli[0x2000 + 4 * 8 + 2] = 0b11000000;
    afli[0x2000 + 2] = 0b10000000;
    const Picture hires = DrawPicture(Format("afli"), 0x4000, afli);
    EXPECT_EQ(Line(hires, 4, 2), (std::vector<int>{5, 5, 11, 11, 11, 11, 11, 11}));
    EXPECT_EQ(Line(hires, 0, 2), (std::vector<int>(8, 15)));
}

TEST(PicturesTest, SpritesAndCharactersAreDrawnInAGrid) {
    Bytes sprites(64 * 9, 0);
    sprites[0] = 0b10000000;                // sprite 0, line 0: one set pixel
    sprites[64 * 8 + 3 * 20] = 0b01101100;  // sprite 8 (the second row), its last line
    const PictureColours colours{6, 1, 2, 5};
    const Picture hires = DrawPicture(Format("sprites"), std::nullopt, sprites, colours);
    EXPECT_EQ(hires.width, 8 * 25 - 1);
    EXPECT_EQ(hires.height, 2 * 22 - 1);
    EXPECT_EQ(Pixel(hires, 0, 0), 1);
    EXPECT_EQ(Pixel(hires, 1, 0), 6);
    EXPECT_EQ(Pixel(hires, 24, 0), 11);  // the grid between sprites
    const Picture multi = DrawPicture(Format("sprites-mc"), std::nullopt, sprites, colours);
    // Pairs: background, $D025, the sprite's colour, $D026.
    EXPECT_EQ(Line(multi, 0, 22 + 20), (std::vector<int>{2, 2, 1, 1, 5, 5, 6, 6}));

    Bytes charset(2048, 0);
    charset[8 + 2] = 0b11100100;  // character 1, line 2
    const Picture chars = DrawPicture(Format("charset-mc"), std::nullopt, charset, colours);
    EXPECT_EQ(chars.width, 32 * 9 - 1);
    EXPECT_EQ(chars.height, 8 * 9 - 1);
    // Pairs: background, $D022, $D023, the character's colour.
    std::vector<int> line;
    for (int x = 9; x < 17; ++x)
        line.push_back(Pixel(chars, x, 2));
    EXPECT_EQ(line, (std::vector<int>{1, 1, 5, 5, 2, 2, 6, 6}));

    // A file of more than 64 KiB of sprites draws the first 1,024 and says so.
    const Picture many = DrawPicture(Format("sprites"), 0x2000, Bytes(64 * 2000 + 1));
    EXPECT_EQ(many.height, 128 * 22 - 1);
    EXPECT_EQ(many.note, u"The first 1,024 of the file's 2,001 sprites are drawn.");
    EXPECT_EQ(DrawPicture(Format("charset"), 0x3000, Bytes{}).note,
              u"The file holds no bytes to draw.");
}

TEST(PicturesTest, AFileThatDoesNotFitIsDrawnAsFarAsItGoesAndSaysSo) {
    struct Case {
        std::string_view key;
        std::optional<std::int32_t> load;
        Bytes content;
        std::u16string note;
    };
    Bytes overrun = Pack(Bytes(10001, 0x01), Packing::EscapeFe);
    overrun.insert(overrun.end(), {0xFE, 0x02, 0x10});
    for (const Case& c : std::vector<Case>{
             {"koala", 0x6000, Bytes(9498, 0),
              u"The file holds 9,498 of the picture's 10,001 bytes: the rest is drawn as zeros."},
             {"koala", 0x6000, Bytes(10100, 0),
              u"The file is 10,102 bytes long, a Koala Painter file 10,003: the bytes past the "
              u"picture are not drawn."},
             {"koala", 0x0801, Bytes(10001, 0),
              u"Koala Painter pictures load at $6000; this file loads at $0801."},
             {"doodle", std::nullopt, Bytes(9216, 0),
              u"Doodle pictures load at $5C00; this file has no load address. The file is 9,216 "
              u"bytes long, a Doodle file 9,218: the bytes past the picture are not drawn."},
             {"koala-gg", 0x6000, overrun,
              u"The packed data runs past the picture's 10,001 bytes at file offset 122: the rest "
              u"is not read."},
             {"koala-gg", 0x6000, Bytes{0x01, 0xFE, 0x05},
              u"The packed data breaks off inside a run at file offset 3. It unpacks to 1 of the "
              u"picture's 10,001 bytes: the rest is drawn as zeros."},
             {"amica", 0x4000, Bytes(10001, 0x00), u"The packed data has no end mark ($C2 $00)."},
             {"amica", 0x4000, Bytes{0xC2, 0x00, 0x01, 0x02},
              u"2 bytes after the end mark are not read. It unpacks to 0 of the picture's 10,001 "
              u"bytes: the rest is drawn as zeros."},
         }) {
        const Picture picture = DrawPicture(Format(c.key), c.load, c.content);
        EXPECT_EQ(picture.note, c.note) << c.key;
        EXPECT_EQ(picture.width, 320);
        EXPECT_EQ(picture.pixels.size(), 320u * 200u);
    }
}

TEST(PicturesTest, PalettesGiveTheirOwnColours) {
    Picture picture;
    picture.width = 2;
    picture.height = 1;
    picture.pixels = {2, 15};
    EXPECT_EQ(PictureRgb(picture, Palettes[0].rgb), (Bytes{0x68, 0x37, 0x2B, 0x95, 0x95, 0x95}));
    EXPECT_EQ(PictureRgb(picture, Palettes[1].rgb), (Bytes{0x81, 0x33, 0x38, 0xB2, 0xB2, 0xB2}));
}

}  // namespace
}  // namespace kestrune
