// A text handed on through another thread arrives whole and in order, and a sink that asks to
// stop stops the writer.
#include "cli/piped_sink.h"

#include <gtest/gtest.h>

#include <string>

namespace kestrune::cli {
namespace {

TEST(PipedSink, HandsOnEveryPieceInOrder) {
    std::string made;
    std::string received;
    {
        PipedSink piped([&](std::string_view block) {
            received.append(block);
            return true;
        });
        // Pieces of every length up to a few blocks' worth, many blocks in all.
        for (std::size_t n = 0; made.size() < 5'000'000; ++n) {
            const std::string piece(n % 3001, static_cast<char>('a' + n % 26));
            made += piece;
            EXPECT_TRUE(piped(piece));
        }
        piped.Finish();
        EXPECT_EQ(received.size(), made.size());
        piped.Finish();
    }
    EXPECT_EQ(received, made);
}

TEST(PipedSink, ASinkThatStopsStopsTheWriter) {
    int blocks = 0;
    PipedSink piped([&](std::string_view) { return ++blocks < 2; });
    const std::string piece(100'000, 'x');
    int pieces = 0;
    while (piped(piece))
        ASSERT_LT(++pieces, 1000);
    piped.Finish();
    EXPECT_EQ(blocks, 2);
}

}  // namespace
}  // namespace kestrune::cli
