#include "viewer/text_panes.h"

#include "text/number_text.h"
#include "text/unicode.h"
#include "views/disassembly.h"
#include "views/hex_dump.h"
#include "views/text_views.h"

namespace kestrune {

namespace {

const OpcodeSet& Opcodes(bool allOpcodes) {
    return allOpcodes ? AllOpcodeTable : OpcodeTable;
}

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

std::span<const std::uint8_t> TextPanes::Shown() const {
    return Cut() ? content_.first(*limit_) : content_;
}

std::vector<std::int16_t> TextPanes::Codes(ViewMode view) const {
    switch (view) {
        case ViewHex:
            return HexDumpCodes(Shown(), start_);
        case ViewPetscii:
            return PetsciiCodes(Shown());
        case ViewScrCode:
            return ScrCodeCodes(Shown());
        default:
            return {};
    }
}

const std::u16string& TextPanes::Text(ViewMode view) {
    std::optional<std::u16string>& text = texts_[view];
    if (text) return *text;
    text.emplace();
    const auto append = [&](std::u16string_view piece) {
        text->append(piece);
        return true;
    };
    switch (view) {
        case ViewAssembly:
            // A bounded pane lists as many bytes from where the disassembly begins.
            Disassemble(content_, start_, disassemblyFrom_, append, Opcodes(allOpcodes_),
                        Cut() ? disassemblyFrom_ + *limit_ : SIZE_MAX);
            break;
        case ViewHex:
            HexDump(Shown(), start_, append);
            break;
        case ViewPetscii:
            PetsciiText(Shown(), append);
            break;
        case ViewScrCode:
            ScrCodeText(Shown(), append);
            break;
        case ViewBasic:
            return *text;
    }
    if (Cut()) {
        if (!text->ends_with(u"\r\n")) text->append(u"\r\n");
        text->append(u"\r\n" + CutNote(*limit_, content_.size()));
    }
    return *text;
}

bool TextPanes::Write(ViewMode view, const TextSink& sink) const {
    if (texts_[view] && !Cut()) return sink(*texts_[view]);
    switch (view) {
        case ViewAssembly:
            return Disassemble(content_, start_, disassemblyFrom_, sink, Opcodes(allOpcodes_));
        case ViewHex:
            return HexDump(content_, start_, sink);
        case ViewPetscii:
            return PetsciiText(content_, sink);
        case ViewScrCode:
            return ScrCodeText(content_, sink);
        case ViewBasic:
            break;
    }
    return true;
}

bool TextPanes::WriteUtf8(ViewMode view, const Utf8Sink& sink) const {
    // Texts not made yet are made in UTF-8 straight away.
    if (texts_[view] && !Cut()) return Write(view, InUtf8(sink));
    if (view == ViewHex) return HexDumpUtf8(content_, start_, sink);
    if (view == ViewAssembly)
        return DisassembleUtf8(content_, start_, disassemblyFrom_, sink, Opcodes(allOpcodes_));
    if (view == ViewPetscii) return PetsciiTextUtf8(content_, sink);
    if (view == ViewScrCode) return ScrCodeTextUtf8(content_, sink);
    return Write(view, InUtf8(sink));
}

}  // namespace kestrune
