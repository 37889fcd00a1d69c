// The format table as a contract every row keeps: its extensions are known in any letter case
// and named in the message that lists what is read, its MIME types are among its extensions, a
// file named as one that is not one is refused with the row's reason (or taken as a file), and
// the patterns match as a file dialog's do.
#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <string>

#include "image/format_table.h"
#include "image/recognition.h"
#include "text/unicode.h"

namespace kestrune {
namespace {

// "p[0-9][0-9]" as a file is named: "p00".
std::string Example(std::string_view pattern) {
    std::string name(pattern.substr(0, pattern.find('[')));
    if (name.size() < pattern.size()) name += "00";
    return name;
}

TEST(FormatTable, EveryRowKeepsTheContract) {
    const std::u16string listed(kReadFormats);
    for (const ImageFormat& format : ImageFormats()) {
        ASSERT_NE(format.probe, nullptr) << format.key;
        ASSERT_NE(format.open, nullptr) << format.key;
        for (const Extension& extension : format.extensions) {
            const std::string name = Example(extension.pattern);
            EXPECT_TRUE(IsKnownExtension("." + name)) << name;
            std::string upper = name;
            std::transform(upper.begin(), upper.end(), upper.begin(),
                           [](unsigned char c) { return static_cast<char>(std::toupper(c)); });
            EXPECT_TRUE(IsKnownExtension("." + upper)) << name;
            EXPECT_NE(listed.find(Utf8ToUtf16(upper)), std::u16string::npos) << name;
            EXPECT_NE(std::find(OpenPatterns().begin(), OpenPatterns().end(), extension.pattern),
                      OpenPatterns().end());
            // Named as one, holding nothing that is one: refused with the row's reason, or
            // taken as a Commodore file on its own.
            const Opened opened = OpenContents("file." + name, std::vector<std::uint8_t>(5000),
                                               [](const Message&) { return false; });
            if (extension.what.empty()) continue;
            ASSERT_TRUE(opened.message) << name;
            EXPECT_NE(opened.message->text.find(std::u16string(format.refusal)),
                      std::u16string::npos)
                << name;
            EXPECT_NE(opened.message->text.find(std::u16string(extension.what)),
                      std::u16string::npos)
                << name;
        }
        for (const MimeType& type : format.mimeTypes) {
            EXPECT_TRUE(std::any_of(
                format.extensions.begin(), format.extensions.end(),
                [&](const Extension& extension) { return extension.pattern == type.pattern; }))
                << type.type;
        }
    }
}

TEST(FormatTable, PatternsMatchAsAFileDialogsDo) {
    struct Case {
        std::string_view extension;
        std::string_view pattern;
        bool matches;
    };
    for (const Case& c :
         {Case{".d64", "d64", true}, Case{".d6", "d64", false}, Case{".d644", "d64", false},
          Case{"d64", "d64", false}, Case{".p00", "p[0-9][0-9]", true},
          Case{".p7x", "p[0-9][0-9]", false}, Case{".p123", "p[0-9][0-9]", false},
          Case{".gz", "gz", true}, Case{"", "gz", false}}) {
        EXPECT_EQ(MatchesPattern(c.extension, c.pattern), c.matches)
            << c.extension << " " << c.pattern;
    }
}

}  // namespace
}  // namespace kestrune
