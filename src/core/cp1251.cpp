// cp1251 <-> UTF-8 and cp1251 <-> cp866 conversion, and the upper-case rules.
#include "core/cp1251.h"

#include <algorithm>
#include <array>

namespace pelgo::core {
namespace {

// Unicode code points of bytes 0x80..0xFF. 0x98 is unassigned; it maps to U+0098 so that it round-trips.
constexpr std::array<char16_t, 128> kHighHalf = {
    0x0402, 0x0403, 0x201A, 0x0453, 0x201E, 0x2026, 0x2020, 0x2021, 0x20AC, 0x2030, 0x0409, 0x2039, 0x040A,
    0x040C, 0x040B, 0x040F, 0x0452, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014, 0x0098, 0x2122,
    0x0459, 0x203A, 0x045A, 0x045C, 0x045B, 0x045F, 0x00A0, 0x040E, 0x045E, 0x0408, 0x00A4, 0x0490, 0x00A6,
    0x00A7, 0x0401, 0x00A9, 0x0404, 0x00AB, 0x00AC, 0x00AD, 0x00AE, 0x0407, 0x00B0, 0x00B1, 0x0406, 0x0456,
    0x0491, 0x00B5, 0x00B6, 0x00B7, 0x0451, 0x2116, 0x0454, 0x00BB, 0x0458, 0x0405, 0x0455, 0x0457, 0x0410,
    0x0411, 0x0412, 0x0413, 0x0414, 0x0415, 0x0416, 0x0417, 0x0418, 0x0419, 0x041A, 0x041B, 0x041C, 0x041D,
    0x041E, 0x041F, 0x0420, 0x0421, 0x0422, 0x0423, 0x0424, 0x0425, 0x0426, 0x0427, 0x0428, 0x0429, 0x042A,
    0x042B, 0x042C, 0x042D, 0x042E, 0x042F, 0x0430, 0x0431, 0x0432, 0x0433, 0x0434, 0x0435, 0x0436, 0x0437,
    0x0438, 0x0439, 0x043A, 0x043B, 0x043C, 0x043D, 0x043E, 0x043F, 0x0440, 0x0441, 0x0442, 0x0443, 0x0444,
    0x0445, 0x0446, 0x0447, 0x0448, 0x0449, 0x044A, 0x044B, 0x044C, 0x044D, 0x044E, 0x044F,
};

// Unicode code points of cp866 bytes 0x80..0xFF.
constexpr std::array<char16_t, 128> kCp866HighHalf = {
    0x0410, 0x0411, 0x0412, 0x0413, 0x0414, 0x0415, 0x0416, 0x0417, 0x0418, 0x0419, 0x041A, 0x041B, 0x041C,
    0x041D, 0x041E, 0x041F, 0x0420, 0x0421, 0x0422, 0x0423, 0x0424, 0x0425, 0x0426, 0x0427, 0x0428, 0x0429,
    0x042A, 0x042B, 0x042C, 0x042D, 0x042E, 0x042F, 0x0430, 0x0431, 0x0432, 0x0433, 0x0434, 0x0435, 0x0436,
    0x0437, 0x0438, 0x0439, 0x043A, 0x043B, 0x043C, 0x043D, 0x043E, 0x043F, 0x2591, 0x2592, 0x2593, 0x2502,
    0x2524, 0x2561, 0x2562, 0x2556, 0x2555, 0x2563, 0x2551, 0x2557, 0x255D, 0x255C, 0x255B, 0x2510, 0x2514,
    0x2534, 0x252C, 0x251C, 0x2500, 0x253C, 0x255E, 0x255F, 0x255A, 0x2554, 0x2569, 0x2566, 0x2560, 0x2550,
    0x256C, 0x2567, 0x2568, 0x2564, 0x2565, 0x2559, 0x2558, 0x2552, 0x2553, 0x256B, 0x256A, 0x2518, 0x250C,
    0x2588, 0x2584, 0x258C, 0x2590, 0x2580, 0x0440, 0x0441, 0x0442, 0x0443, 0x0444, 0x0445, 0x0446, 0x0447,
    0x0448, 0x0449, 0x044A, 0x044B, 0x044C, 0x044D, 0x044E, 0x044F, 0x0401, 0x0451, 0x0404, 0x0454, 0x0407,
    0x0457, 0x040E, 0x045E, 0x00B0, 0x2219, 0x00B7, 0x221A, 0x2116, 0x00A4, 0x25A0, 0x00A0,
};

// Translates the high half of one code page into the other through the code points; ASCII is common to both.
constexpr std::array<char, 128> MakeHighHalfTranslation(const std::array<char16_t, 128>& from,
                                                        const std::array<char16_t, 128>& to) {
    std::array<char, 128> t{};
    for (std::size_t i = 0; i < from.size(); ++i) {
        t[i] = '?';
        for (std::size_t j = 0; j < to.size(); ++j) {
            if (to[j] == from[i]) {
                t[i] = static_cast<char>(0x80 + j);
            }
        }
    }
    return t;
}

constexpr std::array<char, 128> kCp866ToCp1251 = MakeHighHalfTranslation(kCp866HighHalf, kHighHalf);
constexpr std::array<char, 128> kCp1251ToCp866 = MakeHighHalfTranslation(kHighHalf, kCp866HighHalf);

std::string TranslateHighHalf(std::string_view text, const std::array<char, 128>& table) {
    std::string out(text);
    for (char& c : out) {
        const auto b = static_cast<unsigned char>(c);
        if (b >= 0x80) {
            c = table[b - 0x80];
        }
    }
    return out;
}

char EncodeCodePoint(char32_t cp) {
    if (cp < 0x80) {
        return static_cast<char>(cp);
    }
    if (cp >= 0x0410 && cp <= 0x044F) {
        return static_cast<char>(cp - 0x0410 + 0xC0);
    }
    for (std::size_t i = 0; i < kHighHalf.size(); ++i) {
        if (kHighHalf[i] == cp) {
            return static_cast<char>(0x80 + i);
        }
    }
    return '?';
}

// Full upper-case table for comparisons.
constexpr std::array<unsigned char, 256> MakeFoldTable() {
    std::array<unsigned char, 256> t{};
    for (int i = 0; i < 256; ++i) {
        t[i] = static_cast<unsigned char>(i);
    }
    for (int c = 'a'; c <= 'z'; ++c) {
        t[c] = static_cast<unsigned char>(c - 32);
    }
    for (int c = 0xE0; c <= 0xFF; ++c) {
        t[c] = static_cast<unsigned char>(c - 32);
    }
    constexpr std::array<std::pair<unsigned char, unsigned char>, 14> pairs = {{
        {0x90, 0x80},
        {0x83, 0x81},
        {0x9A, 0x8A},
        {0x9C, 0x8C},
        {0x9D, 0x8D},
        {0x9E, 0x8E},
        {0x9F, 0x8F},
        {0xA2, 0xA1},
        {0xBC, 0xA3},
        {0xB4, 0xA5},
        {0xB8, 0xA8},
        {0xBA, 0xAA},
        {0xBF, 0xAF},
        {0xB3, 0xB2},
    }};
    for (auto [lower, upper] : pairs) {
        t[lower] = upper;
    }
    t[0xBE] = 0xBD;
    return t;
}

constexpr std::array<unsigned char, 256> kFold = MakeFoldTable();

} // namespace

std::string Utf8ToCp1251(std::string_view utf8) {
    std::string out;
    out.reserve(utf8.size());
    std::size_t i = 0;
    while (i < utf8.size()) {
        const auto lead = static_cast<unsigned char>(utf8[i]);
        int extra = 0;
        char32_t cp = 0;
        if (lead < 0x80) {
            cp = lead;
        } else if ((lead & 0xE0) == 0xC0) {
            extra = 1;
            cp = lead & 0x1F;
        } else if ((lead & 0xF0) == 0xE0) {
            extra = 2;
            cp = lead & 0x0F;
        } else if ((lead & 0xF8) == 0xF0) {
            extra = 3;
            cp = lead & 0x07;
        } else {
            out += '?';
            ++i;
            continue;
        }
        if (i + extra >= utf8.size() && extra > 0) {
            out += '?';
            break;
        }
        bool valid = true;
        for (int k = 1; k <= extra; ++k) {
            const auto cont = static_cast<unsigned char>(utf8[i + k]);
            if ((cont & 0xC0) != 0x80) {
                valid = false;
                break;
            }
            cp = (cp << 6) | (cont & 0x3F);
        }
        if (!valid) {
            out += '?';
            ++i;
            continue;
        }
        out += EncodeCodePoint(cp);
        i += extra + 1;
    }
    return out;
}

namespace {

// Well-formed UTF-8 (shortest forms, no surrogates, at most U+10FFFF) with at least one character beyond ASCII.
bool IsUtf8BeyondAscii(std::string_view bytes) {
    bool beyondAscii = false;
    for (std::size_t i = 0; i < bytes.size();) {
        const auto lead = static_cast<unsigned char>(bytes[i]);
        if (lead < 0x80) {
            ++i;
            continue;
        }
        int extra = 0;
        char32_t cp = 0;
        if (lead >= 0xC2 && lead <= 0xDF) {
            extra = 1;
            cp = lead & 0x1F;
        } else if ((lead & 0xF0) == 0xE0) {
            extra = 2;
            cp = lead & 0x0F;
        } else if (lead >= 0xF0 && lead <= 0xF4) {
            extra = 3;
            cp = lead & 0x07;
        } else {
            return false;
        }
        if (i + static_cast<std::size_t>(extra) >= bytes.size()) {
            return false;
        }
        for (int k = 1; k <= extra; ++k) {
            const auto next = static_cast<unsigned char>(bytes[i + static_cast<std::size_t>(k)]);
            if ((next & 0xC0) != 0x80) {
                return false;
            }
            cp = cp << 6 | (next & 0x3F);
        }
        if ((extra == 2 && (cp < 0x800 || (cp >= 0xD800 && cp <= 0xDFFF))) ||
            (extra == 3 && (cp < 0x10000 || cp > 0x10FFFF))) {
            return false;
        }
        beyondAscii = true;
        i += static_cast<std::size_t>(extra) + 1;
    }
    return beyondAscii;
}

} // namespace

std::string TextFileToCp1251(std::string_view bytes) {
    constexpr std::string_view kMark = "\xEF\xBB\xBF";
    if (bytes.starts_with(kMark)) {
        return Utf8ToCp1251(bytes.substr(kMark.size()));
    }
    return IsUtf8BeyondAscii(bytes) ? Utf8ToCp1251(bytes) : std::string(bytes);
}

std::string Cp1251ToUtf8(std::string_view cp1251) {
    std::string out;
    out.reserve(cp1251.size() * 2);
    for (char ch : cp1251) {
        const auto b = static_cast<unsigned char>(ch);
        if (b < 0x80) {
            out += ch;
            continue;
        }
        const char32_t cp = kHighHalf[b - 0x80];
        if (cp < 0x800) {
            out += static_cast<char>(0xC0 | (cp >> 6));
        } else {
            out += static_cast<char>(0xE0 | (cp >> 12));
            out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
        }
        out += static_cast<char>(0x80 | (cp & 0x3F));
    }
    return out;
}

std::string Cp866ToCp1251(std::string_view cp866) {
    return TranslateHighHalf(cp866, kCp866ToCp1251);
}

std::string Cp1251ToCp866(std::string_view cp1251) {
    return TranslateHighHalf(cp1251, kCp1251ToCp866);
}

std::string UpperLatin(std::string_view text) {
    std::string out(text);
    for (char& c : out) {
        if (c >= 'a' && c <= 'z') {
            c = static_cast<char>(c - 32);
        }
    }
    return out;
}

void FoldUpperCyrillic(std::string& text) {
    for (char& c : text) {
        const auto b = static_cast<unsigned char>(c);
        if ((b >= 'a' && b <= 'z') || b >= 224) {
            c = static_cast<char>(b - 32);
        }
    }
}

std::string UpperCyrillic(std::string_view text) {
    std::string out(text);
    FoldUpperCyrillic(out);
    return out;
}

char FoldCase(char c) {
    return static_cast<char>(kFold[static_cast<unsigned char>(c)]);
}

int CompareText(std::string_view a, std::string_view b) {
    const std::size_t n = std::min(a.size(), b.size());
    for (std::size_t i = 0; i < n; ++i) {
        const int ca = kFold[static_cast<unsigned char>(a[i])];
        const int cb = kFold[static_cast<unsigned char>(b[i])];
        if (ca != cb) {
            return ca < cb ? -1 : 1;
        }
    }
    if (a.size() == b.size()) {
        return 0;
    }
    return a.size() < b.size() ? -1 : 1;
}

bool SameText(std::string_view a, std::string_view b) {
    return a.size() == b.size() && CompareText(a, b) == 0;
}

} // namespace pelgo::core
