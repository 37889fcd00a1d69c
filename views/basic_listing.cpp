#include "views/basic_listing.h"

#include "image/unicode.h"
#include "views/basic_tables.h"

namespace kestrune {

namespace {

// The program bases at which bytes 0xCC to 0xDD are VIC-20 Super Expander keywords.
bool IsSuperExpanderBase(std::int64_t base) {
    return base == 0x0401 || base == 0x1201 || base == 0x2001;
}

// First bytes of two-byte tokens: Simon's BASIC, the 0x65 extensions and BASIC 7.0.
bool IsTokenPrefix(std::uint8_t b) {
    return b == 0x64 || b == 0x65 || b == 0xCE || b == 0xFE;
}

// Inside strings, a run of one repeated cursor, delete, space or graphic code is written once with
// its count.
bool CanRepeat(std::uint8_t b) {
    return b == 0x11 || b == 0x14 || b == 0x1D || b == 0x20 || b >= 0x60;
}

class Lister {
  public:
    Lister(std::span<const std::uint8_t> program)
        : data_(program), n_(static_cast<std::int64_t>(program.size())) {}

    BasicListing List();

  private:
    std::uint8_t At(std::int64_t i) const { return i >= 0 && i < n_ ? data_[i] : 0; }
    std::int64_t WordAt(std::int64_t i) const { return At(i) + 256 * At(i + 1); }

    // Renders the line's byte at i; returns how many bytes it took (2 when a token prefix consumed
    // the next byte).
    std::int64_t RenderByte(std::int64_t i);
    void RenderCharacter(std::uint8_t b, std::uint8_t next);

    std::span<const std::uint8_t> data_;
    std::int64_t n_;
    std::int64_t base_ = 0;  // the program's address in memory
    std::int64_t work_ = 0;
    bool notBasic_ = false;
    std::string page_;
    // Per-line state.
    bool quote_ = false;
    int runCount_ = 1;
    std::string runText_;
};

BasicListing Lister::List() {
    std::int64_t firstLineLength = 0;
    while (4 + firstLineLength < n_ && data_[4 + firstLineLength] != 0)
        ++firstLineLength;
    base_ = WordAt(0) - firstLineLength - 5;

    page_.append(kBasicPageHeader).append("<p>");
    std::int64_t offset = 0;
    std::int64_t address = base_;
    for (;;) {
        const std::int64_t link = WordAt(offset);
        if (link == 0) break;
        if (link < address || link > base_ + n_ - 1) return {std::nullopt, true};
        // A program whose first link holds is likely BASIC: room for a typical listing.
        if (offset == 0) page_.reserve(static_cast<std::size_t>(n_) * 3);
        work_ += 2;
        page_.append(std::to_string(WordAt(offset + 2))).push_back(' ');

        quote_ = false;
        runCount_ = 1;
        runText_.clear();
        const std::int64_t end = offset + 4 + (link - address - 4);
        for (std::int64_t i = offset + 4; i < end;)
            i += RenderByte(i);
        page_.append("<br>\r\n");

        offset = link - base_;
        address = link;
        if (work_ > n_) return {std::nullopt, notBasic_};
    }
    page_.append("</p></body></html>");
    return {Widen(page_), notBasic_};
}

std::int64_t Lister::RenderByte(std::int64_t i) {
    const std::uint8_t b = At(i);
    if (b == 0x22) quote_ = !quote_;
    ++work_;

    std::int64_t taken = 1;
    if (b == 0x06) {
        notBasic_ = true;
        ++work_;
    }
    if (!quote_ && b >= 0xCC && b <= 0xDD && IsSuperExpanderBase(base_)) {
        notBasic_ = true;
        ++work_;
    }
    if (!quote_ && IsTokenPrefix(b)) {
        notBasic_ = true;
        ++work_;
        taken = 2;
    }

    if (!quote_ && b >= 0x80 && b <= 0xFD) {
        const std::string_view keyword = BasicTokenText[b - 0x80];
        if (keyword.size() > 1) {
            page_.append("<font color=\"blue\">").append(keyword).append("</font>");
        } else {
            page_.append(keyword);
        }
        if (b >= 0xCC) notBasic_ = true;
    } else {
        RenderCharacter(b, At(i + 1));
    }
    return taken;
}

void Lister::RenderCharacter(std::uint8_t b, std::uint8_t next) {
    const std::string_view name = PetsciiCharName[b];
    if (quote_ && next == b && CanRepeat(b)) {
        ++runCount_;
        runText_ = "{" + std::to_string(runCount_) + " " + std::string(name) + "}";
    } else if (runCount_ > 1) {
        page_.append(runText_);
        runCount_ = 1;
    } else if (name == "space") {
        page_.push_back(' ');
    } else if (name.size() > 1 && name.front() != '&') {
        page_.append("{").append(name).append("}");
    } else {
        page_.append(name);
    }
}

}  // namespace

BasicListing ListBasic(std::span<const std::uint8_t> program) {
    return Lister(program).List();
}

}  // namespace kestrune
