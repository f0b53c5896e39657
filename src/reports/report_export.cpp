// The report's text as lines for a text file and for the spreadsheet import.
#include "reports/report_export.h"

#include "core/text.h"

namespace pelgo::reports {

namespace {

constexpr const char* kLineEnd = "\r\n";

// The paragraph's cp1251 text without pictures; characters cp1251 lacks as "?".
std::string ParagraphText(const Paragraph& paragraph) {
    std::string text;
    for (const Inline& item : paragraph.content) {
        if (const auto* run = std::get_if<Run>(&item)) {
            text += run->text;
            text.append(run->unicode.size(), '?');
        }
    }
    return text;
}

} // namespace

std::string PlainText(const RichText& text) {
    std::string out;
    for (const Paragraph& paragraph : text.paragraphs) {
        if (paragraph.pageBreakBefore) {
            out += std::string("\f") + kLineEnd;
        }
        out += core::ReplaceAll(ParagraphText(paragraph), "\n", kLineEnd) + kLineEnd;
    }
    return out;
}

char SeparatorCharacter(ImportSeparator separator) {
    constexpr char kCharacters[] = {' ', ',', ';', '\\', '\t'};
    return kCharacters[static_cast<int>(separator)];
}

std::string SpreadsheetExport(const RichText& text, ImportSeparator separator) {
    std::string out;
    std::string heading;
    std::string label;
    std::string items;
    const auto writeItems = [&] {
        out += "1\t" + heading + "\t" + label + "\t" + items + kLineEnd;
        items.clear();
    };
    for (const Paragraph& paragraph : text.paragraphs) {
        // A line break inside a paragraph would cut the spreadsheet's row.
        const std::string line = core::ReplaceAll(ParagraphText(paragraph), "\n", " ");
        if (line.empty()) {
            continue;
        }
        if (paragraph.bullet) {
            items += SeparatorCharacter(separator) + line;
            continue;
        }
        if (!items.empty()) {
            writeItems();
        }
        (paragraph.alignment == Alignment::Center ? heading : label) = line;
        out += "0\t" + heading + "\t" + label + kLineEnd;
    }
    if (!items.empty()) {
        writeItems();
    }
    return out;
}

} // namespace pelgo::reports
