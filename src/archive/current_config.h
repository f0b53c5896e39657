// The current-configuration page: a computer's collector file as it lies on disk now, shown section by
// section, and the commands on that file: amnesty (the change sections erased) and deletion.
#pragma once

#include <functional>
#include <string>
#include <string_view>

#include "archive/collector_file.h"
#include "archive/view_tree.h"
#include "core/date_time.h"
#include "platform/dbf_table.h"

namespace pelgo::core {
class TKelIniFile;
}

namespace pelgo::archive {

// The file name the archive remembers for the address (its File_Name record); empty when none.
std::string RememberedFile(platform::DbfTable& device, std::string_view address);

// What the page shows for a computer without a file: "Не найден файл конфигурации !".
std::string NoCurrentFileText();

// The computer's file in `directory` as `lookup` looks for it, with the name the archive remembers for the
// address (none without `device`, a table that is not open); empty when no such file exists.
std::string FindComputerFile(platform::DbfTable* device, std::string_view directory, FileLookup lookup,
                             std::string_view address);

// ShowCfgFile: "< FileInfo >" with the path, the modification time in `formats` and the size, then each section
// with its key " : " value lines, the [Signature] section with its check. False when the file has no section.
// Throws core::Error when the file cannot be read.
bool ShowCfgFile(const std::string& path, const core::DateFormats& formats, ViewTree& tree);

// Changes a collector file as a writer: `edit` works on the loaded file in memory while this process holds the
// file's writer lock, and a changed file is then replaced in one step, so that a failure leaves it as it was.
// Throws core::Error, the file left as it was, when it cannot be opened for writing or written, or when it has
// no section: then it is no collector file.
void EditCollectorFile(const std::string& path, const std::function<void(core::TKelIniFile& file)>& edit);

// Amnesty: erases [Config_changes], [Remote_Access] and [Post_Accounts] from the file and writes it back.
// Returns the file's address ([Info] MAC_Addr, or the file name when it has none). Throws core::Error as
// EditCollectorFile does; the file is then unchanged.
std::string AmnestyFile(const std::string& path);

} // namespace pelgo::archive
