// The searches of the structure tree and of the two tables, each finding one hit at a time and going on
// from there.
#pragma once

#include <optional>
#include <string>

#include "platform/dbf_table.h"
#include "search/text_match.h"
#include "structure/tree_model.h"

namespace pelgo::search {

// The first node from `start` on in pre-order whose caption holds the text or is held by it (an empty caption
// never matches). A new search starts at the first node; "Дальше..." at the node after the selected one, or at
// the first node when none is selected. Null when there is none.
const structure::TreeNode* FindInTree(const structure::TreeModel& tree, const TextMatcher& matcher,
                                      const structure::TreeNode* selected, bool continued);

enum class TableTarget {
    Archive,        // device.dbf: a record's node is the computer before its MAC-address node
    AdditionalData, // other.dbf: a record's node is the first node with its UNO
};

struct TableHit {
    const structure::TreeNode* node = nullptr;
    platform::RecordNumber record = 0;
    std::string key; // MAC_ADR or UNO, trailing blanks removed
    std::string group;
    std::string name;
    std::string text;
};

// A search in one table, in the order of its index (MAC_ADR for the archive, UNO for the additional data). It
// keeps its own position, the hit's place in index order, not the table's cursor, which showing the hit moves.
// A record whose node cannot be located (orphans, "_Multi_User_", "_SNX_ALARM_") is passed over.
class TableSearch {
public:
    explicit TableSearch(TableTarget target) : m_target(target) {}

    // "C начала" (continued = false) or "Дальше..." (true). Empty when no later record holds the text.
    std::optional<TableHit> Find(platform::DbfTable& table, const structure::TreeModel& tree,
                                 const TextMatcher& matcher, bool continued);

private:
    TableTarget m_target;
    std::optional<std::size_t> m_position; // index-order place of the last hit
};

} // namespace pelgo::search
