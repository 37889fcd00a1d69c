// The start-address box: what the user typed, judged as an address inside the file on show.
// Hexadecimal is typed after "$"; anything else is decimal.
#pragma once

#include <cstdint>
#include <optional>
#include <string_view>

#include "image/messages.h"

namespace kestrune {

Message AddressHintMessage();        // hexadecimal letters typed without "$"
Message AddressOutOfRangeMessage();  // an address outside the file

struct AddressJudgement {
    std::int32_t address = 0;        // the address asked for when accepted; 0 asks for nothing
    std::optional<Message> message;  // set when the entry is refused
};

// The rules, in order: the text is lower-cased; after a leading "$" (all leading "$" removed) it
// is read as C's base-16 strtol reads it; otherwise any of the letters a to f gives the hint;
// otherwise it is read as decimal the way the shell's StrToInt reads it. An address outside
// rangeStart to rangeEnd gives the range message.
AddressJudgement JudgeAddress(std::u16string_view typed, std::int32_t rangeStart,
                              std::int32_t rangeEnd);

// C's wcstol with base 16 and a 32-bit long: leading white space, an optional sign, an optional
// "0x", the hexadecimal digits up to the first other character (0 when there are none); a value
// beyond the 32-bit range saturates to its nearest limit.
std::int32_t ParseHexadecimalLong(std::u16string_view text);

// StrToInt: only when the text begins with "-" or a digit, an optional minus sign and the decimal
// digits up to the first other character; anything else is 0. Digits beyond the 32-bit range wrap
// around.
std::int32_t ParseDecimalInt(std::u16string_view text);

}  // namespace kestrune
