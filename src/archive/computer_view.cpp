// The archive page: the computer's records walked once in stored order into the summary and the view tree,
// the alarms and the journal after them; the department's count by type; the performance rating.
#include "archive/computer_view.h"

#include <algorithm>
#include <climits>
#include <map>

#include "archive/computer_journal.h"
#include "core/cp1251.h"
#include "core/text.h"
#include "core/translator.h"
#include "structure/node_queries.h"
#include "structure/node_records_table.h"

namespace pelgo::archive {
namespace {

// The summary items as "[SECTION]KEY" upper-cased; the list items by their bare device class.
constexpr std::array<std::string_view, kSummaryFieldCount> kItemKeys{
    {"[INFO]RECORD_DATE", "[INFO]COMPUTER_NAME", "[INFO]CURRENT_USER_NAME", "[INFO]MAC_ADDR", "[INFO]IP_ADDR",
     "[INFO]SYSTEM", "[COMPUTER]BIOS", "[COMPUTER]MOTHERBOARD", "[COMPUTER]CPU", "[COMPUTER]CPU_FREQ_IN_MHZ",
     "[COMPUTER]MEMORY_IN_MB", "[COMPUTER]TOTAL_HDD_IN_MB", "[INFO]INVENTORYNUMBER", "NET", "DISPLAY", "MONITOR", "HDD",
     "CDROM"}};

constexpr int kSectionIcon = 3;
constexpr int kDeviceIcon = 19;
constexpr int kDriveIcon = 6;
constexpr int kJournalIcon = 30;
constexpr int kAlarmIcon = 38;
constexpr int kAlarmDateIcon = 42;
constexpr std::size_t kMaxAlarmText = 150;
constexpr std::size_t kMaxAlarmTime = 16;
constexpr std::string_view kNetClass = "NET ";

bool Contains(std::string_view text, std::string_view word) {
    return text.find(word) != std::string_view::npos;
}

// The icon of a section's own lines: some sections have a picture of their own for them.
int LineIcon(int sectionIcon) {
    switch (sectionIcon) {
    case 16:
        return 23;
    case 2:
        return 31;
    case 33:
        return 34;
    default:
        return sectionIcon;
    }
}

// What a group's records become, decided once when the group starts.
struct SectionKind {
    bool list = false;    // a device list: the texts are the lines
    bool classes = false; // a device list grouped by class
    bool current = false; // the current configuration: fills the summary too
    bool smart = false;
    bool additional = false;

    explicit SectionKind(std::string_view group)
        : list(group.starts_with("Windows_") || group.starts_with("Unix_") || group.starts_with("Linux_") ||
               group.starts_with("Current_")),
          classes(list && Contains(group, "_Dev")), current(group.starts_with("Current_")),
          smart(group == "S.M.A.R.T."), additional(group == "Additional") {}
    SectionKind() = default;
};

class ViewBuilder {
public:
    ViewBuilder(const SmartTable* smart, const ViewTexts& texts, ComputerView& view)
        : m_smart(smart), m_texts(texts), m_view(view), m_tree(view.archive) {}

    void Build(const std::vector<ArchiveRecord>& records) {
        const std::string* previousGroup = nullptr;
        for (std::size_t i = 0; i < records.size(); ++i) {
            const ArchiveRecord& record = records[i];
            const bool newGroup = previousGroup == nullptr || *previousGroup != record.group;
            previousGroup = &record.group;
            if (record.group == "File_Name") {
                m_view.fileName = record.text;
            } else if (record.group.starts_with("Info") || record.group.starts_with("Computer")) {
                SummaryRecord(record);
            } else if (record.group.starts_with(kJournalGroup)) {
                m_journal.push_back(record.name + " : " + record.text);
            } else {
                if (newGroup) {
                    StartSection(record.group);
                }
                if (m_kind.smart) {
                    i = ShowSmartGroup(records, i) - 1;
                } else {
                    SectionRecord(record);
                }
            }
        }
    }

    void AddJournal() {
        if (m_journal.empty()) {
            return;
        }
        const int top = m_tree.Add(ViewTree::kTop, kJournalGroup, kJournalIcon);
        for (std::string& entry : m_journal) {
            // "Загружено " user " из " directory: a folder may hold " из " itself, so the first one after the
            // user counts.
            const std::size_t loadedAt = m_texts.loaded.empty() ? std::string::npos : entry.find(m_texts.loaded);
            const std::size_t fromAt = loadedAt == std::string::npos || m_texts.from.empty()
                                           ? std::string::npos
                                           : entry.find(m_texts.from, loadedAt + m_texts.loaded.size());
            if (fromAt != std::string::npos) {
                m_view.configDirectory = entry.substr(fromAt + m_texts.from.size());
            }
            m_tree.Add(top, std::move(entry), kJournalIcon);
        }
    }

private:
    int Icon(std::string_view text, int defaultIcon) const { return SetImage(text, defaultIcon, m_texts.icons); }

