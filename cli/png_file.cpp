#include "cli/png_file.h"

#include <png.h>

#include <csetjmp>

namespace kestrune::cli {

namespace {

void WriteData(png_structp png, png_bytep data, png_size_t length) {
    auto* out = static_cast<std::ostream*>(png_get_io_ptr(png));
    out->write(reinterpret_cast<const char*>(data), static_cast<std::streamsize>(length));
}

void Flush(png_structp png) {
    static_cast<std::ostream*>(png_get_io_ptr(png))->flush();
}

}  // namespace

bool WritePng(std::ostream& out, int width, int height, std::span<const std::uint8_t> rgb) {
    if (width <= 0 || height <= 0 ||
        rgb.size() != static_cast<std::size_t>(width) * static_cast<std::size_t>(height) * 3)
        return false;
    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    if (png == nullptr) return false;
    png_infop info = png_create_info_struct(png);
    if (info == nullptr || setjmp(png_jmpbuf(png))) {
        png_destroy_write_struct(&png, info != nullptr ? &info : nullptr);
        return false;
    }
    png_set_write_fn(png, &out, WriteData, Flush);
    // A C64 picture is runs of a few colours: rows filtered by their left neighbour and a fast
    // deflate make a small file in a fraction of the time the default search takes.
    png_set_filter(png, PNG_FILTER_TYPE_BASE, PNG_FILTER_SUB);
    png_set_compression_level(png, 3);
    png_set_IHDR(png, info, static_cast<png_uint_32>(width), static_cast<png_uint_32>(height), 8,
                 PNG_COLOR_TYPE_RGB, PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT,
                 PNG_FILTER_TYPE_DEFAULT);
    png_write_info(png, info);
    for (int y = 0; y < height; ++y) {
        png_write_row(png, rgb.data() + static_cast<std::size_t>(y) * width * 3);
    }
    png_write_end(png, nullptr);
    png_destroy_write_struct(&png, &info);
    return static_cast<bool>(out);
}

}  // namespace kestrune::cli
