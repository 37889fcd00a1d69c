// The start-address judgement on arbitrary typed text: the first eight bytes give the file's
// range, the rest is the text, read as UTF-8.
#include <cstdint>
#include <cstring>
#include <string_view>

#include "text/unicode.h"
#include "viewer/address_entry.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size < 8) return 0;
    std::int32_t range[2];
    std::memcpy(range, data, sizeof range);
    const std::u16string typed =
        kestrune::Utf8ToUtf16(std::string_view(reinterpret_cast<const char*>(data + 8), size - 8));
    const kestrune::AddressJudgement judgement = kestrune::JudgeAddress(typed, range[0], range[1]);
    if (!judgement.message && (judgement.address < range[0] || judgement.address > range[1]))
        __builtin_trap();
    return 0;
}
