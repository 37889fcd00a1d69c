// CRT cartridge images: a header ("C64 CARTRIDGE   " and its kin for the C128, VIC-20 and
// Plus/4; its length, version, hardware type, the EXROM and GAME lines, and a name of 32 bytes),
// then CHIP packets, each a bank of ROM, RAM or Flash with its load address and size. The
// cartridge's name is the disk name, its hardware is named in the status line, and each CHIP
// packet is a row that holds its bytes at its load address.
#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string_view>
#include <vector>

#include "image/volume.h"

namespace kestrune {

bool LooksLikeCrt(std::span<const std::uint8_t> bytes);

// The name of a C64 cartridge's hardware type, "hardware type N" for a number not in the table.
std::u16string CartridgeHardwareName(std::uint16_t type);

// Nothing when the header is cut short. The most CHIP packets listed is 4,096 (a 16 MiB
// cartridge of 4 KiB banks); the status line says when there were more.
std::optional<Volume> OpenCrt(std::vector<std::uint8_t> bytes, std::string_view fileName);

}  // namespace kestrune
