#include "viewer/address_entry.h"

#include "text/parsing.h"
#include "text/unicode.h"

namespace kestrune {

Message AddressHintMessage() {
    return {MessageId::AddressHint, MessageKind::Error,
            u"Precede hexadecimal numbers with a \"$\"\n\nFor example: $C000"};
}

Message AddressOutOfRangeMessage() {
    return {MessageId::AddressOutOfRange, MessageKind::Error,
            u"Address is out of range of the file."};
}

AddressJudgement JudgeAddress(std::u16string_view typed, std::int32_t rangeStart,
                              std::int32_t rangeEnd) {
    const std::u16string lower = AsciiLower(typed);
    std::u16string_view text = lower;
    std::int32_t address = 0;
    if (!text.empty() && text.front() == u'$') {
        while (!text.empty() && text.front() == u'$')
            text.remove_prefix(1);
        address = ParseHexadecimalLong(text);
    } else if (text.find_first_of(u"abcdef") != std::u16string::npos) {
        return {0, AddressHintMessage()};
    } else {
        address = ParseDecimalInt(text);
    }
    if (address < rangeStart || address > rangeEnd) return {0, AddressOutOfRangeMessage()};
    return {address, std::nullopt};
}

}  // namespace kestrune
