// Lynx archives (.lnx): a small BASIC program that tells the user to dissolve the archive, then a
// directory in PETSCII lines ended by CR: the number of directory blocks with the signature
// ("*LYNX ..."), the number of files, and for each file its name (16 bytes), its blocks, its type
// letter (P, S, U, R, D), a REL file's record length, and the bytes used in its last block plus
// one. The files follow from the end of the directory blocks (254 bytes each), each in whole
// blocks of 254 bytes but the last block; a REL file's side sectors come before its data.
#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string_view>
#include <vector>

#include "image/volume.h"

namespace kestrune {

bool LooksLikeLynx(std::span<const std::uint8_t> bytes);

// Nothing when the directory cannot be read. Every entry that is whole is listed; files cut short
// by the archive's end keep the bytes that are there, and the volume's fault names the damage.
std::optional<Volume> OpenLynx(std::vector<std::uint8_t> archive, std::string_view fileName);

}  // namespace kestrune
