// pelgo-cli numbers: synchronising the inventory numbers of the captions and of the additional data, as one more
// instance on the data, and checking the tree for numbers used twice, which only looks at the data.
#include <cstdio>
#include <optional>
#include <string>
#include <vector>

#include "cli/changing_run.h"
#include "cli/commands.h"
#include "cli/report_output.h"
#include "cli/stored_tree.h"
#include "core/cp1251.h"
#include "core/errors.h"
#include "core/file.h"
#include "core/text.h"
#include "core/translator.h"
#include "inventory/number_sync.h"
#include "platform/installation_folder.h"
#include "session/inventory_numbers.h"
#include "structure/multi_user.h"
#include "structure/node_queries.h"

namespace pelgo::cli {
namespace {

// The exit code of a check that found numbers used twice.
constexpr int kDuplicatesFound = 3;

inventory::NumberChoice PreferenceOf(const std::string& name) {
    if (name == "tree") {
        return inventory::NumberChoice::Tree;
    }
    if (name == "stored") {
        return inventory::NumberChoice::Stored;
    }
    if (name == "skip") {
        return inventory::NumberChoice::Skip;
    }
    throw UsageError("--prefer is tree, stored or skip");
}

const char* ChoiceWords(inventory::NumberChoice choice) {
    switch (choice) {
    case inventory::NumberChoice::Tree:
        return "the caption's number kept";
    case inventory::NumberChoice::Stored:
        return "the stored number kept";
    case inventory::NumberChoice::Skip:
        break;
    }
    return "skipped";
}

std::string LineFeeds(const std::string& text) {
    return core::ReplaceAll(text, "\r\n", "\n");
}

int Sync(const Context& context, const Args& args) {
    args.ExpectOptions({"--prefer", "--export", "--force"});
    args.ExpectCount(1, 1);
    const inventory::NumberChoice prefer = PreferenceOf(args.Value("--prefer").value_or("skip"));
    std::optional<std::string> exportPath;
    if (const std::optional<std::string> path = args.Value("--export")) {
        exportPath = platform::AbsoluteFromWorkingDirectory(core::Utf8ToCp1251(*path));
    }
    CliDialog dialog;
    return RunChange(context, dialog, [&](session::AppState& state) {
        if (state.ProtectData()) {
            throw core::Error(core::Text(1047, "Включена защита данных"));
        }
        state.RefreshMultiUserStatus();
        if (state.MultiUser().Status() == 1) {
            if (!args.Flag("--force")) {
                throw core::Error(structure::ExclusiveWarningText() + "\r\n(" + state.MultiUser().Hint() +
                                  "; give --force to synchronise all the same)");
            }
            state.Log().LogEvent("MultiUser Exclusive Warning is ignored !");
        }
        // Refused before anything changes: a failed export after the save would leave the user unsure.
        if (exportPath) {
            RefuseOverwriting(*exportPath, state.Settings(), {});
            if (!core::DirectoryExists(core::DirectoryOf(*exportPath))) {
                throw core::Error("the folder of " + *exportPath + " does not exist; choose another export file");
            }
        }
        const auto ask = [prefer](const structure::TreeNode& node, const std::string& tree, const std::string& stored) {
            std::fprintf(stderr, "pelgo-cli: %s: the caption has %s, the additional data %s: %s\n",
                         core::Cp1251ToUtf8(structure::GetPath(&node)).c_str(), core::Cp1251ToUtf8(tree).c_str(),
                         core::Cp1251ToUtf8(stored).c_str(), ChoiceWords(prefer));
            return prefer;
        };
        const std::optional<inventory::SyncOutcome> outcome =
            session::SynchronizeInventoryNumbers(state, dialog, ask, [] {});
        if (!outcome) {
            return std::vector<std::string>(); // the message says why
        }
        for (const std::string& path : outcome->sharedUnoPaths) {
            std::fprintf(stderr, "pelgo-cli: %s: left alone, another node has the same UNO\n",
                         core::Cp1251ToUtf8(path).c_str());
        }
        if (exportPath) {
            try {
                core::WriteFileAtomically(*exportPath, inventory::ExportFileBytes(outcome->exportLines));
            } catch (const core::FileError& error) {
                throw core::Error(std::string(error.what()) +
                                  "\r\n(the numbers are synchronised and saved; only the export is missing)");
            }
        }
        return outcome->exportLines;
    });
}

int Check(const Context& context, const Args& args) {
    args.ExpectOptions({});
    args.ExpectCount(1, 1);
    StoredTree stored(context, false, std::nullopt);
    const structure::NodeTypes types(stored.Settings().userNodeTypes);
    const session::NumberCheckReport report =
        session::ReportNumberCheck(inventory::CheckNumbers(stored.Tree(), types, [] {}), stored.Clock().Now(),
                                   session::NumberCheckLogPath(stored.Settings()));
    if (report.logPath.empty()) {
        PrintLine(LineFeeds(report.message));
        return 0;
    }
    const std::string log = core::ReadFileBytes(report.logPath);
    for (std::string_view line : core::SplitLines(log)) {
        PrintLine(std::string(line));
    }
    std::fprintf(stderr, "pelgo-cli: %s\n", core::Cp1251ToUtf8(LineFeeds(report.message)).c_str());
    return kDuplicatesFound;
}

} // namespace

const char* const kNumbersUsage =
    "  numbers sync [--prefer tree|stored|skip] [--export FILE] [--force]\n"
    "                              synchronise the inventory numbers of the captions and of the additional\n"
    "                              data; a conflict keeps the number --prefer names (default skip) and is noted\n"
    "                              on stderr. Prints the export lines; --export also writes them to FILE.\n"
    "                              Refused while another instance holds the Exclusive marker, unless --force\n"
    "  numbers check               list the equipment numbers used twice within one node type into error.log\n"
    "                              and print it (exit code 3); without any, print the count\n";

int RunNumbers(const Context& context, const std::vector<std::string>& raw) {
    const Args args(raw, {"--prefer", "--export"});
    if (args.Count() == 0) {
        throw UsageError("numbers needs sync or check");
    }
    const std::string& mode = args.At(0);
    if (mode == "sync") {
        return Sync(context, args);
    }
    if (mode == "check") {
        return Check(context, args);
    }
    throw UsageError("unknown numbers command \"" + mode + "\"");
}

} // namespace pelgo::cli
