// The node-record table "other.dbf": every further datum of a node (additional data, journals) lives in
// records keyed by the node's UNO, beside the records of the special keys "_Multi_User_" (the instances'
// presence) and "_SNX_ALARM_" (the change monitor's alarms).
#pragma once

#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/dbf_table.h"
#include "structure/uno.h"

namespace pelgo::structure {

struct NodeRecord {
    platform::RecordNumber number = 0;
    std::string uno;
    std::string group;
    std::string name;
    std::string text;
};

class NodeRecordsTable {
public:
    // The table must be open with its "UNO" index active, as the application state keeps it.
    explicit NodeRecordsTable(platform::DbfTable& table);

    // The records of one key in the order they were appended.
    std::vector<NodeRecord> Find(std::string_view uno);
    // Every live record in record order: one pass for a run that needs one datum of every node.
    void Walk(const std::function<void(const NodeRecord&)>& visit);
    platform::RecordNumber Append(std::string_view uno, std::string_view group, std::string_view name,
                                  std::string_view text);
    // Deletes every record of the key (none for a blank key); returns how many there were.
    std::size_t DeleteNodeRecords(std::string_view uno);
    // Deletes the key's records of one group; returns how many there were.
    std::size_t DeleteGroup(std::string_view uno, std::string_view group);
    // Deletes the key's records of one group and name; returns how many there were.
    std::size_t DeleteNamed(std::string_view uno, std::string_view group, std::string_view name);

private:
    std::size_t DeleteWhere(std::string_view uno, const std::function<bool(const platform::DbfRecord&)>& match);

    platform::DbfTable& m_table;
    std::size_t m_uno;
    std::size_t m_group;
    std::size_t m_name;
    std::size_t m_text;
};

// Whether a UNO has records in the node-record table at `path`, for UNOs made while the table is not open
// (a load at start): the table is opened read-only at the first question and kept by the returned function; a
// table that cannot be opened has no records.
UnoInTable UnoLookupIn(std::string path, const core::Clock& clock);

} // namespace pelgo::structure
