#include "viewer/text_panes.h"

#include "views/disassembly.h"
#include "views/hex_dump.h"
#include "views/text_views.h"

namespace kestrune {

TextPanes::TextPanes(std::span<const std::uint8_t> content, std::int32_t start,
                     std::size_t disassemblyFrom, bool allOpcodes)
    : content_(content.begin(), content.end()),
      start_(start),
      disassemblyFrom_(disassemblyFrom),
      allOpcodes_(allOpcodes) {}

void TextPanes::SetAllOpcodes(bool allOpcodes) {
    if (allOpcodes == allOpcodes_) return;
    allOpcodes_ = allOpcodes;
    texts_[ViewAssembly].reset();
}

namespace {

const OpcodeSet& Opcodes(bool allOpcodes) {
    return allOpcodes ? AllOpcodeTable : OpcodeTable;
}

}  // namespace

std::vector<std::int16_t> TextPanes::Codes(ViewMode view) const {
    switch (view) {
        case ViewHex:
            return HexDumpCodes(content_, start_);
        case ViewPetscii:
            return PetsciiCodes(content_);
        case ViewScrCode:
            return ScrCodeCodes(content_);
        default:
            return {};
    }
}

const std::u16string& TextPanes::Text(ViewMode view) {
    std::optional<std::u16string>& text = texts_[view];
    if (!text) {
        switch (view) {
            case ViewAssembly:
                text = Disassemble(content_, start_, disassemblyFrom_, Opcodes(allOpcodes_));
                break;
            case ViewHex:
                text = HexDump(content_, start_);
                break;
            case ViewPetscii:
                text = PetsciiText(content_);
                break;
            case ViewScrCode:
                text = ScrCodeText(content_);
                break;
            case ViewBasic:
                text.emplace();
                break;
        }
    }
    return *text;
}

}  // namespace kestrune

namespace kestrune {

void TextPanes::Write(ViewMode view, const std::function<void(std::u16string_view)>& sink) {
    if (view == ViewHex && !texts_[view]) {
        HexDump(content_, start_, sink);
    } else if (view == ViewAssembly && !texts_[view]) {
        Disassemble(content_, start_, disassemblyFrom_, sink, Opcodes(allOpcodes_));
    } else {
        sink(Text(view));
    }
}

}  // namespace kestrune
