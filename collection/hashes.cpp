#include "collection/hashes.h"

#include <openssl/evp.h>

namespace kestrune {

namespace {

template <std::size_t Size>
std::array<std::uint8_t, Size> Digest(std::span<const std::uint8_t> bytes, const EVP_MD* kind) {
    std::array<std::uint8_t, Size> digest{};
    unsigned int length = 0;
    EVP_Digest(bytes.data(), bytes.size(), digest.data(), &length, kind, nullptr);
    return digest;
}

}  // namespace

Sha1Digest Sha1(std::span<const std::uint8_t> bytes) {
    return Digest<20>(bytes, EVP_sha1());
}

Sha256Digest Sha256(std::span<const std::uint8_t> bytes) {
    return Digest<32>(bytes, EVP_sha256());
}

std::string HexText(std::span<const std::uint8_t> bytes) {
    static constexpr char kDigits[] = "0123456789abcdef";
    std::string text;
    text.reserve(2 * bytes.size());
    for (const std::uint8_t byte : bytes) {
        text += kDigits[byte >> 4];
        text += kDigits[byte & 15];
    }
    return text;
}

}  // namespace kestrune
