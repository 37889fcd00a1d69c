// The JSON strings kestrune-cli writes piece by piece are nlohmann::json's, byte for byte.
#include "cli/json_string.h"

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include <sstream>

namespace kestrune::cli {
namespace {

TEST(JsonString, EscapesAsNlohmannDoesWhereverThePiecesBreak) {
    std::string text;
    for (int c = 0; c < 128; ++c)
        text.push_back(static_cast<char>(c));
    text += "\u00a3 \u2191 \u03c0 \U0001fb82 \"quoted\" back\\slash\r\n";
    for (const std::size_t piece : {1u, 3u, 7u, 1000u}) {
        std::ostringstream out;
        JsonString json(out);
        for (std::size_t at = 0; at < text.size(); at += piece)
            json(std::string_view(text).substr(at, piece));
        json.Close();
        EXPECT_EQ(out.str(), nlohmann::json(text).dump()) << piece;
    }
}

}  // namespace
}  // namespace kestrune::cli
