// What the tests of the built-in reports expect of a paragraph, in the reports' own terms: pixel heights, indents
// in points, the title colour.
#pragma once

#include <gtest/gtest.h>
#include <optional>
#include <string>
#include <vector>

#include "reports/report_writer.h"
#include "reports/rich_text.h"

namespace pelgo::testing {

using reports::Alignment;
using reports::Paragraph;
using reports::RichText;

// The report's paragraphs in UTF-8.
inline std::vector<std::string> Texts(const RichText& text) {
    std::vector<std::string> lines;
    for (const Paragraph& paragraph : text.paragraphs) {
        lines.push_back(ParagraphUtf8(paragraph));
    }
    return lines;
}

struct Look {
    Alignment alignment;
    bool bullet;
    int firstIndent; // points
    int heightPixels;
    bool bold;
    bool underline;
    bool title;
    int rightIndent = 0; // points
};

inline void ExpectLook(const Paragraph& paragraph, const Look& look, const std::string& where = {}) {
    SCOPED_TRACE(where + ": " + ParagraphUtf8(paragraph));
    EXPECT_EQ(paragraph.alignment, look.alignment);
    EXPECT_EQ(paragraph.bullet, look.bullet);
    // A bullet's text hangs 10 points beyond the bullet.
    EXPECT_EQ(paragraph.leftIndent, (look.firstIndent + (look.bullet ? 10 : 0)) * 20);
    EXPECT_EQ(paragraph.firstIndent, look.bullet ? -200 : 0);
    EXPECT_EQ(paragraph.rightIndent, look.rightIndent * 20);
    const reports::CharFormat& format = LeadingFormat(paragraph);
    EXPECT_EQ(format.halfPoints, look.heightPixels * 3 / 2);
    EXPECT_EQ(format.bold, look.bold);
    EXPECT_EQ(format.underline, look.underline);
    EXPECT_EQ(format.color, look.title ? std::optional<reports::Color>(reports::kTitleColour) : std::nullopt);
}

} // namespace pelgo::testing
