// Text helpers: the window and the views hold UTF-16 text, file names and the CLI's output are
// UTF-8, and the tables of keywords, mnemonics and labels are plain ASCII.
#pragma once

#include <string>
#include <string_view>

namespace kestrune {

// Only the letters A to Z and a to z change; every other character stays as it is.
template <typename Char>
constexpr Char LowerLetter(Char c) {
    return c >= 'A' && c <= 'Z' ? static_cast<Char>(c - 'A' + 'a') : c;
}
std::string AsciiLower(std::string_view text);
std::u16string AsciiUpper(std::u16string_view text);
std::u16string AsciiLower(std::u16string_view text);

// ASCII (or Latin-1) bytes widened one by one.
std::u16string Widen(std::string_view text);
inline void AppendWidened(std::u16string& out, std::string_view text) {
    out.append(text.begin(), text.end());
}

// Malformed UTF-8 sequences and unpaired surrogates become U+FFFD REPLACEMENT CHARACTER.
std::u16string Utf8ToUtf16(std::string_view text);
std::string Utf16ToUtf8(std::u16string_view text);
// Encodes text into out, which has room for 3 bytes a unit; returns the end. A high surrogate at
// the end of text, without its partner, becomes U+FFFD.
char* EncodeUtf8(char* out, std::u16string_view text);

// Text from a file (a host file name, an archive member's name) made safe to show anywhere, a
// terminal included: each control character (U+0000 to U+001F and U+007F) becomes its symbol
// from the Control Pictures block ("\x1b" shows as U+241B), and the C1 controls U+0080 to U+009F
// become U+FFFD.
std::u16string VisibleText(std::u16string_view text);
// The same for UTF-8 text, such as a file name.
std::u16string VisibleUtf8(std::string_view text);
void AppendUtf8(std::string& out, std::u16string_view text);

}  // namespace kestrune
