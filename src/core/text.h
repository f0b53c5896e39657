// Small text helpers shared by every engine: trimming as the program's files are trimmed, number parsing.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace pelgo::core {

// Trimming removes every character whose code is below 33 (blanks, tabs, control characters).
std::string_view TrimLeft(std::string_view text);
// Control characters (below 32) become blanks: tabs and stray line breaks of a value that goes into one field
// or one line.
std::string ControlsAsBlanks(std::string_view text);
std::string_view TrimRight(std::string_view text);
std::string_view Trim(std::string_view text);

// Decimal with optional sign, or hexadecimal after "$"; nothing else, no blanks. Empty when malformed or
// outside the 32-bit range.
std::optional<int> ParseInt(std::string_view text);

// Round to the nearest integer, halves to the even neighbour.
long long RoundHalfEven(double value);

// The lines of a text: CR LF, LF or CR end a line; a last line without an end counts unless it is empty.
// The views point into `text`.
std::vector<std::string_view> SplitLines(std::string_view text);

// Replace every occurrence of `from` (not empty) by `to`.
std::string ReplaceAll(std::string_view text, std::string_view from, std::string_view to);

} // namespace pelgo::core
