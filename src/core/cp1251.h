// Code page 1251 text: every engine string is a std::string of cp1251 bytes. This file converts at the
// boundaries (UTF-8 for terminals, Linux file names and source literals; the DOS code page 866 of tables that
// other programs wrote) and holds the upper-case rules.
#pragma once

#include <string>
#include <string_view>

namespace pelgo::core {

// Characters cp1251 lacks become '?'; malformed UTF-8 bytes become '?' too.
std::string Utf8ToCp1251(std::string_view utf8);
std::string Cp1251ToUtf8(std::string_view cp1251);
// A text file the user wrote, as cp1251: a UTF-8 byte-order mark, or well-formed UTF-8 holding characters
// beyond ASCII, marks a UTF-8 file, which is converted (the mark dropped); anything else is cp1251 already.
// Cyrillic cp1251 text is practically never well-formed UTF-8, so an editor's choice of encoding does not
// silently change the meaning of the file.
std::string TextFileToCp1251(std::string_view bytes);
// Byte for byte; characters the other code page lacks (the box drawing of cp866, the typographic marks of
// cp1251) become '?'.
std::string Cp866ToCp1251(std::string_view cp866);
std::string Cp1251ToCp866(std::string_view cp1251);

// Plain upper-case form: only the Latin letters a..z.
std::string UpperLatin(std::string_view text);
// Cyrillic fold: Latin a..z and bytes 224..255 minus 32; "ё" and every other byte unchanged.
std::string UpperCyrillic(std::string_view text);
// The same fold in place, for texts folded one after another into one buffer.
void FoldUpperCyrillic(std::string& text);

// Case-insensitive comparison by the full cp1251 letter rules (Latin, Russian, Ukrainian, Belarusian,
// Serbian and Macedonian letters, "ё" included), as section and key names are compared.
char FoldCase(char c);
int CompareText(std::string_view a, std::string_view b);
bool SameText(std::string_view a, std::string_view b);

} // namespace pelgo::core
