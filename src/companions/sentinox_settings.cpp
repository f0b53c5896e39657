// The section "Sentinox" of the settings file and the model the dialog and the start work on.
#include "companions/sentinox_settings.h"

#include <optional>

#include "core/cp1251.h"
#include "core/file.h"
#include "core/profile_file.h"
#include "core/text.h"

namespace pelgo::companions {

namespace {

const std::string* Find(const shell::Entries& section, std::string_view key) {
    for (const auto& [name, value] : section) {
        if (core::SameText(core::Trim(name), key)) {
            return &value;
        }
    }
    return nullptr;
}

std::string TextOf(const shell::Entries& section, std::string_view key, std::string_view fallback) {
    const std::string* value = Find(section, key);
    return value != nullptr ? std::string(core::Trim(*value)) : std::string(fallback);
}

int IntOf(const shell::Entries& section, std::string_view key, int fallback) {
    const std::string* value = Find(section, key);
    return value != nullptr ? core::ParseInt(core::Trim(*value)).value_or(fallback) : fallback;
}

std::string FlagText(bool flag) {
    return flag ? "1" : "0";
}

} // namespace

std::string DataDirectory(const shell::Settings& settings) {
    const std::string native = core::DirectoryOf(settings.FilePath(shell::Key::DeviceTable)) + "/";
    return settings.Paths().ToStored(native);
}

SentinoxSettings SentinoxFromEntries(const shell::Entries& section, const std::string& dataDirectory) {
    SentinoxSettings values;
    values.runSentinox = IntOf(section, "RunSentinox", 0) != 0;
    values.snxPath = TextOf(section, "SnxPath", dataDirectory + "sentinox.exe");
    for (std::size_t n = 0; n < kMaxNumberedEntries; ++n) {
        std::string dir = TextOf(section, "SnxDir" + std::to_string(n), "");
        if (dir.empty()) {
            break;
        }
        values.dirs.push_back(std::move(dir));
    }
    values.logDir = TextOf(section, "SnxLogDir", dataDirectory);
    values.snxUser = IntOf(section, "SnxUser", 0);
    values.createLog = IntOf(section, "CreateLog", 1) != 0;
    values.maxLines = IntOf(section, "MaxLines", 16);
    values.maxData = IntOf(section, "MaxData", 100);
    for (std::size_t n = 0; n < kMaxNumberedEntries; ++n) {
        const std::string suffix = std::to_string(n);
        std::string text = TextOf(section, "Text" + suffix, "");
        if (text.empty()) {
            break;
        }
        values.rows.push_back({std::move(text), IntOf(section, "Mode" + suffix, kModeIgnore)});
    }
    return values;
}

shell::Entries SentinoxToEntries(const SentinoxSettings& values) {
    shell::Entries section;
    section.emplace_back("RunSentinox", FlagText(values.runSentinox));
    section.emplace_back("SnxPath", values.snxPath);
    for (std::size_t n = 0; n < values.dirs.size(); ++n) {
        section.emplace_back("SnxDir" + std::to_string(n), values.dirs[n]);
    }
    section.emplace_back("SnxLogDir", values.logDir);
    section.emplace_back("SnxUser", std::to_string(values.snxUser));
    section.emplace_back("CreateLog", FlagText(values.createLog));
    section.emplace_back("MaxLines", std::to_string(values.maxLines));
    section.emplace_back("MaxData", std::to_string(values.maxData));
    for (std::size_t n = 0; n < values.rows.size(); ++n) {
        section.emplace_back("Text" + std::to_string(n), values.rows[n].text);
        section.emplace_back("Mode" + std::to_string(n), std::to_string(values.rows[n].mode));
    }
    return section;
}

SentinoxSettings ReadSentinoxSettings(const shell::Settings& settings) {
    return SentinoxFromEntries(settings.sentinox, DataDirectory(settings));
}

void StoreSentinoxSettings(shell::Settings& settings, const SentinoxSettings& values) {
    settings.sentinox = SentinoxToEntries(values);
}

shell::Entries ReadSentinoxSection(const std::string& iniPath) {
    core::ProfileFile file(iniPath);
    core::StringList lines;
    file.ReadSectionValues("Sentinox", lines);
    shell::Entries section;
    for (const std::string& line : lines) {
        const std::size_t eq = line.find('=');
        section.emplace_back(line.substr(0, eq), eq == std::string::npos ? std::string() : line.substr(eq + 1));
    }
    return section;
}

void WriteSentinoxSection(const std::string& iniPath, const shell::Entries& section) {
    core::ProfileFile file(iniPath);
    core::ProfileFile::Batch batch(file);
    file.EraseSection("Sentinox");
    for (const auto& [key, value] : section) {
        file.WriteString("Sentinox", key, value);
    }
    batch.Commit();
}

const std::vector<std::string>& ModeCaptions() {
    static const std::vector<std::string> captions{core::Utf8ToCp1251("Игнорировать"),
                                                   core::Utf8ToCp1251("Отмечать (!)")};
    return captions;
}

std::string ModeCaption(int mode) {
    const std::vector<std::string>& captions = ModeCaptions();
    return mode >= 0 && static_cast<std::size_t>(mode) < captions.size() ? captions[static_cast<std::size_t>(mode)]
                                                                         : std::string();
}

int ModeOfCaption(std::string_view caption) {
    if (caption.empty()) {
        return kModeIgnore;
    }
    const std::vector<std::string>& captions = ModeCaptions();
    for (std::size_t i = 0; i < captions.size(); ++i) {
        if (captions[i].starts_with(caption)) {
            return static_cast<int>(i);
        }
    }
    return kModeIgnore;
}

} // namespace pelgo::companions
