// Reading RTF into the rich-text model, tolerant of what WordPad/RichEdit, Word and LibreOffice write.
// What the model cannot hold (styles, tables, fields' codes, headers) is skipped; a field's result reads as
// plain text.
#pragma once

#include <string>
#include <string_view>

#include "reports/rich_text.h"

namespace pelgo::reports {

// Throws core::Error when the bytes are not RTF or nest groups beyond any sane document. A truncated or
// unbalanced file gives what was read up to the damage.
RichText ReadRtf(std::string_view rtf);
// Throws core::CannotOpenFile when the file cannot be read, and as ReadRtf.
RichText ReadRtfFile(const std::string& path);

} // namespace pelgo::reports
