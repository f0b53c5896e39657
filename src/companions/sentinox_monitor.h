// The change monitor's run: its settings file "sentinox.ini" written from Pelgo's settings, and its start,
// at most once a day and once per run of Pelgo, only for the users the settings name.
#pragma once

#include <string>
#include <vector>

#include "companions/sentinox_settings.h"
#include "core/date_time.h"
#include "core/profile_file.h"
#include "platform/program_launcher.h"
#include "shell/settings.h"

namespace pelgo::companions {

// What the monitor's file needs from Pelgo besides the section; paths native.
struct MonitorEnvironment {
    shell::PathRules paths;
    int userRights = 0; // 0 full control, 1 read only
    core::DateTime now;
    std::string smartFile;
    std::string workDir;
    std::string workTable; // the node-record table as Pelgo opened it: the monitor writes its results there
};
MonitorEnvironment EnvironmentOf(const shell::Settings& settings, int userRights, const core::DateTime& now,
                                 std::string workTable);

// The executable's path with ".ini" for its extension.
std::string MonitorFilePath(const std::string& executable);
// The monitor's keys in its fixed order, LastRunInPelgoMode empty, into the caller's open batch. Stale
// numbered keys beyond the current lists are left alone.
void WriteMonitorFile(core::ProfileFile& file, const SentinoxSettings& values, const MonitorEnvironment& environment);
// The line-analysis rules of another monitor file (section Strings); codes above 1 are taken as marking.
std::vector<AnalysisRow> LoadRules(const std::string& path);

// "dd.mm.yyyy " with its trailing blank, as the monitor records its last run.
std::string MonitorDay(const core::DateTime& now);

class SentinoxMonitor {
public:
    explicit SentinoxMonitor(platform::ProgramLauncher& launcher) : m_launcher(launcher) {}

    enum class Outcome {
        Skipped, // not wanted: already started by this run, not ticked, no executable, user level too high
        NotDue,  // the monitor ran today, or has not yet answered the last preparation
        Started,
        NotStarted, // its file could not be written or the program would not start
    };
    // The start-up duty; `test` (the dialog's test button) ignores the once-per-run and once-a-day rules.
    Outcome Start(const SentinoxSettings& values, const MonitorEnvironment& environment, bool test);
    bool StartedThisRun() const { return m_started; }

private:
    platform::ProgramLauncher& m_launcher;
    bool m_started = false;
};

} // namespace pelgo::companions
