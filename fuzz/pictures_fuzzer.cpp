// The picture decoders on arbitrary bytes: the first byte chooses the format, the next two are
// the load address (an odd first byte: none), the rest is the file after it. Every format is
// also asked whether the bytes name it, and the drawing must cover its picture exactly.
#include <cstdint>
#include <optional>
#include <span>

#include "views/palettes.h"
#include "views/pictures.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size < 3) return 0;
    const kestrune::PictureFormat& format =
        kestrune::PictureFormats[data[0] % kestrune::PictureFormats.size()];
    const std::optional<std::int32_t> load =
        data[0] & 0x80 ? std::nullopt : std::optional<std::int32_t>(data[1] | data[2] << 8);
    const std::span<const std::uint8_t> content(data + 3, size - 3);
    kestrune::DetectPicture(load, content);
    const kestrune::PictureColours colours{data[1], data[2], static_cast<std::uint8_t>(data[1] >> 4),
                                           static_cast<std::uint8_t>(data[2] >> 4)};
    const kestrune::Picture picture = kestrune::DrawPicture(format, load, content, colours);
    if (picture.pixels.size() !=
        static_cast<std::size_t>(picture.width) * static_cast<std::size_t>(picture.height))
        __builtin_trap();
    for (const std::uint8_t pixel : picture.pixels) {
        if (pixel > 15) __builtin_trap();
    }
    kestrune::PictureRgb(picture, kestrune::Palettes[data[0] & 1].rgb);
    return 0;
}
