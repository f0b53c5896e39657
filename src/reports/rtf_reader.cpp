// The RTF reader: one pass over the bytes with a stack of group states.
#include "reports/rtf_reader.h"

#include <algorithm>
#include <array>
#include <cctype>
#include <map>
#include <optional>
#include <utility>
#include <vector>

#include "core/errors.h"
#include "core/file.h"

namespace pelgo::reports {

namespace {

// Real documents nest a few dozen groups; the limit keeps a file of nothing but '{' from eating memory.
constexpr std::size_t kMaxDepth = 1000;

// Code points of bytes 0x80..0x9F in code page 1252; the rest of its upper half is Latin-1.
constexpr std::array<char16_t, 32> kCp1252Controls = {0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,
                                                      0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0x008D, 0x017D, 0x008F,
                                                      0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,
                                                      0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178};

enum class Destination { Text, Skip, FontTable, ColorTable, Picture };

struct GroupState {
    Destination destination = Destination::Text;
    std::size_t start = 0; // offset of the group's '{'
    int uc = 1;
    // character format
    int font = -1; // -1: the default font
    int halfPoints = 24;
    bool bold = false;
    bool italic = false;
    bool underline = false;
    int color = 0;
    // paragraph format
    Alignment alignment = Alignment::Left;
    bool bullet = false;
    int firstIndent = 0;
    int leftIndent = 0;
    int rightIndent = 0;
    bool pageBreakBefore = false;
};

struct Font {
    std::string name;
    int charset = 1;
};

// Destinations whose content the model has no place for.
bool IsSkippedDestination(std::string_view word) {
    static const std::array<std::string_view, 26> skipped = {
        "info",      "stylesheet", "listtable", "listoverridetable", "pntext",     "listtext",
        "header",    "headerl",    "headerr",   "headerf",           "footer",     "footerl",
        "footerr",   "footerf",    "footnote",  "annotation",        "nonshppict", "fldinst",
        "generator", "xmlnstbl",   "rsidtbl",   "themedata",         "datastore",  "latentstyles",
        "objdata",   "revtbl"};
    for (std::string_view s : skipped) {
        if (word == s) {
            return true;
        }
    }
    return false;
}

bool IsUnderline(std::string_view word) {
    return word == "ul" || word == "uld" || word == "uldb" || word == "ulw" || word == "ulth" || word == "ulwave" ||
           word == "uldash";
}

class Reader {
public:
    explicit Reader(std::string_view in) : m_in(in) {}

    RichText Read() {
        if (m_in.substr(0, 5) != "{\\rtf") {
            throw core::Error("The file is not an RTF document");
        }
        while (m_pos < m_in.size()) {
            const char c = m_in[m_pos];
            if (c == '{') {
                OpenGroup();
            } else if (c == '}') {
                if (!CloseGroup()) {
                    break;
                }
            } else if (c == '\\') {
                ++m_pos;
                Control();
            } else {
                ++m_pos;
                if (c != '\r' && c != '\n') {
                    Byte(static_cast<unsigned char>(c));
                }
            }
        }
        if (!m_paragraph.content.empty()) {
            EndParagraph();
        }
        return std::move(m_document);
    }

private:
    void OpenGroup() {
        if (m_stack.size() >= kMaxDepth) {
            throw core::Error("The RTF document nests its groups too deep");
        }
        m_stack.push_back(m_state);
        m_state.start = m_pos;
        m_skip = 0;
        ++m_pos;
    }

    // False when the outermost group closed: what follows it is not part of the document.
    bool CloseGroup() {
        if (m_stack.empty()) {
            return false;
        }
        if (m_state.destination == Destination::Picture && m_stack.back().destination != Destination::Picture) {
            m_paragraph.content.emplace_back(
                Picture{std::string(m_in.substr(m_state.start, m_pos + 1 - m_state.start))});
        }
        m_state = m_stack.back();
        m_stack.pop_back();
        m_skip = 0;
        ++m_pos;
        return !m_stack.empty();
    }

