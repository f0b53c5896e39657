// A computer's journal: the "_Config_log_" records of its adapter address in the archive table, one per
// event that changed its archive data or its place and name in the tree, each also a work-log line.
#pragma once

#include <string>
#include <string_view>

#include "core/date_time.h"
#include "core/work_log.h"
#include "platform/dbf_table.h"

namespace pelgo::archive {

inline constexpr const char* kJournalGroup = "_Config_log_";

// The archive's key of an adapter address: trimmed and upper-cased, so that every spelling of one address
// (a file's, a tree node's typed in lower case) names the same records.
std::string ArchiveKey(std::string_view address);

// The NAME of a journal record made now: short date and long time.
std::string JournalStamp(const core::Clock& clock);
// The work-log line of a journal entry: "MAC=" address and text, after `selectedComputerText` and a blank when
// that is not empty.
void LogJournalEntry(core::WorkLog& log, std::string_view macAddress, std::string_view text,
                     std::string_view selectedComputerText);

// AddToLog: appends the journal record (name: short date and long time of now) and logs "MAC=" address and
// text, after `selectedComputerText` and a blank when the selected node is a computer (empty otherwise).
// An address shorter than 2 characters names no computer: nothing is written.
void AddToLog(platform::DbfTable& device, core::WorkLog& log, const core::Clock& clock, std::string_view macAddress,
              std::string_view text, std::string_view selectedComputerText);

} // namespace pelgo::archive
