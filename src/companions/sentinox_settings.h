// The change monitor's settings as Pelgo keeps them in its section "Sentinox": what to run, which collector
// directories the monitor checks, its log, who starts it, and the line-analysis rules.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "shell/settings.h"

namespace pelgo::companions {

// Numbered lists are read back up to this many entries.
inline constexpr std::size_t kMaxNumberedEntries = 256;

// The action of a line-analysis row: 0 ignore changed lines holding the text, 1 mark them.
inline constexpr int kModeIgnore = 0;
inline constexpr int kModeMark = 1;

struct AnalysisRow {
    std::string text; // a fragment of a configuration line
    int mode = kModeIgnore;
    friend bool operator==(const AnalysisRow&, const AnalysisRow&) = default;
};

struct SentinoxSettings {
    bool runSentinox = false;
    std::string snxPath; // stored form
    std::vector<std::string> dirs;
    std::string logDir; // stored form
    int snxUser = 0;    // the highest access level whose Pelgo starts the monitor
    bool createLog = true;
    int maxLines = 16;
    int maxData = 100; // days the monitor keeps its lines
    std::vector<AnalysisRow> rows;
    friend bool operator==(const SentinoxSettings&, const SentinoxSettings&) = default;
};

// The data directory (that of the archive table) in stored form, ending in a separator.
std::string DataDirectory(const shell::Settings& settings);

// Keys looked up as a profile file would, letter case ignored; `dataDirectory` gives the path defaults.
SentinoxSettings SentinoxFromEntries(const shell::Entries& section, const std::string& dataDirectory);
// The whole section in its fixed key order, lists numbered from 0.
shell::Entries SentinoxToEntries(const SentinoxSettings& values);

SentinoxSettings ReadSentinoxSettings(const shell::Settings& settings);
void StoreSentinoxSettings(shell::Settings& settings, const SentinoxSettings& values);
// The section as the settings file at `iniPath` holds it now.
shell::Entries ReadSentinoxSection(const std::string& iniPath);
// Erases the section of the settings file and writes it anew. Throws core::FileError.
void WriteSentinoxSection(const std::string& iniPath, const shell::Entries& section);

// The captions of the actions, cp1251, in code order.
const std::vector<std::string>& ModeCaptions();
// The caption of a code; empty for a code without one.
std::string ModeCaption(int mode);
// The code that follows a chosen caption: the position of the first caption the choice is a non-empty prefix
// of, else 0.
int ModeOfCaption(std::string_view caption);

} // namespace pelgo::companions
