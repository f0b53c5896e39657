// The in-memory index of one tag: each key with its live records in physical (insertion) order. Keys are
// field values without padding and compare byte for byte, so lookups are case-sensitive, as a dBase
// expression index on a character field is.
#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

namespace pelgo::platform {

// A record's physical position, counted from 0; stable until the table is packed.
using RecordNumber = std::uint32_t;

class DbfIndex {
public:
    void Clear() { m_records.clear(); }
    void Add(std::string_view key, RecordNumber record);
    void Remove(std::string_view key, RecordNumber record);
    std::span<const RecordNumber> Find(std::string_view key) const;
    // Every indexed record, keys in ascending byte order.
    std::vector<RecordNumber> InKeyOrder() const;

private:
    struct KeyHash {
        using is_transparent = void;
        std::size_t operator()(std::string_view key) const { return std::hash<std::string_view>{}(key); }
    };
    std::unordered_map<std::string, std::vector<RecordNumber>, KeyHash, std::equal_to<>> m_records;
};

} // namespace pelgo::platform
