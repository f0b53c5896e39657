// What the archive update needs from the application state, put together in one place for the update window
// and pelgo-cli: the context of a run and the last-update text it leaves in the settings.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "archive/address_list.h"
#include "archive/aida_conversion.h"
#include "archive/archive_update.h"
#include "archive/motherboard.h"
#include "core/file.h"
#include "platform/progress.h"
#include "platform/user_dialog.h"
#include "session/app_state.h"

namespace pelgo::session {

// The reference data a run reads as it goes: the adapter-vendor list and the BIOS code tables, loaded on first
// use and kept as long as this object lives (the update window keeps it, so a second run reads nothing again).
struct ArchiveReferences {
    explicit ArchiveReferences(AppState& state);

    archive::AddressList addresses;
    archive::MotherboardIdentifier motherboards;
    archive::AidaConversion conversion;
};

// The context of a run on the state's tree and archive table: the tree is marked modified as nodes come, the
// Exclusive marker is this instance's, and the table is packed through the table care.
archive::UpdateContext MakeUpdateContext(AppState& state, ArchiveReferences& references, platform::UserDialog& dialog,
                                         platform::Progress& progress);

// Held for the whole of an archive update, so that a second update of the same data, from any process on any
// workstation sharing the folder, is refused: the Exclusive marker cannot tell two processes of one user on
// one workstation apart, and two runs at once would load computers twice.
class UpdateRunLock {
public:
    // Empty, after telling the user, when another update holds the lock.
    static std::optional<UpdateRunLock> Take(AppState& state, platform::UserDialog& dialog);

private:
    explicit UpdateRunLock(core::LockedFile file) : m_file(std::move(file)) {}
    core::LockedFile m_file;
};

// DBFLastUpdate of a run starting now: date, time, user and which files it loads.
std::string LastUpdateText(AppState& state, bool onlyNew);

// The archive update's directory list ([UpdPatches]), native: where the other runs over collector files start.
std::vector<std::string> UpdateDirectories(const shell::Settings& settings);

} // namespace pelgo::session
