// Checking an image file by its name, size and header sector, and reading it whole.
#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>

#include "image/disk_image.h"
#include "image/messages.h"

namespace kestrune {

// Larger files are not read: no disk image comes near this size.
inline constexpr std::uint64_t kMaximumImageSize = 64ull * 1024 * 1024;

// The image file is read in pieces of this size; it divides both standard image sizes.
inline constexpr std::size_t kReadPieceSize = 1366;

// Asks the user a question (a message of kind Question); true means Yes.
using AskYesNo = std::function<bool(const Message&)>;

struct LoadOutcome {
    std::optional<DiskImage> image;  // set when the file is loaded
    std::optional<Message> message;  // a refusal to show; questions were asked through AskYesNo
    std::u16string caption;          // the window caption after this load
};

// path is a file system path (bytes, shown as UTF-8). A refused or declined file leaves no image
// and the caption of the product alone.
LoadOutcome LoadImage(const std::string& path, const AskYesNo& ask);

}  // namespace kestrune
