// A command that changes the data runs as one more instance on them, on the application state the window
// uses: the same start, activation (presence record), save and close request. The close saves the tree only
// when it was modified, so that a refused command leaves the data as they were.
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "cli/args.h"
#include "cli/cli_dialog.h"
#include "session/app_state.h"

namespace pelgo::cli {

// Runs on the started application state and returns the cp1251 lines to print when the run ends well. An
// edit that left the tree modified is saved; one that left it unmodified and showed a message was refused
// (exit code 1); one that did neither had nothing to do.
using Edit = std::function<std::vector<std::string>(session::AppState& state)>;

// Starts the application state on the installation, runs `edit` and saves what it changed; closes in every
// case, also when `edit` throws. Returns the exit code; throws core::Error when the data cannot be opened or
// the change could not be saved.
int RunChange(const Context& context, CliDialog& dialog, const Edit& edit);

} // namespace pelgo::cli
