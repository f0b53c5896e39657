// pelgo-cli alarms: the change monitor's records of the node-record table, the computers' change lines and the
// critical alarms, listed without showing them as the window does: nothing is aged, logged or written.
#include "cli/commands.h"
#include "cli/installation.h"
#include "companions/sentinox_alarms.h"
#include "core/text.h"
#include "platform/dbf_table.h"

namespace pelgo::cli {

const char* const kAlarmsUsage =
    "  alarms                     the change monitor's records, one a line: address (or _SNX_ALARM_), date and\n"
    "      time (or heading), text; read-only\n";

int RunAlarms(const Context& context, const std::vector<std::string>& raw) {
    Args(raw, {}).ExpectCount(0, 0);
    Installation installation(context, true);
    installation.File().ReadIni(1);
    platform::DbfTable table = OpenTableReadOnly(installation.Settings(), installation.Clock(), shell::Key::OtherTable);
    for (const companions::MonitorRecord& record : companions::ListMonitorRecords(table)) {
        // A line break or TAB inside a value would shift the columns.
        PrintLine(core::ControlsAsBlanks(record.key) + "\t" + core::ControlsAsBlanks(record.group) + "\t" +
                  core::ControlsAsBlanks(record.text));
    }
    return 0;
}

} // namespace pelgo::cli
