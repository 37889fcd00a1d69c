#include "image/loader.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <new>
#include <system_error>

#include "image/archive.h"
#include "image/directory.h"
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

bool ReadWhole(int fd, std::vector<std::uint8_t>& data, std::size_t pieceSize) {
    for (std::size_t done = 0; done < data.size();) {
        const std::size_t piece = std::min(pieceSize, data.size() - done);
        if (!ReadAt(fd, data.data() + done, piece, done)) return false;
        done += piece;
    }
    return true;
}

// A regular file of the folder read whole, when it is there and holds at most most bytes.
std::optional<std::vector<std::uint8_t>> ReadSmallFile(const std::string& path,
                                                       std::uint64_t most) {
    const FileHandle file(path);
    struct stat status {};
    if (file.fd() < 0 || ::fstat(file.fd(), &status) != 0 || !S_ISREG(status.st_mode) ||
        static_cast<std::uint64_t>(status.st_size) > most)
        return std::nullopt;
    std::vector<std::uint8_t> bytes(static_cast<std::size_t>(status.st_size));
    if (!ReadWhole(file.fd(), bytes, kLargeReadPieceSize)) return std::nullopt;
    return bytes;
}

// The other files of path's folder, for a disk in several files (ZipCode).
ReadSibling SiblingsOf(const std::string& path) {
    const std::string folder = path.substr(0, path.size() - FileNameOf(path).size());
    return [folder](std::string_view name,
                    std::uint64_t most) -> std::optional<std::vector<std::uint8_t>> {
        return ReadSmallFile(folder + std::string(name), most);
    };
}

LoadOutcome Refused(Message message) {
    return {std::nullopt, std::move(message), std::u16string(kProductName)};
}

LoadOutcome Declined() {
    return {std::nullopt, std::nullopt, std::u16string(kProductName)};
}

// Why a file cannot be read as an image, in the words of a message.
std::u16string WhyNotOpened(int error) {
    switch (error) {
        case EACCES:
        case EPERM:
            return u"permission denied";
        case ENOENT:
            return u"there is no such file";
        case EISDIR:
            return u"it is a folder";
        default:
            return Utf8ToUtf16(std::generic_category().message(error));
    }
}

}  // namespace

LoadOutcome LoadImage(const std::string& path, const AskYesNo& ask, const ChooseMember& choose) {
    const std::u16string fileName = VisibleUtf8(FileNameOf(path));
    const std::string_view extension = ExtensionOf(path);
    const bool namedD64 = ImageKindFromExtension(extension).has_value();

    // Opening without blocking keeps a FIFO from hanging the load; only regular files are read.
    const FileHandle file(path);
    if (file.fd() < 0) return Refused(CannotOpenMessage(fileName, WhyNotOpened(errno)));
    struct stat status {};
    if (::fstat(file.fd(), &status) != 0)
        return Refused(CannotOpenMessage(fileName, WhyNotOpened(errno)));
    if (S_ISDIR(status.st_mode)) return Refused(CannotOpenMessage(fileName, WhyNotOpened(EISDIR)));
    if (!S_ISREG(status.st_mode))
        return Refused(CannotOpenMessage(fileName, u"it is not a regular file"));
    const auto size = static_cast<std::uint64_t>(status.st_size);
    // Nothing this large is a disk image: no question is asked of it.
    if (size > kMaximumImageSize) return Refused(TooLargeMessage(fileName, size));

    // A file named as a D64 or D71 is checked before it is read, as those images always were.
    if (namedD64) {
        Opened checked;
        std::optional<std::array<std::uint8_t, 2>> link;
        if (size > kMinimumImageSize) {
            link.emplace();
            if (!ReadAt(file.fd(), link->data(), 2, kHeaderOffset))
                return Refused(ReadFailedMessage(fileName));
        }
        if (!PassesD64Checks(fileName, extension, size, link, ask, checked)) {
            return checked.message ? Refused(std::move(*checked.message)) : Declined();
        }
    }

    std::vector<std::uint8_t> bytes;
    try {
        bytes.resize(size);
    } catch (const std::bad_alloc&) {
        return Refused(TooLargeMessage(fileName, size));
    }
    // A D64 or D71 is read as it always was; other files in larger pieces.
    if (!ReadWhole(file.fd(), bytes, namedD64 ? kReadPieceSize : kLargeReadPieceSize))
        return Refused(ReadFailedMessage(fileName));

    Opened opened;
    if (namedD64) {
        opened.volume = OpenD64(DiskImage{std::move(bytes)});
    } else if (LooksLikeArchive(bytes)) {
        ArchiveListing archive(bytes, FileNameOf(path), IsRecognised);
        const std::vector<ArchiveMember>& members = archive.Members();
        if (members.empty()) {
            return Refused(archive.Fault().empty()
                               ? NoImageInArchiveMessage(fileName)
                               : UnreadableImageMessage(fileName, u"archive", archive.Fault()));
        }
        std::size_t chosen = 0;
        if (members.size() > 1) {
            std::vector<std::string> names;
            for (const ArchiveMember& member : members)
                names.push_back(member.name);
            const std::optional<std::size_t> choice = choose(names);
            if (!choice || *choice >= names.size()) return Declined();
            chosen = *choice;
        }
        std::optional<std::vector<std::uint8_t>> member = archive.Read(chosen);
        if (!member) return Refused(UnreadableImageMessage(fileName, u"archive", archive.Fault()));
        // The archive's bytes are not needed any more.
        std::vector<std::uint8_t>().swap(bytes);
        opened = OpenContents(FileNameOf(members[chosen].name), std::move(*member), ask);
        if (opened.volume && !archive.Fault().empty()) {
            std::u16string& fault = opened.volume->fault;
            fault = (fault.empty() ? u"" : fault + u"; ") + u"Archive: " + archive.Fault();
        }
    } else {
        opened = OpenContents(FileNameOf(path), std::move(bytes), ask, SiblingsOf(path));
    }
    if (!opened.volume) return opened.message ? Refused(std::move(*opened.message)) : Declined();
    return {std::move(opened.volume), std::nullopt,
            std::u16string(kProductName) + u" - " + AsciiUpper(fileName)};
}

