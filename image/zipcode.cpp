#include "image/zipcode.h"

#include <array>
#include <string>

#include "image/directory.h"
#include "image/faults.h"
#include "image/geometry.h"
#include "text/number_text.h"
#include "text/unicode.h"

namespace kestrune {

namespace {

// The tracks each part holds, by part number.
struct PartTracks {
    int first, last;
};
constexpr std::array<PartTracks, 6> kPartTracks = {
    {{0, 0}, {1, 8}, {9, 16}, {17, 25}, {26, 35}, {36, 40}}};

constexpr std::uint16_t kFirstPartLoad = 0x03FE;
constexpr std::uint16_t kPartLoad = 0x0400;
// A part holds at most 9 tracks of 21 sectors, each 258 bytes unpacked: anything larger than
// this is no part of a set, and is not read.
constexpr std::uint64_t kMostPartSize = 64 * 1024;

std::u16string Number(std::uint64_t value) {
    return GroupedDecimal(value);
}

// The sectors of a track of a D64: tracks 36 to 40 of a 40-track one have 17.
int SectorsOf(int track) {
    return track > kLastTrackD64 ? 17 : SectorsOnTrack(track);
}

// Lays the sectors of one part into image, marking those it gave; says what broke it.
void ReadPart(std::span<const std::uint8_t> part, int number, std::vector<std::uint8_t>& image,
              std::vector<bool>& given, std::u16string& faults, const std::u16string& name) {
    std::size_t at = number == 1 ? 4 : 2;
    const PartTracks tracks = kPartTracks[static_cast<std::size_t>(number)];
    const auto broken = [&](std::u16string_view why) {
        AddFault(faults, name + u" " + std::u16string(why) + u" at byte " + Number(at));
    };
    while (at + 2 <= part.size()) {
        const int packing = part[at] & 0xC0;
        const int track = part[at] & 0x3F;
        const int sector = part[at + 1];
        if (track < tracks.first || track > tracks.last || sector >= SectorsOf(track)) {
            broken(u"names a sector it does not hold");
            return;
        }
        const std::uint32_t offset = SectorOffsetIn(image.size(), track, sector);
        std::uint8_t* out = &image[offset];
        std::size_t next = at + 2;
        if (packing == 0x00) {
            if (part.size() - next < 256) {
                broken(u"is cut short");
                return;
            }
            std::copy_n(&part[next], 256, out);
            next += 256;
        } else if (packing == 0x40) {
            if (next >= part.size()) {
                broken(u"is cut short");
                return;
            }
            std::fill_n(out, 256, part[next]);
            next += 1;
        } else if (packing == 0x80) {
            if (part.size() - next < 2) {
                broken(u"is cut short");
                return;
            }
            const std::size_t length = part[next];
            const std::uint8_t mark = part[next + 1];
            next += 2;
            if (part.size() - next < length) {
                broken(u"is cut short");
                return;
            }
            std::size_t filled = 0;
            for (std::size_t i = 0; i < length && filled < 256; ++i) {
                if (part[next + i] == mark && i + 2 < length) {
                    const std::size_t count = part[next + i + 1];
                    const std::uint8_t value = part[next + i + 2];
                    const std::size_t run = std::min<std::size_t>(count, 256 - filled);
                    std::fill_n(out + filled, run, value);
                    filled += run;
                    i += 2;
                } else {
                    out[filled++] = part[next + i];
                }
            }
            if (filled != 256) {
                broken(u"has a sector whose runs do not fill it");
                return;
            }
            next += length;
        } else {
            broken(u"has a sector of an unknown packing");
            return;
        }
        given[offset / kSectorSize] = true;
        at = next;
    }
}

}  // namespace

std::optional<int> ZipCodePart(std::string_view fileName) {
    if (fileName.size() < 3 || fileName[1] != '!' || fileName[0] < '1' || fileName[0] > '5')
        return std::nullopt;
    return fileName[0] - '0';
}

bool LooksLikeZipCode(std::string_view fileName, std::span<const std::uint8_t> bytes) {
    const std::optional<int> part = ZipCodePart(fileName);
    if (!part || bytes.size() < 4) return false;
    const auto load = static_cast<std::uint16_t>(bytes[0] | bytes[1] << 8);
    return load == (*part == 1 ? kFirstPartLoad : kPartLoad);
}

Volume OpenZipCode(std::string_view fileName, std::vector<std::uint8_t> bytes,
                   const ReadSibling& sibling) {
    const int own = *ZipCodePart(fileName);
    const std::string_view stem = fileName.substr(2);
    std::array<std::optional<std::vector<std::uint8_t>>, 6> parts;
    parts[static_cast<std::size_t>(own)] = std::move(bytes);
    for (int number = 1; number <= 5; ++number) {
        if (number == own || !sibling) continue;
        parts[static_cast<std::size_t>(number)] =
            sibling(std::string(1, static_cast<char>('0' + number)) + "!" + std::string(stem),
                    kMostPartSize);
    }
    const bool fortyTracks = parts[5].has_value();
    std::vector<std::uint8_t> image(fortyTracks ? 196608 : kD64Size, 0);
    std::vector<bool> given(image.size() / 256, false);
    std::u16string faults;
    for (int number = 1; number <= (fortyTracks ? 5 : 4); ++number) {
        const std::u16string name = Widen(std::to_string(number)) + u"!" + VisibleUtf8(stem);
        const std::optional<std::vector<std::uint8_t>>& part =
            parts[static_cast<std::size_t>(number)];
        if (!part) {
            const PartTracks tracks = kPartTracks[static_cast<std::size_t>(number)];
            AddFault(faults, name + u" is missing: tracks " + Number(tracks.first) + u"-" +
                                 Number(tracks.last) + u" are empty");
            continue;
        }
        ReadPart(*part, number, image, given, faults, name);
    }
    const auto missing = static_cast<std::size_t>(std::count(given.begin(), given.end(), false));
    if (missing > 0 && faults.empty())
        AddFault(faults, Number(missing) + (missing == 1 ? u" sector is" : u" sectors are") +
                             u" in none of the files: read as zeros");
    Volume volume = OpenD64(DiskImage{std::move(image)});
    volume.format = "zipcode";
    if (!faults.empty()) {
        const std::u16string fault = u"ZipCode: " + faults;
        volume.fault = volume.fault.empty() ? fault : fault + u"; " + volume.fault;
    }
    return volume;
}

}  // namespace kestrune
