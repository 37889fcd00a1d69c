#include "image/crt_cartridge.h"

#include <array>
#include <string>

#include "image/faults.h"
#include "text/number_text.h"
#include "text/unicode.h"

namespace kestrune {

namespace {

constexpr std::size_t kSignatureSize = 16;
constexpr std::size_t kHeaderSize = 0x40;
constexpr std::size_t kChipHeaderSize = 0x10;
constexpr std::size_t kMostChips = 4096;

// The machines a cartridge image is for, by its signature.
constexpr std::array<std::string_view, 4> kSignatures = {"C64 CARTRIDGE   ", "C128 CARTRIDGE  ",
                                                         "VIC20 CARTRIDGE ", "PLUS4 CARTRIDGE "};

// The hardware types of C64 cartridges, by number, as the CRT format numbers them.
// clang-format off
constexpr std::array<std::u16string_view, 64> kHardwareTypes = {
    u"Normal cartridge",        u"Action Replay",           u"KCS Power Cartridge",     u"Final Cartridge III",
    u"Simons' BASIC",           u"Ocean type 1",            u"Expert Cartridge",        u"Fun Play, Power Play",
    u"Super Games",             u"Atomic Power",            u"Epyx Fastload",           u"Westermann Learning",
    u"Rex Utility",             u"Final Cartridge I",       u"Magic Formula",           u"C64 Game System, System 3",
    u"WarpSpeed",               u"Dinamic",                 u"Zaxxon, Super Zaxxon",    u"Magic Desk, Domark, HES Australia",
    u"Super Snapshot V5",       u"Comal-80",                u"Structured BASIC",        u"Ross",
    u"Dela EP64",               u"Dela EP7x8",              u"Dela EP256",              u"Rex EP256",
    u"Mikro Assembler",         u"Final Cartridge Plus",    u"Action Replay 4",         u"Stardos",
    u"EasyFlash",               u"EasyFlash Xbank",         u"Capture",                 u"Action Replay 3",
    u"Retro Replay",            u"MMC64",                   u"MMC Replay",              u"IDE64",
    u"Super Snapshot V4",       u"IEEE-488",                u"Game Killer",             u"Prophet64",
    u"EXOS",                    u"Freeze Frame",            u"Freeze Machine",          u"Snapshot64",
    u"Super Explode V5.0",      u"Magic Voice",             u"Action Replay 2",         u"MACH 5",
    u"Diashow-Maker",           u"Pagefox",                 u"Kingsoft",                u"Silverrock 128K",
    u"Formel 64",               u"RGCD",                    u"RR-Net MK3",              u"EasyCalc",
    u"GMod2",                   u"MAX Basic",               u"GMod3",                   u"ZIPP-CODE 48",
};
// clang-format on

// What a CHIP packet holds, by its chip type.
constexpr std::array<std::string_view, 4> kChipTypes = {"ROM", "RAM", "FLASH", "EEPROM"};

std::uint32_t BigEndian32(std::span<const std::uint8_t> bytes, std::size_t at) {
    return static_cast<std::uint32_t>(bytes[at]) << 24 | bytes[at + 1] << 16 | bytes[at + 2] << 8 |
           bytes[at + 3];
}

std::uint16_t BigEndian16(std::span<const std::uint8_t> bytes, std::size_t at) {
    return static_cast<std::uint16_t>(bytes[at] << 8 | bytes[at + 1]);
}

std::u16string Number(std::uint64_t value) {
    return GroupedDecimal(value);
}

std::u16string HexWord(std::uint16_t value) {
    std::u16string text = u"$";
    AppendHex(text, value, 4, true);
    return text;
}

// "ROM 0 $8000": the chip, its bank and its load address, as a row's name.
std::array<std::uint8_t, 16> ChipName(std::uint16_t chipType, std::uint16_t bank,
                                      std::uint16_t load) {
    std::string name = chipType < kChipTypes.size() ? std::string(kChipTypes[chipType])
                                                    : "CHIP" + std::to_string(chipType);
    name += " " + std::to_string(bank) + " " + Utf16ToUtf8(HexWord(load));
    return PetsciiName(name);
}

}  // namespace

bool LooksLikeCrt(std::span<const std::uint8_t> bytes) {
    if (bytes.size() < kSignatureSize) return false;
    const std::string_view signature(reinterpret_cast<const char*>(bytes.data()), kSignatureSize);
    for (const std::string_view known : kSignatures) {
        if (signature == known) return true;
    }
    return false;
}

std::u16string CartridgeHardwareName(std::uint16_t type) {
    if (type < kHardwareTypes.size()) return std::u16string(kHardwareTypes[type]);
    return u"hardware type " + Number(type);
}

std::optional<Volume> OpenCrt(std::vector<std::uint8_t> bytes, std::string_view fileName) {
    if (bytes.size() < kHeaderSize || !LooksLikeCrt(bytes)) return std::nullopt;
    Volume volume;
    volume.format = "crt";
    const std::span<const std::uint8_t> crt(bytes);
    const bool c64 = crt[0] == 'C' && crt[1] == '6';
    // The header may say it is longer than 64 bytes; it is never taken as shorter.
    const std::uint64_t headerLength = std::max<std::uint64_t>(BigEndian32(crt, 0x10), kHeaderSize);
    const std::uint16_t hardware = BigEndian16(crt, 0x16);
    std::u16string name;
    for (std::size_t i = 0x20; i < 0x40 && crt[i] != 0; ++i)
        name += static_cast<char16_t>(crt[i]);
    while (!name.empty() && name.back() == u' ')
        name.pop_back();
    volume.disk.diskName = name.empty() ? AsciiUpper(VisibleUtf8(fileName)) : VisibleText(name);

    std::u16string about = u"CRT cartridge: ";
    about += c64 ? CartridgeHardwareName(hardware) + u" (hardware type " + Number(hardware) + u")"
                 : u"for the " +
                       AsciiUpper(VisibleUtf8(std::string_view(
                           reinterpret_cast<const char*>(crt.data()), crt[1] == '1' ? 4 : 5))) +
                       u", hardware type " + Number(hardware);
    about += u", EXROM " + Number(crt[0x18]) + u", GAME " + Number(crt[0x19]);

    std::u16string faults;
    std::uint64_t at = headerLength;
    std::size_t chips = 0;
    while (at < crt.size()) {
        if (crt.size() - at < kChipHeaderSize ||
            std::string_view(reinterpret_cast<const char*>(&crt[at]), 4) != "CHIP") {
            AddFault(faults, Number(crt.size() - at) + u" bytes from offset " + Number(at) +
                                 u" are no CHIP packet and are not read");
            break;
        }
        if (chips == kMostChips) {
            AddFault(faults, u"only the first " + Number(kMostChips) + u" CHIP packets are listed");
            break;
        }
        const std::uint32_t packetLength = BigEndian32(crt, at + 4);
        const std::uint16_t chipType = BigEndian16(crt, at + 8);
        const std::uint16_t bank = BigEndian16(crt, at + 10);
        const std::uint16_t load = BigEndian16(crt, at + 12);
        const std::uint16_t size = BigEndian16(crt, at + 14);
        const std::uint64_t data = at + kChipHeaderSize;
        const std::uint64_t there = crt.size() - data;
        std::uint64_t length = size;
        if (length > there) {
            AddFault(faults, u"the CHIP packet at offset " + Number(at) + u" says " + Number(size) +
                                 u" bytes, the file holds " + Number(there));
            length = there;
        }
        AddStoredFile(volume, ChipName(chipType, bank, load), 0x82, {data, length, load, {}});
        ++chips;
        // The next packet follows this one's length, or its data where the length is too short.
        at += std::max<std::uint64_t>(packetLength, kChipHeaderSize + length);
    }
    if (chips == 0) AddFault(faults, u"it holds no CHIP packet");
    volume.fault = faults.empty() ? about : about + u"; " + faults;
    Hold(volume, std::move(bytes));
    return volume;
}

}  // namespace kestrune
