// Node records by UNO.
#include "structure/node_records_table.h"

#include <memory>
#include <optional>

#include "core/text.h"

namespace pelgo::structure {

NodeRecordsTable::NodeRecordsTable(platform::DbfTable& table)
    : m_table(table), m_uno(table.FieldIndex("UNO")), m_group(table.FieldIndex("GROUP")),
      m_name(table.FieldIndex("NAME")), m_text(table.FieldIndex("TEXT")) {
}

std::vector<NodeRecord> NodeRecordsTable::Find(std::string_view uno) {
    std::vector<NodeRecord> records;
    for (const platform::DbfRecord& record : m_table.Find(uno)) {
        records.push_back({record.number, record.values[m_uno], record.values[m_group], record.values[m_name],
                           record.values[m_text]});
    }
    return records;
}

void NodeRecordsTable::Walk(const std::function<void(const NodeRecord&)>& visit) {
    m_table.Walk([&](const platform::DbfRecord& record) {
        visit({record.number, record.values[m_uno], record.values[m_group], record.values[m_name],
               record.values[m_text]});
    });
}

platform::RecordNumber NodeRecordsTable::Append(std::string_view uno, std::string_view group, std::string_view name,
                                                std::string_view text) {
    std::vector<std::string> values(m_table.Fields().size());
    values[m_uno] = uno;
    values[m_group] = group;
    values[m_name] = name;
    values[m_text] = text;
    return m_table.Append(values);
}

std::size_t NodeRecordsTable::DeleteNodeRecords(std::string_view uno) {
    if (core::Trim(uno).empty()) {
        return 0; // records with a blank key belong to no node
    }
    const std::vector<platform::DbfRecord> records = m_table.Find(uno);
    for (const platform::DbfRecord& record : records) {
        m_table.Delete(record.number);
    }
    return records.size();
}

std::size_t NodeRecordsTable::DeleteGroup(std::string_view uno, std::string_view group) {
    return DeleteWhere(uno, [&](const platform::DbfRecord& record) { return record.values[m_group] == group; });
}

std::size_t NodeRecordsTable::DeleteNamed(std::string_view uno, std::string_view group, std::string_view name) {
    return DeleteWhere(uno, [&](const platform::DbfRecord& record) {
        return record.values[m_group] == group && record.values[m_name] == name;
    });
}

std::size_t NodeRecordsTable::DeleteWhere(std::string_view uno,
                                          const std::function<bool(const platform::DbfRecord&)>& match) {
    if (core::Trim(uno).empty()) {
        return 0;
    }
    std::vector<platform::RecordNumber> numbers;
    for (const platform::DbfRecord& record : m_table.Find(uno)) {
        if (match(record)) {
            numbers.push_back(record.number);
        }
    }
    m_table.DeleteRecords(numbers);
    return numbers.size();
}

UnoInTable UnoLookupIn(std::string path, const core::Clock& clock) {
    struct Lookup {
        std::string path;
        const core::Clock* clock;
        bool opened = false;
        std::optional<platform::DbfTable> table;
    };
    auto lookup = std::make_shared<Lookup>(Lookup{std::move(path), &clock, false, std::nullopt});
    return [lookup](const std::string& uno) {
        if (!lookup->opened) {
            lookup->opened = true;
            try {
                lookup->table = platform::DbfTable::Open(lookup->path, platform::DbfOpenMode::ReadOnly, *lookup->clock);
                lookup->table->SetIndex("UNO");
            } catch (const core::Error&) {
                lookup->table.reset();
            }
        }
        return lookup->table && !lookup->table->Find(uno).empty();
    };
}

} // namespace pelgo::structure