    void Control() {
        if (m_pos >= m_in.size()) {
            return;
        }
        const char c = m_in[m_pos];
        if (std::isalpha(static_cast<unsigned char>(c))) {
            ControlWord();
            return;
        }
        ++m_pos;
        switch (c) {
        case '\'':
            Hex();
            break;
        case '*':
            m_starred = true;
            break;
        case '\r':
        case '\n':
            Word("par", false, 0);
            break;
        case '\\':
        case '{':
        case '}':
            Byte(static_cast<unsigned char>(c));
            break;
        case '~':
            Character(0xA0);
            break;
        case '_':
            Character(U'-');
            break;
        default: // "\-" optional hyphen, "\:" index entries and the like show nothing
            break;
        }
    }

    void ControlWord() {
        const std::size_t nameStart = m_pos;
        while (m_pos < m_in.size() && std::isalpha(static_cast<unsigned char>(m_in[m_pos]))) {
            ++m_pos;
        }
        const std::string_view name = m_in.substr(nameStart, m_pos - nameStart);
        bool negative = false;
        if (m_pos + 1 < m_in.size() && m_in[m_pos] == '-' &&
            std::isdigit(static_cast<unsigned char>(m_in[m_pos + 1]))) {
            negative = true;
            ++m_pos;
        }
        bool hasParameter = false;
        long long value = 0;
        while (m_pos < m_in.size() && std::isdigit(static_cast<unsigned char>(m_in[m_pos]))) {
            hasParameter = true;
            if (value < 100000000000LL) {
                value = value * 10 + (m_in[m_pos] - '0');
            }
            ++m_pos;
        }
        if (m_pos < m_in.size() && m_in[m_pos] == ' ') {
            ++m_pos;
        }
        value = std::min(value, 2147483647LL);
        Word(name, hasParameter, static_cast<int>(negative ? -value : value));
    }

    void Hex() {
        auto digit = [this](std::size_t at) -> int {
            if (at >= m_in.size()) {
                return -1;
            }
            const char h = static_cast<char>(std::tolower(static_cast<unsigned char>(m_in[at])));
            return h >= '0' && h <= '9' ? h - '0' : h >= 'a' && h <= 'f' ? h - 'a' + 10 : -1;
        };
        const int high = digit(m_pos);
        const int low = digit(m_pos + 1);
        if (high < 0 || low < 0) {
            return;
        }
        m_pos += 2;
        Byte(static_cast<unsigned char>(high * 16 + low), true);
    }

    void Word(std::string_view word, bool hasParameter, int parameter) {
        if (word == "bin") {
            // Raw bytes that may hold anything, braces too: skipped by count, kept in a picture's bytes.
            const std::size_t count = hasParameter && parameter > 0 ? static_cast<std::size_t>(parameter) : 0;
            m_pos += std::min(count, m_in.size() - m_pos);
            return;
        }
        const bool starred = std::exchange(m_starred, false);
        if (m_state.destination == Destination::Skip || m_state.destination == Destination::Picture) {
            return;
        }
        if (word == "pn") {
            // RichEdit's bullet: the group closes at once, so the paragraph it belongs to gets the bullet.
            m_state.bullet = true;
            if (!m_stack.empty()) {
                m_stack.back().bullet = true;
            }
            m_state.destination = Destination::Skip;
            return;
        }
        if (word == "shppict" || word == "fldrslt") {
            return;
        }
        if (starred || IsSkippedDestination(word)) {
            m_state.destination = Destination::Skip;
            return;
        }
        if (m_state.destination == Destination::FontTable) {
            FontTableWord(word, parameter);
            return;
        }
        if (m_state.destination == Destination::ColorTable) {
            ColorTableWord(word, parameter);
            return;
        }
        TextWord(word, hasParameter, parameter);
    }

    void FontTableWord(std::string_view word, int parameter) {
        if (word == "f") {
            m_fontIndex = parameter;
            m_fontName.clear();
        } else if (word == "fcharset") {
            m_fonts[m_fontIndex].charset = parameter;
        }
    }

    void ColorTableWord(std::string_view word, int parameter) {
        const auto component = static_cast<std::uint8_t>(std::clamp(parameter, 0, 255));
        if (word == "red") {
            m_color.red = component;
        } else if (word == "green") {
            m_color.green = component;
        } else if (word == "blue") {
            m_color.blue = component;
        } else {
            return;
        }
        m_colorGiven = true;
    }

