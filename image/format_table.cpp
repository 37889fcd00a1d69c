#include "image/format_table.h"

#include <array>

#include "image/arc_archive.h"
#include "image/cmd_disk.h"
#include "image/crt_cartridge.h"
#include "image/d80.h"
#include "image/d81.h"
#include "image/directory.h"
#include "image/gcr_image.h"
#include "image/geometry.h"
#include "image/geos_convert.h"
#include "image/lynx_archive.h"
#include "image/nib_image.h"
#include "image/path_names.h"
#include "image/pc64_file.h"
#include "image/plain_file.h"
#include "image/recognition.h"
#include "image/t64_archive.h"
#include "image/tap_tape.h"
#include "image/x64_image.h"
#include "image/zipcode.h"
#include "text/unicode.h"

namespace kestrune {

namespace {

// The reasons a file named as a format is refused when no probe took it.
constexpr std::u16string_view kNoSizeNorSignature =
    u"it has neither the size nor the signature of one";

bool Named(const FileView& file, std::span<const Extension> extensions) {
    for (const Extension& extension : extensions) {
        if (MatchesPattern(file.extension, extension.pattern)) return true;
    }
    return false;
}

std::array<std::uint8_t, 2> HeaderLinkOf(std::span<const std::uint8_t> bytes) {
    return {bytes[kHeaderOffset], bytes[kHeaderOffset + 1]};
}

Opened Unreadable(std::string_view fileName, std::u16string_view what, std::u16string_view why) {
    return {std::nullopt, UnreadableImageMessage(VisibleUtf8(fileName), what, why)};
}

Opened Opens(Volume volume) {
    return {std::move(volume), std::nullopt};
}

// What an opener that may fail gives: the volume, or the file refused as what it is, and why.
Opened OpensOr(std::optional<Volume> volume, const FileView& file, std::u16string_view what,
               std::u16string_view why) {
    if (!volume) return Unreadable(file.fileName, what, why);
    return Opens(std::move(*volume));
}

bool MentionsTape(std::span<const std::uint8_t> bytes) {
    const std::string header = AsciiLower(std::string_view(
        reinterpret_cast<const char*>(bytes.data()), std::min<std::size_t>(32, bytes.size())));
    return header.find("tape") != std::string::npos;
}

// D64 and D71, by name: the checks and questions of those images, whatever the file holds.
constexpr std::array<Extension, 2> kD64Extensions = {{{"d64", u""}, {"d71", u""}}};
constexpr std::array<MimeType, 2> kD64Mime = {{
    {"application/x-d64", "Commodore 1541 disk image", "d64"},
    {"application/x-d71", "Commodore 1571 disk image", "d71"},
}};
bool NamedD64(const FileView& file) {
    return Named(file, kD64Extensions);
}
Opened OpenNamedD64(const FileView& file, std::vector<std::uint8_t> bytes, const AskYesNo& ask) {
    const std::optional<std::array<std::uint8_t, 2>> link =
        bytes.size() > kMinimumImageSize ? std::optional(HeaderLinkOf(bytes)) : std::nullopt;
    Opened outcome;
    if (!PassesD64Checks(VisibleUtf8(file.fileName), ExtensionOf(file.fileName), bytes.size(), link,
                         ask, outcome))
        return outcome;
    return Opens(OpenD64(DiskImage{std::move(bytes)}));
}

// G64 and G71: GCR-encoded tracks, decoded into the D64 or D71 they hold.
constexpr std::array<Extension, 2> kGcrExtensions = {
    {{"g64", u"G64 image"}, {"g71", u"G71 image"}}};
constexpr std::array<MimeType, 2> kGcrMime = {{
    {"application/x-g64", "Commodore 1541 GCR disk image", "g64"},
    {"application/x-g71", "Commodore 1571 GCR disk image", "g71"},
}};
bool LooksLikeGcr(const FileView& file) {
    return LooksLikeGcrImage(file.bytes);
}
Opened OpenGcr(const FileView& file, std::vector<std::uint8_t> bytes, const AskYesNo&) {
    GcrOutcome decoded = DecodeGcrImage(bytes);
    const bool doubleSided = bytes.size() >= 8 && bytes[5] == '5' && bytes[6] == '7';
    if (!decoded.disk)
        return Unreadable(file.fileName, doubleSided ? u"G71 image" : u"G64 image", decoded.fault);
    Volume volume = OpenD64(std::move(decoded.disk->image), std::move(decoded.disk->unreadable));
    volume.format = doubleSided ? "g71" : "g64";
    return Opens(std::move(volume));
}

// NIB and NBZ: the raw bytes of each half track, decoded as a G64's tracks are; an NBZ is packed.
constexpr std::array<Extension, 2> kNibExtensions = {
    {{"nib", u"NIB image"}, {"nbz", u"NBZ image"}}};
constexpr std::array<MimeType, 2> kNibMime = {{
    {"application/x-nib", "Commodore 1541 nibbler disk image", "nib"},
    {"application/x-nbz", "Commodore 1541 packed nibbler disk image", "nbz"},
}};
bool LooksLikeNibble(const FileView& file) {
    return LooksLikeNib(file.bytes) || LooksLikeNbz(file.bytes);
}
Opened OpenNibble(const FileView& file, std::vector<std::uint8_t> bytes, const AskYesNo&) {
    const bool packed = !LooksLikeNib(bytes);
    const std::u16string_view what = packed ? u"NBZ image" : u"NIB image";
    if (packed) {
        std::optional<std::vector<std::uint8_t>> unpacked = UnpackNbz(bytes);
        if (!unpacked)
            return Unreadable(file.fileName, what,
                              u"its packed data is broken or unpacks to more than a NIB holds");
        bytes = std::move(*unpacked);
    }
    GcrOutcome decoded = DecodeNib(bytes);
    if (!decoded.disk) return Unreadable(file.fileName, what, decoded.fault);
    Volume volume = OpenD64(std::move(decoded.disk->image), std::move(decoded.disk->unreadable));
    volume.format = packed ? "nbz" : "nib";
    return Opens(std::move(volume));
}

// X64: a D64 or D71 behind a header of 64 bytes.
constexpr std::array<Extension, 1> kX64Extensions = {{{"x64", u"X64 image"}}};
constexpr std::array<MimeType, 1> kX64Mime = {
    {{"application/x-x64", "Commodore X64 disk image", "x64"}}};
bool LooksLikeX64Image(const FileView& file) {
    return LooksLikeX64(file.bytes);
}
Opened OpenX64(const FileView& file, std::vector<std::uint8_t> bytes, const AskYesNo&) {
    std::optional<DiskImage> body = X64Body(bytes);
    if (!body)
        return Unreadable(file.fileName, u"X64 image",
                          u"its sectors are not those of a D64 or D71");
    Volume volume = OpenD64(std::move(*body));
    volume.format = "x64";
    return Opens(std::move(volume));
}

// PC64 files: one Commodore file behind a "C64File" header.
// (A D00 is known by its header only: its name would be a disk image's, .d64 or .d81.)
constexpr std::array<Extension, 4> kPc64Extensions = {{{"p[0-9][0-9]", u"PC64 file"},
                                                       {"s[0-9][0-9]", u"PC64 file"},
                                                       {"u[0-9][0-9]", u"PC64 file"},
                                                       {"r[0-9][0-9]", u"PC64 file"}}};
bool LooksLikePc64(const FileView& file) {
    return LooksLikePc64File(file.bytes);
}
Opened OpenPc64(const FileView& file, std::vector<std::uint8_t> bytes, const AskYesNo&) {
    return OpensOr(OpenPc64File(std::move(bytes), file.fileName), file, u"PC64 file",
                   u"its header is cut short");
}

// T64 tape archives: by their signature, where the name or the header says tape.
constexpr std::array<Extension, 1> kT64Extensions = {{{"t64", u"T64 archive"}}};
constexpr std::array<MimeType, 1> kT64Mime = {
    {{"application/x-t64", "Commodore 64 tape archive", "t64"}}};
bool TakesT64(const FileView& file) {
    return LooksLikeT64(file.bytes) && (file.extension == ".t64" || MentionsTape(file.bytes));
}
bool LooksLikeTape(const FileView& file) {
    return LooksLikeT64(file.bytes) && MentionsTape(file.bytes);
}
Opened OpenTape(const FileView& file, std::vector<std::uint8_t> bytes, const AskYesNo&) {
    return OpensOr(OpenT64(std::move(bytes), file.fileName), file, u"T64 archive",
                   u"its header is cut short");
}

// TAP files: the pulses of a tape, the ROM loader's files decoded from them.
constexpr std::array<Extension, 1> kTapExtensions = {{{"tap", u"TAP file"}}};
constexpr std::array<MimeType, 1> kTapMime = {
    {{"application/x-c64-tap", "Commodore tape recording", "tap"}}};
bool LooksLikeTapFile(const FileView& file) {
    return LooksLikeTap(file.bytes);
}
Opened OpenTapFile(const FileView& file, std::vector<std::uint8_t> bytes, const AskYesNo&) {
    return OpensOr(OpenTap(std::move(bytes), file.fileName), file, u"TAP file",
                   u"its header is cut short");
}

// Lynx archives.
constexpr std::array<Extension, 1> kLynxExtensions = {{{"lnx", u"Lynx archive"}}};
constexpr std::array<MimeType, 1> kLynxMime = {
    {{"application/x-lnx", "Commodore Lynx archive", "lnx"}}};
bool LooksLikeLynxArchive(const FileView& file) {
    return LooksLikeLynx(file.bytes);
}
Opened OpenLynxArchive(const FileView& file, std::vector<std::uint8_t> bytes, const AskYesNo&) {
    return OpensOr(OpenLynx(std::move(bytes), file.fileName), file, u"Lynx archive",
                   u"its directory cannot be read");
}

// CRT cartridge images: a row for each CHIP packet.
constexpr std::array<Extension, 1> kCrtExtensions = {{{"crt", u"CRT cartridge"}}};
constexpr std::array<MimeType, 1> kCrtMime = {
    {{"application/x-crt", "Commodore 64 cartridge image", "crt"}}};
bool LooksLikeCartridge(const FileView& file) {
    return LooksLikeCrt(file.bytes);
}
Opened OpenCartridge(const FileView& file, std::vector<std::uint8_t> bytes, const AskYesNo&) {
    return OpensOr(OpenCrt(std::move(bytes), file.fileName), file, u"CRT cartridge",
                   u"its header is cut short");
}

// GEOS Convert files: one GEOS file's info block and data or records.
constexpr std::array<Extension, 1> kCvtExtensions = {{{"cvt", u"GEOS Convert file"}}};
constexpr std::array<MimeType, 1> kCvtMime = {
    {{"application/x-geos-cvt", "GEOS file in the Convert layout", "cvt"}}};
bool LooksLikeConvertFile(const FileView& file) {
    return LooksLikeCvt(file.bytes);
}
Opened OpenConvertFile(const FileView& file, std::vector<std::uint8_t> bytes, const AskYesNo&) {
    return OpensOr(OpenCvt(std::move(bytes), file.fileName), file, u"GEOS Convert file",
                   u"its info block is cut short");
}

// ZipCode: a 1541 disk in four or five files, opened from any of them.
bool LooksLikeZipCodePart(const FileView& file) {
    return LooksLikeZipCode(file.fileName, file.bytes);
}
Opened OpenZipCodeSet(const FileView& file, std::vector<std::uint8_t> bytes, const AskYesNo&) {
    return Opens(OpenZipCode(file.fileName, std::move(bytes), file.sibling));
}

// CMD FD2000 and FD4000 disks: their partition table, each partition opened as what it holds.
constexpr std::array<Extension, 3> kCmdExtensions = {
    {{"d1m", u"D1M image"}, {"d2m", u"D2M image"}, {"d4m", u"D4M image"}}};
constexpr std::array<MimeType, 3> kCmdMime = {{
    {"application/x-d1m", "CMD FD2000 DD disk image", "d1m"},
    {"application/x-d2m", "CMD FD2000 HD disk image", "d2m"},
    {"application/x-d4m", "CMD FD4000 ED disk image", "d4m"},
}};
bool LooksLikeCmdDisk(const FileView& file) {
    return LooksLikeCmdFloppy(file.bytes);
}
Opened OpenCmdDisk(const FileView& file, std::vector<std::uint8_t> bytes, const AskYesNo&) {
    return Opens(OpenCmdFloppy(DiskImage{std::move(bytes)}, file.fileName));
}

// CMD native partitions: their directory, its subdirectories opened like partitions.
constexpr std::array<Extension, 1> kDnpExtensions = {{{"dnp", u"DNP image"}}};
constexpr std::array<MimeType, 1> kDnpMime = {
    {{"application/x-dnp", "CMD native partition image", "dnp"}}};
bool LooksLikeNativePartition(const FileView& file) {
    return LooksLikeDnp(file.bytes);
}
Opened OpenNativePartition(const FileView&, std::vector<std::uint8_t> bytes, const AskYesNo&) {
    return Opens(OpenDnp(DiskImage{std::move(bytes)}));
}

// ARC and SDA archives: by their name and first entry (an SDA is also a program a .prg file may
// hold, shown as one).
constexpr std::array<Extension, 2> kArcExtensions = {
    {{"arc", u"ARC archive"}, {"sda", u"SDA archive"}}};
constexpr std::array<MimeType, 2> kArcMime = {{
    {"application/x-c64-arc", "Commodore ARC archive", "arc"},
    {"application/x-c64-sda", "Commodore self-dissolving ARC archive", "sda"},
}};
bool TakesArc(const FileView& file) {
    return Named(file, kArcExtensions) && LooksLikeArc(file.bytes);
}
Opened OpenArcArchive(const FileView& file, std::vector<std::uint8_t> bytes, const AskYesNo&) {
    return OpensOr(OpenArc(std::move(bytes), file.fileName), file, u"ARC archive",
                   u"its first entry cannot be read");
}

// The known D64 and D71 sizes, whatever the name: a D64 by its header's link to 18/1; a file
// named as a Commodore file keeps its name without one, any other asks as a D64 does.
bool TakesD64Size(const FileView& file) {
    if (!LayoutOfSize(file.size)) return false;
    return HeaderLinkOf(file.bytes) == std::array<std::uint8_t, 2>{kDirectoryTrack, 1} ||
           !IsPlainFileName(file.fileName);
}
bool HasD64Size(const FileView& file) {
    return LayoutOfSize(file.size).has_value();
}
Opened OpenD64Size(const FileView& file, std::vector<std::uint8_t> bytes, const AskYesNo& ask) {
    Opened outcome;
    if (!PassesD64Checks(VisibleUtf8(file.fileName), ".d64", bytes.size(), HeaderLinkOf(bytes), ask,
                         outcome))
        return outcome;
    return Opens(OpenD64(DiskImage{std::move(bytes)}));
}

// D81: by its DOS version byte, or named so and of a D81's size.
constexpr std::array<Extension, 1> kD81Extensions = {{{"d81", u"D81 image"}}};
constexpr std::array<MimeType, 1> kD81Mime = {
    {{"application/x-d81", "Commodore 1581 disk image", "d81"}}};
bool HasD81Size(const FileView& file) {
    return file.size == kD81Size || file.size == kD81WithErrorsSize;
}
bool TakesD81(const FileView& file) {
    return LooksLikeD81(file.bytes) || (file.extension == ".d81" && HasD81Size(file));
}
Opened OpenD81Image(const FileView&, std::vector<std::uint8_t> bytes, const AskYesNo&) {
    return Opens(OpenD81(DiskImage{std::move(bytes)}));
}

// D80 and D82: by their DOS version byte, or named so and of their size.
constexpr std::array<Extension, 2> kD80Extensions = {
    {{"d80", u"D80 image"}, {"d82", u"D82 image"}}};
constexpr std::array<MimeType, 2> kD80Mime = {{
    {"application/x-d80", "Commodore 8050 disk image", "d80"},
    {"application/x-d82", "Commodore 8250 disk image", "d82"},
}};
bool HasD80Size(const FileView& file) {
    return file.size == kD80Size || file.size == kD82Size;
}
bool TakesD80(const FileView& file) {
    return LooksLikeD80(file.bytes) || (file.extension == ".d80" && file.size == kD80Size) ||
           (file.extension == ".d82" && file.size == kD82Size);
}
Opened OpenD80Image(const FileView&, std::vector<std::uint8_t> bytes, const AskYesNo&) {
    return Opens(OpenD80(DiskImage{std::move(bytes)}));
}

// A Commodore file on its own, its type named by its extension.
constexpr std::array<Extension, 5> kPlainExtensions = {
    {{"prg", u""}, {"seq", u""}, {"usr", u""}, {"rel", u""}, {"del", u""}}};
bool TakesPlainFile(const FileView& file) {
    return IsPlainFileName(file.fileName);
}
Opened OpenPlain(const FileView& file, std::vector<std::uint8_t> bytes, const AskYesNo&) {
    return Opens(OpenPlainFile(std::move(bytes), file.fileName));
}

// clang-format off
const std::array<ImageFormat, 18> kImageFormats = {{
    // key        extensions        MIME types  probe            looks like            open              partitions        refusal
    {"d64",       kD64Extensions,   kD64Mime,   NamedD64,        nullptr,              OpenNamedD64,     nullptr,          u""},
    {"gcr",       kGcrExtensions,   kGcrMime,   LooksLikeGcr,    LooksLikeGcr,         OpenGcr,          nullptr,          kNoSizeNorSignature},
    {"nib",       kNibExtensions,   kNibMime,   LooksLikeNibble, LooksLikeNibble,      OpenNibble,       nullptr,          u"it does not start with \"MNIB-1541-RAW\", packed or not"},
    {"x64",       kX64Extensions,   kX64Mime,   LooksLikeX64Image, LooksLikeX64Image,  OpenX64,          nullptr,          kNoSizeNorSignature},
    {"pc64",      kPc64Extensions,  {},         LooksLikePc64,   LooksLikePc64,        OpenPc64,         nullptr,          u"it does not start with \"C64File\""},
    {"tap",       kTapExtensions,   kTapMime,   LooksLikeTapFile, LooksLikeTapFile,    OpenTapFile,      nullptr,          u"it does not start with \"C64-TAPE-RAW\""},
    {"t64",       kT64Extensions,   kT64Mime,   TakesT64,        LooksLikeTape,        OpenTape,         nullptr,          kNoSizeNorSignature},
    {"lnx",       kLynxExtensions,  kLynxMime,  LooksLikeLynxArchive, LooksLikeLynxArchive, OpenLynxArchive, nullptr,    kNoSizeNorSignature},
    {"crt",       kCrtExtensions,   kCrtMime,   LooksLikeCartridge, LooksLikeCartridge, OpenCartridge, nullptr,         u"it does not start with \"C64 CARTRIDGE\""},
    {"cvt",       kCvtExtensions,   kCvtMime,   LooksLikeConvertFile, LooksLikeConvertFile, OpenConvertFile, nullptr,   u"it does not say \"formatted GEOS file\" where Convert writes it"},
    {"zipcode",   {},               {},         LooksLikeZipCodePart, LooksLikeZipCodePart, OpenZipCodeSet, nullptr,     u""},
    {"cmd",       kCmdExtensions,   kCmdMime,   LooksLikeCmdDisk, LooksLikeCmdDisk,    OpenCmdDisk,      OpenCmdPartition, u"it has neither the size nor the partition table of one"},
    {"dnp",       kDnpExtensions,   kDnpMime,   LooksLikeNativePartition, LooksLikeNativePartition, OpenNativePartition, OpenCmdPartition, u"it is not whole tracks of 256 sectors with a header of DOS type \"1H\""},
    {"arc",       kArcExtensions,   kArcMime,   TakesArc,        TakesArc,             OpenArcArchive,   nullptr,          u"its first entry is not that of an ARC archive"},
    {"d64-size",  {},               {},         TakesD64Size,    HasD64Size,           OpenD64Size,      nullptr,          u""},
    {"d81",       kD81Extensions,   kD81Mime,   TakesD81,        HasD81Size,           OpenD81Image,     OpenD81Partition, kNoSizeNorSignature},
    {"d80",       kD80Extensions,   kD80Mime,   TakesD80,        HasD80Size,           OpenD80Image,     nullptr,          kNoSizeNorSignature},
    {"plain",     kPlainExtensions, {},         TakesPlainFile,  nullptr,              OpenPlain,        nullptr,          u""},
}};
// clang-format on

}  // namespace

std::span<const ImageFormat> ImageFormats() {
    return kImageFormats;
}

bool MatchesPattern(std::string_view extension, std::string_view pattern) {
    // ".p00" against "p[0-9][0-9]": the dot, then each letter or class in turn.
    if (extension.empty() || extension[0] != '.') return false;
    std::size_t at = 1;
    for (std::size_t i = 0; i < pattern.size(); ++i, ++at) {
        if (at >= extension.size()) return false;
        const char c = extension[at];
        if (pattern[i] == '[') {
            const std::size_t close = pattern.find(']', i);
            const char low = pattern[i + 1];
            const char high = pattern[i + 3];
            if (c < low || c > high) return false;
            i = close;
        } else if (c != pattern[i]) {
            return false;
        }
    }
    return at == extension.size();
}

}  // namespace kestrune
