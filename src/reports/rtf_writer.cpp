// The RTF writer. Character formats are written as changes from the one in force, as RichEdit does.
#include "reports/rtf_writer.h"

#include <algorithm>
#include <cstdio>
#include <optional>
#include <vector>

#include "core/file.h"

namespace pelgo::reports {

namespace {

template <typename T> std::size_t IndexOf(std::vector<T>& list, const T& value) {
    const auto found = std::find(list.begin(), list.end(), value);
    if (found != list.end()) {
        return static_cast<std::size_t>(found - list.begin());
    }
    list.push_back(value);
    return list.size() - 1;
}

class Writer {
public:
    explicit Writer(const RichText& text) : m_text(text) {
        bool bullets = false;
        for (const Paragraph& paragraph : text.paragraphs) {
            bullets = bullets || paragraph.bullet;
            for (const Inline& item : paragraph.content) {
                if (const auto* run = std::get_if<Run>(&item)) {
                    Register(run->format);
                }
            }
            Register(paragraph.mark);
        }
        if (m_fonts.empty()) {
            m_fonts.emplace_back();
        }
        m_symbolFont = bullets ? std::optional<std::size_t>(m_fonts.size()) : std::nullopt;
    }

    std::string Write() {
        m_out = "{\\rtf1\\ansi\\ansicpg1251\\deff0\\nouicompat\\deflang1049{\\fonttbl";
        for (std::size_t i = 0; i < m_fonts.size(); ++i) {
            m_out += "{\\f" + std::to_string(i) + "\\fnil\\fcharset204 ";
            Escaped(m_fonts[i]);
            m_out += ";}";
        }
        if (m_symbolFont) {
            m_out += "{\\f" + std::to_string(*m_symbolFont) + "\\fnil\\fcharset2 Symbol;}";
        }
        m_out += "}\r\n";
        if (!m_colors.empty()) {
            m_out += "{\\colortbl ;";
            for (const Color& color : m_colors) {
                m_out += "\\red" + std::to_string(color.red) + "\\green" + std::to_string(color.green) + "\\blue" +
                         std::to_string(color.blue) + ";";
            }
            m_out += "}\r\n";
        }
        m_out += "{\\*\\generator Pelgo;}\\viewkind4\\uc1 \r\n";
        for (const Paragraph& paragraph : m_text.paragraphs) {
            WriteParagraph(paragraph);
        }
        m_out += "}\r\n";
        return std::move(m_out);
    }

private:
    void Register(const CharFormat& format) {
        IndexOf(m_fonts, format.font);
        if (format.color) {
            IndexOf(m_colors, *format.color);
        }
    }

    void WriteParagraph(const Paragraph& paragraph) {
        if (paragraph.pageBreakBefore) {
            m_out += "\\page\r\n";
        }
        m_out += "\\pard";
        if (paragraph.bullet) {
            const std::string symbol = std::to_string(*m_symbolFont);
            m_out +=
                "{\\pntext\\f" + symbol + "\\'B7\\tab}{\\*\\pn\\pnlvlblt\\pnf" + symbol + "\\pnindent0{\\pntxtb\\'B7}}";
        }
        static const char* const alignments[] = {"", "\\qc", "\\qr", "\\qj"};
        m_out += alignments[static_cast<int>(paragraph.alignment)];
        Number("\\fi", paragraph.firstIndent);
        Number("\\li", paragraph.leftIndent);
        Number("\\ri", paragraph.rightIndent);
        // After the bullet's group alone a space would be text.
        m_delimit = !m_out.ends_with('}');
        for (const Inline& item : paragraph.content) {
            if (const auto* run = std::get_if<Run>(&item)) {
                Format(run->format);
                Escaped(run->text);
                for (char32_t c : run->unicode) {
                    Unicode(c);
                }
            } else {
                m_out += std::get<Picture>(item).rtf;
                m_delimit = false;
            }
        }
        Format(paragraph.mark);
        m_out += "\\par\r\n";
    }

    void Number(const char* word, int value) {
        if (value != 0) {
            m_out += word + std::to_string(value);
        }
    }

    void Word(const std::string& word) {
        m_out += word;
        m_delimit = true;
    }

    void Format(const CharFormat& format) {
        const auto font = IndexOf(m_fonts, format.font);
        const auto color = format.color ? IndexOf(m_colors, *format.color) + 1 : 0;
        if (!m_format) {
            Word("\\plain\\f" + std::to_string(font) + "\\fs" + std::to_string(format.halfPoints));
            Word(format.bold ? "\\b" : "");
            Word(format.italic ? "\\i" : "");
            Word(format.underline ? "\\ul" : "");
            Word(color != 0 ? "\\cf" + std::to_string(color) : "");
            m_format = format;
            return;
        }
        CharFormat& current = *m_format;
        if (current.font != format.font) {
            Word("\\f" + std::to_string(font));
        }
        if (current.halfPoints != format.halfPoints) {
            Word("\\fs" + std::to_string(format.halfPoints));
        }
        if (current.bold != format.bold) {
            Word(format.bold ? "\\b" : "\\b0");
        }
        if (current.italic != format.italic) {
            Word(format.italic ? "\\i" : "\\i0");
        }
        if (current.underline != format.underline) {
            Word(format.underline ? "\\ul" : "\\ulnone");
        }
        if (current.color != format.color) {
            Word("\\cf" + std::to_string(color));
        }
        current = format;
    }

    // cp1251 text: tabs and line breaks as control words, braces and back-slashes escaped, everything outside
    // printable ASCII as "\'hh".
    void Escaped(std::string_view cp1251) {
        for (char c : cp1251) {
            const auto byte = static_cast<unsigned char>(c);
            if (byte == '\t') {
                Word("\\tab");
            } else if (byte == '\n') {
                Word("\\line");
            } else if (byte < 0x20 || byte >= 0x80) {
                char hex[5];
                std::snprintf(hex, sizeof hex, "\\'%02x", byte);
                m_out += hex;
                m_delimit = false;
            } else {
                if (m_delimit) {
                    m_out += ' ';
                    m_delimit = false;
                }
                if (c == '\\' || c == '{' || c == '}') {
                    m_out += '\\';
                }
                m_out += c;
            }
        }
    }

    // "\uN?" with N a signed 16-bit unit; characters beyond the basic plane as a surrogate pair.
    void Unicode(char32_t c) {
        auto unit = [this](char32_t u) {
            m_out += "\\u" + std::to_string(u > 32767 ? static_cast<int>(u) - 65536 : static_cast<int>(u)) + "?";
        };
        if (c >= 0x10000) {
            unit(0xD800 + ((c - 0x10000) >> 10));
            unit(0xDC00 + ((c - 0x10000) & 0x3FF));
        } else {
            unit(c);
        }
        m_delimit = false;
    }

    const RichText& m_text;
    std::vector<std::string> m_fonts;
    std::vector<Color> m_colors;
    std::optional<std::size_t> m_symbolFont;
    std::optional<CharFormat> m_format; // none until the first format is written
    std::string m_out;
    bool m_delimit = false; // a control word was written last: literal text needs a space before it
};

} // namespace

std::string WriteRtf(const RichText& text) {
    return Writer(text).Write();
}

void WriteRtfFile(const std::string& path, const RichText& text) {
    core::WriteFileAtomically(path, WriteRtf(text));
}

} // namespace pelgo::reports
