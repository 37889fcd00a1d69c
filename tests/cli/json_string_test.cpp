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
    // Long enough to fill the writer's buffer again and again, escapes at every offset.
    std::string longText;
    while (longText.size() < 300000)
        longText += text.substr(0, longText.size() % 97 + 1) + text;
    for (const std::string& whole : {text, longText}) {
        for (const std::size_t piece : {1u, 3u, 7u, 1000u, 70000u}) {
            std::ostringstream out;
            JsonString json(out);
            for (std::size_t at = 0; at < whole.size(); at += piece)
                json(std::string_view(whole).substr(at, piece));
            json.Close();
            EXPECT_EQ(out.str(), nlohmann::json(whole).dump()) << whole.size() << " " << piece;
        }
    }
}

}  // namespace
}  // namespace kestrune::cli
