// Where pelgo-cli finds the installation it works on and the reference data a new one receives, and the
// settings of that installation as a command sees them.
#pragma once

#include <memory>
#include <string>

#include "cli/args.h"
#include "cli/cli_dialog.h"
#include "core/date_time.h"
#include "core/work_log.h"
#include "platform/dbf_table.h"
#include "shell/protection_flags.h"
#include "shell/settings.h"
#include "shell/settings_file.h"
#include "structure/multi_user.h"

namespace pelgo::cli {

// --home, else $PELGO_HOME, else the folder of the program itself; native cp1251 without a trailing '/'.
std::string InstallationFolder(const Context& context);
// The shipped reference data: $PELGO_DATA, else the source tree's data/ folder.
std::string ReferenceDataFolder();

// An installation's settings read as a start reads them. With `readOnly` nothing is written to the
// settings file or the work log.
class Installation {
public:
    Installation(const Context& context, bool readOnly);

    const std::string& Folder() const { return m_folder; }
    shell::Settings& Settings() { return m_settings; }
    shell::SettingsFile& File() { return *m_file; }
    shell::ProtectionFlags& Flags() { return m_flags; }
    core::WorkLog& Log() { return m_log; }
    core::Clock& Clock() { return m_clock; }

private:
    std::string m_folder;
    core::Clock m_clock;
    core::WorkLog m_log;
    CliDialog m_dialog;
    shell::Settings m_settings;
    shell::ProtectionFlags m_flags;
    std::unique_ptr<shell::SettingsFile> m_file;
};

// One of the two tables opened read-only by a command that only looks, indexed by its key field: the adapter
// address of device.dbf, the UNO of other.dbf.
platform::DbfTable OpenTableReadOnly(shell::Settings& settings, const core::Clock& clock, shell::Key table);

// A command that changes the data is one more instance on them while it runs: its presence record is in
// the node-record table and it holds the Exclusive marker, so windows open on the same data see it; both
// are cleared when it ends.
class PresentInstance {
public:
    explicit PresentInstance(Installation& installation);
    ~PresentInstance();
    PresentInstance(const PresentInstance&) = delete;
    PresentInstance& operator=(const PresentInstance&) = delete;

private:
    platform::DbfTable m_table;
    structure::MultiUser m_multiUser;
};

} // namespace pelgo::cli
