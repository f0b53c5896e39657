// Keys and their records in physical order.
#include "platform/dbf_index.h"

#include <algorithm>

namespace pelgo::platform {

void DbfIndex::Add(std::string_view key, RecordNumber record) {
    auto it = m_records.find(key);
    if (it == m_records.end()) {
        it = m_records.emplace(std::string(key), std::vector<RecordNumber>()).first;
    }
    std::vector<RecordNumber>& records = it->second;
    // Appends arrive in physical order; only an edited key lands among older records.
    if (records.empty() || records.back() < record) {
        records.push_back(record);
    } else {
        records.insert(std::lower_bound(records.begin(), records.end(), record), record);
    }
}

void DbfIndex::Remove(std::string_view key, RecordNumber record) {
    const auto it = m_records.find(key);
    if (it == m_records.end()) {
        return;
    }
    std::vector<RecordNumber>& records = it->second;
    const auto at = std::lower_bound(records.begin(), records.end(), record);
    if (at != records.end() && *at == record) {
        records.erase(at);
    }
    if (records.empty()) {
        m_records.erase(it);
    }
}

std::span<const RecordNumber> DbfIndex::Find(std::string_view key) const {
    const auto it = m_records.find(key);
    return it == m_records.end() ? std::span<const RecordNumber>() : std::span<const RecordNumber>(it->second);
}

std::vector<RecordNumber> DbfIndex::InKeyOrder() const {
    std::vector<const decltype(m_records)::value_type*> entries;
    entries.reserve(m_records.size());
    std::size_t total = 0;
    for (const auto& entry : m_records) {
        entries.push_back(&entry);
        total += entry.second.size();
    }
    std::sort(entries.begin(), entries.end(), [](const auto* a, const auto* b) { return a->first < b->first; });
    std::vector<RecordNumber> out;
    out.reserve(total);
    for (const auto* entry : entries) {
        out.insert(out.end(), entry->second.begin(), entry->second.end());
    }
    return out;
}

} // namespace pelgo::platform
