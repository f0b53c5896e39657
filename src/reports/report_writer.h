// Writing a built-in report paragraph by paragraph: attributes are set, then lines are written with the
// attributes in force, as the reports are described. Heights are screen pixels at 96 per inch, so a report
// comes out the same in the window and from pelgo-cli.
#pragma once

#include <string_view>

#include "reports/rich_text.h"

namespace pelgo::reports {

// Headings and titles: a fixed dark blue rather than a desktop theme's caption colour, so a printout does not
// depend on the machine it was made on.
inline constexpr Color kTitleColour{0, 0, 128};
// The report window's default character height.
inline constexpr int kDefaultHeightPixels = 12;

struct ReportStyle {
    int heightPixels = kDefaultHeightPixels;
    bool bold = false;
    bool underline = false;
    bool title = false; // the title colour; otherwise the automatic text colour
    Alignment alignment = Alignment::Left;
    bool bullet = false;
    int firstIndent = 0; // points from the margin to the first line, or to the bullet
    int rightIndent = 0; // points
};

// Half-points of a pixel height: 12 px are 9 pt, 24 px 18 pt, 30 px 22.5 pt.
int HalfPointsOfPixels(int pixels);

class ReportWriter {
public:
    ReportStyle style;

    // A paragraph of cp1251 text ('\t' for a tab) in the current style.
    void Line(std::string_view text);
    // The next paragraph starts a new page.
    void PageBreak() { m_pageBreak = true; }
    const RichText& Text() const { return m_text; }
    RichText Take() { return std::move(m_text); }

private:
    RichText m_text;
    bool m_pageBreak = false;
};

} // namespace pelgo::reports
