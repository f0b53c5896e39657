// The three tree files byte for byte: the tree text file (node texts behind TAB levels), the image/UNO file
// (icon index and UNO of each node) and the add-data file (comment lines by absolute index); reading them
// as one set, and the commit that replaces a file by its ".tmp" companion.
//
// Writers write F.tmp beside each file F and rename it over F, so an F.tmp on disk is the lock. Readers
// open all three files, check that no F.tmp exists, and check that the names still lead to the files they
// opened. Open files keep their inodes from being reused, and the files are committed in a fixed order, so
// a set that passes both checks was on disk, whole, at one moment between two writers' commits.
#pragma once

#include <array>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "core/errors.h"
#include "core/file.h"

namespace pelgo::structure {

inline constexpr std::string_view kTempExtension = ".tmp";     // the new content; its presence is the lock
inline constexpr std::string_view kPreviousExtension = ".xxx"; // the previous content during the commit

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
struct AddDataLine {
    enum class Kind { Skipped, BadIndex, Comment };

    Kind kind = Kind::Skipped;
    int index = 0;
    std::string_view comment; // at most 255 bytes
};
AddDataLine ParseAddDataLine(std::string_view line);
void AppendAddDataLine(std::string& out, int index, std::string_view comment);

bool AnyTempFilePresent(const TreeFilePaths& paths);

struct TreeFileContent {
    bool exists = false;
    std::optional<std::string> bytes; // empty when the file is missing or cannot be read
};
struct TreeFileSet {
    TreeFileContent treeText;
    TreeFileContent image;
    TreeFileContent addData;
};

// The three files as one set; empty when a writer was at work while they were read.
std::optional<TreeFileSet> ReadConsistentSet(const TreeFilePaths& paths);
// The three files as they are, whatever a writer is doing.
TreeFileSet ReadSetAsItIs(const TreeFilePaths& paths);

// Replaces `file` by file + ".tmp", keeping the previous content in file + ".xxx" until the new one is in
// place. False when there was nothing to commit or the rename failed; file + ".xxx" then still holds the
// previous content. `rename` is the file system's, replaceable to exercise that failure.
bool CommitTreeFile(const std::string& file,
                    const std::function<bool(std::string_view, std::string_view)>& rename = core::RenameFile);

} // namespace pelgo::structure
