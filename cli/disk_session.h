// Loading an image and reading its directory as the window does, with the messages the window
// would show in boxes written to stderr instead, one after another.
#pragma once

#include <optional>
#include <ostream>
#include <string>

#include "image/directory.h"
#include "image/disk_image.h"
#include "image/messages.h"

namespace kestrune::cli {

enum ExitCode { kOk = 0, kUsage = 1, kNotShown = 2, kReadError = 3 };

// Writes a message box's text to stderr, followed by one newline.
void Report(std::ostream& err, const Message& message);

struct DiskSession {
    std::string fileName;  // the text after the last "/" of the path
    DiskImage image;
    Directory directory;
    std::u16string caption;
    std::u16string status;  // the status line after the load
};

// Loads path, answering the loader's questions Yes when yes is set and No otherwise; every
// question and refusal is reported, and so is ReadError after a directory with an impossible
// track. Returns nothing when no image was loaded.
std::optional<DiskSession> OpenDisk(const std::string& path, bool yes, std::ostream& err);

}  // namespace kestrune::cli
