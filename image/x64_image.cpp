#include "image/x64_image.h"

#include <array>

#include "image/geometry.h"

namespace kestrune {

namespace {

constexpr std::array<std::uint8_t, 4> kMagic = {0x43, 0x15, 0x41, 0x64};

}  // namespace

bool LooksLikeX64(std::span<const std::uint8_t> bytes) {
    return bytes.size() >= kMagic.size() && std::equal(kMagic.begin(), kMagic.end(), bytes.begin());
}

std::optional<DiskImage> X64Body(std::span<const std::uint8_t> bytes) {
    if (!LooksLikeX64(bytes) || bytes.size() < kX64HeaderSize) return std::nullopt;
    if (!LayoutOfSize(bytes.size() - kX64HeaderSize)) return std::nullopt;
    return DiskImage{{bytes.begin() + kX64HeaderSize, bytes.end()}};
}

}  // namespace kestrune
