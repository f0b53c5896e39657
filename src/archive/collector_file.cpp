// Own-format test, short names and the look-up orders of a computer's file.
#include "archive/collector_file.h"

#include <algorithm>
#include <vector>

#include "core/cp1251.h"
#include "core/file.h"
#include "core/kel_ini_file.h"

namespace pelgo::archive {

bool IsOwnFormat(core::TKelIniFile& file) {
    if (file.ReadString("Info", "Param_0", "").find("scanlet.exe") != std::string::npos) {
        return true;
    }
    return !file.ReadString("Info", "MAC_Addr", "").empty() && !file.ReadString("Computer", "Memory_in_Mb", "").empty();
}

std::vector<StoredSection> StoredSections(const core::TKelIniFile& file) {
    // The write-back image holds, for every section with lines, its header, its lines (never empty) and one
    // empty line.
    core::StringList image;
    file.GetFileLines(image);
    std::vector<StoredSection> sections;
    bool atHeader = true;
    for (std::string& line : image) {
        if (atHeader) {
            sections.push_back({line.substr(1, line.size() - 2), {}});
            atHeader = false;
        } else if (line.empty()) {
            atHeader = true;
        } else {
            sections.back().lines.push_back(std::move(line));
        }
    }
    return sections;
}

core::StringList SectionLines(const core::TKelIniFile& file, std::string_view section) {
    for (StoredSection& stored : StoredSections(file)) {
        if (core::SameText(stored.name, section)) {
            return std::move(stored.lines);
        }
    }
    return {};
}

std::string ConvertToDOS(std::string_view name) {
    constexpr std::size_t kBase = 8;
    constexpr std::size_t kLongest = 11;
    while (name.size() > kLongest) {
        if (name.front() == '0') {
            name.remove_prefix(1);
        } else {
            name.remove_suffix(1);
        }
    }
    return std::string(name.substr(0, kBase)) + "." + std::string(name.substr(std::min(kBase, name.size())));
}

std::string FindCollectorFile(std::string_view directory, FileLookup lookup, std::string_view address,
                              std::string_view rememberedName) {
    const std::string remembered = core::ExtractFileName(rememberedName);
    std::vector<std::string> names;
    switch (lookup) {
    case FileLookup::FileCommands:
        names = {remembered, ConvertToDOS(remembered)};
        break;
    case FileLookup::CurrentConfiguration:
        names = {std::string(address), ConvertToDOS(address), remembered};
        break;
    case FileLookup::SingleUpdate:
        names = {remembered};
        break;
    }
    std::string folder(directory);
    if (!folder.empty() && folder.back() != '/') {
        folder += '/';
    }
    for (const std::string& name : names) {
        if (!name.empty() && core::FileExists(folder + name)) {
            return folder + name;
        }
    }
    return {};
}

} // namespace pelgo::archive
