// pelgo-cli update: the archive update of the whole enterprise without a window, on the application state.
#include "archive/archive_update.h"
#include "cli/changing_run.h"
#include "cli/commands.h"
#include "cli/installation.h"
#include "core/errors.h"
#include "core/file.h"
#include "core/text.h"
#include "platform/installation_folder.h"
#include "session/archive_run.h"
#include "structure/multi_user.h"

namespace pelgo::cli {

const char* const kUpdateUsage =
    "  update [DIRECTORY...] [--all] [--clean] [--config-changes] [--keep-journal N] [--no-copy]\n"
    "         [--place|--no-place]\n"
    "                              load the collector files of the directories ([UpdPatches] when none is\n"
    "                              given) into the archive; --all: also files of computers already archived;\n"
    "                              --clean: remove the archive's addresses the tree does not have; --keep-journal\n"
    "                              N: journal entries kept per computer (0: all); --place: place the new\n"
    "                              computers afterwards. Prints the protocol and keeps it as Update.log\n";

int RunUpdate(const Context& context, const std::vector<std::string>& raw) {
    const Args args(raw, {"--keep-journal"});
    args.ExpectOptions(
        {"--all", "--clean", "--config-changes", "--keep-journal", "--no-copy", "--place", "--no-place"});
    if (args.Flag("--place") && args.Flag("--no-place")) {
        throw UsageError("--place and --no-place exclude each other");
    }
    archive::UpdateOptions options;
    options.onlyNew = !args.Flag("--all");
    options.cleanArchive = args.Flag("--clean");
    options.configChanges = args.Flag("--config-changes");
    options.placeNewComputers = args.Flag("--place");
    if (const std::optional<std::string> keep = args.Value("--keep-journal")) {
        const std::optional<int> count = core::ParseInt(*keep);
        if (!count || *count < 0 || *count > 99) {
            throw UsageError("--keep-journal is a number from 0 to 99");
        }
        options.trimJournal = *count > 0;
        options.keepJournal = *count;
    }
    std::vector<std::string> directories;
    for (std::size_t i = 0; i < args.Count(); ++i) {
        directories.push_back(platform::AbsoluteFromWorkingDirectory(args.Cp1251At(i)));
    }
    // The questions the command line answers: the cleaning (--clean) and the placement (--place).
    CliDialog dialog(true);
    return RunChange(context, dialog, [&](session::AppState& state) {
        shell::Settings& settings = state.Settings();
        if (directories.empty()) {
            directories = session::UpdateDirectories(settings);
        }
        if (directories.empty()) {
            throw core::Error("no directory to update from: name one, or list them in [UpdPatches] of pelgo.ini");
        }
        options.copyToWorkDir = settings.Bool(shell::Key::UseWorkDir) && !args.Flag("--no-copy");
        options.workDir = settings.FilePath(shell::Key::WorkDir);
        if (options.copyToWorkDir && !core::CreateDirectories(options.workDir)) {
            throw core::Error(core::Text(4301, "Ошибочный каталог\r\n") + options.workDir +
                              " (give --no-copy to read the files where they are)");
        }
        if (state.ProtectData()) {
            throw core::Error(core::Text(1047, "Включена защита данных"));
        }
        // Two runs at once would load the same computers twice: the command line does not insist.
        state.RefreshMultiUserStatus();
        if (state.MultiUser().Status() == 1) {
            throw core::Error(structure::ExclusiveWarningText() +
                              "\r\nNo: run the update again when the other one has ended (" + state.MultiUser().Hint() +
                              ")");
        }
        const std::optional<session::UpdateRunLock> alone = session::UpdateRunLock::Take(state, dialog);
        if (!alone) {
            return std::vector<std::string>(); // the message says why; nothing changed
        }
        session::ArchiveReferences references(state);
        archive::ArchiveUpdate update(session::MakeUpdateContext(state, references, dialog, state.Progress()));
        settings.SetText(shell::Key::DBFLastUpdate, session::LastUpdateText(state, options.onlyNew));
        update.StartUpdate(directories, options, nullptr, InstallationFolder(context) + "/Update.log");
        return std::vector<std::string>();
    });
}

} // namespace pelgo::cli
