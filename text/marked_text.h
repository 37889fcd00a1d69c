// Text in lines of runs, each run marked or not: the BASIC listing, whose keywords are marked.
// The browser pane draws it as it is; the listing's page writer turns it into HTML.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace kestrune {

struct TextRun {
    std::uint32_t begin = 0;  // in MarkedText::chars
    std::uint32_t length = 0;
    bool marked = false;
};

class MarkedText {
  public:
    // Appends to the run being written, or starts a new one where the mark changes. Marked runs
    // are never joined: each one is a run of its own.
    void Append(std::u16string_view text, bool marked = false);
    // Ends the line being written; the next text starts a new line.
    void EndLine();

    std::size_t LineCount() const { return lineEnds_.size(); }
    // The runs of line i, in order.
    std::vector<TextRun>::const_iterator LineBegin(std::size_t i) const;
    std::vector<TextRun>::const_iterator LineEnd(std::size_t i) const;
    std::u16string_view Text(const TextRun& run) const {
        return std::u16string_view(chars_).substr(run.begin, run.length);
    }

    void Reserve(std::size_t chars);

  private:
    std::u16string chars_;
    std::vector<TextRun> runs_;
    std::vector<std::uint32_t> lineEnds_;  // for each line, the index in runs_ after its last run
    bool lineOpen_ = false;                // the last run belongs to the line being written
};

}  // namespace kestrune
