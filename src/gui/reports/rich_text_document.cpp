// Filling a QTextDocument from the rich-text model and reading it back, and printing the model to PDF.
#include "gui/reports/rich_text_document.h"

#include <QBuffer>
#include <QImage>
#include <QPageSize>
#include <QPainter>
#include <QPdfWriter>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>
#include <QTextList>
#include <QUrl>
#include <algorithm>
#include <cctype>
#include <charconv>
#include <cmath>

#include "core/file.h"
#include "gui/common/qt_text.h"

namespace pelgo::gui {

namespace {

constexpr double kTwipsPerPixel = 15.0; // 20 twips a point, 72 points or 96 pixels an inch
constexpr char32_t kLineBreak = 0x2028;
constexpr char32_t kObject = 0xFFFC;
constexpr int kPlaceholderSide = 32;

double Pixels(int twips) {
    return twips / kTwipsPerPixel;
}

int Twips(double pixels) {
    return static_cast<int>(std::lround(pixels * kTwipsPerPixel));
}

QTextCharFormat ToQt(const reports::CharFormat& format) {
    QTextCharFormat out;
    if (!format.font.empty()) {
        out.setFontFamilies(QStringList{FromCp1251(format.font)});
    }
    out.setFontPointSize(format.halfPoints / 2.0);
    out.setFontWeight(format.bold ? QFont::Bold : QFont::Normal);
    out.setFontItalic(format.italic);
    out.setFontUnderline(format.underline);
    if (format.color) {
        out.setForeground(QColor(format.color->red, format.color->green, format.color->blue));
    }
    return out;
}

reports::CharFormat FromQt(const QTextCharFormat& format) {
    reports::CharFormat out;
    if (const QStringList families = format.fontFamilies().toStringList(); !families.isEmpty()) {
        out.font = ToCp1251(families.front());
    }
    if (format.hasProperty(QTextFormat::FontPointSize)) {
        out.halfPoints = static_cast<int>(std::lround(format.fontPointSize() * 2));
    }
    // An editor's semi-bold still reads as bold: RTF knows only the one.
    out.bold = format.fontWeight() >= QFont::DemiBold;
    out.italic = format.fontItalic();
    out.underline = format.fontUnderline();
    if (format.hasProperty(QTextFormat::ForegroundBrush) && format.foreground().style() != Qt::NoBrush) {
        const QColor color = format.foreground().color();
        out.color = reports::Color{static_cast<std::uint8_t>(color.red()), static_cast<std::uint8_t>(color.green()),
                                   static_cast<std::uint8_t>(color.blue())};
    }
    return out;
}

Qt::Alignment ToQt(reports::Alignment alignment) {
    switch (alignment) {
    case reports::Alignment::Center:
        return Qt::AlignHCenter;
    case reports::Alignment::Right:
        return Qt::AlignRight;
    case reports::Alignment::Justify:
        return Qt::AlignJustify;
    case reports::Alignment::Left:
        break;
    }
    return Qt::AlignLeft;
}

reports::Alignment FromQt(Qt::Alignment alignment) {
    if (alignment & Qt::AlignHCenter) {
        return reports::Alignment::Center;
    }
    if (alignment & Qt::AlignRight) {
        return reports::Alignment::Right;
    }
    if (alignment & Qt::AlignJustify) {
        return reports::Alignment::Justify;
    }
    return reports::Alignment::Left;
}

QTextBlockFormat BlockFormat(const reports::Paragraph& paragraph) {
    QTextBlockFormat out;
    out.setAlignment(ToQt(paragraph.alignment));
    out.setTextIndent(Pixels(paragraph.firstIndent));
    out.setLeftMargin(Pixels(paragraph.leftIndent));
    out.setRightMargin(Pixels(paragraph.rightIndent));
    if (paragraph.pageBreakBefore) {
        out.setPageBreakPolicy(QTextFormat::PageBreak_AlwaysBefore);
    }
    return out;
}

// What a "{\pict ...}" group shows: its kind, its size in twips and its data, hex or \bin, at the group's own
// level (a nested {\*\blipuid ...} is not picture data).
struct PictureData {
    std::string kind;
    int widthGoal = 0;
    int heightGoal = 0;
    QByteArray bytes;
};

PictureData ParsePicture(std::string_view rtf) {
    PictureData out;
    int depth = 0;
    int high = -1;
    std::size_t i = 0;
    while (i < rtf.size()) {
        const char c = rtf[i];
        if (c == '{' || c == '}') {
            depth += c == '{' ? 1 : -1;
            ++i;
            if (depth == 0) {
                break;
            }
            continue;
        }
        if (c == '\\') {
            const std::size_t start = ++i;
            while (i < rtf.size() && std::isalpha(static_cast<unsigned char>(rtf[i]))) {
                ++i;
            }
            const std::string_view word = rtf.substr(start, i - start);
            if (word.empty()) {
                ++i;
                continue;
            }
            const std::size_t numberStart = i;
            if (i < rtf.size() && rtf[i] == '-') {
                ++i;
            }
            while (i < rtf.size() && std::isdigit(static_cast<unsigned char>(rtf[i]))) {
                ++i;
            }
            int parameter = 0; // stays 0 when out of range
            std::from_chars(rtf.data() + numberStart, rtf.data() + i, parameter);
            if (i < rtf.size() && rtf[i] == ' ') {
                ++i;
            }
            if (word == "bin") {
                const std::size_t count = std::min<std::size_t>(std::max(parameter, 0), rtf.size() - i);
                if (depth == 1) {
                    out.bytes.append(rtf.data() + i, static_cast<qsizetype>(count));
                }
                i += count;
            } else if (depth == 1 && word == "picwgoal") {
                out.widthGoal = parameter;
            } else if (depth == 1 && word == "pichgoal") {
                out.heightGoal = parameter;
            } else if (depth == 1 && (word.ends_with("blip") || word == "wmetafile" || word == "macpict" ||
                                      word.starts_with("dibitmap") || word.starts_with("wbitmap"))) {
                out.kind = word;
            }
            continue;
        }
        if (depth == 1 && std::isxdigit(static_cast<unsigned char>(c))) {
            const int digit = std::isdigit(static_cast<unsigned char>(c)) ? c - '0' : std::tolower(c) - 'a' + 10;
            if (high < 0) {
                high = digit;
            } else {
                out.bytes.append(static_cast<char>(high * 16 + digit));
                high = -1;
            }
        }
        ++i;
    }
    return out;
}

// A PNG or JPEG picture as itself; any other kind as a grey frame of its size, so the text keeps its place.
QImage PictureImage(const PictureData& picture) {
    QImage image;
    if (picture.kind == "pngblip" || picture.kind == "jpegblip") {
        image.loadFromData(picture.bytes, picture.kind == "pngblip" ? "PNG" : "JPEG");
    }
    if (image.isNull()) {
        const QSize size(picture.widthGoal > 0 ? static_cast<int>(Pixels(picture.widthGoal)) : kPlaceholderSide,
                         picture.heightGoal > 0 ? static_cast<int>(Pixels(picture.heightGoal)) : kPlaceholderSide);
        image = QImage(size.expandedTo(QSize(1, 1)), QImage::Format_RGB32);
        image.fill(Qt::lightGray);
        QPainter painter(&image);
        painter.setPen(Qt::darkGray);
        painter.drawRect(image.rect().adjusted(0, 0, -1, -1));
    }
    return image;
}

void InsertPicture(QTextDocument& document, QTextCursor& cursor, const reports::Picture& picture, int number) {
    const PictureData data = ParsePicture(picture.rtf);
    const QUrl name(QStringLiteral("pelgo-picture:%1").arg(number));
    document.addResource(QTextDocument::ImageResource, name, PictureImage(data));
    QTextImageFormat format;
    format.setName(name.toString());
    if (data.widthGoal > 0 && data.heightGoal > 0) {
        format.setWidth(Pixels(data.widthGoal));
        format.setHeight(Pixels(data.heightGoal));
    }
    format.setProperty(kPictureRtf, QByteArray(picture.rtf.data(), static_cast<qsizetype>(picture.rtf.size())));
    cursor.insertImage(format);
}

QString RunText(const reports::Run& run) {
    QString text = run.unicode.empty()
                       ? FromCp1251(run.text)
                       : QString::fromUcs4(run.unicode.data(), static_cast<qsizetype>(run.unicode.size()));
    // A '\n' would start a new block; inside a paragraph it is Qt's line separator.
    text.replace(QLatin1Char('\n'), QChar(QChar::LineSeparator));
    return text;
}

void ReadFragment(reports::Paragraph& paragraph, const QTextFragment& fragment) {
    const QTextCharFormat qtFormat = fragment.charFormat();
    const reports::CharFormat format = FromQt(qtFormat);
    for (const char32_t c : fragment.text().toUcs4()) {
        if (c == kObject) {
            if (qtFormat.hasProperty(kPictureRtf)) {
                paragraph.content.emplace_back(
                    reports::Picture{qtFormat.property(kPictureRtf).toByteArray().toStdString()});
            }
        } else {
            reports::AppendCharacter(paragraph, c == kLineBreak ? U'\n' : c, format);
        }
    }
}

} // namespace

void FillDocument(QTextDocument& document, const reports::RichText& text) {
    document.clear();
    QTextCursor cursor(&document);
    cursor.beginEditBlock();
    QTextList* list = nullptr;
    int pictures = 0;
    for (std::size_t p = 0; p < text.paragraphs.size(); ++p) {
        const reports::Paragraph& paragraph = text.paragraphs[p];
        if (p == 0) {
            cursor.setBlockFormat(BlockFormat(paragraph));
            cursor.setBlockCharFormat(ToQt(paragraph.mark));
        } else {
            cursor.insertBlock(BlockFormat(paragraph), ToQt(paragraph.mark));
        }
        if (!paragraph.bullet) {
            list = nullptr;
        } else if (list != nullptr) {
            list->add(cursor.block());
        } else {
            QTextListFormat format;
            format.setStyle(QTextListFormat::ListDisc);
            // The paragraph's own left indent places the text; the list adds none.
            format.setIndent(0);
            list = cursor.createList(format);
        }
        for (const reports::Inline& item : paragraph.content) {
            if (const auto* run = std::get_if<reports::Run>(&item)) {
                cursor.insertText(RunText(*run), ToQt(run->format));
            } else {
                InsertPicture(document, cursor, std::get<reports::Picture>(item), ++pictures);
            }
        }
    }
    cursor.endEditBlock();
}

reports::RichText DocumentToRichText(const QTextDocument& document) {
    reports::RichText out;
    for (QTextBlock block = document.begin(); block.isValid(); block = block.next()) {
        reports::Paragraph& paragraph = out.paragraphs.emplace_back();
        const QTextBlockFormat format = block.blockFormat();
        paragraph.alignment = FromQt(format.alignment());
        paragraph.bullet = block.textList() != nullptr;
        paragraph.firstIndent = Twips(format.textIndent());
        // An editor indents by levels (the block's and its list's); the model has only the margin.
        const int levels = format.indent() + (block.textList() != nullptr ? block.textList()->format().indent() : 0);
        paragraph.leftIndent = Twips(format.leftMargin() + levels * document.indentWidth());
        paragraph.rightIndent = Twips(format.rightMargin());
        paragraph.pageBreakBefore = (format.pageBreakPolicy() & QTextFormat::PageBreak_AlwaysBefore) != 0;
        paragraph.mark = FromQt(block.charFormat());
        for (QTextBlock::iterator it = block.begin(); !it.atEnd(); ++it) {
            ReadFragment(paragraph, it.fragment());
        }
    }
    return out;
}

void WritePdf(const reports::RichText& text, const std::string& path) {
    QTextDocument document;
    FillDocument(document, text);
    QByteArray pdf;
    {
        QBuffer buffer(&pdf);
        buffer.open(QIODevice::WriteOnly);
        QPdfWriter writer(&buffer);
        writer.setPageSize(QPageSize(QPageSize::A4));
        writer.setPageMargins(QMarginsF(20, 15, 15, 15), QPageLayout::Millimeter);
        document.print(&writer);
    }
    core::WriteFileAtomically(path, std::string_view(pdf.constData(), static_cast<std::size_t>(pdf.size())));
}

} // namespace pelgo::gui
