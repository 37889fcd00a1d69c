// Opening an image file: checked by its name, size and header sector, read whole, looked into
// when it is an archive, and opened as whatever it holds.
#pragma once

#include <cstdint>
#include <functional>
#include <optional>
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

}  // namespace kestrune
