// The archive update's context built from the application state.
#include "session/archive_run.h"

#include "archive/computer_journal.h"
#include "core/cp1251.h"
#include "core/date_time.h"
#include "shell/table_care.h"

namespace pelgo::session {

ArchiveReferences::ArchiveReferences(AppState& state)
    : addresses(archive::AddressList::Load(state.Settings().FilePath(shell::Key::MAClistFile))),
      motherboards(archive::MotherboardTableFilesOf(state.Settings()), state.Log()) {
}

archive::UpdateContext MakeUpdateContext(AppState& state, ArchiveReferences& references, platform::UserDialog& dialog,
                                         platform::Progress& progress) {
    const shell::Settings& settings = state.Settings();
    return {state.Tree(),
            state.Identity(),
            *state.DeviceTable().table,
            state.DeviceTable().path,
            state.Log(),
            dialog,
            progress,
            state.CurrentUser(),
            archive::NamingRule::From(settings),
            archive::PlacementRule::From(settings),
            references.addresses,
            references.motherboards,
            archive::RecognitionPathsOf(settings),
            references.conversion,
            [&state](bool take) { state.SetExclusive(take); },
            [&state] { return archive::JournalStamp(state.Clock()); },
            [&state](const std::string& mac, const std::string& text) { state.LogJournalEntry(mac, text); },
            [&state] { state.TreeStorage()->SetTreeModified(true); },
            [&state, &dialog] {
                shell::TableCare(state.Log(), dialog, state.Clock(), state.Flags()).Pack(state.DeviceTable());
            }};
}

std::optional<UpdateRunLock> UpdateRunLock::Take(AppState& state, platform::UserDialog& dialog) {
    const std::string path = core::DirectoryOf(state.DeviceTable().path) + "/update.lck";
    std::optional<core::LockedFile> file = core::LockedFile::Open(path, core::LockedFile::Access::ReadWrite, true);
    if (!file) {
        dialog.Inform(platform::MessageKind::Error,
                      "Cannot open " + path + ": the archive update needs to create and write this file.");
        return std::nullopt;
    }
    if (!file->TryLock(core::LockedFile::LockKind::Exclusive)) {
        dialog.Inform(platform::MessageKind::Warning,
                      core::Utf8ToCp1251("Архив уже обновляется другим окном или командой на этих данных.\r\n"
                                         "Запустите обновление, когда оно закончится."));
        return std::nullopt;
    }
    return UpdateRunLock(std::move(*file));
}

std::string LastUpdateText(AppState& state, bool onlyNew) {
    const core::DateTime now = state.Clock().Now();
    const core::DateFormats formats;
    return formats.ShortDate(now) + " " + formats.LongTime(now) + " " + state.CurrentUser() +
           (onlyNew ? " (only new)" : " (all)");
}

std::vector<std::string> UpdateDirectories(const shell::Settings& settings) {
    std::vector<std::string> directories;
    for (const std::string& stored : settings.updPatches) {
        directories.push_back(settings.Paths().ToNative(stored));
    }
    return directories;
}

} // namespace pelgo::session
