// Making the adapter-vendor list from the IEEE registry.
#include "archive/mac_list.h"

#include <algorithm>
#include <map>
#include <vector>

#include "core/cp1251.h"
#include "core/file.h"
#include "core/text.h"

namespace pelgo::archive {
namespace {

// Reads one CSV record from `text` and removes it: fields separated by commas, quoted fields with doubled
// quotes inside and line breaks allowed.
std::vector<std::string> NextRecord(std::string_view& text) {
    std::vector<std::string> fields(1);
    bool quoted = false;
    std::size_t i = 0;
    for (; i < text.size(); ++i) {
        const char c = text[i];
        if (quoted) {
            if (c != '"') {
                fields.back() += c;
            } else if (i + 1 < text.size() && text[i + 1] == '"') {
                fields.back() += '"';
                ++i;
            } else {
                quoted = false;
            }
        } else if (c == '"') {
            quoted = true;
        } else if (c == ',') {
            fields.emplace_back();
        } else if (c == '\n') {
            break;
        } else if (c != '\r') {
            fields.back() += c;
        }
    }
    text.remove_prefix(std::min(i + 1, text.size()));
    return fields;
}

} // namespace

std::string MacListFromOuiCsv(std::string_view csvUtf8) {
    constexpr std::size_t kPrefixLength = 6;
    NextRecord(csvUtf8); // the column names
    std::map<std::string, std::string> vendors;
    while (!csvUtf8.empty()) {
        const std::vector<std::string> fields = NextRecord(csvUtf8);
        if (fields.size() < 3) {
            continue;
        }
        const std::string prefix = core::UpperLatin(core::Trim(fields[1]));
        if (prefix.size() == kPrefixLength) {
            vendors.emplace(prefix, core::Utf8ToCp1251(core::Trim(fields[2])));
        }
    }
    std::string list;
    for (const auto& [prefix, vendor] : vendors) {
        list += prefix + " " + vendor + "\r\n";
    }
    return list;
}

void WriteMacList(const std::string& registryFile, const std::string& target) {
    core::WriteFileAtomically(target, MacListFromOuiCsv(core::ReadFileBytes(registryFile)));
}

} // namespace pelgo::archive
