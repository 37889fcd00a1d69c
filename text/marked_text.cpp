#include "text/marked_text.h"

namespace kestrune {

void MarkedText::Append(std::u16string_view text, bool marked) {
    if (text.empty()) return;
    const auto begin = static_cast<std::uint32_t>(chars_.size());
    chars_.append(text);
    if (lineOpen_ && !marked && !runs_.back().marked) {
        runs_.back().length += static_cast<std::uint32_t>(text.size());
        return;
    }
    runs_.push_back({begin, static_cast<std::uint32_t>(text.size()), marked});
    lineOpen_ = true;
}

void MarkedText::EndLine() {
    lineEnds_.push_back(static_cast<std::uint32_t>(runs_.size()));
    lineOpen_ = false;
}

std::vector<TextRun>::const_iterator MarkedText::LineBegin(std::size_t i) const {
    return runs_.begin() + (i == 0 ? 0 : lineEnds_[i - 1]);
}

std::vector<TextRun>::const_iterator MarkedText::LineEnd(std::size_t i) const {
    return runs_.begin() + lineEnds_[i];
}

void MarkedText::Reserve(std::size_t chars) {
    chars_.reserve(chars);
    runs_.reserve(chars / 8);
}

}  // namespace kestrune
