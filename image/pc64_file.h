// PC64 files (.P00, .S00, .U00, .R00, .D00 and the numbers after 00): one Commodore file behind a
// 26-byte header: "C64File" and a byte 0, the file's name in 16 PETSCII bytes padded with 0, a
// byte 0 and a REL file's record length. The letter of the extension gives the file's type.
#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string_view>
#include <vector>

#include "image/volume.h"

namespace kestrune {

bool LooksLikePc64File(std::span<const std::uint8_t> bytes);

// A volume of one row; nothing when the header is cut short.
std::optional<Volume> OpenPc64File(std::vector<std::uint8_t> bytes, std::string_view fileName);

}  // namespace kestrune
