// Comparing a computer's archived records with its collector file. The file side is first put into the form
// the archive update would have given it (which sections it loads, empty values skipped, values as the table
// keeps them), and the records the update derives rather than reads are left out of the archive side, so that
// a file compared with its own load shows no change.
#include "archive/configuration_diff.h"

#include <algorithm>
#include <deque>
#include <unordered_map>

#include "archive/archive_update.h"
#include "archive/collector_file.h"
#include "archive/computer_journal.h"
#include "core/cp1251.h"
#include "core/kel_ini_file.h"
#include "core/text.h"
#include "platform/dbf_table.h"

namespace pelgo::archive {
namespace {

constexpr std::string_view kSignature = "Signature";
constexpr int kSectionIcon = 3;
constexpr int kAddedIcon = 46;
constexpr int kRemovedIcon = 47;
constexpr int kChangedIcon = 17;

std::size_t FieldWidth(std::string_view field) {
    for (const platform::DbfFieldSpec& spec : platform::kDeviceTableFields) {
        if (spec.name == field) {
            return static_cast<std::size_t>(spec.width);
        }
    }
    return std::string::npos;
}

// A text as it reads back from its field of device.dbf.
std::string AsArchived(std::string_view text, std::string_view field) {
    const std::string blanked = core::ControlsAsBlanks(text.substr(0, std::min(text.size(), FieldWidth(field))));
    return std::string(core::Trim(blanked));
}

std::string Folded(std::string_view text) {
    std::string folded(text);
    std::transform(folded.begin(), folded.end(), folded.begin(), core::FoldCase);
    return folded;
}

bool IsConfigChanges(std::string_view section) {
    return core::UpperLatin(section).find("CONFIG_CHANGES") != std::string::npos;
}

// The agent renumbers the keys of its lists from run to run: there a value counts, not its key.
bool IsListSection(std::string_view section) {
    return section.starts_with("Windows_") || section.starts_with("Unix_") || section.starts_with("Linux_") ||
           section.starts_with("Current_");
}

struct Value {
    std::string key;
    std::string value;
    bool matched = false;
    const Value* replaced = nullptr; // the archived value a changed file value takes the place of
};

struct Section {
    std::string group; // the archive's group, which the file's section is compared under
    std::string name;  // as the file writes it, or the group for a section only archived
    std::vector<Value> file;
    std::vector<Value> archived;
};

// The section a group of records came from: the signature's group carries the check's outcome.
std::string SectionOfGroup(const std::string& group) {
    if (group == std::string(kSignature) + "_Ok" || group == std::string(kSignature) + "_BAD") {
        return std::string(kSignature);
    }
    return group;
}

// Records the update writes from its own knowledge: the board named from the BIOS string, the vendor of each
// address, and the adapter of unknown make when the current configuration lists none.
std::vector<bool> DerivedRecords(const std::vector<ArchiveRecord>& records) {
    std::vector<bool> derived(records.size(), false);
    for (std::size_t i = 0; i < records.size(); ++i) {
        const ArchiveRecord& record = records[i];
        const ArchiveRecord* previous = i > 0 ? &records[i - 1] : nullptr;
        if (record.group == "Computer" && record.name == "MotherBoard") {
            derived[i] = previous != nullptr && previous->group == "Computer" && previous->name == "BIOS";
        } else if (record.group == "Info" && record.name.starts_with("MAC_Hint")) {
            derived[i] = previous != nullptr && previous->group == "Info" &&
                         core::UpperLatin(previous->name).starts_with("MAC_ADDR");
        } else if (record.group == "Current_Config" && record.name.starts_with("Device_") &&
                   record.text.starts_with("Net Unknown") &&
                   (i + 1 == records.size() || records[i + 1].group != record.group)) {
            derived[i] =
                std::none_of(records.begin(), records.begin() + static_cast<std::ptrdiff_t>(i),
                             [&record](const ArchiveRecord& other) {
                                 return other.group == record.group && other.text.find("Net ") != std::string::npos;
                             });
        }
    }
    return derived;
}

// The sections in the order they are first met, found by name with letter case ignored.
class Sections {
public:
    Section& Of(const std::string& group) {
        const auto [found, added] = index_.try_emplace(Folded(group), sections_.size());
        if (added) {
            sections_.push_back({group, group, {}, {}});
        }
        return sections_[found->second];
    }
    std::vector<Section>& All() { return sections_; }

private:
    std::vector<Section> sections_;
    std::unordered_map<std::string, std::size_t> index_;
};

std::vector<Section> GatherSections(const std::vector<ArchiveRecord>& archived, const core::TKelIniFile& file) {
    Sections sections;
    // The change section is loaded only on request: compared only when it was.
    const bool configChanges = std::any_of(archived.begin(), archived.end(),
                                           [](const ArchiveRecord& record) { return IsConfigChanges(record.group); });
    std::vector<StoredSection> stored = StoredSections(file);
    core::StringList fileSections;
    std::unordered_map<std::string, const StoredSection*> storedByName;
    for (const StoredSection& one : stored) {
        fileSections.push_back(one.name);
        storedByName.try_emplace(Folded(one.name), &one);
    }
    for (const std::string& name : LoadedSections(fileSections, configChanges)) {
        const auto lines = storedByName.find(Folded(name));
        if (lines == storedByName.end()) {
            continue;
        }
        Section& section = sections.Of(AsArchived(name, "GROUP"));
        section.name = name;
        for (const std::string& line : lines->second->lines) {
            const std::size_t equals = line.find('=');
            const std::string_view value =
                equals == std::string::npos ? std::string_view() : std::string_view(line).substr(equals + 1);
            if (!value.empty()) {
                section.file.push_back({AsArchived(line.substr(0, equals), "NAME"), AsArchived(value, "TEXT")});
            }
        }
    }
    const std::vector<bool> derived = DerivedRecords(archived);
    for (std::size_t i = 0; i < archived.size(); ++i) {
        const ArchiveRecord& record = archived[i];
        if (derived[i] || record.group == "File_Name" || record.group.find(kJournalGroup) != std::string::npos) {
            continue;
        }
        sections.Of(SectionOfGroup(record.group)).archived.push_back({record.name, record.text});
    }
    return std::move(sections.All());
}

// Pairs each unmatched file value with the first unmatched archived value of the same `match` key.
template <typename MatchKey, typename Paired> void Pair(Section& section, MatchKey match, Paired paired) {
    std::unordered_map<std::string, std::deque<Value*>> waiting;
    for (Value& value : section.archived) {
        if (!value.matched) {
            waiting[match(value)].push_back(&value);
        }
    }
    for (Value& value : section.file) {
        if (value.matched) {
            continue;
        }
        const auto found = waiting.find(match(value));
        if (found == waiting.end() || found->second.empty()) {
            continue;
        }
        Value& archived = *found->second.front();
        found->second.pop_front();
        value.matched = archived.matched = true;
        paired(value, archived);
    }
}

void CompareSection(Section& section, std::vector<ValueChange>& changes) {
    const auto keyAndValue = [](const Value& v) { return Folded(v.key) + '\0' + v.value; };
    const auto valueOnly = [](const Value& v) { return v.value; };
    const auto keyOnly = [](const Value& v) { return Folded(v.key); };
    const auto unchanged = [](Value&, Value&) {};
    Pair(section, keyAndValue, unchanged);
    if (IsListSection(section.group)) {
        Pair(section, valueOnly, unchanged);
    }
    Pair(section, keyOnly, [](Value& file, Value& archived) { file.replaced = &archived; });
    // A changed value is reported where the file has it, among the added ones.
    for (const Value& value : section.file) {
        if (value.replaced != nullptr) {
            changes.push_back(
                {ValueChange::Kind::Changed, section.name, value.key, value.replaced->value, value.value});
        } else if (!value.matched) {
            changes.push_back({ValueChange::Kind::Added, section.name, value.key, {}, value.value});
        }
    }
    for (const Value& value : section.archived) {
        if (!value.matched) {
            changes.push_back({ValueChange::Kind::Removed, section.name, value.key, value.value, {}});
        }
    }
}

} // namespace

std::vector<ValueChange> CompareConfiguration(const std::vector<ArchiveRecord>& archived,
                                              const core::TKelIniFile& file) {
    std::vector<ValueChange> changes;
    for (Section& section : GatherSections(archived, file)) {
        CompareSection(section, changes);
    }
    return changes;
}

ViewTree ChangesTree(const std::vector<ValueChange>& changes) {
    ViewTree tree;
    int sectionLine = ViewTree::kTop;
    const std::string* section = nullptr;
    for (const ValueChange& change : changes) {
        if (section == nullptr || *section != change.section) {
            sectionLine = tree.Add(ViewTree::kTop, change.section, kSectionIcon);
            section = &change.section;
        }
        switch (change.kind) {
        case ValueChange::Kind::Added:
            tree.Add(sectionLine, change.key + " : " + change.newValue, kAddedIcon);
            break;
        case ValueChange::Kind::Removed:
            tree.Add(sectionLine, change.key + " : " + change.oldValue, kRemovedIcon);
            break;
        case ValueChange::Kind::Changed:
            tree.Add(sectionLine, change.key + " : " + change.oldValue + " -> " + change.newValue, kChangedIcon);
            break;
        }
    }
    return tree;
}

} // namespace pelgo::archive
