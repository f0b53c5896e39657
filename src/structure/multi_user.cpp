// Presence records and the Exclusive marker.
#include "structure/multi_user.h"

#include <algorithm>

#include "core/translator.h"

namespace pelgo::structure {
namespace {

// Field positions of the node-record table.
constexpr std::size_t kGroup = 1;
constexpr std::size_t kName = 2;
constexpr std::size_t kText = 3;

bool Writable(const platform::DbfTable& table) {
    return table.IsOpen() && table.Mode() != platform::DbfOpenMode::ReadOnly;
}

} // namespace

MultiUser::MultiUser(std::string currentUser, std::string computerName)
    : m_currentUser(std::move(currentUser)), m_computerName(std::move(computerName)),
      m_instanceId(MakeInstanceId(m_currentUser, m_computerName)) {
}

std::string MultiUser::MakeInstanceId(const std::string& currentUser, const std::string& computerName) {
    return (currentUser + computerName + std::string(14, '_')).substr(0, 16);
}

std::string MultiUser::PresenceText(const std::string& time) const {
    return m_currentUser + " " + core::Text(2032, "Компьютер") + " " + m_computerName + " [ " + time + " ]";
}

std::optional<platform::RecordNumber> MultiUser::MultiUserFind(platform::DbfTable& table) const {
    for (const platform::DbfRecord& record : table.Find(kMultiUserUno)) {
        if (record.values[kName] == m_instanceId) {
            return record.number;
        }
    }
    return std::nullopt;
}

void MultiUser::MultiUserWrite(platform::DbfTable& table, const std::string& group, const std::string& text) {
    if (!Writable(table)) {
        return;
    }
    if (const auto record = MultiUserFind(table)) {
        table.SetField(*record, "GROUP", group);
        table.SetField(*record, "TEXT", text);
    } else if (!text.empty()) {
        table.Append({kMultiUserUno, group, m_instanceId, text});
    }
}

void MultiUser::MultiUserExclusive(platform::DbfTable& table, bool take, const std::string& startText) {
    if (!Writable(table) || (take && m_status == 2) || (!take && m_status != 2)) {
        return;
    }
    if (const auto record = MultiUserFind(table)) {
        table.SetField(*record, "GROUP", take ? kExclusiveGroup : "");
    } else if (take) {
        table.Append({kMultiUserUno, kExclusiveGroup, m_instanceId, startText});
    }
    GetMultiUserStatus(table, false);
}

void MultiUser::GetMultiUserStatus(platform::DbfTable& table, bool multiUserAccess) {
    if (m_refreshing || !table.IsOpen()) {
        return;
    }
    m_refreshing = true;
    m_entries.clear();
    m_hint.clear();
    int status = -1;
    for (const platform::DbfRecord& record : table.Find(kMultiUserUno)) {
        if (record.values[kText].empty()) {
            continue;
        }
        status = std::max(status, 0);
        const bool exclusive = record.values[kGroup] == kExclusiveGroup;
        const std::string caption = record.values[kText] + " " + record.values[kGroup];
        m_hint += (m_hint.empty() ? "" : "\r\n") + caption;
        m_entries.push_back({record.values[kText], caption, record.values[kName], exclusive});
        if (exclusive) {
            status = record.values[kName] == m_instanceId ? 2 : std::max(status, 1);
        }
    }
    if (status >= 0) {
        m_status = status;
    }
    if (m_entries.empty() && multiUserAccess) {
        m_hint = m_currentUser + " " + core::Text(2032, "Компьютер") + " " + m_computerName;
    }
    m_refreshing = false;
}

std::string ExclusiveWarningText() {
    return core::Text(5000, "В данный момент выполняется обновление\r\nданных другим пользователем программы.\r\n\nВы "
                            "настаиваете на запуске ?");
}

bool MultiUser::MultiUserWarningOk(platform::UserDialog& dialog, core::WorkLog& log) const {
    if (m_status != 1) {
        return true;
    }
    const platform::Answer answer =
        dialog.Ask(platform::MessageKind::Warning, ExclusiveWarningText(), platform::Buttons::YesNo);
    if (answer != platform::Answer::Yes) {
        return false;
    }
    log.LogEvent("MultiUser Exclusive Warning is ignored !");
    return true;
}

} // namespace pelgo::structure
