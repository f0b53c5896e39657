// The three tree files byte for byte: the tree text file (node texts behind TAB levels), the image/UNO file
// (icon index and UNO of each node) and the add-data file (comment lines by absolute index).
#pragma once

#include <array>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "core/errors.h"

namespace pelgo::structure {

struct TreeFilePaths {
    std::string treeText;
    std::string image;
    std::string addData;

    // In commit order.
    std::array<std::string, 3> All() const { return {treeText, image, addData}; }
};

// Tree text file: one line per node in pre-order, the depth in leading TABs (on reading every leading TAB
// or blank is one level), then the text.
struct TreeTextLine {
    int level = 0;
    std::string_view text;
};

// A line more than one level deeper than the line before it (the first line must be top-level).
class TreeFormatError : public core::Error {
public:
    TreeFormatError(int lineNumber, int level, std::string_view text);
    int LineNumber() const { return m_lineNumber; }

private:
    int m_lineNumber;
};

// Throws TreeFormatError.
std::vector<TreeTextLine> ParseTreeText(std::string_view text);
void AppendTreeTextLine(std::string& out, int level, std::string_view text);

// Image/UNO file: icon index + " ; " + UNO + " ;" + node text; the text is not read back.
struct ImageLine {
    enum class Uno { Missing, Valid, Invalid };

    bool comment = false;    // a line starting with ";": it stands for no node
    std::optional<int> icon; // empty when the field before the first ";" is not an integer
    Uno unoState = Uno::Missing;
    std::string_view uno; // the trimmed field, for Valid and Invalid
};
ImageLine ParseImageLine(std::string_view line);
void AppendImageLine(std::string& out, int icon, std::string_view uno, std::string_view text);

// Add-data file: absolute index + ";Comment;" + one comment line.
// The longest comment line the file keeps: a reader looks at no more bytes after the delimiter.
inline constexpr std::size_t kCommentLineMax = 255;
struct AddDataLine {
    enum class Kind { Skipped, BadIndex, Comment };

    Kind kind = Kind::Skipped;
    int index = 0;
    std::string_view comment; // at most 255 bytes
};
AddDataLine ParseAddDataLine(std::string_view line);
void AppendAddDataLine(std::string& out, int index, std::string_view comment);

} // namespace pelgo::structure
