// Loading and saving a node's additional data and journal entries.
#include "structure/additional_data.h"

#include <algorithm>

#include "core/errors.h"
#include "core/text.h"
#include "core/translator.h"
#include "structure/node_types.h"

namespace pelgo::structure {
namespace {

constexpr std::size_t kFirstEmployeeField = 10;
constexpr std::size_t kRoomField = 10;
constexpr std::size_t kResponsibleField = 14;

bool Inherits(std::size_t field, int icon) {
    if (field < kFirstEmployeeField) {
        return false;
    }
    return icon > kIconEmployee || field == kRoomField || field == kResponsibleField;
}

std::string ReplaceAll(std::string text, std::string_view variable, std::string_view value) {
    for (std::size_t at = text.find(variable); at != std::string::npos; at = text.find(variable, at + value.size())) {
        text.replace(at, variable.size(), value);
    }
    return text;
}

} // namespace

std::vector<JournalDefinition> JournalDefinitions(const std::vector<shell::JournalType>& configured) {
    std::vector<JournalDefinition> journals{
        {core::Text(1030, "Ремонты"),
         35,
         {core::Text(1032, "Ремонтирующая организация"), core::Text(1033, "Характер неисправности"),
          core::Text(1034, "Стоимость ремонта"), core::Text(1035, "Дата получения из ремонта")},
         {}},
        {core::Text(1031, "Модернизации"),
         36,
         {core::Text(1036, "Модернизируемый блок"), core::Text(1037, "Описание работ по модернизации"),
          core::Text(1038, "Стоимость работ"), core::Text(1039, "Кем проводились работы")},
         {}}};
    for (const shell::JournalType& type : configured) {
        journals.push_back({type.name, core::ParseInt(type.code).value_or(0), type.captions, type.defaults});
    }
    return journals;
}

std::string SubstituteVariables(std::string_view text, std::string_view user, std::string_view date) {
    return ReplaceAll(ReplaceAll(std::string(text), "%USER%", user), "%DATE%", date);
}

std::string RepairViewGroup(std::size_t journal, std::string_view title) {
    return std::string(
        core::TrimRight((std::to_string(journal) + ";" + std::string(title)).substr(0, kJournalKeyLength)));
}

std::string EntryFieldName(std::size_t field) {
    return "Edit" + std::to_string(field + 1);
}

const std::string& AdditionalData::UnoOf(const TreeNode& node) const {
    static const std::string none;
    return node.Record() != nullptr ? node.Record()->uno : none;
}

MainData AdditionalData::LoadMain(const TreeNode& node) {
    MainData data;
    const std::vector<NodeRecord> records = m_records.Find(UnoOf(node));
    const AdditionalValues own = MainValues(records);
    for (std::size_t field = 0; field < kAdditionalFieldCount; ++field) {
        data.fields[field].text = own[field];
        data.fields[field].source = FieldEnabledFor(field, node.Icon()) ? FieldSource::Own : FieldSource::Disabled;
    }
    for (const NodeRecord& record : records) {
        if (core::Trim(record.group) == kMainGroup && record.name == kMainDocument) {
            data.document = record.text;
        }
    }
    std::vector<std::size_t> open;
    for (std::size_t field = kFirstEmployeeField; field < kAdditionalFieldCount; ++field) {
        if (Inherits(field, node.Icon()) && data.fields[field].text.empty()) {
            open.push_back(field);
        }
    }
    for (const TreeNode* ancestor = node.Parent(); ancestor != nullptr && !open.empty();
         ancestor = ancestor->Parent()) {
        if (ancestor->Icon() != kIconDepartment && ancestor->Icon() != kIconEmployee) {
            continue;
        }
        const AdditionalValues values = MainValues(m_records.Find(UnoOf(*ancestor)));
        std::erase_if(open, [&](std::size_t field) {
            if (values[field].empty()) {
                return false;
            }
            data.fields[field] = {values[field], FieldSource::Inherited, ancestor->Text()};
            return true;
        });
    }
    return data;
}

std::vector<JournalEntry> AdditionalData::LoadEntries(const TreeNode& node, std::size_t journalCount) {
    std::vector<JournalEntry> entries;
    for (const NodeRecord& record : m_records.Find(UnoOf(node))) {
        const std::string& group = record.group;
        const std::size_t semicolon = group.find(';');
        if (std::string_view("Main,").find(group) != std::string_view::npos || semicolon == std::string::npos ||
            semicolon == 0 ||
            std::any_of(entries.begin(), entries.end(), [&](const JournalEntry& e) { return e.key == group; })) {
            continue;
        }
        const std::optional<int> number = core::ParseInt(group.substr(0, semicolon));
        const bool named = number && *number >= 0 && static_cast<std::size_t>(*number) < journalCount;
        entries.push_back(
            {named ? static_cast<std::size_t>(*number) : 0, group.substr(semicolon + 1, kJournalKeyLength), group});
    }
    return entries;
}

EntryData AdditionalData::LoadEntry(const TreeNode& node, const std::string& key) {
    EntryData data;
    for (const NodeRecord& record : m_records.Find(UnoOf(node))) {
        if (record.group != key) {
            continue;
        }
        if (record.name == kEntryDocument) {
            data.document = record.text;
        }
        for (std::size_t field = 0; field < kEntryFieldCount; ++field) {
            if (record.name == EntryFieldName(field)) {
                data.fields[field] = record.text;
            }
        }
    }
    return data;
}

void AdditionalData::SaveMain(const TreeNode& node, const MainData& data) {
    const std::string& uno = UnoOf(node);
    if (core::Trim(uno).empty()) {
        throw core::Error("The node " + node.Text() + " has no key for its additional data");
    }
    m_log.LogEvent(core::Text(1095, "Изменение доп.данных для ") + node.Text());
    m_records.DeleteGroup(uno, kMainGroup);
    for (std::size_t field = 0; field < kAdditionalFieldCount; ++field) {
        const MainField& value = data.fields[field];
        if (value.source == FieldSource::Own && !core::Trim(value.text).empty()) {
            m_records.Append(uno, kMainGroup, AdditionalFields()[field].storedName, core::ControlsAsBlanks(value.text));
        }
    }
    if (const std::string_view document = core::Trim(data.document); !document.empty()) {
        m_records.Append(uno, kMainGroup, kMainDocument, core::ControlsAsBlanks(document));
    }
}

void AdditionalData::SaveEntry(const TreeNode& node, const std::string& key, const EntryData& data) {
    const std::string& uno = UnoOf(node);
    if (core::Trim(uno).empty()) {
        throw core::Error("The node " + node.Text() + " has no key for its journals");
    }
    m_log.LogEvent(core::Text(1096, "Изменение журналов для ") + node.Text());
    m_records.DeleteGroup(uno, key);
    for (std::size_t field = 0; field < kEntryFieldCount; ++field) {
        if (!core::Trim(data.fields[field]).empty()) {
            m_records.Append(uno, key, EntryFieldName(field), core::ControlsAsBlanks(data.fields[field]));
        }
    }
    if (const std::string_view document = core::Trim(data.document); !document.empty()) {
        m_records.Append(uno, key, kEntryDocument, core::ControlsAsBlanks(document));
    }
}

void AdditionalData::DeleteEntry(const TreeNode& node, const std::string& key) {
    m_records.DeleteGroup(UnoOf(node), key);
}

std::string NewEntryTitle(const std::vector<JournalEntry>& entries, std::size_t journal, std::string_view date) {
    std::size_t position =
        1 + static_cast<std::size_t>(std::count_if(entries.begin(), entries.end(),
                                                   [&](const JournalEntry& e) { return e.journal == journal; }));
    for (;; ++position) {
        const std::string title = std::to_string(position) + " , " + std::string(date);
        const std::string key = RepairViewGroup(journal, title);
        if (std::none_of(entries.begin(), entries.end(), [&](const JournalEntry& e) { return e.key == key; })) {
            return title;
        }
    }
}

const JournalEntry* KeyTakenBy(const std::vector<JournalEntry>& entries, const JournalEntry& renamed,
                               std::string_view newTitle) {
    const std::string key = RepairViewGroup(renamed.journal, newTitle);
    for (const JournalEntry& entry : entries) {
        if (entry.key == key && entry.key != renamed.key) {
            return &entry;
        }
    }
    return nullptr;
}

} // namespace pelgo::structure
