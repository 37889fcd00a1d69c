#include "views/basic_listing.h"

#include <algorithm>
#include <array>
#include <string>

#include "text/number_text.h"
#include "text/unicode.h"
#include "views/basic_tables.h"

namespace kestrune {

namespace {

// The character references of the tables and the characters they stand for.
constexpr std::array<std::pair<std::string_view, char16_t>, 7> kReferences = {{
    {"&amp;", u'&'},
    {"&lt;", u'<'},
    {"&gt;", u'>'},
    {"&pound;", u'\u00A3'},
    {"&uarr;", u'\u2191'},
    {"&larr;", u'\u2190'},
    {"&#960;", u'\u03C0'},
}};

// A table text with its character references replaced by their characters.
std::u16string Shown(std::string_view text) {
    std::u16string shown;
    while (!text.empty()) {
        const auto reference =
            std::find_if(kReferences.begin(), kReferences.end(),
                         [&](const auto& r) { return text.starts_with(r.first); });
        if (reference != kReferences.end()) {
            shown.push_back(reference->second);
            text.remove_prefix(reference->first.size());
        } else {
            shown.push_back(static_cast<char16_t>(text.front()));
            text.remove_prefix(1);
        }
    }
    return shown;
}

// The tables as the listing shows them, made once.
struct ShownTables {
    std::array<std::u16string, BasicTokenText.size()> keywords;
    std::array<bool, BasicTokenText.size()> marked{};  // the longer keywords are shown in blue
    std::array<std::u16string, 256> names;             // a code's name, inside "{n ...}" runs
    std::array<std::u16string, 256> characters;        // what a code shows as on its own

    ShownTables() {
        for (std::size_t i = 0; i < BasicTokenText.size(); ++i) {
            keywords[i] = Shown(BasicTokenText[i]);
            marked[i] = BasicTokenText[i].size() > 1;
        }
        for (std::size_t b = 0; b < 256; ++b) {
            const std::string_view name = PetsciiCharName[b];
            names[b] = Shown(name);
            if (name == "space") {
                characters[b] = u" ";
            } else if (name.size() > 1 && name.front() != '&') {
                characters[b] = u"{" + names[b] + u"}";
            } else {
                characters[b] = names[b];
            }
        }
    }
};

const ShownTables& Tables() {
    static const ShownTables tables;
    return tables;
}

// The dialects' keyword tables in the listing's text, made once.
struct DialectTables {
    template <std::size_t N>
    static std::array<std::u16string, N> Widened(const std::array<std::string_view, N>& table) {
        std::array<std::u16string, N> widened;
        for (std::size_t i = 0; i < N; ++i)
            widened[i] = Widen(table[i]);
        return widened;
    }

    std::array<std::u16string, Basic35Tokens.size()> basic35 = Widened(Basic35Tokens);
    std::array<std::u16string, Basic70TokensCE.size()> basic70CE = Widened(Basic70TokensCE);
    std::array<std::u16string, Basic70TokensFE.size()> basic70FE = Widened(Basic70TokensFE);
    std::array<std::u16string, Basic40Tokens.size()> basic40 = Widened(Basic40Tokens);
    std::array<std::u16string, SuperExpanderTokens.size()> superExpander =
        Widened(SuperExpanderTokens);
    std::array<std::u16string, SimonsTokens.size()> simons = Widened(SimonsTokens);
};

const DialectTables& Dialects() {
    static const DialectTables tables;
    return tables;
}

// A two-byte token of the dialect: b the prefix, next the byte after it.
const std::u16string* TwoByteKeyword(BasicDialect dialect, std::uint8_t b, std::uint8_t next) {
    const DialectTables& tables = Dialects();
    const std::u16string* keyword = nullptr;
    if (dialect == BasicDialect::V70 && b == 0xCE && next >= 0x02 && next <= 0x0A) {
        keyword = &tables.basic70CE[next - 0x02];
    } else if (dialect == BasicDialect::V70 && b == 0xFE && next >= 0x02 && next <= 0x26) {
        keyword = &tables.basic70FE[next - 0x02];
    } else if (dialect == BasicDialect::Simons && b == 0x64 && next >= 0x01 && next <= 0x7F) {
        keyword = &tables.simons[next - 0x01];
    }
    return keyword != nullptr && !keyword->empty() ? keyword : nullptr;
}

// A single-byte token of the dialect beyond V2's.
const std::u16string* OneByteKeyword(BasicDialect dialect, std::uint8_t b) {
    const DialectTables& tables = Dialects();
    switch (dialect) {
        case BasicDialect::V35:
            return b >= 0xCC && b <= 0xFD ? &tables.basic35[b - 0xCC] : nullptr;
        case BasicDialect::V70:
            return b >= 0xCC && b <= 0xFD && b != 0xCE ? &tables.basic35[b - 0xCC] : nullptr;
        case BasicDialect::V40:
            return b >= 0xCC && b <= 0xDA ? &tables.basic40[b - 0xCC] : nullptr;
        case BasicDialect::SuperExpander:
            return b >= 0xCC && b <= 0xDD ? &tables.superExpander[b - 0xCC] : nullptr;
        case BasicDialect::V2:
        case BasicDialect::Simons:
            return nullptr;
    }
    return nullptr;
}

// The program bases at which bytes 0xCC to 0xDD are VIC-20 Super Expander keywords.
bool IsSuperExpanderBase(std::int64_t base) {
    return base == 0x0401 || base == 0x1201 || base == 0x2001;
}

// First bytes of two-byte tokens: Simon's BASIC, the 0x65 extensions and BASIC 7.0.
bool IsTokenPrefix(std::uint8_t b) {
    return b == 0x64 || b == 0x65 || b == 0xCE || b == 0xFE;
}

// The program's address in memory, from its first line's link: the link points just past that
// line's end marker. Bytes past the program read as 0.
std::int64_t ProgramBase(std::span<const std::uint8_t> program) {
    std::size_t firstLineLength = 0;
    while (4 + firstLineLength < program.size() && program[4 + firstLineLength] != 0)
        ++firstLineLength;
    const std::int64_t link =
        (program.size() > 0 ? program[0] : 0) + 256 * (program.size() > 1 ? program[1] : 0);
    return link - static_cast<std::int64_t>(firstLineLength) - 5;
}

// Inside strings, a run of one repeated cursor, delete, space or graphic code is written once with
// its count.
bool CanRepeat(std::uint8_t b) {
    return b == 0x11 || b == 0x14 || b == 0x1D || b == 0x20 || b >= 0x60;
}

class Lister {
  public:
    Lister(std::span<const std::uint8_t> program, BasicDialect dialect)
        : tables_(Tables()),
          data_(program),
          n_(static_cast<std::int64_t>(program.size())),
          dialect_(dialect) {}

