// Reading RTF as WordPad/RichEdit, LibreOffice and Word write it, and surviving damaged files.
#include "reports/rtf_reader.h"

#include <gtest/gtest.h>
#include <random>

#include "core/errors.h"
#include "reports/rtf_fixtures.h"

namespace pelgo::reports {
namespace {

struct Styled {
    const char* name;
    const char* rtf;
    RichText (*model)();
};

const Styled kStyles[] = {
    {"RichEdit", testing::kRichEdit, testing::RichEditModel},
    {"LibreOffice", testing::kLibreOffice, testing::LibreOfficeModel},
    {"Word", testing::kWord, testing::WordModel},
};

TEST(RtfReaderTest, EachWriterStyleReadsToItsModel) {
    for (const Styled& style : kStyles) {
        SCOPED_TRACE(style.name);
        const RichText read = ReadRtf(style.rtf);
        const RichText expected = style.model();
        ASSERT_EQ(read.paragraphs.size(), expected.paragraphs.size());
        for (std::size_t i = 0; i < read.paragraphs.size(); ++i) {
            SCOPED_TRACE(i);
            EXPECT_EQ(ParagraphUtf8(read.paragraphs[i]), ParagraphUtf8(expected.paragraphs[i]));
            EXPECT_EQ(read.paragraphs[i], expected.paragraphs[i]);
        }
    }
}

std::string TextOf(const RichText& text) {
    std::string out;
    for (const Paragraph& paragraph : text.paragraphs) {
        out += (out.empty() ? "" : "|") + ParagraphUtf8(paragraph);
    }
    return out;
}

TEST(RtfReaderTest, DamagedFilesGiveAnErrorOrWhatWasReadable) {
    struct Case {
        const char* name;
        std::string rtf;
        const char* text; // nullptr: core::Error expected
    };
    const Case cases[] = {
        {"empty", "", nullptr},
        {"plain text", "hello {\\rtf1}", nullptr},
        {"binary garbage", std::string("\0\xff\x7b\\rtf1", 8), nullptr},
        {"groups nested without end", "{\\rtf1 " + std::string(200000, '{'), nullptr},
        {"truncated", "{\\rtf1 abc\\par de", "abc|de"},
        {"group left open", "{\\rtf1 {\\b a\\par b", "a|b"},
        {"extra closing brace", "{\\rtf1 a\\par}} b\\par}", "a"},
        {"\\bin longer than the file", "{\\rtf1 a\\par{\\pict\\bin999999 xx", "a"},
        {"trailing back-slash", "{\\rtf1 a\\", "a"},
        {"bad hex", "{\\rtf1 a\\'zz\\'4", "azz4"},
        {"huge numbers", "{\\rtf1\\fs99999999999999999999 a\\uc999999999 \\u-99999999999 b\\par}", "a\x01"},
        {"low surrogate alone", "{\\rtf1 a\\u-8694?b\\par}", "ab"},
        {"unknown destination of any depth", "{\\rtf1 {\\*\\x {{{c}}}}a\\par}", "a"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        if (c.text == nullptr) {
            EXPECT_THROW(ReadRtf(c.rtf), core::Error);
        } else {
            EXPECT_EQ(TextOf(ReadRtf(c.rtf)), c.text);
        }
    }
}

TEST(RtfReaderTest, EveryTruncationAndRandomTailReadsWithoutFault) {
    for (const Styled& style : kStyles) {
        const std::string rtf = style.rtf;
        for (std::size_t length = 5; length <= rtf.size(); ++length) {
            EXPECT_NO_THROW(ReadRtf(rtf.substr(0, length))) << style.name << " cut at " << length;
        }
    }
    std::mt19937 random(18);
    for (int round = 0; round < 50; ++round) {
        std::string rtf = "{\\rtf1 ";
        for (int i = 0; i < 4000; ++i) {
            // Mostly the bytes that steer the reader, so that odd control words and groups come up often.
            static const char steering[] = "{}\\'*0123456789-abfilpqtu ";
            rtf += random() % 3 == 0 ? static_cast<char>(random() % 256) : steering[random() % (sizeof steering - 1)];
        }
        EXPECT_NO_THROW(ReadRtf(rtf)) << "round " << round;
    }
}

TEST(RtfReaderTest, ATableRowIsOneParagraphOfTabbedCells) {
    // As LibreOffice writes a table: cells end with \cell, rows with \row, and no \par between them.
    const std::string rtf = "{\\rtf1 Head\\par\n\\trowd\\cellx1000\\cellx2000\\pard\\intbl{a}\\cell\\pard\\intbl "
                            "b\\cell\\row\\trowd\\cellx1000\\pard\\intbl c\\cell\\row\\pard Foot\\par}";
    EXPECT_EQ(TextOf(ReadRtf(rtf)), "Head|a\tb|c|Foot");
}

TEST(RtfReaderTest, AMissingFileIsAnOpenError) {
    EXPECT_THROW(ReadRtfFile("/nonexistent/report.rtf"), core::CannotOpenFile);
}

} // namespace
} // namespace pelgo::reports
