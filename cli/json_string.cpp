#include "cli/json_string.h"

#include "text/unicode.h"

namespace kestrune::cli {

namespace {

constexpr std::size_t kBufferSize = 1 << 16;

bool IsHighSurrogate(char16_t unit) {
    return unit >= 0xD800 && unit <= 0xDBFF;
}

}  // namespace

JsonString::JsonString(std::ostream& out) : out_(out) {
    buffer_.reserve(kBufferSize + 64);
    buffer_.push_back('"');
}

bool JsonString::operator()(std::u16string_view piece) {
    static constexpr char kHex[] = "0123456789abcdef";
    std::size_t plain = 0;  // the start of a run of units that need no escape
    const auto passPlain = [&](std::size_t end) {
        if (end > plain) AppendUtf8(buffer_, piece.substr(plain, end - plain));
    };
    if (highSurrogate_ != 0) {
        const char16_t pair[2] = {highSurrogate_, piece.empty() ? u'\0' : piece[0]};
        highSurrogate_ = 0;
        if (piece.empty()) {
            AppendUtf8(buffer_, std::u16string_view(pair, 1));
        } else {
            AppendUtf8(buffer_, std::u16string_view(pair, 2));
            plain = 1;
        }
    }
    for (std::size_t i = plain; i < piece.size(); ++i) {
        const char16_t unit = piece[i];
        if (unit >= 0x20 && unit != u'"' && unit != u'\\') continue;
        passPlain(i);
        plain = i + 1;
        switch (unit) {
            case u'"':
                buffer_ += "\\\"";
                break;
            case u'\\':
                buffer_ += "\\\\";
                break;
            case u'\b':
                buffer_ += "\\b";
                break;
            case u'\f':
                buffer_ += "\\f";
                break;
            case u'\n':
                buffer_ += "\\n";
                break;
            case u'\r':
                buffer_ += "\\r";
                break;
            case u'\t':
                buffer_ += "\\t";
                break;
            default:
                buffer_ += "\\u00";
                buffer_ += kHex[unit >> 4];
                buffer_ += kHex[unit & 0xF];
                break;
        }
        if (buffer_.size() >= kBufferSize) Flush();
    }
    // A pair split between two pieces is encoded once both halves are there.
    std::size_t end = piece.size();
    if (end > plain && IsHighSurrogate(piece[end - 1])) highSurrogate_ = piece[--end];
    passPlain(end);
    if (buffer_.size() >= kBufferSize) Flush();
    return true;
}

void JsonString::Close() {
    if (highSurrogate_ != 0) AppendUtf8(buffer_, std::u16string_view(&highSurrogate_, 1));
    highSurrogate_ = 0;
    buffer_.push_back('"');
    Flush();
}

void JsonString::Flush() {
    out_.write(buffer_.data(), static_cast<std::streamsize>(buffer_.size()));
    buffer_.clear();
}

}  // namespace kestrune::cli
