// ReadIni: reading "pelgo.ini" into the settings (mode 1) and writing them back (mode 0), with the base
// directory and table checks of a start, the users' rights and the persisted failure flag.
#pragma once

#include <functional>
#include <string>

#include "core/date_time.h"
#include "core/profile_file.h"
#include "core/work_log.h"
#include "platform/user_dialog.h"
#include "shell/protection_flags.h"
#include "shell/settings.h"

namespace pelgo::shell {

struct SettingsContext {
    core::WorkLog& log;
    platform::UserDialog& dialog;
    const core::Clock& clock;
    std::string executablePath; // native, cp1251
    std::string currentUser;
    bool brandingPresent = false; // a branding file hides the maker's credit
    core::DateFormats formats;
    bool readOnly = false; // only look: nothing is written to the settings file or the work log
};

class SettingsFile {
public:
    SettingsFile(std::string iniPath, Settings& settings, ProtectionFlags& flags, SettingsContext context);

    const std::string& Path() const { return m_iniPath; }

    // 1 reads and applies, 0 writes; both end by evaluating the protection. A settings file that cannot be
    // written is reported (the file and the reason, to the user and to the log) once per write that failed,
    // and the work goes on; false when that happened.
    bool ReadIni(int mode);
    void SaveReportsSetup();
    // Persists the failure flag when it differs from what this run last wrote.
    void LockSboi();
    // Writes [BookMarks] alone: the bookmark slots follow each commit of the tree.
    void WriteBookmarks();

    // Set by reading when the recorded version is not the running one; the first activation consumes it.
    bool NewVersion() const { return m_newVersion; }
    void ClearNewVersion() { m_newVersion = false; }

    // ProtectData of the application state: true when the data are protected.
    void SetProtectionCheck(std::function<bool()> protectData) { m_protectData = std::move(protectData); }
    bool IsProtected() const;

private:
    void Read();
    void Write();
    void Log(const std::string& text);
    // Runs one access to the file; a failure is reported and logged instead of thrown. False when it failed.
    bool Guarded(const std::function<void()>& access);
    void WriteReportsSetup();
    void RereadFailureFlag();
    void ReadBaseDirectory();
    void ReadTableFile(Key key);
    void ReadTableKeys(std::string_view section);
    void WriteTableKeys(std::string_view section);
    void ReadKey(const KeyInfo& info);
    void WriteKey(const KeyInfo& info);
    void ReadUsers();
    // True when some user keeps full control.
    bool WriteUsers();
    void ReadJournalTypes();
    void WriteJournalTypes();
    void ReadUserNodeTypes();
    void WriteUserNodeTypes();
    std::string DynamicDefaultOf(const KeyInfo& info);
    std::vector<std::string> ReadNumberedList(const std::string& section);
    void WriteNumberedList(const std::string& section, const std::vector<std::string>& values);
    Entries ReadEntries(const std::string& section);
    void WriteEntries(const std::string& section, const Entries& entries);

    std::string m_iniPath;
    core::ProfileFile m_file;
    Settings& m_settings;
    ProtectionFlags& m_flags;
    SettingsContext m_context;
    std::function<bool()> m_protectData;
    bool m_newVersion = false;
    bool m_lastWrittenSboi = false;
    std::string m_lastReportedFailure;
    bool m_writeFailed = false; // since the current ReadIni began
};

} // namespace pelgo::shell
