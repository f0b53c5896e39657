// Critical alarms and the listing of the monitor's records.
#include "companions/sentinox_alarms.h"

#include "archive/computer_view.h"
#include "core/cp1251.h"
#include "core/text.h"
#include "structure/multi_user.h"

namespace pelgo::companions {

namespace {

constexpr std::size_t kAgedOut = 5; // an alarm whose counter has this many "X" is deleted when shown

std::string Trimmed(const std::string& text) {
    return std::string(core::Trim(text));
}

} // namespace

std::vector<structure::NodeRecord> ReadCriticalAlarms(platform::DbfTable& other) {
    return structure::NodeRecordsTable(other).Find(kAlarmKey);
}

std::optional<std::string> ShowCriticalAlarms(platform::DbfTable& other, core::WorkLog& log, bool age) {
    const std::vector<structure::NodeRecord> alarms = ReadCriticalAlarms(other);
    if (alarms.empty()) {
        return std::nullopt;
    }
    std::string message = core::Utf8ToCp1251("ВНИМАНИЕ! Критические предупреждения от Sentinox.exe :") + "\r\n";
    std::vector<platform::RecordNumber> aged;
    for (const structure::NodeRecord& alarm : alarms) {
        // The monitor's text may hold line breaks: the work log keeps one line per event.
        const std::string line = core::ControlsAsBlanks(Trimmed(alarm.group) + "=" + Trimmed(alarm.text));
        message += message.size() < kAlarmMessageLength ? line + "\r\n" : ".";
        if (!age) {
            continue;
        }
        const std::string name = Trimmed(alarm.name);
        if (name == kMonitorName) {
            log.LogEvent("SENTINOX Alarm : " + line);
            other.SetField(alarm.number, "NAME", "X");
        } else if (name.size() < kAgedOut) {
            other.SetField(alarm.number, "NAME", name + "X");
        } else {
            aged.push_back(alarm.number);
        }
    }
    if (!aged.empty()) {
        other.DeleteRecords(aged);
    }
    message += "\r\n" + core::Utf8ToCp1251("(см.\"SENTINOX Alarm\" в журнале работы)");
    return message;
}

std::vector<MonitorRecord> ListMonitorRecords(platform::DbfTable& other) {
    const std::size_t unoField = other.FieldIndex("UNO");
    const std::size_t nameField = other.FieldIndex("NAME");
    // The keys in index order; each key's records are then read as the computer view reads them.
    std::vector<std::string> keys;
    other.WalkByIndex([&](const platform::DbfRecord& record) {
        const std::string key = Trimmed(record.values[unoField]);
        // A presence record's name is made of a user's and a computer's names, whatever it spells.
        const bool changeLine = key != structure::kMultiUserUno && Trimmed(record.values[nameField]) == kMonitorName;
        if ((key == kAlarmKey || changeLine) && (keys.empty() || keys.back() != key)) {
            keys.push_back(key);
        }
    });
    std::vector<MonitorRecord> records;
    for (const std::string& key : keys) {
        if (key == kAlarmKey) {
            for (const structure::NodeRecord& alarm : ReadCriticalAlarms(other)) {
                records.push_back({key, Trimmed(alarm.group), Trimmed(alarm.text)});
            }
            continue;
        }
        for (const archive::AlarmRecord& alarm : archive::ReadAlarms(other, key)) {
            records.push_back({key, alarm.stamp, alarm.text});
        }
    }
    return records;
}

} // namespace pelgo::companions
