// Paragraphs of the built-in reports in the rich-text model.
#include "reports/report_writer.h"

namespace pelgo::reports {

namespace {
constexpr int kTwipsPerPoint = 20;
constexpr int kBulletHang = 10; // points from a bullet to its text
} // namespace

int HalfPointsOfPixels(int pixels) {
    return pixels * 72 * 2 / 96;
}

void ReportWriter::Line(std::string_view text) {
    CharFormat format;
    format.halfPoints = HalfPointsOfPixels(style.heightPixels);
    format.bold = style.bold;
    format.underline = style.underline;
    if (style.title) {
        format.color = kTitleColour;
    }
    Paragraph& paragraph = m_text.paragraphs.emplace_back();
    paragraph.alignment = style.alignment;
    paragraph.bullet = style.bullet;
    paragraph.leftIndent = (style.firstIndent + (style.bullet ? kBulletHang : 0)) * kTwipsPerPoint;
    paragraph.firstIndent = style.bullet ? -kBulletHang * kTwipsPerPoint : 0;
    paragraph.rightIndent = style.rightIndent * kTwipsPerPoint;
    paragraph.pageBreakBefore = m_pageBreak;
    paragraph.mark = format;
    AppendText(paragraph, text, format);
    m_pageBreak = false;
}

} // namespace pelgo::reports
