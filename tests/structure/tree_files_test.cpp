// Line formats of the three tree files.
#include "structure/tree_files.h"

#include <gtest/gtest.h>

#include "core/text.h"
#include "support/temp_dir.h"

namespace pelgo::structure {
namespace {

using testing::ReadBytes;
using testing::WriteBytes;

TEST(TreeFilesTest, TreeTextLevelsAndTheirLimit) {
    const std::vector<TreeTextLine> lines = ParseTreeText("A\r\n\tB\r\n \tC\r\nD\r\n\t\r\n");
    std::vector<std::pair<int, std::string_view>> got;
    for (const TreeTextLine& line : lines) {
        got.emplace_back(line.level, line.text);
    }
    const std::vector<std::pair<int, std::string_view>> expected = {{0, "A"}, {1, "B"}, {2, "C"}, {0, "D"}, {1, ""}};
    EXPECT_EQ(got, expected);

    struct Bad {
        std::string_view text;
        int line;
        const char* message;
    };
    const Bad bad[] = {
        {"A\r\n\tB\r\n\t\t\tC\r\n", 3, "line 3: Invalid level (3) for item \"C\""},
        {"\tA\r\n", 1, "line 1: Invalid level (1) for item \"A\""},
    };
    for (const Bad& b : bad) {
        try {
            ParseTreeText(b.text);
            ADD_FAILURE() << "accepted " << b.text;
        } catch (const TreeFormatError& error) {
            EXPECT_EQ(error.LineNumber(), b.line);
            EXPECT_STREQ(error.what(), b.message);
        }
    }

    std::string written;
    for (const TreeTextLine& line : ParseTreeText("A\r\n\tB\r\n \tC\r\n  D\r\n")) {
        AppendTreeTextLine(written, line.level, line.text);
    }
    EXPECT_EQ(written, "A\r\n\tB\r\n\t\tC\r\n\t\tD\r\n") << "blanks read as levels are written as TABs";
}

TEST(TreeFilesTest, ImageLines) {
    using Uno = ImageLine::Uno;
    struct Case {
        std::string line;
        bool comment;
        std::optional<int> icon;
        Uno unoState;
        std::string_view uno;
    };
    const Case cases[] = {
        {"3 ; KKU_isOAAAAA ;PC-01", false, 3, Uno::Valid, "KKU_isOAAAAA"},
        {"7 ;", false, 7, Uno::Missing, ""},
        {"2", false, 2, Uno::Missing, ""},
        {"x ; KKU_isOAAAAA ;PC-01", false, std::nullopt, Uno::Valid, "KKU_isOAAAAA"},
        {"3 ; KKU_isOAAAA ;eleven", false, 3, Uno::Invalid, "KKU_isOAAAA"},
        {"3 ;;no UNO between", false, 3, Uno::Invalid, ""},
        {"; 3 ; KKU_isOAAAAA ;", true, std::nullopt, Uno::Missing, ""},
        {"", false, std::nullopt, Uno::Missing, ""},
        {"3 ;" + std::string(250, ' ') + "KKU_isOAAAAA ;", false, 3, Uno::Missing, ""},
        {"3 ;" + std::string(240, ' ') + "KKU_isOAAAAA ;", false, 3, Uno::Valid, "KKU_isOAAAAA"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.line);
        const ImageLine parsed = ParseImageLine(c.line);
        EXPECT_EQ(parsed.comment, c.comment);
        EXPECT_EQ(parsed.icon, c.icon);
        EXPECT_EQ(parsed.unoState, c.unoState);
        EXPECT_EQ(parsed.uno, c.uno);
    }
    std::string written;
    AppendImageLine(written, 3, "KKU_isOAAAAA", "PC-01");
    EXPECT_EQ(written, "3 ; KKU_isOAAAAA ;PC-01\r\n");
    const ImageLine reread = ParseImageLine(core::SplitLines(written).front());
    EXPECT_EQ(reread.uno, "KKU_isOAAAAA");
}

TEST(TreeFilesTest, AddDataLines) {
    using Kind = AddDataLine::Kind;
    struct Case {
        std::string line;
        Kind kind;
        int index;
        std::string comment;
    };
    const Case cases[] = {
        {"5;Comment;bought in 2004; warranty 3 years", Kind::Comment, 5, "bought in 2004; warranty 3 years"},
        {" 7 ;Comment;", Kind::Comment, 7, ""},
        {"no delimiter", Kind::Skipped, 0, ""},
        {"x;Comment;text", Kind::BadIndex, 0, ""},
        {"5;Remark;text", Kind::Skipped, 0, ""},
        {"5;Comment;" + std::string(300, 'c'), Kind::Comment, 5, std::string(255, 'c')},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.line);
        const AddDataLine parsed = ParseAddDataLine(c.line);
        EXPECT_EQ(parsed.kind, c.kind);
        EXPECT_EQ(parsed.index, c.index);
        EXPECT_EQ(parsed.comment, c.comment);
    }
    std::string written;
    AppendAddDataLine(written, 12, "text");
    EXPECT_EQ(written, "12;Comment;text\r\n");
}

} // namespace
} // namespace pelgo::structure
