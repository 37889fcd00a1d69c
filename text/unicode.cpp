#include "text/unicode.h"

#include "text/text_sink.h"

#include <algorithm>
#include <cstdint>
#include <cstring>

namespace kestrune {

namespace {

constexpr char32_t kReplacement = 0xFFFD;

template <typename Char>
Char UpperLetter(Char c) {
    return c >= 'a' && c <= 'z' ? static_cast<Char>(c - 'a' + 'A') : c;
}

void AppendUtf16(std::u16string& out, char32_t code) {
    if (code < 0x10000) {
        out.push_back(static_cast<char16_t>(code));
    } else {
        code -= 0x10000;
        out.push_back(static_cast<char16_t>(0xD800 + (code >> 10)));
        out.push_back(static_cast<char16_t>(0xDC00 + (code & 0x3FF)));
    }
}

bool IsHighSurrogate(char16_t unit) {
    return unit >= 0xD800 && unit <= 0xDBFF;
}
bool IsLowSurrogate(char16_t unit) {
    return unit >= 0xDC00 && unit <= 0xDFFF;
}

constexpr std::size_t kBlock = 16;

// Narrows a block of units to bytes when all of them are ASCII. Working on local copies lets the
// compiler do it in vector registers.
bool PutAsciiBlock(char* out, const char16_t* units) {
    char16_t block[kBlock];
    std::memcpy(block, units, sizeof block);
    char16_t any = 0;
    for (const char16_t unit : block)
        any |= unit;
    if (any >= 0x80) return false;
    char bytes[kBlock];
    for (std::size_t k = 0; k < kBlock; ++k)
        bytes[k] = static_cast<char>(block[k]);
    std::memcpy(out, bytes, kBlock);
    return true;
}

// Encodes one code point; returns the end.
char* PutUtf8(char* out, char32_t code) {
    if (code < 0x80) {
        *out++ = static_cast<char>(code);
    } else if (code < 0x800) {
        *out++ = static_cast<char>(0xC0 | (code >> 6));
        *out++ = static_cast<char>(0x80 | (code & 0x3F));
    } else if (code < 0x10000) {
        *out++ = static_cast<char>(0xE0 | (code >> 12));
        *out++ = static_cast<char>(0x80 | ((code >> 6) & 0x3F));
        *out++ = static_cast<char>(0x80 | (code & 0x3F));
    } else {
        *out++ = static_cast<char>(0xF0 | (code >> 18));
        *out++ = static_cast<char>(0x80 | ((code >> 12) & 0x3F));
        *out++ = static_cast<char>(0x80 | ((code >> 6) & 0x3F));
        *out++ = static_cast<char>(0x80 | (code & 0x3F));
    }
    return out;
}

// Decodes one UTF-8 sequence at text[i], advancing i; a malformed sequence consumes one byte.
char32_t DecodeUtf8(std::string_view text, std::size_t& i) {
    const auto lead = static_cast<std::uint8_t>(text[i++]);
    if (lead < 0x80) return lead;
    int extra = 0;
    char32_t code = 0;
    char32_t minimum = 0;
    if (lead >= 0xC2 && lead <= 0xDF) {
        extra = 1, code = lead & 0x1F, minimum = 0x80;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
        extra = 2, code = lead & 0x0F, minimum = 0x800;
    } else if (lead >= 0xF0 && lead <= 0xF4) {
        extra = 3, code = lead & 0x07, minimum = 0x10000;
    } else {
        return kReplacement;
    }
    std::size_t j = i;
    for (int k = 0; k < extra; ++k, ++j) {
        if (j >= text.size()) return kReplacement;
        const auto next = static_cast<std::uint8_t>(text[j]);
        if ((next & 0xC0) != 0x80) return kReplacement;
        code = (code << 6) | (next & 0x3F);
    }
    if (code < minimum || code > 0x10FFFF || (code >= 0xD800 && code <= 0xDFFF)) {
        return kReplacement;
    }
    i = j;
    return code;
}

}  // namespace

std::string AsciiLower(std::string_view text) {
    std::string out(text);
    for (char& c : out)
        c = LowerLetter(c);
    return out;
}

std::u16string AsciiUpper(std::u16string_view text) {
    std::u16string out(text);
    for (char16_t& c : out)
        c = UpperLetter(c);
    return out;
}

std::u16string AsciiLower(std::u16string_view text) {
    std::u16string out(text);
    for (char16_t& c : out)
        c = LowerLetter(c);
    return out;
}

std::u16string Widen(std::string_view text) {
    std::u16string out(text.size(), u'\0');
    for (std::size_t i = 0; i < text.size(); ++i)
        out[i] = static_cast<std::uint8_t>(text[i]);
    return out;
}

std::u16string Utf8ToUtf16(std::string_view text) {
    std::u16string out;
    out.reserve(text.size());
    for (std::size_t i = 0; i < text.size();)
        AppendUtf16(out, DecodeUtf8(text, i));
    return out;
}

void AppendUtf8(std::string& out, std::u16string_view text) {
    // Every unit takes at most three bytes (a surrogate pair four for its two).
    const std::size_t start = out.size();
    out.resize(start + 3 * text.size());
    char* const end = EncodeUtf8(out.data() + start, text);
    out.resize(static_cast<std::size_t>(end - out.data()));
}

char* EncodeUtf8(char* end, std::u16string_view text) {
    for (std::size_t i = 0; i < text.size(); ++i) {
        // Sixteen ASCII units at once, the common case.
        while (i + kBlock <= text.size() && PutAsciiBlock(end, text.data() + i)) {
            end += kBlock;
            i += kBlock;
        }
        if (i == text.size()) break;
        const char16_t unit = text[i];
        if (unit < 0x80) {
            *end++ = static_cast<char>(unit);
        } else if (IsHighSurrogate(unit) && i + 1 < text.size() && IsLowSurrogate(text[i + 1])) {
            end =
                PutUtf8(end, 0x10000 + ((char32_t{unit} - 0xD800) << 10) + (text[i + 1] - 0xDC00));
            ++i;
        } else if (IsHighSurrogate(unit) || IsLowSurrogate(unit)) {
            end = PutUtf8(end, kReplacement);  // a surrogate without its partner
        } else {
            end = PutUtf8(end, unit);
        }
    }
    return end;
}

std::string Utf16ToUtf8(std::u16string_view text) {
    std::string out;
    AppendUtf8(out, text);
    return out;
}

std::u16string VisibleText(std::u16string_view text) {
    constexpr char16_t kControlPictures = 0x2400;
    constexpr char16_t kDeletePicture = 0x2421;
    std::u16string out(text);
    for (char16_t& unit : out) {
        if (unit < 0x20) {
            unit = static_cast<char16_t>(kControlPictures + unit);
        } else if (unit == 0x7F) {
            unit = kDeletePicture;
        } else if (unit >= 0x80 && unit <= 0x9F) {
            unit = static_cast<char16_t>(kReplacement);
        }
    }
    return out;
}

std::u16string VisibleUtf8(std::string_view text) {
    return VisibleText(Utf8ToUtf16(text));
}

TextSink InUtf8(const Utf8Sink& sink) {
    return [&sink](std::u16string_view piece) {
        // A long piece is encoded in steps, never between the two halves of a pair.
        constexpr std::size_t kStep = 4096;
        char buffer[3 * kStep + 3];
        while (!piece.empty()) {
            std::size_t n = std::min(kStep, piece.size());
            if (n < piece.size() && IsHighSurrogate(piece[n - 1])) ++n;
            const char* end = EncodeUtf8(buffer, piece.substr(0, n));
            if (!sink(std::string_view(buffer, static_cast<std::size_t>(end - buffer))))
                return false;
            piece.remove_prefix(n);
        }
        return true;
    };
}

}  // namespace kestrune
