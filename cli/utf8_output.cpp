#include "cli/utf8_output.h"

#include "text/unicode.h"

namespace kestrune::cli {

void WriteUtf8(std::ostream& out, std::u16string_view text) {
    // Encoded in steps, never between the two halves of a surrogate pair.
    constexpr std::size_t kStep = 2048;
    char buffer[3 * kStep + 3];
    for (std::size_t i = 0; i < text.size();) {
        std::size_t n = std::min(kStep, text.size() - i);
        if (i + n < text.size() && text[i + n - 1] >= 0xD800 && text[i + n - 1] <= 0xDBFF) ++n;
        const char* end = EncodeUtf8(buffer, text.substr(i, n));
        out.write(buffer, end - buffer);
        i += n;
    }
}

}  // namespace kestrune::cli
