// A report as plain text and as the spreadsheet import file (".imp"): cp1251, CR LF after every line.
#pragma once

#include <string>

#include "reports/rich_text.h"

namespace pelgo::reports {

// One line per paragraph; a line break inside a paragraph starts a line too, a page break is a line holding a form
// feed. Characters cp1251 lacks become "?".
std::string PlainText(const RichText& text);

// The separator chosen in the "Символ" dialog, in its order: space, comma, semicolon, backslash, tab.
enum class ImportSeparator { Space, Comma, Semicolon, Backslash, Tab };
char SeparatorCharacter(ImportSeparator separator);

// "0" TAB heading TAB label for each centred (heading) or other (label) paragraph; the bullet items after them
// gathered into one "1" TAB heading TAB label TAB items line, each item led by the separator.
std::string SpreadsheetExport(const RichText& text, ImportSeparator separator);

} // namespace pelgo::reports
