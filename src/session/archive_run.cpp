// The archive update's context built from the application state.
#include "session/archive_run.h"

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
            [&state](const std::string& mac, const std::string& text) { state.AddToLog(mac, text); },
            [&state] { state.TreeStorage()->SetTreeModified(true); },
            [&state, &dialog] {
                shell::TableCare(state.Log(), dialog, state.Clock(), state.Flags()).Pack(state.DeviceTable());
            }};
}

std::string LastUpdateText(AppState& state, bool onlyNew) {
    const core::DateTime now = state.Clock().Now();
    const core::DateFormats formats;
    return formats.ShortDate(now) + " " + formats.LongTime(now) + " " + state.CurrentUser() +
           (onlyNew ? " (only new)" : " (all)");
}

} // namespace pelgo::session
