// Lynx archives (.lnx): a small BASIC program that tells the user to dissolve the archive, then a
// directory in PETSCII lines ended by CR: the number of directory blocks with the signature
// ("*LYNX ..."), the number of files, and for each file its name (16 bytes), its blocks, its type
// letter (P, S, U, R, D), a REL file's record length, and the bytes used in its last block plus
// one. The files follow from the end of the directory blocks (254 bytes each), each in whole
// blocks of 254 bytes but the last block.
#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string_view>

#include "image/volume.h"

namespace kestrune {

bool LooksLikeLynx(std::span<const std::uint8_t> bytes);

// Nothing when the directory cannot be read; files cut short by the archive's end keep the bytes
// that are there, and the volume's fault says so.
std::optional<Volume> OpenLynx(std::span<const std::uint8_t> bytes, std::string_view fileName);

}  // namespace kestrune
