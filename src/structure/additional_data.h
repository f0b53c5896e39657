// A node's additional data and journals in the node-record table: the fifteen "Main" fields with the
// employee fields inherited from the nearest department or employee, the linked document, and the entries
// of the journals (repairs, upgrades and the configured ones), each kept under a key made of the journal's
// position and the entry's title.
#pragma once

#include <array>
#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "core/work_log.h"
#include "shell/settings.h"
#include "structure/additional_fields.h"
#include "structure/node_records_table.h"
#include "structure/tree_model.h"

namespace pelgo::structure {

inline constexpr const char* kMainDocument = "File_1";
inline constexpr const char* kEntryDocument = "File_2";
inline constexpr std::size_t kEntryFieldCount = 4;
inline constexpr std::size_t kJournalKeyLength = 24;
// What one record holds of a value: the width of TEXT in the node-record table.
inline constexpr std::size_t kValueLength = 254;

struct JournalDefinition {
    std::string name;
    int icon = 0;
    std::array<std::string, kEntryFieldCount> labels;
    std::array<std::string, kEntryFieldCount> defaults;
};

// The two built-in journals, then the configured ones in settings order.
std::vector<JournalDefinition> JournalDefinitions(const std::vector<shell::JournalType>& configured);
// "%USER%" and "%DATE%" replaced wherever they occur.
std::string SubstituteVariables(std::string_view text, std::string_view user, std::string_view date);
// RepairViewGroup: the journal's position, ";" and the title, the whole cut to 24 characters and without
// trailing blanks, which the table does not keep either (a key kept with them would find none of its records).
std::string RepairViewGroup(std::size_t journal, std::string_view title);
// The stored names "Edit1" ... "Edit4".
std::string EntryFieldName(std::size_t field);

// How a field of the page stands for the node shown.
enum class FieldSource { Own, Inherited, Disabled };

struct MainField {
    std::string text;
    FieldSource source = FieldSource::Own;
    std::string inheritedFrom; // the ancestor's text, for an inherited value
};

struct MainData {
    std::array<MainField, kAdditionalFieldCount> fields;
    std::string document;
};

// A journal entry as the journal tree lists it.
struct JournalEntry {
    std::size_t journal = 0; // the journal line it is shown under
    std::string title;
    std::string key; // its GROUP as stored
};

struct EntryData {
    std::array<std::string, kEntryFieldCount> fields;
    std::string document;
};

class AdditionalData {
public:
    AdditionalData(NodeRecordsTable& records, core::WorkLog& log) : m_records(records), m_log(log) {}

    // SubLoadAdditionalDataNode for group "Main": the node's own values, the employee fields it leaves empty
    // from the nearest department or employee above it, and the fields its type does not keep disabled.
    MainData LoadMain(const TreeNode& node);
    // The node's entries in the order their first records were found. A key whose number names no journal
    // (beyond the list, or not a number) is listed under the first journal, so its data can be seen and
    // deleted.
    std::vector<JournalEntry> LoadEntries(const TreeNode& node, std::size_t journalCount);
    EntryData LoadEntry(const TreeNode& node, const std::string& key);

    // Replaces the node's "Main" records by its own non-empty fields and the document path; control
    // characters are stored as blanks.
    void SaveMain(const TreeNode& node, const MainData& data);
    // Replaces the records under `key` by the non-empty fields and the document path, as SaveMain does.
    void SaveEntry(const TreeNode& node, const std::string& key, const EntryData& data);
    void DeleteEntry(const TreeNode& node, const std::string& key);

private:
    const std::string& UnoOf(const TreeNode& node) const;

    NodeRecordsTable& m_records;
    core::WorkLog& m_log;
};

// The title of a new entry: its position among the journal's entries from 1, " , " and the date; a later
// position when that title's key is taken already, so two entries never share their records.
std::string NewEntryTitle(const std::vector<JournalEntry>& entries, std::size_t journal, std::string_view date);
// The entry, other than `renamed`, whose key a new title would take; null when the key is free.
const JournalEntry* KeyTakenBy(const std::vector<JournalEntry>& entries, const JournalEntry& renamed,
                               std::string_view newTitle);

} // namespace pelgo::structure
