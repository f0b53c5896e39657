// The inventory sheet: one row per chosen tree node, with the node's data, its computer's archived
// configuration, user-defined archive columns and its additional data, written as a tab-separated text file or
// a dBase table for other programs; and the parameter files (.set) that keep the choice of columns.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "core/date_time.h"
#include "platform/dbf_table.h"
#include "reports/revision.h"
#include "settings/revision_rules.h"
#include "structure/additional_data.h"
#include "structure/node_types.h"
#include "structure/tree_model.h"

namespace pelgo::reports {

enum class SheetGroup { Node, Computer, Additional };

// A check-box column: its check box's name (the parameter file's key, the table field upper-cased and cut to
// 10 characters), its caption (UTF-8, the Russian text) and its table width.
struct SheetColumn {
    const char* name;
    SheetGroup group;
    const char* caption;
    int width;
};
// The 6 node, 13 computer and 15 additional-data columns in output order.
const std::vector<SheetColumn>& SheetColumns();
inline constexpr std::size_t kSheetNameColumn = 1; // "Name": always ticked

// A row of the column table; a row whose three texts joined and trimmed are empty makes no column.
struct UserColumn {
    std::string group; // 16 characters
    std::string name;  // 16
    std::string text;  // 150: the line's text begins with it, letter case ignored

    bool operator==(const UserColumn&) const = default;
};

struct SheetParameters {
    std::vector<bool> ticked; // per SheetColumns() entry
    bool computerGroup = false;
    bool userColumnsOn = false;
    bool additionalGroup = false;
    std::vector<UserColumn> userColumns;
    std::vector<bool> includedTypes; // per position of IncludedTypeNames
    // Filtering with the revision's selection rules ("Выполнять фильтрацию данных").
    bool filter = false;
    std::vector<settings::RevisionRule> filterRules;
    bool filterCaseSensitive = false;
    bool tableFormat = false; // Out_file_typ 1: a dBase table, else text

    bool operator==(const SheetParameters&) const = default;
};

// The state at the dialog's first opening: node data ticked ("Index" to "Path"), the other groups off with
// their boxes unticked, the default types (DefaultIncludedTypes), no user columns, text output.
SheetParameters DefaultSheetParameters(const structure::NodeTypes& types);

// The parameter file. Saving writes every key (sections TabSheet1 to TabSheet5, StructItems, Out_file) through
// the profile file; loading reads them over `current`, a missing key keeping its value, and (when TabSheet5
// Enabled is 1) takes its selection rules. Both throw core::FileError when the file cannot be written or read.
void SaveSheetParameters(std::string_view path, const SheetParameters& parameters);
SheetParameters LoadSheetParameters(std::string_view path, SheetParameters current);

// The header of a check-box column from its caption: cut before the first "(", "№" to "N", "." to "_", trimmed.
std::string SheetHeader(std::string_view caption);

struct SheetSources {
    const structure::TreeModel& tree;
    const structure::NodeTypes& types;
    platform::DbfTable& device;            // the archive, indexed by adapter address
    structure::AdditionalData& additional; // the "Main" data
};

// Which nodes: the whole tree, or the department of `selected` (its nearest department ancestor, else the first
// node) and its subtree.
struct SheetScope {
    bool departmentOnly = false;
    const structure::TreeNode* selected = nullptr;
};

// The sheet as data: the present columns' headers (text) and table fields, and one row of values per node.
struct Sheet {
    std::vector<std::string> headers;
    std::vector<std::string> fieldNames;
    std::vector<int> fieldWidths;
    std::vector<std::vector<std::string>> rows;
};

// `captions`: the check-box columns' current captions (cp1251, per SheetColumns() entry), from which the
// headers are made. `selection`: the filter when filtering with the revision's selection is on, else null.
Sheet MakeInventorySheet(SheetSources& sources, const SheetParameters& parameters,
                         const std::vector<std::string>& captions, const LineSelection* selection,
                         const SheetScope& scope);
// The captions of SheetColumns() in cp1251, as the Russian dialog shows them.
std::vector<std::string> DefaultSheetCaptions();

// Text: the header line and one line per row, every value trimmed and followed by a TAB (TAB, CR and LF inside
// a value become blanks), CR LF, cp1251. Table: one character field per column. Either is written whole in
// place of any old file; throws core::FileError or platform::TableError.
void WriteSheetText(std::string_view path, const Sheet& sheet);
void WriteSheetTable(std::string_view path, const Sheet& sheet, const core::Clock& clock);

} // namespace pelgo::reports
