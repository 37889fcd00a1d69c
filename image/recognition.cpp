#include "image/recognition.h"

#include <algorithm>
#include <array>
#include <string>

#include "image/geometry.h"
#include "image/path_names.h"
#include "text/unicode.h"

namespace kestrune {

namespace {

FileView ViewOf(std::string_view fileName, std::span<const std::uint8_t> bytes,
                std::uint64_t size) {
    return {fileName, AsciiLower(ExtensionOf(fileName)), bytes, size, {}};
}

std::vector<std::string_view> MakeOpenPatterns() {
    std::vector<std::string_view> patterns;
    for (const ImageFormat& row : ImageFormats()) {
        for (const Extension& extension : row.extensions)
            patterns.push_back(extension.pattern);
    }
    patterns.insert(patterns.end(), kArchivePatterns.begin(), kArchivePatterns.end());
    return patterns;
}

}  // namespace

std::span<const std::string_view> OpenPatterns() {
    static const std::vector<std::string_view> patterns = MakeOpenPatterns();
    return patterns;
}

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
    for (const std::string_view pattern : OpenPatterns()) {
        if (MatchesPattern(lower, pattern)) return true;
    }
    return false;
}

bool IsRecognised(std::string_view fileName, std::span<const std::uint8_t> head,
                  std::uint64_t size) {
    const FileView file = ViewOf(fileName, head, size);
    // An archive's own extension names no image: only what it holds can.
    const bool archiveName = std::any_of(
        kArchivePatterns.begin(), kArchivePatterns.end(),
        [&](std::string_view archive) { return MatchesPattern(file.extension, archive); });
    if (!archiveName && IsKnownExtension(file.extension)) return true;
    for (const ImageFormat& row : ImageFormats()) {
        if (row.looksLike != nullptr && row.looksLike(file)) return true;
    }
    return false;
}

Opened OpenContents(std::string_view fileName, std::vector<std::uint8_t> bytes, const AskYesNo& ask,
                    const ReadSibling& sibling) {
    FileView file = ViewOf(fileName, bytes, bytes.size());
    file.sibling = sibling;
    for (const ImageFormat& row : ImageFormats()) {
        if (row.probe(file)) return row.open(file, std::move(bytes), ask);
    }
    // A file named as a format that none of them took.
    for (const ImageFormat& row : ImageFormats()) {
        for (const Extension& extension : row.extensions) {
            if (!extension.what.empty() && MatchesPattern(file.extension, extension.pattern)) {
                return {std::nullopt,
                        UnreadableImageMessage(VisibleUtf8(fileName), extension.what, row.refusal)};
            }
        }
    }
    return {std::nullopt, NotAnImageMessage(VisibleUtf8(fileName), kReadFormats)};
}

}  // namespace kestrune