namespace {

// Gives each partition of held's volume that opens, each followed by its own, depth first.
void TakePartitions(const HeldImage& held, std::size_t& partitions,
                    const std::function<void(const HeldImage&)>& take) {
    if (!held.volume || held.partition.size() >= kDeepestPartition) return;
    const Volume& volume = *held.volume;
    for (std::size_t row = 0; row < volume.entries.size(); ++row) {
        if (!volume.entries[row].partition || partitions == kMostPartitions) continue;
        std::optional<Volume> opened = OpenPartition(volume, volume.entries[row]);
        if (!opened) continue;
        ++partitions;
        HeldImage inner;
        inner.member = held.member;
        inner.partition = held.partition;
        inner.partition.push_back(static_cast<int>(row) + 1);
        inner.volume = std::move(opened);
        take(inner);
        TakePartitions(inner, partitions, take);
    }
}

void TakeWithPartitions(const HeldImage& held, const std::function<void(const HeldImage&)>& take) {
    take(held);
    std::size_t partitions = 0;
    TakePartitions(held, partitions, take);
}

}  // namespace

void LoadEveryImage(const std::string& path, const std::function<void(const HeldImage&)>& take,
                    const ByteDigest& digest) {
    const auto describe = [&](HeldImage& held, std::span<const std::uint8_t> bytes) {
        held.size = bytes.size();
        if (digest) held.digest = digest(bytes);
    };
    const AskYesNo yes = [](const Message&) { return true; };
    const std::string fileName = std::string(FileNameOf(path));
    HeldImage whole;
    std::optional<std::vector<std::uint8_t>> bytes = ReadSmallFile(path, kMaximumImageSize);
    if (!bytes) {
        const LoadOutcome refused = LoadImage(path, yes, [](const std::vector<std::string>&) {
            return std::optional<std::size_t>();
        });
        whole.message = refused.message;
        take(whole);
        return;
    }
    if (!LooksLikeArchive(*bytes)) {
        describe(whole, *bytes);
        Opened opened = OpenContents(fileName, std::move(*bytes), yes, SiblingsOf(path));
        whole.volume = std::move(opened.volume);
        whole.message = std::move(opened.message);
        TakeWithPartitions(whole, take);
        return;
    }
    ArchiveListing archive(*bytes, fileName, IsRecognised);
    if (archive.Members().empty()) {
        const std::u16string shown = VisibleUtf8(fileName);
        whole.message = archive.Fault().empty()
                            ? NoImageInArchiveMessage(shown)
                            : UnreadableImageMessage(shown, u"archive", archive.Fault());
        take(whole);
        return;
    }
    for (std::size_t i = 0; i < archive.Members().size(); ++i) {
        HeldImage member;
        member.member = archive.Members()[i].name;
        std::optional<std::vector<std::uint8_t>> read = archive.Read(i);
        if (!read) {
            member.message =
                UnreadableImageMessage(VisibleUtf8(fileName), u"archive", archive.Fault());
            take(member);
            continue;
        }
        describe(member, *read);
        Opened opened = OpenContents(FileNameOf(*member.member), std::move(*read), yes);
        member.volume = std::move(opened.volume);
        member.message = std::move(opened.message);
        TakeWithPartitions(member, take);
    }
}

}  // namespace kestrune
