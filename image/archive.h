// Zip and gzip archives around images. A zip is listed from its central directory: a member is
// looked at only as far as telling what it is needs (its name, its size and its first bytes), and
// only the member chosen is inflated whole. Members whose data overlaps another's are named as a
// fault and never inflated, and every open has a budget of bytes it may inflate, so an archive
// built to explode (a zip bomb) costs at most that budget.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace kestrune {

inline constexpr std::uint64_t kMaximumMemberSize = 64ull * 1024 * 1024;
inline constexpr int kMaximumMembers = 1000;
// What telling a member apart by its content may look at: its first bytes.
inline constexpr std::size_t kMemberHeadSize = 4096;
// All that one open of an archive may inflate: a whole member, and the heads of the others.
inline constexpr std::uint64_t kInflationBudget = kMaximumMemberSize + 16ull * 1024 * 1024;

// Whether a member is wanted, from its name (its path inside the archive), its first bytes and
// the size it says it has.
using KeepMember = std::function<bool(std::string_view name, std::span<const std::uint8_t> head,
                                      std::uint64_t size)>;

struct ArchiveMember {
    std::string name;  // its path inside the archive; a gzip file's is its own name less ".gz"
    std::uint64_t size = 0;  // as the archive says
    std::size_t entry = 0;   // where it is in the archive's directory
};

// An archive listed: the members wanted, in the archive's order, and what was wrong with it.
class ArchiveListing {
  public:
    // Lists the members of a zip archive, or the one member of a gzip file (inflated whole to
    // tell what it is), that keep wants. Members past kMaximumMembers, larger than
    // kMaximumMemberSize or overlapping another's data are passed over and named in Fault().
    ArchiveListing(std::span<const std::uint8_t> bytes, std::string_view fileName,
                   const KeepMember& keep);
    ~ArchiveListing();
    ArchiveListing(ArchiveListing&&) noexcept;

    const std::vector<ArchiveMember>& Members() const { return members_; }
    // Why the archive could not be read whole, "; " between faults; empty when it could.
    const std::u16string& Fault() const { return fault_; }

    // The bytes of one of the members listed, inflated; nothing when they cannot be read (then
    // Fault() says why).
    std::optional<std::vector<std::uint8_t>> Read(std::size_t member);

  private:
    struct Zip;
    std::span<const std::uint8_t> bytes_;
    std::vector<ArchiveMember> members_;
    std::u16string fault_;
    std::unique_ptr<Zip> zip_;                            // a zip's directory; none for a gzip
    std::optional<std::vector<std::uint8_t>> gunzipped_;  // a gzip file's member
    std::uint64_t budget_ = kInflationBudget;
};

bool LooksLikeArchive(std::span<const std::uint8_t> bytes);

}  // namespace kestrune
