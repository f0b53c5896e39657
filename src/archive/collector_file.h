// The collector agent's per-computer file: which files are in the agent's own format, the 8.3 short form of
// a file name, and where a computer's file is looked for in a directory.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "core/custom_ini_file.h"

namespace pelgo::core {
class TKelIniFile;
}

namespace pelgo::archive {

// [Info] Param_0 names the agent ("scanlet.exe", letter case as written), or the file has both an address
// and a memory size.
bool IsOwnFormat(core::TKelIniFile& file);

// A section that has lines, with its lines as stored: a repeated key keeps every occurrence.
struct StoredSection {
    std::string name;
    core::StringList lines;
};
// The sections in file order; sections without lines are left out.
std::vector<StoredSection> StoredSections(const core::TKelIniFile& file);
// The stored lines of one section (name compared without regard to case); empty when it has none.
core::StringList SectionLines(const core::TKelIniFile& file, std::string_view section);

// The 8.3 form: a leading "0" goes first while the name is too long, otherwise its last character; then
// the first 8 characters, ".", and the rest.
std::string ConvertToDOS(std::string_view name);

// Who looks for a computer's file; each tries its own names in order and takes the first that exists.
enum class FileLookup {
    FileCommands,         // amnesty, deletion, inventory: the remembered name, then its short form
    CurrentConfiguration, // the current-configuration page: the address, its short form, the remembered name
    SingleUpdate,         // the update of one computer: the remembered name only
};

// The path of the computer's file in `directory`, or empty. The remembered name is used without its
// directory part.
std::string FindCollectorFile(std::string_view directory, FileLookup lookup, std::string_view address,
                              std::string_view rememberedName);

} // namespace pelgo::archive
