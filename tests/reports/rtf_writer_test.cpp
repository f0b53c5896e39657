// Writing RTF in RichEdit style, and reading our own output back to the same model.
#include "reports/rtf_writer.h"

#include <gtest/gtest.h>

#include "reports/rtf_fixtures.h"
#include "reports/rtf_reader.h"

namespace pelgo::reports {
namespace {

using testing::Add;
using testing::Format;

TEST(RtfWriterTest, WritesRichEditStyle) {
    RichText text;
    Paragraph& first = text.paragraphs.emplace_back();
    first.alignment = Alignment::Center;
    Add(first, "Итог {1}\\", Format("Arial", 28, "b"));
    Add(first, " λ€", Format("Arial", 28, "", Color{0, 128, 0}));
    first.mark = Format("Arial", 28);
    Paragraph& item = text.paragraphs.emplace_back();
    item.bullet = true;
    item.pageBreakBefore = true;
    item.firstIndent = -360;
    item.leftIndent = 720;
    item.rightIndent = 100;
    Add(item, "a\tb\nc", Format("Courier New", 20, "iu"));
    item.mark = Format("Courier New", 20, "iu");
    EXPECT_EQ(WriteRtf(text),
              "{\\rtf1\\ansi\\ansicpg1251\\deff0\\nouicompat\\deflang1049{\\fonttbl{\\f0\\fnil\\fcharset204 Arial;}"
              "{\\f1\\fnil\\fcharset204 Courier New;}{\\f2\\fnil\\fcharset2 Symbol;}}\r\n"
              "{\\colortbl ;\\red0\\green128\\blue0;}\r\n"
              "{\\*\\generator Pelgo;}\\viewkind4\\uc1 \r\n"
              "\\pard\\qc\\plain\\f0\\fs28\\b\\'c8\\'f2\\'ee\\'e3 \\{1\\}\\\\\\b0\\cf1  \\u955?\\'88\\cf0\\par\r\n"
              "\\page\r\n"
              "\\pard{\\pntext\\f2\\'B7\\tab}{\\*\\pn\\pnlvlblt\\pnf2\\pnindent0{\\pntxtb\\'B7}}\\fi-360\\li720\\ri100"
              "\\f1\\fs20\\i\\ul a\\tab b\\line c\\par\r\n"
              "}\r\n");
}

TEST(RtfWriterTest, OurOutputReadsBackToTheModel) {
    RichText mixed;
    Paragraph& symbols = mixed.paragraphs.emplace_back();
    Add(symbols, "Проверка ✓ λόγος €5 😊 ", Format("Arial", 24));
    Add(symbols, "{\\}", Format("Arial", 24, "bi", Color{1, 2, 3}));
    symbols.content.emplace_back(Picture{testing::kWordPicture});
    // A control character and 0x98, the one byte cp1251 leaves unassigned, still go through.
    AppendText(symbols, std::string("\x01\x98 z", 4), Format("Arial", 24, "u", Color{250, 0, 5}));
    symbols.mark = Format("Arial", 18);
    Paragraph& empty = mixed.paragraphs.emplace_back();
    empty.pageBreakBefore = true;
    empty.alignment = Alignment::Right;
    empty.mark = Format("", 40, "b");
    Paragraph& first = mixed.paragraphs.emplace_back();
    first.pageBreakBefore = true;
    first.bullet = true;
    first.leftIndent = 100;
    Add(first, "x", Format("Arial", 24));
    first.mark = Format("Arial", 24);
    Paragraph& flush = mixed.paragraphs.emplace_back();
    flush.bullet = true; // nothing written between the bullet's group and the text
    Add(flush, "y", Format("Arial", 24));
    flush.mark = Format("Arial", 24);

    const struct {
        const char* name;
        RichText text;
    } cases[] = {
        {"mixed", mixed},
        {"RichEdit", testing::RichEditModel()},
        {"LibreOffice", testing::LibreOfficeModel()},
        {"Word", testing::WordModel()},
        {"empty", RichText()},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const std::string rtf = WriteRtf(c.text);
        EXPECT_EQ(ReadRtf(rtf), c.text) << rtf;
    }
}

} // namespace
} // namespace pelgo::reports
