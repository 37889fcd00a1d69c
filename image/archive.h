// Zip and gzip archives around images, read with minizip and zlib. Only what is needed is kept:
// each member is inflated up to a cap, and only the members the caller wants stay in memory, so an
// archive built to explode (a zip bomb) costs at most the caps.
#pragma once

#include <cstdint>
#include <functional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace kestrune {

inline constexpr std::uint64_t kMaximumMemberSize = 64ull * 1024 * 1024;
inline constexpr int kMaximumMembers = 1000;

struct ArchiveMember {
    std::string name;  // its path inside the archive; a gzip file's is its own name less ".gz"
    std::vector<std::uint8_t> bytes;
};

struct ArchiveContents {
    std::vector<ArchiveMember> members;  // the members kept, in the archive's order
    std::u16string fault;                // why the archive could not be read whole, if it could not
};

bool LooksLikeArchive(std::span<const std::uint8_t> bytes);

// Reads the regular members of a zip archive, or the one member of a gzip file, keeping those
// for which keep returns true. Members past kMaximumMembers, and members larger than
// kMaximumMemberSize, are passed over and named in fault.
ArchiveContents ReadArchive(
    std::span<const std::uint8_t> bytes, std::string_view fileName,
    const std::function<bool(std::string_view name, std::span<const std::uint8_t>)>& keep);

}  // namespace kestrune