    BasicListing List();

  private:
    std::uint8_t At(std::int64_t i) const { return i >= 0 && i < n_ ? data_[i] : 0; }
    std::int64_t WordAt(std::int64_t i) const { return At(i) + 256 * At(i + 1); }

    // Renders the line's byte at i; returns how many bytes it took (2 when a token prefix consumed
    // the next byte).
    std::int64_t RenderByte(std::int64_t i);
    void RenderCharacter(std::uint8_t b, std::uint8_t next);

    const ShownTables& tables_;
    std::span<const std::uint8_t> data_;
    std::int64_t n_;
    BasicDialect dialect_;
    std::int64_t base_ = 0;  // the program's address in memory
    std::int64_t work_ = 0;
    bool notBasic_ = false;
    MarkedText lines_;
    // Per-line state.
    bool quote_ = false;
    int runCount_ = 1;
    std::u16string runText_;
};

BasicListing Lister::List() {
    base_ = ProgramBase(data_);

    std::int64_t offset = 0;
    std::int64_t address = base_;
    for (;;) {
        const std::int64_t link = WordAt(offset);
        if (link == 0) break;
        if (link < address || link > base_ + n_ - 1) return {std::nullopt, true};
        // A program whose first link holds is likely BASIC: room for a typical listing. Links are
        // addresses below $10000, so no listing reaches past the first 64 KB of a file.
        constexpr std::int64_t kListable = 0x10000;
        if (offset == 0) lines_.Reserve(static_cast<std::size_t>(std::min(n_, kListable)) * 3);
        work_ += 2;
        char16_t number[8];
        char16_t* numberEnd = PutDecimal(number, WordAt(offset + 2));
        *numberEnd++ = u' ';
        lines_.Append(std::u16string_view(number, static_cast<std::size_t>(numberEnd - number)));

        quote_ = false;
        runCount_ = 1;
        runText_.clear();
        const std::int64_t end = offset + 4 + (link - address - 4);
        for (std::int64_t i = offset + 4; i < end;)
            i += RenderByte(i);
        lines_.EndLine();

        offset = link - base_;
        address = link;
        if (work_ > n_) return {std::nullopt, notBasic_};
    }
    return {std::move(lines_), notBasic_, dialect_};
}

std::int64_t Lister::RenderByte(std::int64_t i) {
    const std::uint8_t b = At(i);
    if (b == 0x22) quote_ = !quote_;
    ++work_;

    // A keyword of the dialect, marked like V2's: its token is no plain BASIC V2.
    if (!quote_ && dialect_ != BasicDialect::V2) {
        const std::u16string* keyword = TwoByteKeyword(dialect_, b, At(i + 1));
        const std::int64_t length = keyword != nullptr ? 2 : 1;
        if (keyword == nullptr) keyword = OneByteKeyword(dialect_, b);
        if (keyword != nullptr) {
            notBasic_ = true;
            work_ += length;
            lines_.Append(*keyword, true);
            return length;
        }
    }

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
        lines_.Append(tables_.keywords[b - 0x80], tables_.marked[b - 0x80]);
        if (b >= 0xCC) notBasic_ = true;
    } else {
        RenderCharacter(b, At(i + 1));
    }
    return taken;
}

void Lister::RenderCharacter(std::uint8_t b, std::uint8_t next) {
    if (quote_ && next == b && CanRepeat(b)) {
        ++runCount_;
        char16_t count[16];
        runText_.assign(u"{");
        runText_.append(count, PutDecimal(count, runCount_));
        runText_.append(u" ").append(tables_.names[b]).append(u"}");
    } else if (runCount_ > 1) {
        lines_.Append(runText_);
        runCount_ = 1;
    } else {
        lines_.Append(tables_.characters[b]);
    }
}

}  // namespace

