// The digests a collection keys files and images by: SHA-1 (what TOSEC-style lists give) and
// SHA-256, from OpenSSL's libcrypto.
#pragma once

#include <array>
#include <cstdint>
#include <span>
#include <string>

namespace kestrune {

using Sha1Digest = std::array<std::uint8_t, 20>;
using Sha256Digest = std::array<std::uint8_t, 32>;

Sha1Digest Sha1(std::span<const std::uint8_t> bytes);
Sha256Digest Sha256(std::span<const std::uint8_t> bytes);

// Bytes as small hexadecimal digits, two a byte.
std::string HexText(std::span<const std::uint8_t> bytes);

}  // namespace kestrune
