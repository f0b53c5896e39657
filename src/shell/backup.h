// Backup copies made next to a data file: F.bak, the newest copy, refreshed whenever F has changed, and
// dated generations F.ba1..F.baN (or F.b<month>1..N) rotated at most once a day.
#pragma once

#include <string>

#include "core/date_time.h"
#include "core/work_log.h"
#include "platform/progress.h"
#include "platform/user_dialog.h"

namespace pelgo::shell {

struct BackupSettings {
    int createBackup = 1; // 0 none, 1 tables and tree files, 2 tree files only with month-named generations
    int backupCount = 2;  // generations, 1 to 9 (other values are held to that range)
    bool showBackupError = true;
};

class Backups {
public:
    Backups(const BackupSettings& settings, core::WorkLog& log, platform::UserDialog& dialog, const core::Clock& clock,
            platform::Progress* progress = nullptr);

    // One copy (or, from one backup name to another, a rename) of `source` to its name with `extension`.
    // With `onceADay`, a target already made today is left alone. True when a copy or rename was made; a
    // step that fails leaves the target as it was.
    bool SubBackup(const std::string& source, const std::string& extension, bool onceADay);
    // The full rotation for one data file.
    // True when F.bak holds the current content of the file afterwards.
    bool Backup(const std::string& file);

private:
    bool IsToday(const core::DateTime& time) const;
    // Moves each generation one place older and F.bak into the newest; false when a step failed.
    bool ShiftGenerations(const std::string& file);
    void Warn(const std::string& source, const std::string& target);

    BackupSettings m_settings;
    core::WorkLog& m_log;
    platform::UserDialog& m_dialog;
    const core::Clock& m_clock;
    platform::Progress* m_progress;
};

} // namespace pelgo::shell
