// TAP files as the ROM loader saves programs: each file a row holding what a computer would
// load, however the tape was recorded (versions 0 to 2), with a damaged copy read from the other
// and the parts no ROM loader reads named with where they lie.
#include <gtest/gtest.h>

#include "image/recognition.h"
#include "tests/support/disk_builder.h"
#include "tests/support/format_builders.h"
#include "tests/support/opened_volume.h"
#include "text/unicode.h"

namespace kestrune {
namespace {

using testing::Bytes;
using testing::FileOf;
using testing::TapWriter;

Opened Open(std::string_view name, Bytes bytes) {
    return OpenContents(name, std::move(bytes), [](const Message&) { return false; });
}

Volume OpenOrFail(Bytes bytes) {
    return testing::OpenOrFail("tape.tap", std::move(bytes));
}

std::string NameOf(const DirectoryEntry& entry) {
    std::string name(entry.name.begin(), entry.name.end());
    return name.substr(0, name.find_last_not_of(" \xA0") + 1);
}

std::string Note(const Volume& volume, std::size_t row) {
    return Utf16ToUtf8(volume.storedFiles.at(*volume.entries.at(row).storedFile).note);
}

TEST(Tap, ProgramsAndDataFilesInEveryVersion) {
    const Bytes basic = testing::Program(0x0801, testing::Noise(300));
    const Bytes code = testing::Noise(1000, 3);
    // A data file: its header (type 4), then blocks of type 2 with 191 bytes each; the file
    // ends at its first zero byte.
    Bytes seqHeader(192, 0x20);
    seqHeader[0] = 4;
    std::copy_n("NOTES", 5, seqHeader.begin() + 5);
    Bytes seqBlock(192, 0);
    seqBlock[0] = 2;
    std::copy_n("HELLO\r", 6, seqBlock.begin() + 1);
    TapWriter writer;
    writer.File(1, "BASIC", 0x0801, {basic.begin() + 2, basic.end()}).File(3, "CODE", 0xC000, code);
    writer.Leader(0x6A00).Block(seqHeader, 1).Leader(79).Block(seqHeader, 2).Pause(100000);
    writer.Leader(0x1500).Block(seqBlock, 1).Leader(79).Block(seqBlock, 2).Pause(100000);
    for (const int version : {0, 1, 2}) {
        SCOPED_TRACE(version);
        const Volume volume = OpenOrFail(writer.Tap(version));
        EXPECT_EQ(volume.format, "tap");
        EXPECT_EQ(volume.disk.diskName, u"TAPE.TAP");
        ASSERT_EQ(volume.entries.size(), 3u);
        EXPECT_EQ(NameOf(volume.entries[0]), "BASIC");
        EXPECT_EQ(volume.entries[0].type, 0x82);
        EXPECT_EQ(volume.entries[0].loadAddress, 0x0801);
        EXPECT_EQ(FileOf(volume, 0), basic);
        EXPECT_EQ(NameOf(volume.entries[1]), "CODE");
        EXPECT_EQ(FileOf(volume, 1), testing::Program(0xC000, code));
        EXPECT_EQ(NameOf(volume.entries[2]), "NOTES");
        EXPECT_EQ(volume.entries[2].type, 0x81);
        EXPECT_EQ(FileOf(volume, 2), (Bytes{'H', 'E', 'L', 'L', 'O', '\r'}));
        EXPECT_EQ(Utf16ToUtf8(volume.fault).substr(0, 25),
                  "TAP version " + std::to_string(version) + " for the C64");
        EXPECT_NE(volume.fault.find(u"3 files read by the ROM loader"), std::u16string::npos);
        EXPECT_EQ(volume.fault.find(u';'), std::u16string::npos) << Utf16ToUtf8(volume.fault);
    }
    // Where each file lies: its header and data by the time into the tape.
    const Volume volume = OpenOrFail(writer.Tap());
    EXPECT_EQ(Note(volume, 0),
              "Header at 0:00.0 (type 1: a relocatable program), data at 0:14.9 to 0:22.9");
    EXPECT_EQ(Note(volume, 2).substr(0, 42), "Header at 1:00.2 (type 4: a data file), da");
    EXPECT_EQ(Utf16ToUtf8(volume.fault).substr(0, 50),
              "TAP version 1 for the C64 (PAL), 1:20.8 long: 3 fi");
}

TEST(Tap, ADamagedCopyIsReadFromTheOtherAndSaidSo) {
    const Bytes code = testing::Noise(500, 7);
    struct Case {
        std::vector<std::size_t> firstDamage;
        std::vector<std::size_t> secondDamage;
        std::string note;
        bool whole;
    };
    for (const Case& c : std::vector<Case>{
             {{10, 20},
              {},
              "the first copy of the data has 2 bytes with a parity error; the second is read",
              true},
             {{},
              {30},
              "the second copy of the data has 1 byte with a parity error; the first is read",
              true},
             {{10},
              {20},
              "both copies of the data fail (the first has 1 byte with a parity error, the "
              "second has 1 byte with a parity error): they are read together, and pass the "
              "checksum",
              true},
             {{10},
              {10},
              "both copies of the data fail (the first has 1 byte with a parity error, the "
              "second has 1 byte with a parity error): they are read together, 1 byte still in "
              "doubt",
              false},
         }) {
        SCOPED_TRACE(c.note);
        Bytes header(192, 0x20);
        header[0] = 3;
        header[1] = 0x00;
        header[2] = 0x10;
        header[3] = static_cast<std::uint8_t>(code.size());
        header[4] = static_cast<std::uint8_t>(0x10 + (code.size() >> 8));
        std::copy_n("GAME", 4, header.begin() + 5);
        TapWriter writer;
        writer.Leader(2000).Block(header, 1).Leader(79).Block(header, 2).Pause(50000);
        writer.Leader(2000).Block(code, 1, c.firstDamage).Leader(79).Block(code, 2, c.secondDamage);
        const Volume volume = OpenOrFail(writer.Tap());
        ASSERT_EQ(volume.entries.size(), 1u);
        EXPECT_NE(Note(volume, 0).find(c.note), std::string::npos) << Note(volume, 0);
        EXPECT_EQ(FileOf(volume, 0) == testing::Program(0x1000, code), c.whole);
    }
}

TEST(Tap, APulseOutOfPlaceLosesOneByteOnly) {
    const Bytes code = testing::Noise(500, 7);
    Bytes header(192, 0x20);
    header[0] = 3;
    header[1] = 0x00;
    header[2] = 0x10;
    header[3] = static_cast<std::uint8_t>(code.size());
    header[4] = static_cast<std::uint8_t>(0x10 + (code.size() >> 8));
    TapWriter writer;
    writer.Leader(2000).Block(header, 1).Leader(79).Block(header, 2).Pause(50000);
    writer.Leader(2000).Block(code, 1).Leader(79).Block(code, 2);
    Bytes tape = writer.Tap();
    // The pause is a 0 and three bytes; after it the leader, the countdown and ten bytes, then a
    // pulse far too short for any bit.
    const std::size_t pause =
        static_cast<std::size_t>(std::find(tape.begin() + 0x14, tape.end(), 0) - tape.begin());
    tape[pause + 4 + 2000 + 19 * 20 + 5] = 0x08;
    const Volume volume = OpenOrFail(tape);
    ASSERT_EQ(volume.entries.size(), 1u);
    EXPECT_EQ(FileOf(volume, 0), testing::Program(0x1000, code));
    EXPECT_NE(Note(volume, 0).find("the first copy of the data has 1 byte with a parity error; "
                                   "the second is read"),
              std::string::npos)
        << Note(volume, 0);
}

TEST(Tap, WhatTheRomLoaderCannotReadIsNamed) {
    const Bytes code = testing::Noise(200, 5);
    TapWriter writer;
    writer.File(3, "LOADER", 0x02A7, code).Turbo(50000).Pause(200000).Turbo(100);
    Bytes tape = writer.Tap();
    Volume volume = OpenOrFail(tape);
    ASSERT_EQ(volume.entries.size(), 1u);
    EXPECT_EQ(Utf16ToUtf8(volume.fault),
              "TAP version 1 for the C64 (PAL), 0:36.0 long: 1 file read by the ROM loader; the "
              "ROM loader cannot read 0:21.4 to 0:35.8 (14.3 s, 50,000 pulses)");

    // A tape cut off inside a data block: what was read, said so; the header's count differs.
    tape = TapWriter().File(3, "CUT", 0xC000, code).Tap();
    tape.resize(tape.size() - 6000);
    volume = OpenOrFail(tape);
    ASSERT_EQ(volume.entries.size(), 1u);
    EXPECT_NE(Note(volume, 0).find("the data has no second copy, and its only copy is cut short; "
                                   "the header says 200 bytes, the data block holds "),
              std::string::npos)
        << Note(volume, 0);
    EXPECT_NE(volume.fault.find(u"the header says"), std::u16string::npos);

    // A block without a header, and a header with nothing after it.
    Bytes header(192, 0x20);
    header[0] = 3;
    volume = OpenOrFail(TapWriter().Leader(500).Block(code, 2).Leader(500).Block(header, 1).Tap());
    ASSERT_EQ(volume.entries.size(), 2u) << Utf16ToUtf8(volume.fault);
    EXPECT_EQ(NameOf(volume.entries[0]), "DATA 0:00.0");
    EXPECT_EQ(volume.entries[0].type, 0x83);
    EXPECT_EQ(FileOf(volume, 0), code);
    EXPECT_EQ(Note(volume, 0),
              "A block without a header at 0:00.0 to 0:02.2; the data has no first copy");
    EXPECT_NE(Note(volume, 1).find("no data block follows it"), std::string::npos);
}

TEST(Tap, NoiseAndRefusals) {
    // Pulses of every length, none a block: no rows, the tape's length and what was not read.
    Bytes noise = TapWriter().Tap();
    const Bytes random = testing::Noise(100000, 9);
    noise.insert(noise.end(), random.begin(), random.end());
    const Volume volume = OpenOrFail(noise);
    EXPECT_TRUE(volume.entries.empty());
    EXPECT_NE(volume.fault.find(u"the header says 0 bytes of pulses, the file holds 100,000"),
              std::u16string::npos);
    const Opened none = Open("tape.tap", Bytes(100, 0));
    ASSERT_TRUE(none.message);
    EXPECT_NE(none.message->text.find(u"it does not start with \"C64-TAPE-RAW\""),
              std::u16string::npos);
}

}  // namespace
}  // namespace kestrune
