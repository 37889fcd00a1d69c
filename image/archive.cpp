#include "image/archive.h"

#include <unzip.h>
#include <zlib.h>

#include <algorithm>
#include <array>
#include <memory>
#include <optional>

#include "image/path_names.h"
#include "text/unicode.h"

namespace kestrune {

namespace {

using Keep = std::function<bool(std::string_view name, std::span<const std::uint8_t>)>;

bool StartsWith(std::span<const std::uint8_t> bytes, std::initializer_list<std::uint8_t> magic) {
    return bytes.size() >= magic.size() && std::equal(magic.begin(), magic.end(), bytes.begin());
}

bool IsGzip(std::span<const std::uint8_t> bytes) {
    return StartsWith(bytes, {0x1F, 0x8B});
}

void AddFault(std::u16string& fault, std::u16string_view text) {
    if (!fault.empty()) fault += u"; ";
    fault += text;
}

// minizip reads the zip from memory through these: the stream is a position in the bytes.
struct MemoryZip {
    std::span<const std::uint8_t> bytes;
    std::uint64_t position = 0;
};

voidpf ZCALLBACK OpenMemory(voidpf opaque, const void*, int) {
    return opaque;
}

uLong ZCALLBACK ReadMemory(voidpf, voidpf stream, void* buffer, uLong size) {
    auto* zip = static_cast<MemoryZip*>(stream);
    const std::uint64_t available =
        zip->bytes.size() - std::min<std::uint64_t>(zip->position, zip->bytes.size());
    const auto count = static_cast<uLong>(std::min<std::uint64_t>(size, available));
    std::copy_n(zip->bytes.data() + zip->position, count, static_cast<std::uint8_t*>(buffer));
    zip->position += count;
    return count;
}

uLong ZCALLBACK WriteNothing(voidpf, voidpf, const void*, uLong) {
    return 0;
}

ZPOS64_T ZCALLBACK TellMemory(voidpf, voidpf stream) {
    return static_cast<MemoryZip*>(stream)->position;
}

long ZCALLBACK SeekMemory(voidpf, voidpf stream, ZPOS64_T offset, int origin) {
    auto* zip = static_cast<MemoryZip*>(stream);
    std::uint64_t base = 0;
    if (origin == ZLIB_FILEFUNC_SEEK_CUR) base = zip->position;
    if (origin == ZLIB_FILEFUNC_SEEK_END) base = zip->bytes.size();
    if (offset > zip->bytes.size() || base > zip->bytes.size() - offset) return -1;
    zip->position = base + offset;
    return 0;
}

int ZCALLBACK CloseMemory(voidpf, voidpf) {
    return 0;
}

int ZCALLBACK NoError(voidpf, voidpf) {
    return 0;
}

struct ZipCloser {
    void operator()(void* zip) const { unzClose(zip); }
};

// Reads the member open in zip, at most kMaximumMemberSize bytes; false when it is larger or
// cannot be read (encrypted, damaged, a wrong checksum).
bool ReadMember(unzFile zip, std::vector<std::uint8_t>& out) {
    if (unzOpenCurrentFile(zip) != UNZ_OK) return false;
    std::array<std::uint8_t, 65536> buffer;
    bool read = true;
    for (;;) {
        const int got =
            unzReadCurrentFile(zip, buffer.data(), static_cast<unsigned>(buffer.size()));
        if (got < 0) {
            read = false;
            break;
        }
        if (got == 0) break;
        if (out.size() + static_cast<std::size_t>(got) > kMaximumMemberSize) {
            read = false;
            break;
        }
        out.insert(out.end(), buffer.data(), buffer.data() + got);
    }
    return unzCloseCurrentFile(zip) == UNZ_OK && read;
}

void ReadZip(std::span<const std::uint8_t> bytes, const Keep& keep, ArchiveContents& contents) {
    MemoryZip memory{bytes};
    zlib_filefunc64_def functions{OpenMemory, ReadMemory,  WriteNothing, TellMemory,
                                  SeekMemory, CloseMemory, NoError,      &memory};
    const std::unique_ptr<void, ZipCloser> zip(unzOpen2_64("", &functions));
    if (!zip) {
        contents.fault = u"it is not a zip archive that can be read";
        return;
    }
    int status = unzGoToFirstFile(zip.get());
    for (int count = 0; status == UNZ_OK; ++count, status = unzGoToNextFile(zip.get())) {
        if (count == kMaximumMembers) {
            AddFault(contents.fault, u"only its first 1000 members were read");
            return;
        }
        unz_file_info64 info{};
        std::array<char, 1024> path{};
        if (unzGetCurrentFileInfo64(zip.get(), &info, path.data(), path.size() - 1, nullptr, 0,
                                    nullptr, 0) != UNZ_OK) {
            break;
        }
        std::string name(path.data());
        if (name.empty() || name.back() == '/') continue;  // a folder
        if (info.uncompressed_size > kMaximumMemberSize) {
            AddFault(contents.fault, Utf8ToUtf16(name) + u" is larger than 64 MiB");
            continue;
        }
        std::vector<std::uint8_t> data;
        if (!ReadMember(zip.get(), data)) {
            AddFault(contents.fault, Utf8ToUtf16(name) + u" cannot be read");
            continue;
        }
        if (keep(name, data)) contents.members.push_back({std::move(name), std::move(data)});
    }
    if (status != UNZ_END_OF_LIST_OF_FILE && status != UNZ_OK)
        AddFault(contents.fault, u"its directory is damaged");
}

// Inflates a gzip file (its members one after the other), at most kMaximumMemberSize bytes.
std::optional<std::vector<std::uint8_t>> Gunzip(std::span<const std::uint8_t> bytes) {
    z_stream stream{};
    if (inflateInit2(&stream, 16 + MAX_WBITS) != Z_OK) return std::nullopt;
    stream.next_in = const_cast<Bytef*>(bytes.data());
    stream.avail_in = static_cast<uInt>(std::min<std::size_t>(bytes.size(), UINT32_MAX));
    std::vector<std::uint8_t> out;
    std::array<std::uint8_t, 65536> buffer;
    bool done = false;
    for (;;) {
        stream.next_out = buffer.data();
        stream.avail_out = static_cast<uInt>(buffer.size());
        const int status = inflate(&stream, Z_NO_FLUSH);
        const std::size_t got = buffer.size() - stream.avail_out;
        if (out.size() + got > kMaximumMemberSize) break;
        out.insert(out.end(), buffer.data(), buffer.data() + got);
        if (status == Z_STREAM_END) {
            if (stream.avail_in == 0) {
                done = true;
                break;
            }
            if (inflateReset(&stream) != Z_OK) break;
            continue;
        }
        if (status != Z_OK) break;
    }
    inflateEnd(&stream);
    return done ? std::optional(std::move(out)) : std::nullopt;
}

}  // namespace

bool LooksLikeArchive(std::span<const std::uint8_t> bytes) {
    return IsGzip(bytes) || StartsWith(bytes, {'P', 'K', 0x03, 0x04}) ||
           StartsWith(bytes, {'P', 'K', 0x05, 0x06});
}

ArchiveContents ReadArchive(std::span<const std::uint8_t> bytes, std::string_view fileName,
                            const Keep& keep) {
    ArchiveContents contents;
    if (!IsGzip(bytes)) {
        ReadZip(bytes, keep, contents);
        return contents;
    }
    // A gzip file holds one member, named after the file without ".gz".
    std::string name(fileName);
    if (AsciiLower(ExtensionOf(name)) == ".gz") name.resize(name.size() - 3);
    std::optional<std::vector<std::uint8_t>> data = Gunzip(bytes);
    if (!data) {
        contents.fault = u"it is damaged or inflates to more than 64 MiB";
    } else if (keep(name, *data)) {
        contents.members.push_back({std::move(name), std::move(*data)});
    }
    return contents;
}

}  // namespace kestrune
