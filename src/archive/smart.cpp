// The SMART attribute table and the decoding of the archived S.M.A.R.T. lines into the view tree.
#include "archive/smart.h"

#include <unordered_map>

#include "core/file.h"
#include "core/profile_file.h"
#include "core/text.h"

namespace pelgo::archive {
namespace {

constexpr std::array<const char*, 4> kTags{"<V>", "<W>", "<T>", "<R>"};
constexpr int kChannels = 4;
constexpr int kLastChannelAttribute = 255;
constexpr std::size_t kMaxLineText = 255;
constexpr int kDiskIcon = 6;
constexpr int kAttributeIcon = 19;

std::string NameLine(int number, const std::string& name) {
    std::string line = "[";
    return line.append(std::to_string(number)).append("] ").append(name).append(" :");
}

std::string_view KeyOf(std::string_view line) {
    return line.substr(0, line.find('='));
}

// The text after the first "=", empty when there is none.
std::string_view TextOf(std::string_view line) {
    const std::size_t equals = line.find('=');
    return equals == std::string_view::npos ? std::string_view() : line.substr(equals + 1);
}

} // namespace

std::optional<SmartTable> SmartTable::Load(const std::string& path) {
    if (!core::FileExists(path)) {
        return std::nullopt;
    }
    core::ProfileFile file(path);
    const std::string section = file.ReadString("Main", "ParamName", "ENG");
    SmartTable table;
    for (std::size_t i = 0; i < kTags.size(); ++i) {
        table.m_captions[i] = file.ReadString(section, kTags[i], kTags[i]);
    }
    table.m_unknown = file.ReadString(section, "unknown", "unknown");
    table.m_names.reserve(kLastAttribute + 1);
    for (int number = 0; number <= kLastAttribute; ++number) {
        table.m_names.push_back(NameLine(number, file.ReadString(section, std::to_string(number), table.m_unknown)));
    }
    return table;
}

std::string SmartTable::DisplayName(int number) const {
    if (number < 0 || number > kLastAttribute) {
        return NameLine(number, m_unknown);
    }
    return m_names[static_cast<std::size_t>(number)];
}

std::string SmartChannelName(int channel) {
    return std::string("IDE ") + (channel < 2 ? "Primary " : "Secondary ") + (channel % 2 == 0 ? "Master" : "Slave");
}

void ShowSMART(const std::vector<std::string>& lines, const SmartTable* table, ViewTree& tree, int sectionLine) {
    // The first line of each key: the channels ask for up to 255 keys each.
    std::unordered_map<std::string_view, std::string_view> firstByKey;
    for (const std::string& line : lines) {
        if (line.find('=') != std::string::npos) {
            firstByKey.try_emplace(KeyOf(line), line);
        }
    }
    for (int channel = 0; channel < kChannels; ++channel) {
        const std::string prefix = "HDD" + std::to_string(channel) + "_";
        const auto info = firstByKey.find(prefix + "Info");
        if (info == firstByKey.end()) {
            continue;
        }
        const int disk =
            tree.Add(sectionLine, SmartChannelName(channel) + ": " + std::string(TextOf(info->second)), kDiskIcon);
        for (int number = 1; number <= kLastChannelAttribute; ++number) {
            const auto attribute = firstByKey.find(prefix + std::to_string(number));
            if (attribute != firstByKey.end()) {
                DecodeSMART(attribute->second, table, tree, disk);
            }
        }
    }
}

std::string DecodeSMART(std::string_view line, const SmartTable* table, ViewTree& tree, int parent) {
    const std::string text(TextOf(line).substr(0, kMaxLineText));
    if (table == nullptr) {
        return text;
    }
    const std::size_t underscore = line.find('_');
    const std::size_t equals = line.find('=');
    std::optional<int> number;
    if (underscore != std::string_view::npos && equals != std::string_view::npos && underscore < equals) {
        number = core::ParseInt(line.substr(underscore + 1, equals - underscore - 1));
    }
    const int attribute = tree.Add(parent, table->DisplayName(number.value_or(0)), kAttributeIcon);
    for (std::size_t i = 0; i < kTags.size(); ++i) {
        const std::size_t tag = text.find(kTags[i]);
        if (tag == std::string::npos) {
            continue;
        }
        const std::size_t start = tag + std::string_view(kTags[i]).size();
        const std::size_t end = text.find(' ', start);
        tree.Add(attribute, table->Captions()[i] + text.substr(start, end == std::string::npos ? end : end - start), 0);
    }
    return text;
}

} // namespace pelgo::archive
