// The fifteen additional-data fields of a node: stored names (NAME of their "Main" records in other.dbf),
// the labels of the page and the parameter names under which the add dialog, reports and the bulk fill show
// them, in their fixed order.
#pragma once

#include <array>
#include <string>
#include <vector>

#include "structure/node_records_table.h"

namespace pelgo::structure {

inline constexpr const char* kMainGroup = "Main";
inline constexpr std::size_t kAdditionalFieldCount = 15;
// "Инвентарный": the inventory number.
inline constexpr std::size_t kInventoryField = 3;

struct AdditionalField {
    const char* storedName;
    int labelId;
    const char* label; // UTF-8
    int parameterId;
    const char* parameter; // UTF-8
    bool equipmentOnly;    // enabled only for nodes of type above 2
};

const std::array<AdditionalField, kAdditionalFieldCount>& AdditionalFields();

// The fields' values in their order (cp1251).
using AdditionalValues = std::array<std::string, kAdditionalFieldCount>;

// The node's own values of group "Main" among its records.
AdditionalValues MainValues(const std::vector<NodeRecord>& records);
// Whether a node of this type keeps the field.
bool FieldEnabledFor(std::size_t field, int icon);

} // namespace pelgo::structure
