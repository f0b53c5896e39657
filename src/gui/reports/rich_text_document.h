// The crossing between the rich-text model and QTextDocument, for showing, editing and printing reports, and
// the PDF writer on top of it. QtGui only, so that pelgo-cli can link it with the offscreen platform.
//
// Lengths: the model's twips become QTextBlockFormat margins in pixels at 96 dpi (1 pt = 96/72 px, so one
// pixel is 15 twips); sizes in half-points become point sizes. A picture keeps its RTF group in the
// character format's kPictureRtf property, so a document read back gives the same bytes.
#pragma once

#include <QTextFormat>
#include <string>

#include "reports/rich_text.h"

class QTextDocument;

namespace pelgo::gui {

inline constexpr int kPictureRtf = QTextFormat::UserProperty + 1;

// Replaces the document's content. An empty model leaves one empty block, which reads back as one paragraph.
void FillDocument(QTextDocument& document, const reports::RichText& text);
// One paragraph per block; a block in any list is a bullet paragraph, an image without kPictureRtf is
// left out.
reports::RichText DocumentToRichText(const QTextDocument& document);

// A4 pages. Throws core::FileError when the file cannot be written.
void WritePdf(const reports::RichText& text, const std::string& path);

} // namespace pelgo::gui
