// The bytes of an image file, read whole into memory.
#pragma once

#include <cstdint>
#include <vector>

namespace kestrune {

struct DiskImage {
    std::vector<std::uint8_t> data;

    std::uint64_t size() const { return data.size(); }

    // A byte at or past the end of the image reads as 0.
    std::uint8_t ByteAt(std::uint64_t offset) const {
        return offset < data.size() ? data[offset] : 0;
    }

    // Whether the length bytes from offset lie wholly inside the image.
    bool Holds(std::uint64_t offset, std::uint64_t length) const {
        return offset <= data.size() && length <= data.size() - offset;
    }
};

}  // namespace kestrune
