// Journal records of a computer in device.dbf.
#include "archive/computer_journal.h"

#include <string>
#include <vector>

#include "core/cp1251.h"
#include "core/text.h"

namespace pelgo::archive {

std::string ArchiveKey(std::string_view address) {
    return core::UpperLatin(core::Trim(address));
}

std::string JournalStamp(const core::Clock& clock) {
    const core::DateFormats formats;
    const core::DateTime now = clock.Now();
    return formats.ShortDate(now) + " " + formats.LongTime(now);
}

void LogJournalEntry(core::WorkLog& log, std::string_view macAddress, std::string_view text,
                     std::string_view selectedComputerText) {
    std::string line = selectedComputerText.empty() ? std::string() : std::string(selectedComputerText) + " ";
    log.LogEvent(line + "MAC=" + ArchiveKey(macAddress) + " " + std::string(text));
}

void AddToLog(platform::DbfTable& device, core::WorkLog& log, const core::Clock& clock, std::string_view macAddress,
              std::string_view text, std::string_view selectedComputerText) {
    const std::string key = ArchiveKey(macAddress);
    if (key.size() < 2) {
        return;
    }
    std::vector<std::string> values(device.Fields().size());
    values[device.FieldIndex("MAC_ADR")] = key;
    values[device.FieldIndex("GROUP")] = kJournalGroup;
    values[device.FieldIndex("NAME")] = JournalStamp(clock);
    values[device.FieldIndex("TEXT")] = text;
    device.Append(values);
    LogJournalEntry(log, key, text, selectedComputerText);
}

} // namespace pelgo::archive
