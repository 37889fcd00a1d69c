// Tokenised BASIC programs for tests, as they lie in memory: each line a link to the next line, a
// line number, the text bytes and a 0; a link of 0 ends the program.
#pragma once

#include <cstdint>
#include <vector>

namespace kestrune::testing {

struct BasicLine {
    std::uint16_t number;
    std::vector<std::uint8_t> text;  // without the terminating 0
};

// The program's bytes (without a load address) for a program at base.
inline std::vector<std::uint8_t> BasicProgram(std::uint16_t base,
                                              const std::vector<BasicLine>& lines) {
    std::vector<std::uint8_t> bytes;
    unsigned address = base;
    for (const BasicLine& line : lines) {
        address += 4 + static_cast<unsigned>(line.text.size()) + 1;
        bytes.push_back(static_cast<std::uint8_t>(address & 0xFF));
        bytes.push_back(static_cast<std::uint8_t>(address >> 8));
        bytes.push_back(static_cast<std::uint8_t>(line.number & 0xFF));
        bytes.push_back(static_cast<std::uint8_t>(line.number >> 8));
        bytes.insert(bytes.end(), line.text.begin(), line.text.end());
        bytes.push_back(0);
    }
    bytes.push_back(0);
    bytes.push_back(0);
    return bytes;
}

}  // namespace kestrune::testing
