// The text of one cell of the file list, held in place: the longest is a GEOS file type name of
// 21 characters. Rows of such cells are copied and sorted without touching the heap.
#pragma once

#include <algorithm>
#include <array>
#include <cstdint>
#include <string>
#include <string_view>

namespace kestrune {

class CellText {
  public:
    static constexpr std::size_t kCapacity = 22;

    CellText() = default;
    // Text beyond the capacity is cut off; no cell the directory reader writes comes near it.
    CellText(std::u16string_view text) { assign(text.data(), text.size()); }
    CellText(const char16_t* text) : CellText(std::u16string_view(text)) {}
    CellText(const std::u16string& text) : CellText(std::u16string_view(text)) {}

    void assign(const char16_t* text, std::size_t length) {
        size_ = static_cast<std::uint8_t>(std::min(length, kCapacity));
        std::copy_n(text, size_, chars_.begin());
    }
    void assign(const char16_t* begin, const char16_t* end) {
        assign(begin, static_cast<std::size_t>(end - begin));
    }
    void clear() { size_ = 0; }

    std::u16string_view view() const { return {chars_.data(), size_}; }
    operator std::u16string_view() const { return view(); }
    std::u16string str() const { return std::u16string(view()); }
    std::size_t size() const { return size_; }
    bool empty() const { return size_ == 0; }

    friend bool operator==(const CellText& a, std::u16string_view b) { return a.view() == b; }

  private:
    std::array<char16_t, kCapacity> chars_;
    std::uint8_t size_ = 0;
};

}  // namespace kestrune
