// The rich-text model through QTextDocument and back, what Qt sees of it, and the PDF writer.
#include "gui/reports/rich_text_document.h"

#include <QBuffer>
#include <QGuiApplication>
#include <QImage>
#include <QTemporaryDir>
#include <QTextBlock>
#include <QTextDocument>
#include <QTextList>
#include <gtest/gtest.h>

#include "core/errors.h"
#include "core/file.h"
#include "reports/rtf_fixtures.h"
#include "reports/rtf_reader.h"

namespace pelgo::gui {
namespace {

using reports::Alignment;
using reports::Color;
using reports::Paragraph;
using reports::Picture;
using reports::RichText;
using reports::testing::Add;
using reports::testing::Format;

// A 3x2 PNG, red in the top-left pixel, as the hex of a {\pict\pngblip} group.
std::string PngPicture() {
    QImage image(3, 2, QImage::Format_RGB32);
    image.fill(Qt::blue);
    image.setPixel(0, 0, qRgb(255, 0, 0));
    QByteArray png;
    QBuffer buffer(&png);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, "PNG");
    return "{\\pict{\\*\\blipuid 0123456789abcdef}\\pngblip\\picw3\\pich2\\picwgoal45\\pichgoal30\r\n" +
           png.toHex().toStdString() + "}";
}

Paragraph& Para(RichText& text, const reports::CharFormat& mark = Format("Arial", 24)) {
    Paragraph& paragraph = text.paragraphs.emplace_back();
    paragraph.mark = mark;
    return paragraph;
}

struct Case {
    const char* name;
    RichText text;
};

std::vector<Case> Cases() {
    std::vector<Case> cases;
    {
        RichText text;
        for (Alignment alignment : {Alignment::Left, Alignment::Center, Alignment::Right, Alignment::Justify}) {
            Paragraph& paragraph = Para(text);
            paragraph.alignment = alignment;
            Add(paragraph, "x", Format("Arial", 24));
        }
        cases.push_back({"alignments", text});
    }
    {
        // Two lists apart: the plain paragraph between them must not become an item.
        RichText text;
        for (bool bullet : {true, true, false, true}) {
            Paragraph& paragraph = Para(text);
            paragraph.bullet = bullet;
            paragraph.firstIndent = bullet ? -360 : 0;
            paragraph.leftIndent = bullet ? 720 : 0;
            Add(paragraph, bullet ? "пункт" : "текст", Format("Arial", 24));
        }
        cases.push_back({"bullet lists", text});
    }
    {
        RichText text;
        Paragraph& indented = Para(text);
        indented.firstIndent = 284;
        indented.leftIndent = 1441;
        indented.rightIndent = 7;
        Add(indented, "a", Format("Arial", 24));
        Paragraph& hanging = Para(text);
        hanging.firstIndent = -567;
        hanging.leftIndent = 567;
        Add(hanging, "b", Format("Arial", 24));
        cases.push_back({"indents", text});
    }
    {
        RichText text;
        Add(Para(text), "one", Format("Arial", 24));
        Paragraph& next = Para(text);
        next.pageBreakBefore = true;
        Add(next, "two", Format("Arial", 24));
        cases.push_back({"page break", text});
    }
    {
        // Black given and the automatic colour are different things.
        RichText text;
        Paragraph& paragraph = Para(text, Format("", 21));
        Add(paragraph, "b", Format("Courier New", 21, "b"));
        Add(paragraph, "i", Format("Courier New", 21, "i"));
        Add(paragraph, "u", Format("Courier New", 21, "u"));
        Add(paragraph, "k", Format("Courier New", 21, "", Color{0, 0, 0}));
        Add(paragraph, "a", Format("Courier New", 21));
        Add(paragraph, "c", Format("Times New Roman", 48, "biu", Color{12, 200, 255}));
        Add(paragraph, "n", Format("", 16));
        cases.push_back({"character formats", text});
    }
    {
        RichText text;
        Add(Para(text), "Ёлки\tпалки\nвторая строка «№»", Format("Arial", 24));
        cases.push_back({"Cyrillic, tab and line break", text});
    }
    {
        RichText text;
        Add(Para(text), "α λ ✓ 😊 €", Format("Arial", 24, "b"));
        cases.push_back({"characters cp1251 lacks", text});
    }
    {
        RichText text;
        Add(Para(text), "x", Format("Arial", 24));
        Para(text, Format("Verdana", 40, "b"));
        Para(text, Format("", 18));
        cases.push_back({"empty paragraphs with a size", text});
    }
    {
        RichText text;
        Paragraph& paragraph = Para(text);
        Add(paragraph, "A", Format("Arial", 24));
        paragraph.content.emplace_back(Picture{PngPicture()});
        paragraph.content.emplace_back(Picture{PngPicture()});
        Add(paragraph, "B", Format("Arial", 24));
        paragraph.content.emplace_back(Picture{"{\\pict\\wmetafile8\\picw20\\pich20 0102ff}"});
        paragraph.content.emplace_back(Picture{reports::testing::kWordPicture});
        cases.push_back({"pictures", text});
    }
    cases.push_back({"RichEdit fixture", reports::testing::RichEditModel()});
    cases.push_back({"LibreOffice fixture", reports::testing::LibreOfficeModel()});
    cases.push_back({"Word fixture", reports::testing::WordModel()});
    return cases;
}

TEST(RichTextDocumentTest, ModelThroughDocumentGivesTheSameModel) {
    for (const Case& c : Cases()) {
        SCOPED_TRACE(c.name);
        QTextDocument document;
        FillDocument(document, c.text);
        EXPECT_EQ(DocumentToRichText(document), c.text);
    }
}

TEST(RichTextDocumentTest, FillingReplacesWhatWasThere) {
    QTextDocument document;
    document.setPlainText("old\nlines");
    RichText text;
    Add(Para(text), "new", Format("Arial", 24));
    FillDocument(document, text);
    EXPECT_EQ(DocumentToRichText(document), text);
}

// A fault mirrored in both directions would pass the round trip; this looks at what Qt lays out and prints.
TEST(RichTextDocumentTest, DocumentCarriesTheFormatsInQtTerms) {
    RichText text;
    Paragraph& item = Para(text, Format("Arial", 30));
    item.bullet = true;
    item.alignment = Alignment::Center;
    item.firstIndent = -360;
    item.leftIndent = 720;
    item.rightIndent = 1440;
    item.pageBreakBefore = true;
    Add(item, "Итог", Format("Arial", 21, "bu", Color{255, 0, 0}));
    Add(item, "λ", Format("Arial", 21));
    item.content.emplace_back(Picture{PngPicture()});
    Para(text, Format("Arial", 40));

    QTextDocument document;
    FillDocument(document, text);
    ASSERT_EQ(document.blockCount(), 2);
    const QTextBlock block = document.firstBlock();
    ASSERT_NE(block.textList(), nullptr);
    EXPECT_EQ(block.textList()->format().style(), QTextListFormat::ListDisc);
    EXPECT_EQ(block.next().textList(), nullptr);
    const QTextBlockFormat paragraph = block.blockFormat();
    EXPECT_EQ(paragraph.alignment() & Qt::AlignHorizontal_Mask, Qt::AlignHCenter);
    EXPECT_DOUBLE_EQ(paragraph.textIndent(), -24.0); // 360 twips = 18 pt = 24 px at 96 dpi
    EXPECT_DOUBLE_EQ(paragraph.leftMargin(), 48.0);
    EXPECT_DOUBLE_EQ(paragraph.rightMargin(), 96.0);
    EXPECT_EQ(paragraph.pageBreakPolicy(), QTextFormat::PageBreak_AlwaysBefore);
    EXPECT_EQ(block.text(), QString::fromUtf8("Итогλ\uFFFC"));

    const QTextCharFormat first = block.begin().fragment().charFormat();
    EXPECT_EQ(first.font().family(), "Arial");
    EXPECT_DOUBLE_EQ(first.fontPointSize(), 10.5);
    EXPECT_EQ(first.fontWeight(), QFont::Bold);
    EXPECT_TRUE(first.fontUnderline());
    EXPECT_FALSE(first.fontItalic());
    EXPECT_EQ(first.foreground().color(), QColor(255, 0, 0));
    EXPECT_TRUE(block.next().text().isEmpty());
    EXPECT_DOUBLE_EQ(block.next().charFormat().fontPointSize(), 20.0);
    EXPECT_FALSE(document.toPlainText().contains('?'));

    // The png is decoded into the document at its goal size (45 x 30 twips).
    QTextBlock::iterator it = block.begin();
    while (!it.atEnd() && !it.fragment().charFormat().isImageFormat()) {
        ++it;
    }
    ASSERT_FALSE(it.atEnd());
    const QTextImageFormat image = it.fragment().charFormat().toImageFormat();
    EXPECT_DOUBLE_EQ(image.width(), 3.0);
    EXPECT_DOUBLE_EQ(image.height(), 2.0);
    const QImage decoded = document.resource(QTextDocument::ImageResource, QUrl(image.name())).value<QImage>();
    ASSERT_EQ(decoded.size(), QSize(3, 2));
    EXPECT_EQ(decoded.pixel(0, 0), qRgb(255, 0, 0));
    EXPECT_EQ(decoded.pixel(2, 1), qRgb(0, 0, 255));
}

// What an editor leaves: Qt's own lists and indent levels, weights and colours.
TEST(RichTextDocumentTest, ReadsDocumentsQtBuilt) {
    QTextDocument document;
    document.setIndentWidth(30);
    document.setHtml(QString::fromUtf8("<p align=center style='font-family:Arial; font-size:10pt'><b>Жир</b>"
                                       "<span style='color:#00ff00'>&#955;</span></p>"
                                       "<ul><li style='font-size:12pt'>пункт</li></ul>"
                                       "<p style='-qt-block-indent:2; margin-left:6px; font-size:12pt'>x</p>"));
    const RichText text = DocumentToRichText(document);
    ASSERT_EQ(text.paragraphs.size(), 3u);
    EXPECT_EQ(text.paragraphs[0].alignment, Alignment::Center);
    RichText title;
    Add(title.paragraphs.emplace_back(), "Жир", Format("Arial", 20, "b"));
    Add(title.paragraphs.back(), "λ", Format("Arial", 20, "", Color{0, 255, 0}));
    EXPECT_EQ(text.paragraphs[0].content, title.paragraphs[0].content);
    EXPECT_TRUE(text.paragraphs[1].bullet);
    EXPECT_EQ(text.paragraphs[1].leftIndent, 450); // one level of 30 px
    EXPECT_FALSE(text.paragraphs[2].bullet);
    EXPECT_EQ(text.paragraphs[2].leftIndent, 990); // two levels and 6 px
}

TEST(RichTextDocumentTest, PlainTextIsTheTextOfTheParagraphs) {
    const RichText text = reports::ReadRtf(reports::testing::kRichEdit);
    std::string expected;
    for (std::size_t i = 0; i < text.paragraphs.size(); ++i) {
        expected += (i == 0 ? "" : "\n") + reports::ParagraphUtf8(text.paragraphs[i]);
    }
    QTextDocument document;
    FillDocument(document, text);
    EXPECT_EQ(document.toPlainText().toStdString(), expected);
    EXPECT_TRUE(document.toPlainText().contains(QString::fromUtf8("красный x\ty")));
}

TEST(RichTextDocumentTest, WritesPdf) {
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const std::string path = dir.filePath("report.pdf").toStdString();
    RichText text = reports::testing::RichEditModel();
    text.paragraphs.back().content.emplace_back(Picture{PngPicture()});
    text.paragraphs.back().pageBreakBefore = true;
    WritePdf(text, path);
    const std::string pdf = core::ReadFileBytes(path);
    EXPECT_EQ(pdf.substr(0, 4), "%PDF");
    EXPECT_NE(pdf.find("%%EOF"), std::string::npos);
    // The page break gives a second page.
    EXPECT_NE(pdf.find("/Count 2"), std::string::npos);
}

TEST(RichTextDocumentTest, UnwritablePdfPathThrows) {
    // A path under a regular file fails for root as well.
    EXPECT_THROW(WritePdf(reports::testing::WordModel(), "/etc/passwd/x.pdf"), core::Error);
}

} // namespace
} // namespace pelgo::gui

int main(int argc, char** argv) {
    QGuiApplication application(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
