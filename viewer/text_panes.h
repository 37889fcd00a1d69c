// The four text panes of the file on show: Assembly, HEX/ASCII, PETSCII and ScrCode. Each text is
// rendered the first time it is asked for, from a copy of the file's content taken when the file
// was shown, so a pane that is never looked at costs nothing and one looked at later still shows
// exactly that file.
#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "viewer/view_mode.h"

namespace kestrune {

class TextPanes {
  public:
    TextPanes() = default;
    // content lies at the addresses from start on; the disassembly begins at disassemblyFrom and
    // decodes the documented opcodes only, or with allOpcodes every opcode.
    TextPanes(std::span<const std::uint8_t> content, std::int32_t start,
              std::size_t disassemblyFrom, bool allOpcodes = false);

    // The Assembly pane decodes every opcode, or the documented ones only, from now on.
    void SetAllOpcodes(bool allOpcodes);

    // The text of view's pane; ViewBasic has none here (the browser shows a page).
    const std::u16string& Text(ViewMode view);

    // For view's text, the PETSCII code each character stands for (see HexDumpCodes,
    // PetsciiCodes, ScrCodeCodes); empty for the views that show no character codes.
    std::vector<std::int16_t> Codes(ViewMode view) const;

    // Hands the same text to sink, piece after piece where it is long and not yet rendered.
    void Write(ViewMode view, const std::function<void(std::u16string_view)>& sink);

  private:
    std::vector<std::uint8_t> content_;
    std::int32_t start_ = 0;
    std::size_t disassemblyFrom_ = 0;
    bool allOpcodes_ = false;
    std::array<std::optional<std::u16string>, kViewCount> texts_;
};

}  // namespace kestrune
