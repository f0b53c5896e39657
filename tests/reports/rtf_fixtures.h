// Hand-written RTF in the styles of WordPad/RichEdit, LibreOffice and Word, with the models they read to.
#pragma once

#include <string>

#include "core/cp1251.h"
#include "reports/rich_text.h"

namespace pelgo::reports::testing {

inline CharFormat Format(const char* font, int halfPoints, const char* style = "", std::optional<Color> color = {}) {
    CharFormat format;
    format.font = font;
    format.halfPoints = halfPoints;
    format.bold = std::string(style).find('b') != std::string::npos;
    format.italic = std::string(style).find('i') != std::string::npos;
    format.underline = std::string(style).find('u') != std::string::npos;
    format.color = color;
    return format;
}

// UTF-8 text into the paragraph, each character kept as cp1251 or as a code point as the reader would.
inline void Add(Paragraph& paragraph, std::string_view utf8, const CharFormat& format) {
    for (std::size_t i = 0; i < utf8.size();) {
        const auto lead = static_cast<unsigned char>(utf8[i]);
        const std::size_t length = lead < 0x80 ? 1 : lead < 0xE0 ? 2 : lead < 0xF0 ? 3 : 4;
        char32_t c = length == 1 ? lead : lead & (0x3F >> (length - 1));
        for (std::size_t k = 1; k < length; ++k) {
            c = (c << 6) | (static_cast<unsigned char>(utf8[i + k]) & 0x3F);
        }
        AppendCharacter(paragraph, c, format);
        i += length;
    }
}

inline const char* const kRichEdit =
    R"rtf({\rtf1\ansi\ansicpg1251\deff0\nouicompat\deflang1049{\fonttbl{\f0\fnil\fcharset204 Calibri;}{\f1\fnil\fcharset2 Symbol;}}
{\colortbl ;\red255\green0\blue0;}
{\*\generator Riched20 10.0.19041}\viewkind4\uc1 
\pard\qc\b\f0\fs32\'cf\'f0\'e8\'cc\'e5\'f0\b0\par
\pard{\pntext\f1\'B7\tab}{\*\pn\pnlvlblt\pnf1\pnindent0{\pntxtb\'B7}}\fi-360\li720\ri144\sa200\sl276\slmult1\fs22\lang1049\cf1\'ea\'f0\'e0\'f1\'ed\'fb\'e9\cf0  \i x\i0\tab y\par
{\pntext\f1\'B7\tab}\ul\'e2\'f2\'ee\'f0\'ee\'e9\ulnone\line \{\\\}\par
\pard\sa200\sl276\slmult1\qj\par
}
)rtf";

inline RichText RichEditModel() {
    RichText text;
    Paragraph& title = text.paragraphs.emplace_back();
    title.alignment = Alignment::Center;
    Add(title, "ПриМер", Format("Calibri", 32, "b"));
    title.mark = Format("Calibri", 32);
    for (int i = 0; i < 2; ++i) {
        Paragraph& item = text.paragraphs.emplace_back();
        item.bullet = true;
        item.firstIndent = -360;
        item.leftIndent = 720;
        item.rightIndent = 144;
        item.mark = Format("Calibri", 22);
    }
    Add(text.paragraphs[1], "красный", Format("Calibri", 22, "", Color{255, 0, 0}));
    Add(text.paragraphs[1], " ", Format("Calibri", 22));
    Add(text.paragraphs[1], "x", Format("Calibri", 22, "i"));
    Add(text.paragraphs[1], "\ty", Format("Calibri", 22));
    Add(text.paragraphs[2], "второй", Format("Calibri", 22, "u"));
    Add(text.paragraphs[2], "\n{\\}", Format("Calibri", 22));
    Paragraph& empty = text.paragraphs.emplace_back();
    empty.alignment = Alignment::Justify;
    empty.mark = Format("Calibri", 22);
    return text;
}

inline const char* const kLibreOffice =
    R"rtf({\rtf1\ansi\deff3\adeflang1025
{\fonttbl{\f0\froman\fprq2\fcharset0 Times New Roman;}{\f1\froman\fprq2\fcharset2 Symbol;}{\f3\fswiss\fprq2\fcharset204 Liberation Sans;}{\f4\fnil\fprq2\fcharset0 OpenSymbol{\*\falt Arial Unicode MS};}}
{\colortbl;\red0\green0\blue0;\red0\green0\blue255;}
{\stylesheet{\s0\snext0\hich\af3\dbch\af5\loch\f3\fs24 Default Paragraph Style;}}
{\*\listtable{\list\listtemplateid1{\listlevel\levelnfc23{\leveltext \'01\u8226 ?;}{\levelnumbers;}\f4\fi-360\li720}\listid1}}{\*\listoverridetable{\listoverride\listid1\listoverridecount0\ls1}}
{\info{\creatim\yr2024\mo5\dy1}{\title \u1054\'ce\u1090\'f2}}
\paperh16838\paperw11906\margl1134
\pard\plain \s0\ql\f3\fs24{\cf2\b\u1054\'ce\u1090\'f2\u1095\'f7\u1105\'b8\u1090\'f2}\par
{\listtext\pard\plain \f4 \u8226\'95\tab}\ilvl0\ls1 \li720\ri0\lin720\rin0\fi-360\pard\plain \s0\ilvl0\ls1\li720\ri0\lin720\rin0\fi-360\f3\fs24{\u955\'3f 1\u8364\'88}\par
\pard\plain \s0\pagebb\qr\f3\fs20\ri567{\i \u10003\'3f\u-10179\'3f\u-8694\'3f}\par}
)rtf";

inline RichText LibreOfficeModel() {
    RichText text;
    Paragraph& report = text.paragraphs.emplace_back();
    Add(report, "Отчёт", Format("Liberation Sans", 24, "b", Color{0, 0, 255}));
    report.mark = Format("Liberation Sans", 24);
    Paragraph& item = text.paragraphs.emplace_back();
    item.bullet = true;
    item.firstIndent = -360;
    item.leftIndent = 720;
    Add(item, "λ 1€", Format("Liberation Sans", 24));
    item.mark = Format("Liberation Sans", 24);
    Paragraph& last = text.paragraphs.emplace_back();
    last.pageBreakBefore = true;
    last.alignment = Alignment::Right;
    last.rightIndent = 567;
    Add(last, "✓😊", Format("Liberation Sans", 20, "i"));
    last.mark = Format("Liberation Sans", 20);
    return text;
}

// The picture's \bin bytes hold braces and a control word that must not be read as such.
inline const char* const kWord =
    R"rtf({\rtf1\ansi\ansicpg1252\uc1\deff0{\fonttbl{\f0\froman\fcharset0\fprq2{\*\panose 02020603050405020304}Times New Roman;}{\f1\fswiss\fcharset204\fprq2 Arial;}}
{\colortbl;\red0\green0\blue0;}
{\info{\author Ivanov}{\operator Ivanov}}{\*\rsidtbl \rsid123}
{\*\generator Microsoft Word 11.0;}
\pard\plain \ql \li0\ri0\widctlpar\f0\fs24 Caf\'e9 {\*\bkmkstart x}{\*\bkmkend x}{\f1\'c4\'e0}\par
\pard\plain \qj\fi284\f0\fs24 A{\*\shppict{\pict\pngblip\picw2\pich2\picwgoal30\pichgoal30\bin8 ab}{\par}{\*\do}}{\nonshppict{\pict\wmetafile8\picw2 0102}}B\par
\pard\plain \f0\fs24 {\field{\*\fldinst { HYPERLINK "x" }}{\fldrslt {\ul link}}}\sect }
)rtf";

inline const char* const kWordPicture = R"rtf({\pict\pngblip\picw2\pich2\picwgoal30\pichgoal30\bin8 ab}{\par})rtf";

inline RichText WordModel() {
    RichText text;
    Paragraph& cafe = text.paragraphs.emplace_back();
    Add(cafe, "Café ", Format("Times New Roman", 24));
    Add(cafe, "Да", Format("Arial", 24));
    cafe.mark = Format("Times New Roman", 24);
    Paragraph& pictured = text.paragraphs.emplace_back();
    pictured.alignment = Alignment::Justify;
    pictured.firstIndent = 284;
    Add(pictured, "A", Format("Times New Roman", 24));
    pictured.content.emplace_back(Picture{kWordPicture});
    Add(pictured, "B", Format("Times New Roman", 24));
    pictured.mark = Format("Times New Roman", 24);
    Paragraph& field = text.paragraphs.emplace_back();
    Add(field, "link", Format("Times New Roman", 24, "u"));
    field.mark = Format("Times New Roman", 24);
    return text;
}

} // namespace pelgo::reports::testing
