#include "image/recognition.h"

#include <array>
#include <string>

#include "image/archive.h"
#include "image/d80.h"
#include "image/d81.h"
#include "image/directory.h"
#include "image/gcr_image.h"
#include "image/geometry.h"
#include "image/lynx_archive.h"
#include "image/path_names.h"
#include "image/pc64_file.h"
#include "image/plain_file.h"
#include "image/t64_archive.h"
#include "image/x64_image.h"
#include "text/unicode.h"

namespace kestrune {

namespace {

// The extensions of the formats recognised by content, with what their files are called.
struct NamedFormat {
    std::string_view extension;
    std::u16string_view what;
};
// clang-format off
constexpr std::array<NamedFormat, 8> kNamedFormats = {{
    {".d81", u"D81 image"},
    {".d80", u"D80 image"},
    {".d82", u"D82 image"},
    {".g64", u"G64 image"},
    {".g71", u"G71 image"},
    {".x64", u"X64 image"},
    {".t64", u"T64 archive"},
    {".lnx", u"Lynx archive"},
}};
// clang-format on

// .P00, .S01, .R12, ...: a PC64 file's extension, a type letter and two digits.
bool IsPc64Extension(std::string_view extension) {
    return extension.size() == 4 &&
           std::string_view("dspur").find(extension[1]) != std::string_view::npos &&
           extension[2] >= '0' && extension[2] <= '9' && extension[3] >= '0' && extension[3] <= '9';
}

bool MentionsTape(std::span<const std::uint8_t> bytes) {
    const std::string header = AsciiLower(std::string_view(
        reinterpret_cast<const char*>(bytes.data()), std::min<std::size_t>(32, bytes.size())));
    return header.find("tape") != std::string::npos;
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

}  // namespace

bool PassesD64Checks(std::u16string_view fileName, std::string_view extension, std::uint64_t size,
                     std::optional<std::array<std::uint8_t, 2>> headerLink, const AskYesNo& ask,
                     Opened& outcome) {
    if (size < kMinimumImageSize) {
        outcome.message = TooSmallMessage(fileName, size);
        return false;
    }
    if (!LayoutOfSize(size)) {
        const std::u16string upperExtension = AsciiUpper(VisibleUtf8(extension));
        const ImageKind kind = ImageKindFromExtension(extension).value_or(ImageKind::D64);
        if (!ask(WrongSizeMessage(fileName, upperExtension, size, ExpectedSize(kind))))
            return false;
    }
    // A file of exactly the minimum size holds just the header's link bytes and is not tested.
    if (size > kMinimumImageSize && headerLink) {
        const auto [track, sector] = *headerLink;
        if ((track != kDirectoryTrack || sector != 1) && !ask(BadHeaderMessage(fileName)))
            return false;
    }
    return true;
}

bool IsKnownExtension(std::string_view extension) {
    const std::string lower = AsciiLower(extension);
    if (ImageKindFromExtension(lower) || IsPc64Extension(lower) || IsPlainFileName(lower) ||
        lower == ".zip" || lower == ".gz")
        return true;
    for (const NamedFormat& format : kNamedFormats) {
        if (lower == format.extension) return true;
    }
    return false;
}

bool IsRecognised(std::string_view fileName, std::span<const std::uint8_t> head,
                  std::uint64_t size) {
    const std::string_view extension = ExtensionOf(fileName);
    if (IsKnownExtension(extension) && AsciiLower(extension) != ".zip" &&
        AsciiLower(extension) != ".gz")
        return true;
    return LooksLikeGcrImage(head) || LooksLikeX64(head) || LooksLikePc64File(head) ||
           (LooksLikeT64(head) && MentionsTape(head)) || LayoutOfSize(size) || size == kD81Size ||
           size == kD81WithErrorsSize || size == kD80Size || size == kD82Size ||
           LooksLikeLynx(head);
}

Opened OpenContents(std::string_view fileName, std::vector<std::uint8_t> bytes,
                    const AskYesNo& ask) {
    const std::u16string name16 = VisibleUtf8(fileName);
    const std::string extension = AsciiLower(ExtensionOf(fileName));
    Opened outcome;

    // A name that says D64 or D71 keeps the checks and questions of those images.
    if (ImageKindFromExtension(extension)) {
        const std::optional<std::array<std::uint8_t, 2>> link =
            bytes.size() > kMinimumImageSize ? std::optional(HeaderLinkOf(bytes)) : std::nullopt;
        if (!PassesD64Checks(name16, ExtensionOf(fileName), bytes.size(), link, ask, outcome))
            return outcome;
        return Opens(OpenD64(DiskImage{std::move(bytes)}));
    }

    if (LooksLikeGcrImage(bytes)) {
        GcrOutcome decoded = DecodeGcrImage(bytes);
        const bool doubleSided = bytes.size() >= 8 && bytes[5] == '5' && bytes[6] == '7';
        if (!decoded.disk)
            return Unreadable(fileName, doubleSided ? u"G71 image" : u"G64 image", decoded.fault);
        Volume volume =
            OpenD64(std::move(decoded.disk->image), std::move(decoded.disk->unreadable));
        volume.format = doubleSided ? "g71" : "g64";
        return Opens(std::move(volume));
    }
    if (LooksLikeX64(bytes)) {
        std::optional<DiskImage> body = X64Body(bytes);
        if (!body)
            return Unreadable(fileName, u"X64 image", u"its sectors are not those of a D64 or D71");
        Volume volume = OpenD64(std::move(*body));
        volume.format = "x64";
        return Opens(std::move(volume));
    }
    if (LooksLikePc64File(bytes)) {
        std::optional<Volume> volume = OpenPc64File(std::move(bytes), fileName);
        if (!volume) return Unreadable(fileName, u"PC64 file", u"its header is cut short");
        return Opens(std::move(*volume));
    }
    if (LooksLikeT64(bytes) && (extension == ".t64" || MentionsTape(bytes))) {
        std::optional<Volume> volume = OpenT64(std::move(bytes), fileName);
        if (!volume) return Unreadable(fileName, u"T64 archive", u"its header is cut short");
        return Opens(std::move(*volume));
    }
    if (LooksLikeLynx(bytes)) {
        std::optional<Volume> volume = OpenLynx(std::move(bytes), fileName);
        if (!volume) return Unreadable(fileName, u"Lynx archive", u"its directory cannot be read");
        return Opens(std::move(*volume));
    }

    // The known D64 and D71 sizes: a D64 by its header's link to 18/1; a file named as a
    // Commodore file keeps its name without one, any other asks as a D64 does.
    if (LayoutOfSize(bytes.size())) {
        const bool linked = HeaderLinkOf(bytes) == std::array<std::uint8_t, 2>{kDirectoryTrack, 1};
        if (linked || !IsPlainFileName(fileName)) {
            if (!PassesD64Checks(name16, ".d64", bytes.size(), HeaderLinkOf(bytes), ask, outcome))
                return outcome;
            return Opens(OpenD64(DiskImage{std::move(bytes)}));
        }
    }
    DiskImage image{std::move(bytes)};
    if (LooksLikeD81(image) ||
        ((extension == ".d81") && (image.size() == kD81Size || image.size() == kD81WithErrorsSize)))
        return Opens(OpenD81(std::move(image)));
    if (LooksLikeD80(image) || ((extension == ".d80" && image.size() == kD80Size) ||
                                (extension == ".d82" && image.size() == kD82Size)))
        return Opens(OpenD80(std::move(image)));

    for (const NamedFormat& format : kNamedFormats) {
        if (extension == format.extension)
            return Unreadable(fileName, format.what,
                              u"it has neither the size nor the signature of one");
    }
    if (IsPc64Extension(extension))
        return Unreadable(fileName, u"PC64 file", u"it does not start with \"C64File\"");
    if (IsPlainFileName(fileName)) return Opens(OpenPlainFile(std::move(image.data), fileName));
    return {std::nullopt, NotAnImageMessage(name16, kReadFormats)};
}

}  // namespace kestrune
