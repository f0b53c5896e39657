// A rich-text document on the terminal, as `rtf text` and a report without an output file print it: one
// UTF-8 line per paragraph, a line break inside a paragraph starting a line too, a form feed line for a page
// break; bullets and pictures print nothing.
#pragma once

#include "reports/rich_text.h"

namespace pelgo::cli {

void PrintRichTextLines(const reports::RichText& text);

} // namespace pelgo::cli