    // Records of Info and Computer: the summary, the information line, the drives and lines of their own.
    void SummaryRecord(const ArchiveRecord& record) {
        if (Contains(record.name, "Param_")) {
            if (!Contains(record.name, "_0")) {
                std::string& line = m_view.infoLine;
                line += line.empty() ? record.text : " " + record.text;
            }
            return;
        }
        if (Contains(record.name, "Drive_")) {
            if (m_lastDrive.size() < 2) {
                m_current = m_tree.Add(ViewTree::kTop, "Drives...", kDriveIcon);
            }
            m_lastDrive = record.text;
            if (record.text.size() > 3) {
                m_tree.Add(m_current, record.text, Icon(record.text, kDriveIcon));
            }
            return;
        }
        const std::string upperName = core::UpperLatin(record.name);
        std::string key = "[";
        key.append(core::UpperLatin(record.group)).append("]").append(upperName);
        for (int item = 0; item < kFirstListField; ++item) {
            const std::string_view itemKey = kItemKeys[static_cast<std::size_t>(item)];
            // Every MAC_ADDR key is an address: a computer may have several adapters.
            if (item == kMacField ? key.starts_with(itemKey) : key == itemKey) {
                SummaryField& field = m_view.fields[static_cast<std::size_t>(item)];
                field.text = record.text;
                if (item == kMacField) {
                    field.list.push_back(record.text);
                }
                return;
            }
        }
        if (upperName.starts_with("MAC_HINT")) {
            m_view.macHints.push_back(record.text);
            return;
        }
        m_lastDrive.clear();
        m_current = m_tree.Add(ViewTree::kTop, record.name + " : " + record.text, Icon(record.name, 0));
    }

    void StartSection(const std::string& group) {
        m_kind = SectionKind(group);
        // Attention belongs to the section before it.
        if (group == "Attention") {
            return;
        }
        const int icon = Icon(group, kSectionIcon);
        m_section = m_current = m_tree.Add(ViewTree::kTop, group, icon);
        m_lineIcon = LineIcon(icon);
        m_class.clear();
        m_classLine = ViewTree::kTop;
    }

    // Shows the group's consecutive records from `first` on; returns the index after them.
    std::size_t ShowSmartGroup(const std::vector<ArchiveRecord>& records, std::size_t first) {
        std::vector<std::string> lines;
        std::size_t end = first;
        for (; end < records.size() && records[end].group == records[first].group; ++end) {
            lines.push_back(records[end].name + "=" + records[end].text);
        }
        ShowSMART(lines, m_smart, m_tree, m_section);
        return end;
    }

    void SectionRecord(const ArchiveRecord& record) {
        if (m_kind.list) {
            ListRecord(record.text);
        } else {
            const int icon = m_kind.additional ? Icon(record.name, 0) : m_lineIcon;
            m_tree.Add(m_current, record.name + " : " + record.text, icon);
        }
    }

    void ListRecord(const std::string& text) {
        const std::string upper = core::UpperLatin(text);
        if (m_kind.current) {
            FillFromCurrent(text, upper);
        }
        if (m_kind.classes && (m_class.empty() || !upper.starts_with(m_class))) {
            StartClass(text, upper);
        }
        int parent = m_current;
        std::string shown = text;
        bool adapter = false;
        bool plain = false;
        // Network lines name their adapter in brackets: "[0]Card ..." starts one, "[0]IP ..." belongs to it.
        if (m_kind.classes && m_class == kNetClass) {
            const std::size_t close = text.find(']');
            if (close == std::string::npos) {
                parent = m_classLine;
            } else {
                shown = text.substr(close + 1);
                adapter = Contains(text, "]Card ");
                parent = adapter ? m_classLine : m_current;
                plain = !adapter;
            }
        }
        const int icon = plain ? 0 : (m_kind.classes || m_kind.current) ? Icon(shown, kDeviceIcon) : m_lineIcon;
        const int line = m_tree.Add(parent, std::move(shown), icon);
        m_tree.Line(line).greyed = Contains(text, "(Disabl.)");
        if (adapter) {
            m_current = line;
        }
    }

