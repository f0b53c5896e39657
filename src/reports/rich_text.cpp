// Building paragraphs of the rich-text model and reading their text back.
#include "reports/rich_text.h"

#include "core/cp1251.h"

namespace pelgo::reports {

namespace {

std::string Utf8Of(char32_t c) {
    std::string out;
    if (c < 0x80) {
        out += static_cast<char>(c);
    } else if (c < 0x800) {
        out += static_cast<char>(0xC0 | (c >> 6));
        out += static_cast<char>(0x80 | (c & 0x3F));
    } else if (c < 0x10000) {
        out += static_cast<char>(0xE0 | (c >> 12));
        out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (c & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | (c >> 18));
        out += static_cast<char>(0x80 | ((c >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (c & 0x3F));
    }
    return out;
}

Run& LastRun(Paragraph& paragraph, const CharFormat& format, bool unicode) {
    if (!paragraph.content.empty()) {
        if (auto* run = std::get_if<Run>(&paragraph.content.back());
            run != nullptr && run->format == format && run->unicode.empty() == !unicode) {
            return *run;
        }
    }
    Run run;
    run.format = format;
    return std::get<Run>(paragraph.content.emplace_back(std::move(run)));
}

} // namespace

void AppendText(Paragraph& paragraph, std::string_view cp1251, const CharFormat& format) {
    if (!cp1251.empty()) {
        LastRun(paragraph, format, false).text += cp1251;
    }
}

void AppendCharacter(Paragraph& paragraph, char32_t character, const CharFormat& format) {
    if (character > 0x10FFFF || (character >= 0xD800 && character < 0xE000)) {
        character = U'?';
    }
    const std::string cp1251 = core::Utf8ToCp1251(Utf8Of(character));
    if (cp1251.size() == 1 && (cp1251 != "?" || character == U'?')) {
        AppendText(paragraph, cp1251, format);
    } else {
        LastRun(paragraph, format, true).unicode += character;
    }
}

const CharFormat& LeadingFormat(const Paragraph& paragraph) {
    for (const Inline& item : paragraph.content) {
        if (const auto* run = std::get_if<Run>(&item)) {
            return run->format;
        }
    }
    return paragraph.mark;
}

std::string ParagraphUtf8(const Paragraph& paragraph) {
    std::string out;
    for (const Inline& item : paragraph.content) {
        if (const auto* run = std::get_if<Run>(&item)) {
            out += core::Cp1251ToUtf8(run->text);
            for (char32_t c : run->unicode) {
                out += Utf8Of(c);
            }
        }
    }
    return out;
}

} // namespace pelgo::reports
