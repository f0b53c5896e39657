// The change monitor's results in the node-record table: the critical alarms, shown at the main window's
// activation, logged once and aged until they are deleted at their sixth showing, and the listing of every
// monitor record for a look from the command line.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "core/work_log.h"
#include "platform/dbf_table.h"
#include "structure/node_records_table.h"

namespace pelgo::companions {

inline constexpr const char* kAlarmKey = "_SNX_ALARM_";
inline constexpr const char* kMonitorName = "SENTINOX";

// The message grows by whole alarm lines only while it is shorter than this; later alarms add a dot.
inline constexpr std::size_t kAlarmMessageLength = 600;

// The critical alarms in index order.
std::vector<structure::NodeRecord> ReadCriticalAlarms(platform::DbfTable& other);

// The warning for the critical alarms; none when there are none. With `age` each alarm shown for the first
// time is logged, and every alarm is aged: "SENTINOX" becomes "X", an "X" more up to five, then the record is
// deleted. A table this instance may not write shows the alarms without ageing them.
std::optional<std::string> ShowCriticalAlarms(platform::DbfTable& other, core::WorkLog& log, bool age);

// One record of the monitor: a computer's change line (address, date and time, line) or a critical alarm
// (its key, heading, text), each part trimmed.
struct MonitorRecord {
    std::string key;
    std::string group;
    std::string text;
};
// Every monitor record in index order, read without changing anything.
std::vector<MonitorRecord> ListMonitorRecords(platform::DbfTable& other);

} // namespace pelgo::companions
