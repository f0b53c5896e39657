// Reading and writing a template's start line, its regions, the example template and the template load.
#include "reports/report_template.h"

#include <charconv>

#include "core/cp1251.h"
#include "core/file.h"
#include "core/text.h"
#include "core/translator.h"
#include "reports/rtf_reader.h"

namespace pelgo::reports {

namespace {

constexpr const char* kKeepText = " Do not Delete this string ! ";
constexpr char kScopeLetters[] = "ABCD";
constexpr std::size_t kScopeCount = 4;

// The paragraph's cp1251 text; a character cp1251 lacks and a picture stand as one unprintable character each.
std::string ParagraphCp1251(const Paragraph& paragraph) {
    std::string text;
    for (const Inline& item : paragraph.content) {
        if (const auto* run = std::get_if<Run>(&item)) {
            text += run->text;
            text.append(run->unicode.size(), '\x01');
        } else {
            text += '\x01';
        }
    }
    return text;
}

std::string PaddedKeepText(std::size_t width) {
    std::string text = kKeepText;
    if (text.size() < width) {
        text.append(width - text.size(), '-');
    }
    return text;
}

Paragraph TextParagraph(std::string_view text, const CharFormat& format, Alignment alignment) {
    Paragraph paragraph;
    paragraph.alignment = alignment;
    paragraph.mark = format;
    AppendText(paragraph, text, format);
    return paragraph;
}

// The paragraph's text replaced by `text` in the format of its first character; its paragraph format stays.
void ReplaceParagraphText(Paragraph& paragraph, std::string_view text) {
    const CharFormat format = LeadingFormat(paragraph);
    paragraph.content.clear();
    AppendText(paragraph, text, format);
}

// A code as a whole integer, blanks before it and a sign allowed, as hand-edited start lines may have them.
std::optional<int> IntegerCode(std::string_view code) {
    code = core::TrimLeft(code);
    if (code.starts_with('+')) {
        code.remove_prefix(1);
    }
    int value = 0;
    const auto [end, error] = std::from_chars(code.data(), code.data() + code.size(), value);
    if (error != std::errc() || end != code.data() + code.size()) {
        return std::nullopt;
    }
    return value;
}

RichText ReadTemplateDocument(const std::string& path) {
    const std::string bytes = core::ReadFileBytes(path);
    if (bytes.starts_with("{\\rtf")) {
        return ReadRtfFile(path);
    }
    RichText text;
    std::size_t start = 0;
    while (start < bytes.size()) {
        std::size_t end = bytes.find_first_of("\r\n", start);
        end = end == std::string::npos ? bytes.size() : end;
        AppendText(text.paragraphs.emplace_back(), std::string_view(bytes).substr(start, end - start), CharFormat());
        start = end + (bytes.compare(end, 2, "\r\n") == 0 ? 2 : 1);
    }
    return text;
}

} // namespace

std::vector<std::string> IncludedTypeNames(const structure::NodeTypes& types) {
    std::vector<std::string> names;
    for (const structure::NodeType& type : types.All()) {
        names.push_back(type.caption);
    }
    return names;
}

std::vector<bool> DefaultIncludedTypes(std::size_t typeCount) {
    std::vector<bool> included(typeCount, true);
    for (const std::size_t excluded : {0, 1, 3, 12}) { // department, employee, adapter address, note
        if (excluded < typeCount) {
            included[excluded] = false;
        }
    }
    return included;
}

std::optional<std::size_t> IncludedPosition(int icon, std::size_t typeCount) {
    if (icon <= 0 || static_cast<std::size_t>(icon) > typeCount) {
        return std::nullopt;
    }
    // Other and note come last among the built-in types, after the copier and the UPS.
    int position = icon - 1;
    if (icon == 10 || icon == 11) {
        position = icon + 1;
    } else if (icon == 12 || icon == 13) {
        position = icon - 3;
    }
    return static_cast<std::size_t>(position);
}

bool CheckIcon(const ReportTemplate& report, int icon) {
    const std::optional<std::size_t> position = IncludedPosition(icon, report.included.size());
    return position && *position < report.included.size() && report.included[*position];
}

std::optional<std::size_t> FindMarker(const RichText& text, std::string_view marker, std::size_t from) {
    const std::string wanted = core::UpperLatin(marker);
    for (std::size_t i = from; i < text.paragraphs.size(); ++i) {
        if (core::UpperLatin(ParagraphCp1251(text.paragraphs[i])).find(wanted) != std::string::npos) {
            return i;
        }
    }
    return std::nullopt;
}

TemplateRegions FindRegions(const RichText& text) {
    TemplateRegions regions;
    const std::size_t count = text.paragraphs.size();
    regions.startLine = FindMarker(text, kDetailStart);
    regions.endLine = FindMarker(text, kDetailEnd, regions.startLine ? *regions.startLine + 1 : 0);
    regions.headerEnd = regions.startLine.value_or(0);
    regions.detailBegin = regions.startLine ? *regions.startLine + 1 : 0;
    regions.detailEnd = regions.endLine.value_or(count);
    if (regions.endLine) {
        regions.footerBegin = *regions.endLine + 1;
    }
    return regions;
}

void ParseStartLine(std::string_view codes, ReportTemplate& report) {
    std::fill(report.included.begin(), report.included.end(), false);
    std::string rest = core::UpperLatin(core::Trim(codes));
    for (;;) {
        const std::size_t open = rest.find('<');
        const std::size_t close = rest.find('>');
        if (open == std::string::npos || close == std::string::npos || close < open) {
            return;
        }
        const std::string code = rest.substr(open + 1, close - open - 1);
        rest.erase(0, close + 1);
        if (code.empty()) {
            continue;
        }
        const auto first = static_cast<unsigned char>(code[0]);
        if (first <= '9') {
            const std::optional<int> position = IntegerCode(code);
            if (position && *position >= 0 && static_cast<std::size_t>(*position) < report.included.size()) {
                report.included[static_cast<std::size_t>(*position)] = true;
            }
        } else if (first >= 'A' && first - 'A' < static_cast<int>(kScopeCount)) {
            report.scope = static_cast<ReportScope>(first - 'A');
        }
    }
}

std::string StartLineText(const ReportTemplate& report, std::size_t width) {
    std::string line = kDetailStart;
    line += '<';
    line += kScopeLetters[static_cast<int>(report.scope)];
    line += '>';
    for (std::size_t i = 0; i < report.included.size(); ++i) {
        if (report.included[i]) {
            line += "<" + std::to_string(i) + ">";
        }
    }
    return line + PaddedKeepText(width);
}

ReportTemplate TemplateFromText(RichText text, std::size_t typeCount) {
    ReportTemplate report;
    report.included = DefaultIncludedTypes(typeCount);
    if (const std::optional<std::size_t> start = FindMarker(text, kDetailStart)) {
        const std::string line = ParagraphCp1251(text.paragraphs[*start]);
        const std::size_t at = core::UpperLatin(line).find(kDetailStart);
        ParseStartLine(std::string_view(line).substr(at + std::string_view(kDetailStart).size()), report);
    }
    report.text = std::move(text);
    return report;
}

ReportTemplate TemplateFromFile(const std::string& path, std::size_t typeCount) {
    return TemplateFromText(ReadTemplateDocument(path), typeCount);
}

ReportTemplate ExampleTemplate(std::size_t typeCount) {
    constexpr Color kRed{255, 0, 0};
    constexpr Color kBlack{0, 0, 0};
    CharFormat red;
    red.color = kRed;
    CharFormat black;
    black.color = kBlack;
    const std::string keep = PaddedKeepText(80);
    RichText text;
    std::vector<Paragraph>& lines = text.paragraphs;
    lines.push_back(TextParagraph("Place here text of HEADER", CharFormat(), Alignment::Center));
    lines.push_back(TextParagraph("", CharFormat(), Alignment::Center));
    lines.push_back(TextParagraph(std::string(kDetailStart) + "<D><2>" + keep, red, Alignment::Left));
    for (const char* text : {"", "Place here text of DETAIL", ""}) {
        lines.push_back(TextParagraph(text, black, Alignment::Left));
    }
    lines.push_back(TextParagraph(kDetailEnd + keep, red, Alignment::Left));
    for (const char* text : {"", "Place here text of FOOTER"}) {
        lines.push_back(TextParagraph(text, black, Alignment::Right));
    }
    return TemplateFromText(std::move(text), typeCount);
}

RichText TemplateForSave(const ReportTemplate& report) {
    RichText text = report.text;
    const std::string start = StartLineText(report);
    if (const std::optional<std::size_t> line = FindMarker(text, kDetailStart)) {
        ReplaceParagraphText(text.paragraphs[*line], start);
    } else {
        const CharFormat format = text.paragraphs.empty() ? CharFormat() : LeadingFormat(text.paragraphs.front());
        text.paragraphs.insert(text.paragraphs.begin(), TextParagraph(start, format, Alignment::Left));
    }
    if (!FindRegions(text).endLine) {
        const CharFormat format = text.paragraphs.empty() ? CharFormat() : LeadingFormat(text.paragraphs.back());
        text.paragraphs.push_back(TextParagraph(kDetailEnd, format, Alignment::Left));
    }
    return text;
}

LoadedTemplate LoadReportsFromFile(const std::string& path, std::size_t typeCount, platform::UserDialog& dialog) {
    if (core::FileExists(path)) {
        return {TemplateFromFile(path, typeCount), path};
    }
    const std::string question =
        core::Text(1044, "Файл не найден ") + path + "\n" + core::Text(4502, "Создать пример шаблона отчета ?");
    if (dialog.Ask(platform::MessageKind::Confirmation, question, platform::Buttons::YesNo) == platform::Answer::Yes) {
        return {ExampleTemplate(typeCount), kNewTemplateName};
    }
    return {TemplateFromText(RichText(), typeCount), kNewTemplateName};
}

std::string TemplateSavePath(std::string_view chosen) {
    std::string path(chosen);
    if (core::ExtractFileExt(path).empty()) {
        path += ".rtf";
    }
    return path;
}

} // namespace pelgo::reports
