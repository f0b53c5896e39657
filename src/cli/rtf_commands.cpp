// pelgo-cli rtf: the text and the paragraph formats of an RTF document as the reader sees them.
#include <cstdio>
#include <string>

#include "cli/commands.h"
#include "cli/rich_text_lines.h"
#include "core/errors.h"
#include "core/file.h"
#include "reports/rtf_reader.h"
#include "reports/rtf_writer.h"

namespace pelgo::cli {

const char* const kRtfUsage =
    "  rtf text FILE   print one line per paragraph and line break (UTF-8), a form feed line for a page break\n"
    "  rtf dump FILE   print ALIGN BULLET INDENT RIGHT SIZE STYLE TEXT per paragraph, TAB-separated: L/C/R/J,\n"
    "                  * or -, first-line indent and right indent in points, the first character's size in\n"
    "                  points and its letters b/i/u or -; a line break shows as \xE2\x86\xB5\n"
    "  rtf copy FILE TARGET   read FILE and write what was read to TARGET as Pelgo writes RTF\n";

namespace {

reports::RichText ReadDocument(const Args& args, std::size_t count = 1) {
    args.ExpectCount(count, count);
    const std::string path = args.Cp1251At(0);
    if (!core::FileExists(path)) {
        throw core::Error("No such file: " + path);
    }
    return reports::ReadRtfFile(path);
}

void Print(const std::string& utf8) {
    std::fwrite(utf8.data(), 1, utf8.size(), stdout);
    std::fputc('\n', stdout);
}

// Twips or half-points as points without trailing zeros: 9, 10.5, 0.75.
std::string Points(int value, int perPoint) {
    char text[32];
    std::snprintf(text, sizeof text, "%.2f", static_cast<double>(value) / perPoint);
    std::string out = text;
    out.erase(out.find_last_not_of('0') + 1);
    if (out.back() == '.') {
        out.pop_back();
    }
    return out;
}

int Text(const Args& args) {
    PrintRichTextLines(ReadDocument(args));
    return 0;
}

int Dump(const Args& args) {
    for (const reports::Paragraph& paragraph : ReadDocument(args).paragraphs) {
        if (paragraph.pageBreakBefore) {
            Print("\f");
        }
        const reports::CharFormat& format = reports::LeadingFormat(paragraph);
        std::string style =
            std::string(format.bold ? "b" : "") + (format.italic ? "i" : "") + (format.underline ? "u" : "");
        std::string text = reports::ParagraphUtf8(paragraph);
        for (std::size_t at = text.find('\n'); at != std::string::npos; at = text.find('\n', at)) {
            text.replace(at, 1, "\xE2\x86\xB5");
        }
        Print(std::string(1, "LCRJ"[static_cast<int>(paragraph.alignment)]) + "\t" + (paragraph.bullet ? "*" : "-") +
              "\t" + Points(paragraph.leftIndent + paragraph.firstIndent, 20) + "\t" +
              Points(paragraph.rightIndent, 20) + "\t" + Points(format.halfPoints, 2) + "\t" +
              (style.empty() ? "-" : style) + "\t" + text);
    }
    return 0;
}

} // namespace

void PrintRichTextLines(const reports::RichText& text) {
    for (const reports::Paragraph& paragraph : text.paragraphs) {
        if (paragraph.pageBreakBefore) {
            Print("\f");
        }
        Print(reports::ParagraphUtf8(paragraph));
    }
}

int RunRtf(const Context& /*context*/, const std::vector<std::string>& raw) {
    if (raw.empty()) {
        throw UsageError("missing rtf command");
    }
    const std::string& command = raw.front();
    const Args args(std::vector<std::string>(raw.begin() + 1, raw.end()), {});
    if (command == "text") {
        return Text(args);
    }
    if (command == "dump") {
        return Dump(args);
    }
    if (command == "copy") {
        reports::WriteRtfFile(args.Cp1251At(1), ReadDocument(args, 2));
        return 0;
    }
    throw UsageError("unknown rtf command \"" + command + "\"");
}

} // namespace pelgo::cli
