// Finding what the user types into the search box in the text of a pane, or, in the HEX/ASCII
// view, the bytes that a query of hexadecimal pairs names.
#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string_view>
#include <vector>

namespace kestrune {

struct TextRange {
    std::size_t begin = 0;
    std::size_t length = 0;
    bool operator==(const TextRange&) const = default;
};

// The hits of a search: hit i covers ranges[hitStarts[i]] up to the next hit's first range (a
// byte sequence that crosses a line of the dump takes a range on each line).
struct SearchHits {
    std::vector<TextRange> ranges;
    std::vector<std::size_t> hitStarts;

    std::size_t size() const { return hitStarts.size(); }
    std::span<const TextRange> Hit(std::size_t i) const;
};

// Every place query stands in text, the letters A to Z matching either case, left to right and
// not overlapping. An empty query finds nothing.
SearchHits FindText(std::u16string_view text, std::u16string_view query);

// A query of hexadecimal byte pairs, spaces between them or not, "??" for any byte: the bytes
// it names (-1 for any), or nothing when the query is not such a list.
std::optional<std::vector<int>> BytePattern(std::u16string_view query);

// The positions in bytes where pattern matches, left to right and not overlapping.
std::vector<std::size_t> FindBytes(std::span<const std::uint8_t> bytes,
                                   const std::vector<int>& pattern);

}  // namespace kestrune
