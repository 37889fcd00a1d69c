#include "image/geometry.h"

#include "text/unicode.h"

namespace kestrune {

static_assert(TrackOffsetTable[18] == kHeaderOffset);
static_assert(TrackOffsetTable[36] == kD64Size);
static_assert(ExtendedTrackOffset(41) == 196608);
static_assert(ExtendedTrackOffset(43) == 205312);
static_assert(TrackOffsetTable[53] == kSecondSideBamOffset);
static_assert(TrackOffsetTable[70] + 17 * kSectorSize == kD71Size);

std::optional<ImageKind> ImageKindFromExtension(std::string_view extension) {
    const std::string lower = AsciiLower(extension);
    if (lower == ".d64") return ImageKind::D64;
    if (lower == ".d71") return ImageKind::D71;
    return std::nullopt;
}

}  // namespace kestrune
