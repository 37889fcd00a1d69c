// Writing the viewer's texts to an output stream as UTF-8, gathered into blocks of 64 KiB so that
// a long text goes out in few, large writes.
#pragma once

#include <ostream>
#include <string_view>

namespace kestrune::cli {

class BlockWriter {
  public:
    explicit BlockWriter(std::ostream& out);
    // Writes what is left.
    ~BlockWriter();
    BlockWriter(const BlockWriter&) = delete;
    BlockWriter& operator=(const BlockWriter&) = delete;

    // The next piece, in UTF-8 or in UTF-16 (never ending between the halves of a surrogate
    // pair); as a text sink, it always asks for more.
    bool operator()(std::string_view piece);
    bool operator()(std::u16string_view piece);

  private:
    static constexpr std::size_t kBlock = 1 << 16;
    // UTF-16 is encoded this many units at a time (and one more to keep a pair whole).
    static constexpr std::size_t kStep = kBlock / 4;
    void Flush();

    std::ostream& out_;
    char buffer_[kBlock];
    std::size_t used_ = 0;
};

}  // namespace kestrune::cli
