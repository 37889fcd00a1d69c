// The start-address box: what the user typed, judged as an address inside the file on show.
// Hexadecimal is typed after "$"; anything else is decimal.
#pragma once

#include <cstdint>
#include <optional>
#include <string_view>

#include "text/message.h"

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

}  // namespace kestrune
