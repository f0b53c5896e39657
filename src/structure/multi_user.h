// Presence of the instances working on one base folder: one "_Multi_User_" record per instance in the
// node-record table, and the advisory "Exclusive" marker an instance raises while it writes in bulk.
#pragma once

#include <string>
#include <vector>

#include "core/work_log.h"
#include "platform/dbf_table.h"
#include "platform/user_dialog.h"

namespace pelgo::structure {

inline constexpr const char* kMultiUserUno = "_Multi_User_";
inline constexpr const char* kExclusiveGroup = "Exclusive";

// One present instance as the status lists it.
struct PresenceEntry {
    std::string text;       // TEXT
    std::string caption;    // TEXT + " " + GROUP
    std::string instanceId; // NAME
    bool exclusive = false;
};

// The question of the Exclusive warning: another instance is updating the data.
std::string ExclusiveWarningText();

class MultiUser {
public:
    MultiUser(std::string currentUser, std::string computerName);

    // The first 16 characters of user + computer + 14 underscores.
    static std::string MakeInstanceId(const std::string& currentUser, const std::string& computerName);
    const std::string& InstanceId() const { return m_instanceId; }

    // The record's text while the instance runs: user + " Компьютер " + computer + " [ " + time + " ]".
    std::string PresenceText(const std::string& time) const;

    // This instance's record, when present.
    std::optional<platform::RecordNumber> MultiUserFind(platform::DbfTable& table) const;
    // Updates or creates this instance's record; nothing when the table is read-only.
    void MultiUserWrite(platform::DbfTable& table, const std::string& group, const std::string& text);
    // Takes or releases the marker (only when the status allows), then recomputes the status. `startText` is
    // the text of a record that must be created to hold the marker.
    void MultiUserExclusive(platform::DbfTable& table, bool take, const std::string& startText);
    // Recomputes the status, the hint and the list of present instances from the records.
    void GetMultiUserStatus(platform::DbfTable& table, bool multiUserAccess);
    // The warning before bulk writes: true when the caller may go on.
    bool MultiUserWarningOk(platform::UserDialog& dialog, core::WorkLog& log) const;

    // 0 nobody holds the marker, 1 another instance holds it, 2 this one.
    int Status() const { return m_status; }
    const std::string& Hint() const { return m_hint; }
    const std::vector<PresenceEntry>& Entries() const { return m_entries; }

private:
    std::string m_currentUser;
    std::string m_computerName;
    std::string m_instanceId;
    int m_status = 0;
    std::string m_hint;
    std::vector<PresenceEntry> m_entries;
    bool m_refreshing = false;
};

} // namespace pelgo::structure
