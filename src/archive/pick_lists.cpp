// Gathering the archive's groups and parameter names for the pick lists.
#include "archive/pick_lists.h"

#include <algorithm>
#include <array>

#include "core/cp1251.h"
#include "core/text.h"

namespace pelgo::archive {

namespace {

// Groups whose names are no hardware parameters: logs, software lists, the current configuration's lines.
constexpr std::array<const char*, 11> kNonParameterGroups{
    "Sharing",        "Scanlet_Log",   "\xC6\xF3\xF0\xED\xE0\xEB" /* Журнал */,
    "Current_Config", "Remote_Access", "_Soft",
    "_Device",        "_Update",       "_StartUp",
    "Config_changes", "Attention"};

void Insert(std::vector<std::string>& list, std::string_view value) {
    const auto at = std::lower_bound(list.begin(), list.end(), value, [](const std::string& a, std::string_view b) {
        return core::CompareText(a, b) < 0;
    });
    if (at == list.end() || core::CompareText(*at, value) != 0) {
        list.insert(at, std::string(value));
    }
}

bool DescribesHardware(std::string_view group, std::string_view name) {
    return std::none_of(kNonParameterGroups.begin(), kNonParameterGroups.end(),
                        [&](const char* word) { return group.find(word) != std::string_view::npos; }) &&
           name.find("Drive_") == std::string_view::npos && !name.empty() &&
           static_cast<unsigned char>(name.front()) > 64;
}

} // namespace

PickLists ArchivePickLists(platform::DbfTable& device) {
    const std::size_t groupField = device.FieldIndex("GROUP");
    const std::size_t nameField = device.FieldIndex("NAME");
    PickLists lists;
    device.WalkByIndex(
        [&](const platform::DbfRecord& record) {
            const std::string_view group = core::Trim(record.values[groupField]);
            const std::string_view name = core::Trim(record.values[nameField]);
            if (!group.empty()) {
                Insert(lists.groups, group);
            }
            if (DescribesHardware(group, name)) {
                Insert(lists.parameters, name);
            }
        },
        kPickListRecords);
    return lists;
}

} // namespace pelgo::archive
