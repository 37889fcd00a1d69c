// Opening an image file: checked by its name, size and header sector, read whole, looked into
// when it is an archive, and opened as whatever it holds.
#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "image/messages.h"
#include "image/recognition.h"
#include "image/volume.h"

namespace kestrune {

// Larger files are not read: no disk image comes near this size.
inline constexpr std::uint64_t kMaximumImageSize = 64ull * 1024 * 1024;

// A file named as a D64 or D71 is read in pieces of this size; it divides both standard image
// sizes. Every other file is read in pieces of the larger size.
inline constexpr std::size_t kReadPieceSize = 1366;
inline constexpr std::size_t kLargeReadPieceSize = 1 << 20;

// Chooses one of several images an archive holds, by its position in names; nothing to open none.
using ChooseMember =
    std::function<std::optional<std::size_t>(const std::vector<std::string>& names)>;

struct LoadOutcome {
    std::optional<Volume> volume;    // set when the file is opened
    std::optional<Message> message;  // a refusal to show; questions were asked through AskYesNo
    std::u16string caption;          // the window caption after this load
};

// path is a file system path (bytes, shown as UTF-8). A refused or declined file leaves no volume
// and the caption of the product alone.
LoadOutcome LoadImage(const std::string& path, const AskYesNo& ask, const ChooseMember& choose);

// One image of those a file holds.
struct HeldImage {
    std::optional<std::string> member;  // the archive member it is, for an archive
    std::vector<int> partition;         // the partition rows it lies in, 1-based, outermost first
    std::uint64_t size = 0;             // of the file's or member's bytes; 0 for a partition
    // What the digest given made of those bytes before they were opened; none for a partition.
    std::string digest;
    std::optional<Volume> volume;    // nothing when it cannot be read
    std::optional<Message> message;  // then why not
};

// The most partitions read inside one image (a native partition's subdirectory copies its
// partition's sectors), and how deep one lies inside another.
inline constexpr std::size_t kMostPartitions = 256;
inline constexpr std::size_t kDeepestPartition = 4;

// Reads every image a file holds, asking nothing (a question is answered Yes): the file, or each
// member of an archive (each inflated once), and after each its partitions, one inside the other.
// Gives each to take in that order, one at a time; an archive that cannot be listed, or a file
// that cannot be read, is one HeldImage with its message. digest, when given, is made of each
// file's or member's bytes as read (the bytes are not kept: an image may be large).
using ByteDigest = std::function<std::string(std::span<const std::uint8_t>)>;
void LoadEveryImage(const std::string& path, const std::function<void(const HeldImage&)>& take,
                    const ByteDigest& digest = nullptr);

}  // namespace kestrune
