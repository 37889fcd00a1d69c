#include "image/faults.h"

#include "text/number_text.h"

namespace kestrune {

void AddFault(std::u16string& faults, std::u16string_view text) {
    if (!faults.empty()) faults += u"; ";
    faults += text;
}

void RepeatedFault::AppendTo(std::u16string& faults, std::u16string_view before,
                             std::u16string_view after) const {
    for (const std::u16string& text : named_)
        AddFault(faults, text);
    if (count_ > named_.size()) {
        AddFault(faults, std::u16string(before) + GroupedDecimal(count_ - named_.size()) +
                             std::u16string(after));
    }
}

}  // namespace kestrune
