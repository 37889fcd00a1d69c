// One container on arbitrary bytes, built once for each (KESTRUNE_CONTAINER names it): the bytes
// opened as that container, every row shown with all five panes, every partition opened and its
// rows shown too. Sector formats get an image of their own size with the bytes laid over it from
// the header's sector on, so that the directory, the BAM and the chains all come from the input.
#include <algorithm>
#include <cstdint>
#include <string_view>

#include "image/arc_archive.h"
#include "image/archive.h"
#include "image/cmd_disk.h"
#include "image/crt_cartridge.h"
#include "image/d80.h"
#include "image/d81.h"
#include "image/directory.h"
#include "image/gcr_image.h"
#include "image/geos_convert.h"
#include "image/lynx_archive.h"
#include "image/nib_image.h"
#include "image/recognition.h"
#include "image/t64_archive.h"
#include "image/tap_tape.h"
#include "viewer/disk_analysis.h"
#include "viewer/show_row.h"

using namespace kestrune;

namespace {

constexpr std::string_view kContainer = KESTRUNE_CONTAINER;

// The names the contents target gives its input: one for each way a name decides.
constexpr std::string_view kNames[] = {"fuzz.d64", "fuzz.x64", "fuzz.p00", "fuzz.s01", "fuzz.prg",
                                       "fuzz.t64", "fuzz.lnx", "fuzz.g64", "fuzz.d81", "fuzz.crt",
                                       "2!fuzz",   "fuzz.bin", "fuzz.tap", "fuzz.d2m", "fuzz.dnp",
                                       "fuzz.nbz", "fuzz.arc", "fuzz.sda"};

volatile std::size_t sink = 0;

void ShowEveryRow(const Volume& volume, int depth) {
    const DiskAnalysis analysis = AnalyseDisk(volume, volume.entries);
    sink = sink + analysis.map.tracks.size() + analysis.findings.size();
    ViewerState state;
    for (const DirectoryEntry& entry : volume.entries) {
        RowDisplay display = ShowRow(volume, entry, state);
        sink = sink + display.page.size();
        for (int view = ViewAssembly; view < kViewCount; ++view) {
            display.panes.Write(static_cast<ViewMode>(view), [&](std::u16string_view piece) {
                sink = sink + piece.size();
                return true;
            });
        }
        if (depth < 3) {
            if (const std::optional<Volume> partition = OpenPartition(volume, entry))
                ShowEveryRow(*partition, depth + 1);
        }
    }
}

// An image of size bytes, zero but for the input laid over it from offset on, wrapping round.
DiskImage Laid(const std::uint8_t* data, std::size_t size, std::size_t imageSize,
               std::size_t offset) {
    DiskImage image{std::vector<std::uint8_t>(imageSize)};
    for (std::size_t i = 0; i < std::min(size, imageSize); ++i)
        image.data[(offset + i) % imageSize] = data[i];
    return image;
}

void Show(const Opened& opened) {
    if (opened.volume) ShowEveryRow(*opened.volume, 0);
}

void ShowDecoded(GcrOutcome decoded) {
    if (decoded.disk)
        ShowEveryRow(OpenD64(std::move(decoded.disk->image), std::move(decoded.disk->unreadable)),
                     0);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::span<const std::uint8_t> bytes(data, size);
    const auto yes = [](const Message&) { return true; };
    if (kContainer == "d81") {
        ShowEveryRow(OpenD81(Laid(data, size, kD81Size, 40 * 39 * 256)), 0);
    } else if (kContainer == "d80") {
        // The first byte chooses the 8250's two sides.
        const bool d82 = size > 0 && (data[0] & 1);
        const std::size_t header = 38 * 29 * 256;  // track 39, sector 0, after 38 tracks of 29
        ShowEveryRow(OpenD80(Laid(data, size, d82 ? kD82Size : kD80Size, header)), 0);
    } else if (kContainer == "gcr") {
        ShowDecoded(DecodeGcrImage(bytes));
    } else if (kContainer == "nib") {
        if (LooksLikeNib(bytes)) {
            ShowDecoded(DecodeNib(bytes));
        } else if (const std::optional<std::vector<std::uint8_t>> nib = UnpackNbz(bytes)) {
            ShowDecoded(DecodeNib(*nib));
        }
    } else if (kContainer == "cmd") {
        // A D1M laid from its partition table on, its partitions' bytes wrapping round.
        const std::size_t table = (80 * 40 + 8) * 256;
        ShowEveryRow(OpenCmdFloppy(Laid(data, size, kD1MSize, table), "fuzz.d1m"), 0);
    } else if (kContainer == "dnp") {
        // Four tracks of 256 sectors laid from the header at 1/1 on.
        ShowEveryRow(OpenDnp(Laid(data, size, 4 * 256 * 256, 256)), 0);
    } else if (kContainer == "tap") {
        if (const std::optional<Volume> volume = OpenTap({bytes.begin(), bytes.end()}, "fuzz.tap"))
            ShowEveryRow(*volume, 0);
    } else if (kContainer == "arc") {
        if (const std::optional<Volume> volume = OpenArc({bytes.begin(), bytes.end()}, "fuzz.arc"))
            ShowEveryRow(*volume, 0);
    } else if (kContainer == "t64") {
        if (const std::optional<Volume> volume = OpenT64({bytes.begin(), bytes.end()}, "fuzz.t64"))
            ShowEveryRow(*volume, 0);
    } else if (kContainer == "crt") {
        if (const std::optional<Volume> volume = OpenCrt({bytes.begin(), bytes.end()}, "fuzz.crt"))
            ShowEveryRow(*volume, 0);
    } else if (kContainer == "cvt") {
        if (const std::optional<Volume> volume = OpenCvt({bytes.begin(), bytes.end()}, "fuzz.cvt"))
            ShowEveryRow(*volume, 0);
    } else if (kContainer == "lynx") {
        if (const std::optional<Volume> volume = OpenLynx({bytes.begin(), bytes.end()}, "fuzz.lnx"))
            ShowEveryRow(*volume, 0);
    } else if (kContainer == "archive") {
        ArchiveListing archive(bytes, "fuzz.zip", IsRecognised);
        for (std::size_t member = 0; member < archive.Members().size(); ++member) {
            if (std::optional<std::vector<std::uint8_t>> read = archive.Read(member))
                Show(OpenContents(archive.Members()[member].name, std::move(*read), yes));
        }
    } else if (kContainer == "contents") {
        const std::string_view name = kNames[size > 0 ? data[size - 1] % std::size(kNames) : 0];
        Show(OpenContents(name, std::vector<std::uint8_t>(bytes.begin(), bytes.end()), yes));
    }
    return 0;
}
