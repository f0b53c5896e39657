// The two tables the program keeps open for a whole run: opening with the index check, repairing a
// table whose production-index file went missing, the reindex offered when a table does not open, and
// packing.
#pragma once

#include <optional>
#include <string>

#include "core/date_time.h"
#include "core/work_log.h"
#include "platform/dbf_table.h"
#include "platform/user_dialog.h"
#include "shell/protection_flags.h"

namespace pelgo::shell {

struct ManagedTable {
    std::string path;      // native
    std::string indexTag;  // the active index: "MAC_ADR" or "UNO"
    bool readOnly = false; // open read-only: after a failed open, or when the data are protected
    bool exclusive = false;
    std::optional<platform::DbfTable> table;

    bool IsOpen() const { return table.has_value() && table->IsOpen(); }
    platform::DbfTable* IfOpen() { return IsOpen() ? &*table : nullptr; }
    void Close() { table.reset(); }
};

class TableCare {
public:
    TableCare(core::WorkLog& log, platform::UserDialog& dialog, const core::Clock& clock, ProtectionFlags& flags);

    // Opens the table and rebuilds its index with exclusive use; when others hold the table the rebuild is
    // skipped and the instance is in multi-user access. A table that does not open is reported, marked
    // read-only and left closed. True when the table is open.
    bool OpenTable(ManagedTable& table);
    // A table whose header announces a production-index file that is missing (a table copied from an older
    // installation) gets the announcement cleared. True when it did.
    bool RepairMissingIndex(ManagedTable& table);

    enum class ReindexResult { NotOpened, Opened, Fatal };
    // The reindex offered when a table did not open: asks, repairs what a crash can leave behind (logging
    // each repair), and opens again for writing. NotOpened: declined, or the old index file could not be
    // removed, and the table stays closed. Fatal: it still does not open and the program cannot go on.
    ReindexResult Reindex(ManagedTable& table);
    // Physically removes deleted records; throws platform::TableError.
    void Pack(ManagedTable& table);

private:
    core::WorkLog& m_log;
    platform::UserDialog& m_dialog;
    const core::Clock& m_clock;
    ProtectionFlags& m_flags;
};

} // namespace pelgo::shell