    void TextWord(std::string_view word, bool hasParameter, int parameter) {
        const bool on = !hasParameter || parameter != 0;
        GroupState& s = m_state;
        if (word == "fonttbl") {
            s.destination = Destination::FontTable;
        } else if (word == "colortbl") {
            s.destination = Destination::ColorTable;
        } else if (word == "pict") {
            s.destination = Destination::Picture;
        } else if (word == "par") {
            EndParagraph();
        } else if (word == "sect") {
            if (!m_paragraph.content.empty()) {
                EndParagraph();
            }
        } else if (word == "page") {
            if (!m_paragraph.content.empty()) {
                EndParagraph();
            }
            m_pendingPage = true;
        } else if (word == "cell" || word == "nestcell") {
            // A table row becomes one paragraph with its cells separated by tabs: its text stays in its line
            // rather than running into the paragraph after the table.
            m_cellEnded = true;
        } else if (word == "row" || word == "nestrow") {
            m_cellEnded = false;
            EndParagraph();
        } else if (word == "line") {
            Character(U'\n');
        } else if (word == "tab") {
            Character(U'\t');
        } else if (word == "u") {
            Unicode(parameter);
        } else if (word == "uc") {
            s.uc = std::clamp(parameter, 0, 10);
        } else if (word == "ansicpg") {
            m_codePage = parameter;
        } else if (word == "deff") {
            m_defaultFont = parameter;
        } else if (word == "pard") {
            s.alignment = Alignment::Left;
            s.bullet = false;
            s.firstIndent = s.leftIndent = s.rightIndent = 0;
            s.pageBreakBefore = false;
        } else if (word == "plain") {
            s.font = -1;
            s.halfPoints = 24;
            s.bold = s.italic = s.underline = false;
            s.color = 0;
        } else if (word == "ql") {
            s.alignment = Alignment::Left;
        } else if (word == "qc") {
            s.alignment = Alignment::Center;
        } else if (word == "qr") {
            s.alignment = Alignment::Right;
        } else if (word == "qj") {
            s.alignment = Alignment::Justify;
        } else if (word == "fi") {
            s.firstIndent = parameter;
        } else if (word == "li") {
            s.leftIndent = parameter;
        } else if (word == "ri") {
            s.rightIndent = parameter;
        } else if (word == "pagebb") {
            s.pageBreakBefore = on;
        } else if (word == "ls") {
            s.bullet = parameter > 0;
        } else if (word == "b") {
            s.bold = on;
        } else if (word == "i") {
            s.italic = on;
        } else if (IsUnderline(word)) {
            s.underline = on;
        } else if (word == "ulnone") {
            s.underline = false;
        } else if (word == "fs") {
            if (parameter > 0) {
                s.halfPoints = std::min(parameter, 3276);
            }
        } else if (word == "f") {
            s.font = parameter;
        } else if (word == "cf") {
            s.color = parameter;
        } else if (word == "emdash") {
            Character(0x2014);
        } else if (word == "endash") {
            Character(0x2013);
        } else if (word == "bullet") {
            Character(0x2022);
        } else if (word == "lquote") {
            Character(0x2018);
        } else if (word == "rquote") {
            Character(0x2019);
        } else if (word == "ldblquote") {
            Character(0x201C);
        } else if (word == "rdblquote") {
            Character(0x201D);
        }
    }

    void Unicode(int parameter) {
        const char32_t unit = static_cast<char32_t>(parameter < 0 ? parameter + 65536 : parameter) & 0xFFFF;
        if (unit >= 0xD800 && unit < 0xDC00) {
            m_highSurrogate = unit;
        } else if (unit >= 0xDC00 && unit < 0xE000) {
            if (m_highSurrogate != 0) {
                Character(0x10000 + ((m_highSurrogate - 0xD800) << 10) + (unit - 0xDC00));
            }
            m_highSurrogate = 0;
        } else {
            Character(unit);
        }
        m_skip = m_state.uc;
    }

