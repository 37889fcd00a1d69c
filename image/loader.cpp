#include "image/loader.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <new>

#include "image/geometry.h"
#include "image/path_names.h"
#include "text/unicode.h"

namespace kestrune {

namespace {

class FileHandle {
  public:
    explicit FileHandle(const std::string& path)
        : fd_(::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC)) {}
    ~FileHandle() {
        if (fd_ >= 0) ::close(fd_);
    }
    FileHandle(const FileHandle&) = delete;
    FileHandle& operator=(const FileHandle&) = delete;

    int fd() const { return fd_; }

  private:
    int fd_;
};

// Reads exactly length bytes at offset; false on an error or an early end of file.
bool ReadAt(int fd, std::uint8_t* out, std::size_t length, std::uint64_t offset) {
    while (length > 0) {
        const ssize_t got = ::pread(fd, out, length, static_cast<off_t>(offset));
        if (got < 0 && errno == EINTR) continue;
        if (got <= 0) return false;
        out += got;
        length -= static_cast<std::size_t>(got);
        offset += static_cast<std::uint64_t>(got);
    }
    return true;
}

bool ReadWhole(int fd, std::vector<std::uint8_t>& data) {
    for (std::size_t done = 0; done < data.size();) {
        const std::size_t piece = std::min(kReadPieceSize, data.size() - done);
        if (!ReadAt(fd, data.data() + done, piece, done)) return false;
        done += piece;
    }
    return true;
}

LoadOutcome Refused(Message message) {
    return {std::nullopt, std::move(message), std::u16string(kProductName)};
}

LoadOutcome Declined() {
    return {std::nullopt, std::nullopt, std::u16string(kProductName)};
}

}  // namespace

LoadOutcome LoadImage(const std::string& path, const AskYesNo& ask) {
    const std::u16string fileName = Utf8ToUtf16(FileNameOf(path));
    const std::string_view extension = ExtensionOf(path);
    const std::optional<ImageKind> kind = ImageKindFromExtension(extension);
    if (!kind) return Refused(NotAnImageMessage(fileName));

    // Opening without blocking keeps a FIFO from hanging the load; only regular files are read.
    const FileHandle file(path);
    struct stat status {};
    if (file.fd() < 0 || ::fstat(file.fd(), &status) != 0 || !S_ISREG(status.st_mode)) {
        return Refused(CannotOpenMessage());
    }
    const auto size = static_cast<std::uint64_t>(status.st_size);

    if (size < kMinimumImageSize) return Refused(TooSmallMessage(fileName, size));

    if (!LayoutOfSize(size)) {
        const std::u16string upperExtension = AsciiUpper(Utf8ToUtf16(extension));
        if (!ask(WrongSizeMessage(fileName, upperExtension, size, ExpectedSize(*kind)))) {
            return Declined();
        }
    }

    // A file of exactly the minimum size holds just the header's link bytes and is not tested.
    if (size > kMinimumImageSize) {
        std::uint8_t link[2] = {};
        if (!ReadAt(file.fd(), link, sizeof link, kHeaderOffset)) {
            return Refused(ReadFailedMessage(fileName));
        }
        if ((link[0] != kDirectoryTrack || link[1] != 1) && !ask(BadHeaderMessage(fileName))) {
            return Declined();
        }
    }

    if (size > kMaximumImageSize) return Refused(TooLargeMessage(fileName, size));
    DiskImage image;
    try {
        image.data.resize(size);
    } catch (const std::bad_alloc&) {
        return Refused(TooLargeMessage(fileName, size));
    }
    if (!ReadWhole(file.fd(), image.data)) return Refused(ReadFailedMessage(fileName));

    return {std::move(image), std::nullopt,
            std::u16string(kProductName) + u" - " + AsciiUpper(fileName)};
}

}  // namespace kestrune
