// The rich-text model of reports and templates: paragraphs of formatted runs and pictures. The RTF reader
// and writer, the report builders and the GUI's QTextDocument bridge all work on it.
//
// Text stays cp1251 like every engine text, so builders and the template engine keep their byte rules.
// Characters cp1251 lacks (a Greek letter, a check mark) live in runs of their own holding code points:
// nothing else has to know about them, and they survive a read and a write unchanged.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

namespace pelgo::reports {

struct Color {
    std::uint8_t red = 0;
    std::uint8_t green = 0;
    std::uint8_t blue = 0;
    bool operator==(const Color&) const = default;
};

struct CharFormat {
    std::string font;    // cp1251 font name; empty when the file named none
    int halfPoints = 24; // RTF's default of 12 pt
    bool bold = false;
    bool italic = false;
    bool underline = false;
    std::optional<Color> color; // none: the automatic colour
    bool operator==(const CharFormat&) const = default;
};

// Text in one format. `text` is cp1251, with '\t' for a tab and '\n' for a line break inside the paragraph;
// when `unicode` is not empty the run holds only characters cp1251 lacks and `text` is empty.
struct Run {
    std::string text;
    std::u32string unicode;
    CharFormat format;
    bool operator==(const Run&) const = default;
};

// A picture kept as the RTF group that held it ("{\pict ...}"), written back byte for byte.
struct Picture {
    std::string rtf;
    bool operator==(const Picture&) const = default;
};

using Inline = std::variant<Run, Picture>;

enum class Alignment { Left, Center, Right, Justify };

// Indents are in twips (1/20 pt) as RTF stores them, so a read and a write lose nothing.
struct Paragraph {
    Alignment alignment = Alignment::Left;
    bool bullet = false;
    int firstIndent = 0; // offset of the first line from the left indent; negative for a hanging bullet
    int leftIndent = 0;
    int rightIndent = 0;
    bool pageBreakBefore = false;
    std::vector<Inline> content;
    CharFormat mark; // the paragraph mark's format: what an empty paragraph shows
    bool operator==(const Paragraph&) const = default;
};

struct RichText {
    std::vector<Paragraph> paragraphs;
    bool operator==(const RichText&) const = default;
};

// Appends to the paragraph's last run when it has the same format and kind, so that equal texts give equal
// models however they were cut. AppendText takes cp1251; AppendCharacter any code point.
void AppendText(Paragraph& paragraph, std::string_view cp1251, const CharFormat& format);
void AppendCharacter(Paragraph& paragraph, char32_t character, const CharFormat& format);

// The format of the paragraph's first character, or of its mark when it holds no text.
const CharFormat& LeadingFormat(const Paragraph& paragraph);

// The paragraph's text in UTF-8 for a terminal: tabs and line breaks kept, pictures left out.
std::string ParagraphUtf8(const Paragraph& paragraph);

} // namespace pelgo::reports