    // A text byte or "\'hh" in the current destination. Raw control bytes are layout of the file; escaped
    // ones are text.
    void Byte(unsigned char byte, bool escaped = false) {
        switch (m_state.destination) {
        case Destination::Text:
            if (m_skip > 0) {
                --m_skip;
            } else if (byte == '\t') {
                Character(U'\t');
            } else if (byte >= 0x20 || escaped) {
                Character(Decode(byte));
            }
            break;
        case Destination::FontTable:
            if (byte == ';') {
                m_fonts[m_fontIndex].name = m_fontName;
                m_fontName.clear();
            } else {
                m_fontName += static_cast<char>(byte);
            }
            break;
        case Destination::ColorTable:
            if (byte == ';') {
                // An entry without components is the automatic colour.
                m_colors.push_back(m_colorGiven ? std::optional<Color>(m_color) : std::nullopt);
                m_color = Color();
                m_colorGiven = false;
            }
            break;
        default:
            break;
        }
    }

    char32_t Decode(unsigned char byte) const {
        if (byte < 0x80) {
            return byte;
        }
        int codePage = m_codePage;
        if (const auto font = m_fonts.find(m_state.font < 0 ? m_defaultFont : m_state.font); font != m_fonts.end()) {
            if (font->second.charset == 204) {
                codePage = 1251;
            } else if (font->second.charset == 0) {
                codePage = m_codePage;
            }
        }
        if (codePage == 1252) {
            return byte < 0xA0 ? kCp1252Controls[byte - 0x80] : byte;
        }
        return kCp1251Marker | byte;
    }

    void Character(char32_t c) {
        if (m_state.destination != Destination::Text) {
            return;
        }
        const CharFormat format = CurrentFormat();
        if (m_cellEnded) {
            m_cellEnded = false;
            AppendText(m_paragraph, "\t", format);
        }
        if ((c & kCp1251Marker) != 0) {
            AppendText(m_paragraph, std::string(1, static_cast<char>(c & 0xFF)), format);
        } else {
            AppendCharacter(m_paragraph, c, format);
        }
    }

    CharFormat CurrentFormat() const {
        CharFormat format;
        if (const auto font = m_fonts.find(m_state.font < 0 ? m_defaultFont : m_state.font); font != m_fonts.end()) {
            format.font = font->second.name;
        }
        format.halfPoints = m_state.halfPoints;
        format.bold = m_state.bold;
        format.italic = m_state.italic;
        format.underline = m_state.underline;
        if (m_state.color > 0 && static_cast<std::size_t>(m_state.color) < m_colors.size()) {
            format.color = m_colors[static_cast<std::size_t>(m_state.color)];
        }
        return format;
    }

    void EndParagraph() {
        m_paragraph.alignment = m_state.alignment;
        m_paragraph.bullet = m_state.bullet;
        m_paragraph.firstIndent = m_state.firstIndent;
        m_paragraph.leftIndent = m_state.leftIndent;
        m_paragraph.rightIndent = m_state.rightIndent;
        m_paragraph.pageBreakBefore = m_pendingPage || m_state.pageBreakBefore;
        m_paragraph.mark = CurrentFormat();
        m_document.paragraphs.push_back(std::move(m_paragraph));
        m_paragraph = Paragraph();
        m_pendingPage = false;
    }

    // Marks a cp1251 byte among code points, so that "\'hh" of a cp1251 font goes into the text unconverted.
    static constexpr char32_t kCp1251Marker = 0x40000000;

    std::string_view m_in;
    std::size_t m_pos = 0;
    GroupState m_state;
    std::vector<GroupState> m_stack;
    bool m_starred = false;
    int m_skip = 0; // fallback characters of "\uN" still to skip
    char32_t m_highSurrogate = 0;
    int m_codePage = 1251;
    int m_defaultFont = 0;
    std::map<int, Font> m_fonts;
    int m_fontIndex = 0;
    std::string m_fontName;
    std::vector<std::optional<Color>> m_colors;
    Color m_color;
    bool m_colorGiven = false;
    RichText m_document;
    Paragraph m_paragraph;
    bool m_pendingPage = false;
    bool m_cellEnded = false; // a table cell ended: a tab goes before the next cell's text
};

} // namespace

RichText ReadRtf(std::string_view rtf) {
    return Reader(rtf).Read();
}

RichText ReadRtfFile(const std::string& path) {
    const std::string bytes = core::ReadFileBytes(path);
    try {
        return ReadRtf(bytes);
    } catch (const core::Error& error) {
        throw core::Error(path + ": " + error.what());
    }
}

} // namespace pelgo::reports
