// pelgo-cli init / settings / log: a new installation, its effective settings, a work-log line.
#include <cstdio>
#include <dirent.h>

#include "archive/mac_list.h"
#include "cli/commands.h"
#include "cli/installation.h"
#include "core/cp1251.h"
#include "core/errors.h"
#include "core/file.h"
#include "core/translator.h"
#include "platform/dbf_table.h"
#include "shell/settings_keys.h"

namespace pelgo::cli {
namespace {

// Copies every file of the reference-data folder (sub-folders included) into `target`.
void CopyReferenceData(const std::string& source, const std::string& target) {
    DIR* dir = ::opendir(core::NativeFileName(source).c_str());
    if (dir == nullptr) {
        return;
    }
    while (const dirent* entry = ::readdir(dir)) {
        const std::string name = core::Utf8ToCp1251(entry->d_name);
        if (name == "." || name == ".." || name == "README" || name == "README.md") {
            continue;
        }
        const std::string from = source + "/" + name;
        if (core::DirectoryExists(from)) {
            CopyReferenceData(from, target);
        } else if (!core::CopyFileKeepingTime(from, target + "/" + name)) {
            ::closedir(dir);
            throw core::FileError("Cannot copy " + from + " to " + target);
        }
    }
    ::closedir(dir);
}

void PrintSettings(Installation& installation) {
    const shell::Settings& settings = installation.Settings();
    std::string section;
    for (const shell::KeyInfo& info : shell::kKeyTable) {
        if (section != info.section) {
            section = info.section;
            PrintLine("[" + section + "]");
        }
        const bool isPath = info.type == shell::KeyType::File || info.key == shell::Key::Path;
        const std::string value = info.key == shell::Key::Path ? settings.BaseDirectory()
                                  : isPath                     ? settings.FilePath(info.key)
                                                               : settings.Text(info.key);
        PrintLine(std::string(info.name) + "=" + value);
    }
    const auto printList = [](const std::string& name, const std::vector<std::string>& values) {
        PrintLine("[" + name + "]");
        for (std::size_t i = 0; i < values.size(); ++i) {
            PrintLine(std::to_string(i) + "=" + values[i]);
        }
    };
    const auto printEntries = [](const std::string& name, const shell::Entries& entries) {
        PrintLine("[" + name + "]");
        for (const auto& [key, value] : entries) {
            PrintLine(key + "=" + value);
        }
    };
    printList("UpdPatches", settings.updPatches);
    printList("ScanletPatches", settings.scanletPatches);
    printEntries("Users", settings.users);
    printEntries("Reports", settings.reports);
    printEntries("Spravki", settings.spravki);
    printEntries("Sentinox", settings.sentinox);
    PrintLine("[RepairTree]");
    for (const shell::JournalType& type : settings.journalTypes) {
        PrintLine(type.name + "=" + type.code);
    }
    PrintLine("[Add_Icons]");
    PrintLine("Count=" + std::to_string(settings.userNodeTypes.size()));
    for (std::size_t n = 1; n <= settings.userNodeTypes.size(); ++n) {
        PrintLine(std::to_string(n) + "Path=" + settings.userNodeTypes[n - 1].iconPath);
        PrintLine(std::to_string(n) + "Name=" + settings.userNodeTypes[n - 1].name);
    }
}

// The position of the start language in the sorted list of the language files in `folder`: `name`, else
// Russian, the language of the built-in texts; 0 when there are no language files.
int InitialLanguage(const std::string& folder, const std::optional<std::string>& name) {
    core::TKelTranslator translator(folder);
    translator.SetDirectory(folder);
    const core::StringList& names = translator.LanguageNames();
    const std::string wanted = name.value_or(core::Utf8ToCp1251("Русский"));
    for (std::size_t i = 0; i < names.size(); ++i) {
        if (core::SameText(names[i], wanted)) {
            return static_cast<int>(i);
        }
    }
    if (!name) {
        return 0;
    }
    std::string available;
    for (const std::string& known : names) {
        available += (available.empty() ? "" : ", ") + known;
    }
    throw UsageError(core::Cp1251ToUtf8("no language file is named " + *name + " (there are: " + available + ")"));
}

} // namespace

const char* const kInitUsage =
    "  init [--language NAME]     create a ready installation in the --home folder, starting in Russian\n"
    "                             or in the language NAME (a language file's LanguageName)\n";
const char* const kSettingsUsage =
    "  settings [--write]         print the effective settings; --write writes them back (mode 0)\n";
const char* const kLogUsage = "  log TEXT                   write one work-log line as the current user\n";

int RunInit(const Context& context, const std::vector<std::string>& raw) {
    const Args args(raw, {"--language"});
    args.ExpectCount(0, 0);
    const std::string folder = InstallationFolder(context);
    if (core::FileExists(folder + "/pelgo.ini")) {
        throw core::Error(folder + " already holds an installation (pelgo.ini); choose an empty folder");
    }
    const std::string base = folder + "/BASE";
    for (const char* table : {"/device.dbf", "/other.dbf"}) {
        if (core::FileExists(base + table)) {
            throw core::Error(base + table + " exists; init never overwrites data: choose an empty folder");
        }
    }
    if (!core::CreateDirectories(base)) {
        throw core::FileError("Cannot create folder " + base);
    }
    // The reference data bring the language files; a new installation looks for them in BASE. The language
    // is checked before the tables exist, so a wrong name leaves a folder that init accepts again.
    CopyReferenceData(ReferenceDataFolder(), base);
    // The adapter-vendor list is made from the IEEE registry that Debian's ieee-data installs, not shipped.
    if (core::FileExists(archive::kOuiRegistryFile)) {
        archive::WriteMacList(archive::kOuiRegistryFile, base + "/maclist");
    } else {
        std::fprintf(stderr, "pelgo-cli: %s is missing, BASE/maclist not written (apt-get install ieee-data)\n",
                     archive::kOuiRegistryFile);
    }
    const std::optional<std::string> language = args.Value("--language");
    const int languagePosition =
        InitialLanguage(base, language ? std::optional(core::Utf8ToCp1251(*language)) : std::nullopt);
    core::Clock clock;
    platform::DbfTable::Create(base + "/device.dbf", platform::kDeviceTableFields, clock);
    platform::DbfTable::Create(base + "/other.dbf", platform::kOtherTableFields, clock);
    Installation installation(context, false);
    installation.File().ReadIni(1);
    installation.Settings().SetInt(shell::Key::Language, languagePosition);
    if (!installation.File().ReadIni(0)) {
        throw core::FileError("the settings file " + folder + "/pelgo.ini was not written (see above)");
    }
    PrintLine("Pelgo installation created in " + folder);
    return 0;
}

int RunSettings(const Context& context, const std::vector<std::string>& raw) {
    const Args args(raw, {});
    args.ExpectCount(0, 0);
    const bool write = args.Flag("--write");
    Installation installation(context, !write);
    installation.File().ReadIni(1);
    const bool written = !write || installation.File().ReadIni(0);
    PrintSettings(installation);
    return written ? 0 : 1;
}

int RunLog(const Context& context, const std::vector<std::string>& raw) {
    const Args args(raw, {});
    args.ExpectCount(1, 1);
    Installation installation(context, true);
    installation.File().ReadIni(1);
    installation.Log().SetMovingSize(installation.Settings().Int(shell::Key::LogOfMovingSize));
    installation.Log().LogEvent(args.Cp1251At(0));
    return 0;
}

} // namespace pelgo::cli
