// The settings of an installation in memory: every key of "pelgo.ini" with its effective value, the list
// sections and the per-user sections. Values are cp1251 and kept in the file's own forms; data-file keys
// resolve to native paths through the path rules.
#pragma once

#include <array>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "platform/user_dialog.h"
#include "shell/paths.h"
#include "shell/settings_keys.h"

namespace pelgo::shell {

using Entries = std::vector<std::pair<std::string, std::string>>;

// A journal type beyond the two built-in ones ([RepairTree] and its two companions).
struct JournalType {
    std::string name;
    std::string code;
    std::array<std::string, 4> captions;
    std::array<std::string, 4> defaults;
};

// A user node type ([Add_Icons]).
struct UserNodeType {
    std::string iconPath; // stored form
    std::string name;
};

// One program of the TCP/IP service menu ([IP_Service]).
struct IpServiceItem {
    std::string soft;
    std::string name;
    std::string param;
};

class Settings {
public:
    explicit Settings(std::string programDirectory);

    PathRules& Paths() { return m_paths; }
    const PathRules& Paths() const { return m_paths; }

    const std::string& Text(Key key) const { return m_values[static_cast<std::size_t>(key)]; }
    int Int(Key key) const;
    bool Bool(Key key) const { return Int(key) != 0; }
    // A data-file key as a native path.
    std::string FilePath(Key key) const;

    void SetText(Key key, std::string value) { m_values[static_cast<std::size_t>(key)] = std::move(value); }
    void SetInt(Key key, int value) { SetText(key, std::to_string(value)); }
    void SetBool(Key key, bool value) { SetText(key, value ? "1" : "0"); }
    void SetFilePath(Key key, const std::string& native) { SetText(key, m_paths.DelPath(native)); }

    // The base directory, native, ending in '/'.
    const std::string& BaseDirectory() const { return m_paths.BaseDirectory(); }
    // Whether `path` names one of the installation's own files: a data file the settings name (the tables, the
    // three tree files, the code tables, the move template), "pelgo.ini" or the work log. A file the user
    // chooses for a report or an export must never replace one of them.
    bool IsInstallationFile(std::string_view path) const;
    // Asks for a file to write the user's output to; one of the installation's own files is refused with a
    // message, and the answer is then empty as for a cancel.
    std::optional<std::string> ChooseOutputFile(platform::UserDialog& dialog, const platform::FileChoice& choice) const;

    // Lists kept until their owners edit them; written back in the same order.
    std::vector<std::string> reportRows; // Reports_<user>: "GROUP|NAME|TYP|TEXT"
    Entries replacements;                // Replace_<user>: text to find = replacement
    std::vector<std::string> updPatches; // collector directories of the archive update
    std::vector<std::string> scanletPatches;
    // [ScanletPatches] held too many entries to be taken: scanletPatches is the update list, and the section
    // is left as it is until the user edits the list.
    bool scanletPatchesFallback = false;
    std::vector<IpServiceItem> ipService;
    std::vector<JournalType> journalTypes;
    std::vector<UserNodeType> userNodeTypes;
    Entries spravki;  // reference-list name = file
    Entries reports;  // report name = template
    Entries users;    // user name = rights digit [" Write " date time]
    Entries sentinox; // the change monitor's section, kept whole

private:
    PathRules m_paths;
    std::array<std::string, static_cast<std::size_t>(Key::Count)> m_values;
};

} // namespace pelgo::shell
