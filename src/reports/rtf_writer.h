// Writing the rich-text model as RTF the way WordPad/RichEdit does: \ansicpg1251, "\'hh" for cp1251 bytes,
// "\uN?" for what cp1251 lacks, RichEdit's \pn bullets and \page breaks. WordPad, Word and LibreOffice read it.
#pragma once

#include <string>

#include "reports/rich_text.h"

namespace pelgo::reports {

std::string WriteRtf(const RichText& text);
// Throws core::FileError when the file cannot be written.
void WriteRtfFile(const std::string& path, const RichText& text);

} // namespace pelgo::reports
