// pelgo-cli presence: the instances working on an installation's data, as this workstation sees them.
#include "cli/commands.h"
#include "cli/installation.h"
#include "platform/dbf_table.h"
#include "platform/system_identity.h"
#include "structure/multi_user.h"

namespace pelgo::cli {

const char* const kPresenceUsage =
    "  presence                   list the instances present on the data and the Exclusive status\n";

int RunPresence(const Context& context, const std::vector<std::string>& raw) {
    Args(raw, {}).ExpectCount(0, 0);
    Installation installation(context, true);
    installation.File().ReadIni(1);
    platform::DbfTable table = OpenTableReadOnly(installation.Settings(), installation.Clock(), shell::Key::OtherTable);
    structure::MultiUser multiUser(platform::CurrentUserName(), platform::ComputerName());
    multiUser.GetMultiUserStatus(table, false);
    for (const structure::PresenceEntry& entry : multiUser.Entries()) {
        PrintLine(entry.text + (entry.exclusive ? " Exclusive" : ""));
    }
    PrintLine("status: " + std::to_string(multiUser.Status()));
    return 0;
}

} // namespace pelgo::cli
