#include "viewer/text_panes.h"

#include "text/number_text.h"
#include "text/unicode.h"

namespace kestrune {

namespace {

// What a pane that shows only the first part of a file says after it.
std::u16string CutNote(std::size_t shown, std::size_t whole) {
    return u"--- The first " + GroupedDecimal(shown) + u" of the file's " + GroupedDecimal(whole) +
           u" bytes are shown here. File > Export... writes the whole view, and kestrune-cli "
           u"show prints it. ---";
}

}  // namespace

TextPanes::TextPanes(std::shared_ptr<const std::vector<std::uint8_t>> storage,
                     std::span<const std::uint8_t> content, std::int32_t start,
                     std::size_t disassemblyFrom, bool allOpcodes, std::optional<std::size_t> limit)
    : storage_(std::move(storage)),
      content_(content),
      start_(start),
      disassemblyFrom_(disassemblyFrom),
      allOpcodes_(allOpcodes),
      limit_(limit) {}

void TextPanes::SetAllOpcodes(bool allOpcodes) {
    if (allOpcodes == allOpcodes_) return;
    allOpcodes_ = allOpcodes;
    texts_[ViewAssembly].reset();
}

bool TextPanes::Cut() const {
    return limit_ && content_.size() > *limit_;
}

PaneSource TextPanes::Source(bool whole) const {
    return {content_, start_, disassemblyFrom_, allOpcodes_, whole || !Cut() ? SIZE_MAX : *limit_};
}

std::vector<std::int16_t> TextPanes::Codes(ViewMode view) const {
    const TextRenderer* renderer = RowOfView(view).text;
    if (renderer == nullptr || renderer->codes == nullptr) return {};
    return renderer->codes(Source(false));
}

const std::u16string& TextPanes::Text(ViewMode view) {
    std::optional<std::u16string>& text = texts_[view];
    if (text) return *text;
    text.emplace();
    const TextRenderer* renderer = RowOfView(view).text;
    if (renderer == nullptr) return *text;
    renderer->write(Source(false), [&](std::u16string_view piece) {
        text->append(piece);
        return true;
    });
    if (Cut()) {
        if (!text->ends_with(u"\r\n")) text->append(u"\r\n");
        text->append(u"\r\n" + CutNote(*limit_, content_.size()));
    }
    return *text;
}

bool TextPanes::Write(ViewMode view, const TextSink& sink) const {
    if (texts_[view] && !Cut()) return sink(*texts_[view]);
    const TextRenderer* renderer = RowOfView(view).text;
    return renderer == nullptr || renderer->write(Source(true), sink);
}

bool TextPanes::WriteUtf8(ViewMode view, const Utf8Sink& sink) const {
    // Texts not made yet are made in UTF-8 straight away.
    if (texts_[view] && !Cut()) return Write(view, InUtf8(sink));
    const TextRenderer* renderer = RowOfView(view).text;
    return renderer == nullptr || renderer->writeUtf8(Source(true), sink);
}

}  // namespace kestrune