BasicListing ListBasic(std::span<const std::uint8_t> program, std::optional<BasicDialect> dialect) {
    return Lister(program, dialect.value_or(DetectDialect(program))).List();
}

BasicDialect DetectDialect(std::span<const std::uint8_t> program) {
    const auto at = [&](std::size_t i) -> std::uint8_t {
        return i < program.size() ? program[i] : 0;
    };
    const auto word = [&](std::size_t i) { return at(i) + 256 * at(i + 1); };
    // The program's address, as the listing finds it.
    const std::int64_t base = ProgramBase(program);

    bool simons = false;
    int highest = 0;  // the highest single-byte token from 0xCC on
    std::size_t offset = 0;
    for (std::int64_t address = base;;) {
        const std::int64_t link = word(offset);
        if (link == 0 || link <= address ||
            link - base >= static_cast<std::int64_t>(program.size()))
            break;
        bool quoted = false;
        const auto end = static_cast<std::size_t>(link - base);
        const std::size_t stop = std::min(end, program.size());
        for (std::size_t i = offset + 4; i < stop; ++i) {
            const std::uint8_t b = program[i];
            if (b == 0x22) quoted = !quoted;
            // Most bytes are neither a prefix nor a token from 0xCC on.
            if (quoted || (b != 0x64 && b < 0xCC)) continue;
            if (b == 0xCE || b == 0xFE) {
                if (TwoByteKeyword(BasicDialect::V70, b, at(i + 1)) != nullptr)
                    return BasicDialect::V70;
            } else if (b == 0x64) {
                if (TwoByteKeyword(BasicDialect::Simons, b, at(i + 1)) == nullptr) continue;
                simons = true;
                ++i;
                continue;
            }
            if (b <= 0xFD) highest = std::max<int>(highest, b);
        }
        offset = end;
        address = link;
    }
    // Simons' BASIC is a cartridge of the C64, whose programs start at 0x0801.
    if (simons && base == 0x0801) return BasicDialect::Simons;
    if (highest == 0) return BasicDialect::V2;
    switch (base) {
        case 0x1C01:
        case 0x4001:
            return BasicDialect::V70;
        case 0x1001:
            return BasicDialect::V35;
        case 0x0401:
            if (highest <= 0xDA) return BasicDialect::V40;
            return highest <= 0xDD ? BasicDialect::SuperExpander : BasicDialect::V2;
        case 0x1201:
        case 0x2001:
            return highest <= 0xDD ? BasicDialect::SuperExpander : BasicDialect::V2;
        default:
            return BasicDialect::V2;
    }
}

std::optional<std::int32_t> FirstLineSys(std::span<const std::uint8_t> program) {
    constexpr std::uint8_t kSysToken = 0x9E;
    if (program.size() < 5 || (program[0] == 0 && program[1] == 0)) return std::nullopt;
    bool quoted = false;
    for (std::size_t i = 4; i < program.size() && program[i] != 0; ++i) {
        if (program[i] == 0x22) quoted = !quoted;
        if (quoted || program[i] != kSysToken) continue;
        std::size_t at = i + 1;
        while (at < program.size() && (program[at] == 0x20 || program[at] == '('))
            ++at;
        std::int64_t number = 0;
        std::size_t digits = 0;
        for (; at < program.size() && program[at] >= '0' && program[at] <= '9' && digits < 9;
             ++at, ++digits) {
            number = number * 10 + (program[at] - '0');
        }
        if (digits > 0) return static_cast<std::int32_t>(number);
    }
    return std::nullopt;
}

std::u16string ListingPage(const MarkedText& lines) {
    std::u16string page = Widen(kBasicPageHeader);
    page.append(u"<p>");
    const auto write = [&](std::u16string_view text) {
        for (const char16_t c : text) {
            if (c < 0x80 && c != u'&' && c != u'<' && c != u'>') {
                page.push_back(c);
                continue;
            }
            const auto reference = std::find_if(kReferences.begin(), kReferences.end(),
                                                [&](const auto& r) { return r.second == c; });
            if (reference == kReferences.end()) {
                page.push_back(c);
            } else {
                AppendWidened(page, reference->first);
            }
        }
    };
    for (std::size_t line = 0; line < lines.LineCount(); ++line) {
        for (auto run = lines.LineBegin(line); run != lines.LineEnd(line); ++run) {
            if (run->marked) page.append(u"<font color=\"blue\">");
            write(lines.Text(*run));
            if (run->marked) page.append(u"</font>");
        }
        page.append(u"<br>\r\n");
    }
    page.append(u"</p></body></html>");
    return page;
}

}  // namespace kestrune
