// The texts that the viewer shows in message boxes while it loads an image and reads its
// directory. The window shows them in boxes titled with the product name; kestrune-cli writes
// them to stderr. Both take them from here, so the words are the same.
#pragma once

#include <cstdint>
#include <string_view>

#include "text/message.h"

namespace kestrune {

// fileName is the last component of the path, in the letter case of the path, with its control
// characters made visible.
// formats lists what the viewer reads ("D64, D71, ..."), for a file it does not.
Message NotAnImageMessage(std::u16string_view fileName, std::u16string_view formats);
// why the file cannot be opened: "it is a folder", "permission denied", ...
Message CannotOpenMessage(std::u16string_view fileName, std::u16string_view why);
Message TooSmallMessage(std::u16string_view fileName, std::uint64_t size);
Message WrongSizeMessage(std::u16string_view fileName, std::u16string_view extension,
                         std::uint64_t size, std::uint64_t expectedSize);
Message BadHeaderMessage(std::u16string_view fileName);
Message TooLargeMessage(std::u16string_view fileName, std::uint64_t size);
Message ReadFailedMessage(std::u16string_view fileName);
Message ReadErrorMessage(std::u16string_view fileName);
// A file recognised as what (a "T64 archive", a "G64 image", ...) that cannot be read, and why.
Message UnreadableImageMessage(std::u16string_view fileName, std::u16string_view what,
                               std::u16string_view why);
Message NoImageInArchiveMessage(std::u16string_view fileName);
Message FilesFoundMessage(std::u16string_view fileName, std::u16string_view diskName, int count);

}  // namespace kestrune
