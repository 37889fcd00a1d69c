// The four text panes of the file on show: Assembly, HEX/ASCII, PETSCII and ScrCode. Each text is
// rendered the first time it is asked for, from the file's content kept when the file was shown,
// so a pane that is never looked at costs nothing and one looked at later still shows exactly
// that file. A window may bound what its panes hold: then each pane's text covers the first part
// of the content only and ends with a note saying what was left out, while Write still hands on
// the whole text, piece by piece.
#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "text/text_sink.h"
#include "viewer/view_table.h"

namespace kestrune {

class TextPanes {
  public:
    TextPanes() = default;
    // content, which lies in storage (kept while the panes are), lies at the addresses from start
    // on; the disassembly begins at disassemblyFrom and decodes the documented opcodes only, or
    // with allOpcodes every opcode. limit, when given, is the most content a pane's text covers.
    TextPanes(std::shared_ptr<const std::vector<std::uint8_t>> storage,
              std::span<const std::uint8_t> content, std::int32_t start,
              std::size_t disassemblyFrom, bool allOpcodes = false,
              std::optional<std::size_t> limit = std::nullopt);

    // The Assembly pane decodes every opcode, or the documented ones only, from now on.
    void SetAllOpcodes(bool allOpcodes);

    // The text of view's pane; a view without a text pane has none here.
    const std::u16string& Text(ViewMode view);

    // Whether the texts cover only the first part of the content.
    bool Cut() const;

    // For view's text, the PETSCII code each character stands for (see HexDumpCodes,
    // PetsciiCodes, ScrCodeCodes); empty for the views that show no character codes.
    std::vector<std::int16_t> Codes(ViewMode view) const;

    // Hands the whole text of view's pane to sink, piece after piece, however much of it the
    // pane's own text covers; false when the sink stopped it.
    bool Write(ViewMode view, const TextSink& sink) const;
    // The same text in UTF-8.
    bool WriteUtf8(ViewMode view, const Utf8Sink& sink) const;

  private:
    // What a pane's text is made from: the content it covers, or the whole content.
    PaneSource Source(bool whole) const;

    std::shared_ptr<const std::vector<std::uint8_t>> storage_;
    std::span<const std::uint8_t> content_;
    std::int32_t start_ = 0;
    std::size_t disassemblyFrom_ = 0;
    bool allOpcodes_ = false;
    std::optional<std::size_t> limit_;
    std::array<std::optional<std::u16string>, kViewCount> texts_;
};

}  // namespace kestrune
