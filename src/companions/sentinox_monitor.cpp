// Writing sentinox.ini and starting the monitor. Failures stay silent: the monitor is a convenience that
// must never keep Pelgo from starting.
#include "companions/sentinox_monitor.h"

#include "core/errors.h"
#include "core/file.h"
#include "core/text.h"

namespace pelgo::companions {

namespace {

std::string WithoutTrailingSlash(std::string path) {
    while (path.size() > 1 && path.back() == '/') {
        path.pop_back();
    }
    return path;
}

} // namespace

MonitorEnvironment EnvironmentOf(const shell::Settings& settings, int userRights, const core::DateTime& now,
                                 std::string workTable) {
    return {settings.Paths(),
            userRights,
            now,
            settings.FilePath(shell::Key::SmartCode),
            settings.FilePath(shell::Key::WorkDir),
            std::move(workTable)};
}

std::string MonitorFilePath(const std::string& executable) {
    return core::ChangeFileExt(executable, ".ini");
}

std::string MonitorDay(const core::DateTime& now) {
    return core::FormatDateTime(now, "dd.MM.yyyy") + " ";
}

void WriteMonitorFile(core::ProfileFile& file, const SentinoxSettings& values, const MonitorEnvironment& environment) {
    const auto config = [&file](const char* key, const std::string& value) { file.WriteString("Config", key, value); };
    config("LastRunInPelgoMode", "");
    config("CloseIfAllOk", "2");
    config("LOG_FileName",
           values.createLog ? WithoutTrailingSlash(environment.paths.ToNative(values.logDir)) + "/sentinox.log" : "");
    config("LowPriority", "1");
    config("DeleteOld", "0");
    config("Smart_File", environment.smartFile);
    config("UseWorkDir", "0");
    config("WorkDir", environment.workDir);
    config("MapWorkDrive", "0");
    config("AutoRun", "1");
    config("NoSignatureCheck", "1");
    config("ExpandTree", "0");
    config("MaxLines", std::to_string(values.maxLines));
    config("MaxDate", std::to_string(values.maxData));
    config("WorkTable", environment.workTable);
    for (std::size_t n = 0; n < values.rows.size(); ++n) {
        file.WriteString("Strings", "Text" + std::to_string(n), values.rows[n].text);
        file.WriteString("Strings", "Mode" + std::to_string(n), std::to_string(values.rows[n].mode));
    }
    for (std::size_t n = 0; n < values.dirs.size(); ++n) {
        file.WriteString("CheckDirs", "Path_" + std::to_string(n), environment.paths.ToNative(values.dirs[n]));
    }
}

std::vector<AnalysisRow> LoadRules(const std::string& path) {
    core::ProfileFile file(path);
    std::vector<AnalysisRow> rows;
    for (std::size_t n = 0; n < kMaxNumberedEntries; ++n) {
        const std::string suffix = std::to_string(n);
        std::string text = file.ReadString("Strings", "Text" + suffix, "");
        if (text.empty()) {
            break;
        }
        const int mode = core::ParseInt(file.ReadString("Strings", "Mode" + suffix, "0")).value_or(kModeIgnore);
        rows.push_back({std::move(text), mode > kModeMark ? kModeMark : mode});
    }
    return rows;
}

SentinoxMonitor::Outcome SentinoxMonitor::Start(const SentinoxSettings& values, const MonitorEnvironment& environment,
                                                bool test) {
    if (m_started && !test) {
        return Outcome::Skipped;
    }
    const std::string executable = environment.paths.ToNative(values.snxPath);
    if (!values.runSentinox || !core::FileExists(executable) || values.snxUser < environment.userRights) {
        return Outcome::Skipped;
    }
    m_started = true;
    try {
        core::ProfileFile file(MonitorFilePath(executable));
        // The check and the write under one lock: two instances starting together launch one monitor.
        core::ProfileFile::Batch batch(file);
        const std::string lastRun = file.ReadString("Config", "LastRunInPelgoMode", "never ");
        if (!test && (lastRun.empty() || lastRun.find(MonitorDay(environment.now)) != std::string::npos)) {
            return Outcome::NotDue;
        }
        WriteMonitorFile(file, values, environment);
        batch.Commit();
    } catch (const core::Error&) {
        return Outcome::NotStarted;
    }
    return m_launcher.Launch(executable, {}, core::DirectoryOf(executable)) ? Outcome::Started : Outcome::NotStarted;
}

} // namespace pelgo::companions