    void StartClass(const std::string& text, const std::string& upper) {
        const std::size_t blank = text.find(' ');
        m_class = blank == std::string::npos ? upper : upper.substr(0, blank + 1);
        const std::string name = text.substr(0, blank);
        m_classLine = m_current =
            m_tree.Add(m_section, m_class == kNetClass ? "Network" : name, Icon(name, kDeviceIcon));
    }

    // A current-configuration line "[Section]Key value" or "Class value" replaces the archived value.
    void FillFromCurrent(const std::string& text, const std::string& upper) {
        for (int item = 1; item < kSummaryFieldCount; ++item) {
            const std::string_view key = kItemKeys[static_cast<std::size_t>(item)];
            if (upper.size() > key.size() && upper.starts_with(key) && upper[key.size()] == ' ') {
                SummaryField& field = m_view.fields[static_cast<std::size_t>(item)];
                field.text = core::Trim(std::string_view(text).substr(key.size() + 1));
                if (item >= kFirstListField) {
                    field.list.push_back(field.text);
                }
                return;
            }
        }
    }

    const SmartTable* m_smart;
    const ViewTexts& m_texts;
    ComputerView& m_view;
    ViewTree& m_tree;
    std::vector<std::string> m_journal;
    SectionKind m_kind;
    int m_current = ViewTree::kTop;
    int m_section = ViewTree::kTop;
    int m_lineIcon = kSectionIcon;
    std::string m_lastDrive;
    std::string m_class; // upper-cased, with its blank
    int m_classLine = ViewTree::kTop;
};

void AddAlarms(const std::vector<AlarmRecord>& alarms, const IconWords& words, ViewTree& tree) {
    std::string_view lastDate;
    int dateLine = ViewTree::kTop;
    for (const AlarmRecord& alarm : alarms) {
        // The monitor marks a line it was told to watch with ">>>".
        const bool marked = alarm.text.starts_with(">>>");
        const std::string_view text =
            marked ? core::Trim(std::string_view(alarm.text).substr(3, kMaxAlarmText)) : std::string_view(alarm.text);
        const std::string_view stamp = alarm.stamp;
        const std::size_t blank = stamp.find(' ');
        const std::string_view date = stamp.substr(0, blank);
        const std::string_view time =
            blank == std::string_view::npos ? std::string_view() : core::Trim(stamp.substr(blank + 1, kMaxAlarmTime));
        if (dateLine == ViewTree::kTop || date != lastDate) {
            dateLine = tree.Add(ViewTree::kTop, std::string(date), kAlarmDateIcon);
            lastDate = date;
        }
        std::string line = std::string(time) + " " + std::string(text);
        const int icon = SetImage(line, kAlarmIcon, words);
        const int index = tree.Add(dateLine, std::move(line), icon);
        if (marked) {
            tree.Line(index).stateMark = 2;
            tree.Line(dateLine).stateMark = 1;
        }
    }
}

// Scores far beyond every gauge stay within an int.
int RoundScore(double value) {
    return static_cast<int>(std::clamp<long long>(core::RoundHalfEven(value), INT_MIN, INT_MAX));
}

const structure::TreeNode* NextSibling(const structure::TreeModel& tree, const structure::TreeNode& node) {
    const structure::TreeNode* parent = node.Parent();
    return parent != nullptr ? parent->Child(node.Row() + 1) : tree.TopLevel(node.Row() + 1);
}

} // namespace

std::vector<ArchiveRecord> ReadArchiveRecords(platform::DbfTable& device, std::string_view address) {
    const std::size_t group = device.FieldIndex("GROUP");
    const std::size_t name = device.FieldIndex("NAME");
    const std::size_t text = device.FieldIndex("TEXT");
    std::vector<ArchiveRecord> records;
    for (const platform::DbfRecord& record : device.Find(ArchiveKey(address))) {
        records.push_back({std::string(core::Trim(record.values[group])), std::string(core::Trim(record.values[name])),
                           std::string(core::Trim(record.values[text]))});
    }
    return records;
}

std::vector<AlarmRecord> ReadAlarms(platform::DbfTable& other, std::string_view address) {
    std::vector<AlarmRecord> alarms;
    for (const structure::NodeRecord& record : structure::NodeRecordsTable(other).Find(ArchiveKey(address))) {
        if (core::Trim(record.name) == "SENTINOX") {
            alarms.push_back({std::string(core::Trim(record.group)), std::string(core::Trim(record.text))});
        }
    }
    return alarms;
}

const std::array<const char*, kSummaryFieldCount>& SummaryCaptions() {
    static constexpr std::array<const char*, kSummaryFieldCount> captions{
        "Record date", "Computer name", "User",  "MAC",      "IP",     "OS",
        "BIOS",        "MotherBoard",   "CPU",   "CPU freq", "Memory", "HDD total",
        "Inventory",   "Network Card",  "Video", "Monitor",  "HDD",    "CDRom"};
    return captions;
}

ViewTexts ViewTexts::Translated() {
    return {IconWords::Translated(), core::Text(1069, "Загружено "), core::Text(4320, " из ")};
}

ComputerView BuildComputerView(const std::vector<ArchiveRecord>& records, const std::vector<AlarmRecord>& alarms,
                               const SmartTable* smart, const ViewTexts& texts) {
    ComputerView view;
    ViewBuilder builder(smart, texts, view);
    builder.Build(records);
    AddAlarms(alarms, texts.icons, view.alarms);
    builder.AddJournal();
    return view;
}

ComputerView ViewOfComputer(platform::DbfTable& device, platform::DbfTable& other, std::string_view address,
                            const SmartTable* smart, const ViewTexts& texts) {
    const std::string key = ArchiveKey(address);
    const std::vector<ArchiveRecord> records =
        key.size() > 1 ? ReadArchiveRecords(device, key) : std::vector<ArchiveRecord>();
    return BuildComputerView(records, ReadAlarms(other, key), smart, texts);
}

ViewTree BuildDepartmentSummary(const structure::TreeModel& tree, const structure::TreeNode& department,
                                const structure::NodeTypes& types) {
    ViewTree summary;
    const int top = summary.Add(ViewTree::kTop, core::Text(1068, "Сводка по ") + structure::GetPath(&department),
                                structure::kIconDepartment);
    const structure::TreeNode* end = NextSibling(tree, department);
    if (end == nullptr && department.Parent() != nullptr) {
        end = NextSibling(tree, *department.Parent());
    }
    std::map<int, int> counts; // by type, ascending
    for (const structure::TreeNode* node = tree.Next(department); node != nullptr && node != end;
         node = tree.Next(*node)) {
        const int type = node->Icon();
        if (type != 0 && type != structure::kIconMacAddress && type != structure::kIconNote) {
            ++counts[type];
        }
    }
    for (const auto& [type, count] : counts) {
        summary.Add(top, types.NodeTypeName(type) + " - " + std::to_string(count), type);
    }
    return summary;
}

std::array<PerformanceLevels, 3> PerformanceSettings(const shell::Settings& settings) {
    using shell::Key;
    return {{{settings.Int(Key::CPU1), settings.Int(Key::CPU2), settings.Int(Key::CPU3)},
             {settings.Int(Key::RAM1), settings.Int(Key::RAM2), settings.Int(Key::RAM3)},
             {settings.Int(Key::HDD1), settings.Int(Key::HDD2), settings.Int(Key::HDD3)}}};
}

PerformanceRating RatePerformance(const ComputerView& view, const std::array<PerformanceLevels, 3>& levels) {
    constexpr std::array<int, 3> kRatedFields{kClockField, kMemoryField, kDiskField};
    PerformanceRating rating;
    double weighted = 0;
    long long weights = 0;
    for (std::size_t i = 0; i < kRatedFields.size(); ++i) {
        const std::string_view text = core::Trim(view.fields[static_cast<std::size_t>(kRatedFields[i])].text);
        const long long value = core::ParseInt(text.substr(0, text.find(' '))).value_or(0);
        const PerformanceLevels& level = levels[i];
        // A level of 0 would divide by zero: such an item is not rated.
        if (value <= 0 || level.low <= 0 || level.high <= 0) {
            continue;
        }
        const int score = RoundScore(value > level.low ? value * 40.0 / level.high : value * 25.0 / level.low);
        rating.scores[i] = score;
        weighted += static_cast<double>(score) * level.weight;
        weights += level.weight;
    }
    if (weights != 0) {
        rating.overall = RoundScore(10.0 * weighted / static_cast<double>(weights));
    }
    return rating;
}

GaugeReading ReadGauge(std::optional<int> score, const GaugeScale& scale) {
    if (!score) {
        return {scale.minimum, GaugeColour::Red};
    }
    const int value = *score;
    const GaugeColour colour = value >= scale.green   ? GaugeColour::Green
                               : value >= scale.olive ? GaugeColour::Olive
                                                      : GaugeColour::Red;
    if (value > scale.maximum) {
        return {scale.maximum, value >= scale.lime ? GaugeColour::Lime : colour};
    }
    if (value < scale.minimum) {
        return {scale.minimum + 2, colour};
    }
    return {value, colour};
}

} // namespace pelgo::archive
