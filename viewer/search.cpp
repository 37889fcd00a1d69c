#include "viewer/search.h"

#include "text/parsing.h"
#include "text/unicode.h"

namespace kestrune {

std::span<const TextRange> SearchHits::Hit(std::size_t i) const {
    const std::size_t end = i + 1 < hitStarts.size() ? hitStarts[i + 1] : ranges.size();
    return std::span(ranges).subspan(hitStarts[i], end - hitStarts[i]);
}

SearchHits FindText(std::u16string_view text, std::u16string_view query) {
    SearchHits hits;
    if (query.empty() || query.size() > text.size()) return hits;
    const char16_t first = LowerLetter(query.front());
    for (std::size_t at = 0; at + query.size() <= text.size();) {
        if (LowerLetter(text[at]) != first) {
            ++at;
            continue;
        }
        std::size_t i = 1;
        while (i < query.size() && LowerLetter(text[at + i]) == LowerLetter(query[i]))
            ++i;
        if (i == query.size()) {
            hits.hitStarts.push_back(hits.ranges.size());
            hits.ranges.push_back({at, query.size()});
            at += query.size();
        } else {
            ++at;
        }
    }
    return hits;
}

std::optional<std::vector<int>> BytePattern(std::u16string_view query) {
    std::vector<int> pattern;
    for (std::size_t i = 0; i < query.size();) {
        if (query[i] == u' ') {
            ++i;
            continue;
        }
        if (i + 1 >= query.size()) return std::nullopt;
        if (query[i] == u'?' && query[i + 1] == u'?') {
            pattern.push_back(-1);
        } else {
            const int high = HexDigitValue(query[i]);
            const int low = HexDigitValue(query[i + 1]);
            if (high < 0 || low < 0) return std::nullopt;
            pattern.push_back(high * 16 + low);
        }
        i += 2;
    }
    if (pattern.empty()) return std::nullopt;
    return pattern;
}

std::vector<std::size_t> FindBytes(std::span<const std::uint8_t> bytes,
                                   const std::vector<int>& pattern) {
    std::vector<std::size_t> found;
    if (pattern.empty() || pattern.size() > bytes.size()) return found;
    for (std::size_t at = 0; at + pattern.size() <= bytes.size();) {
        std::size_t i = 0;
        while (i < pattern.size() && (pattern[i] < 0 || pattern[i] == bytes[at + i]))
            ++i;
        if (i == pattern.size()) {
            found.push_back(at);
            at += pattern.size();
        } else {
            ++at;
        }
    }
    return found;
}

}  // namespace kestrune
