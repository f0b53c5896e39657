// pelgo-cli inventory: the inventory numbers of the tree written into the collector files, on the application
// state as one more instance on the data.
#include "cli/changing_run.h"
#include "cli/commands.h"
#include "platform/installation_folder.h"
#include "session/archive_run.h"
#include "session/inventory_numbers.h"

namespace pelgo::cli {

const char* const kInventoryUsage =
    "  inventory [DIRECTORY...]    write each computer's caption, owner and place into its collector file in the\n"
    "                              directories ([UpdPatches] when none is given), after a check of the tree for\n"
    "                              inventory numbers used twice. Prints the protocol and keeps it as inventory.log\n";

int RunInventory(const Context& context, const std::vector<std::string>& raw) {
    const Args args(raw, {});
    args.ExpectOptions({});
    std::vector<std::string> directories;
    for (std::size_t i = 0; i < args.Count(); ++i) {
        directories.push_back(platform::AbsoluteFromWorkingDirectory(args.Cp1251At(i)));
    }
    CliDialog dialog;
    return RunChange(context, dialog, [&](session::AppState& state) {
        if (directories.empty()) {
            directories = session::UpdateDirectories(state.Settings());
        }
        // The run's own messages (duplicates, an empty directory, the count) report a run that went through;
        // only the message refusing an empty list tells RunChange that nothing was done.
        CliDialog runMessages;
        platform::UserDialog& told = directories.empty() ? static_cast<platform::UserDialog&>(dialog) : runMessages;
        session::AssignInventoryNumbers(state, directories, told, state.Progress(), {});
        return std::vector<std::string>();
    });
}

} // namespace pelgo::cli
