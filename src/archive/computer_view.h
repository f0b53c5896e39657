// The archive page of a node: for a computer the summary of eighteen fields, the tree of its archived
// sections with icons chosen by keyword, its journal and the change monitor's alarms, and the performance
// rating; for a department the count of its nodes by type.
#pragma once

#include <array>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "archive/icon_choice.h"
#include "archive/smart.h"
#include "archive/view_tree.h"
#include "core/custom_ini_file.h"
#include "platform/dbf_table.h"
#include "shell/settings.h"
#include "structure/node_types.h"
#include "structure/tree_model.h"

namespace pelgo::archive {

// One archive record of a computer, each part trimmed.
struct ArchiveRecord {
    std::string group;
    std::string name;
    std::string text;
};
// The computer's records in stored order.
std::vector<ArchiveRecord> ReadArchiveRecords(platform::DbfTable& device, std::string_view address);

// One alarm of the change monitor: its record's group (a date, a blank, a time) and text.
struct AlarmRecord {
    std::string stamp;
    std::string text;
};
// The "SENTINOX" records of the node-record table whose key is the address, in stored order.
std::vector<AlarmRecord> ReadAlarms(platform::DbfTable& other, std::string_view address);

inline constexpr int kSummaryFieldCount = 18;
inline constexpr int kMacField = 3;
inline constexpr int kClockField = 9;
inline constexpr int kMemoryField = 10;
inline constexpr int kDiskField = 11;
inline constexpr int kInventoryField = 12;
inline constexpr int kFirstListField = 13; // Net, Display, Monitor, HDD, CDRom: every value also in a list

// The fields' captions: the page's, with "Record date" for field 0 and "Inventory" for field 12, which
// the page shows without one.
const std::array<const char*, kSummaryFieldCount>& SummaryCaptions();

struct SummaryField {
    std::string text;      // the value shown, trimmed
    core::StringList list; // the address field and the list fields: every value in order
};

// What the view needs besides the records: the SMART table (null when there is none) and the words that
// choose icons by language.
struct ViewTexts {
    IconWords icons;
    // Translated, as the update journals a load: "Загружено " (1069) user " из " (4320) directory.
    std::string loaded;
    std::string from;
    static ViewTexts Translated();
};

struct ComputerView {
    std::string fileName; // the remembered file name
    std::string infoLine; // Param_1 .. Param_4 joined by blanks
    std::array<SummaryField, kSummaryFieldCount> fields;
    core::StringList macHints; // the address field's hint, one vendor line each
    ViewTree archive;          // the sections, then the journal
    ViewTree alarms;
    std::string configDirectory; // after " из " of the last load entry of the journal; empty when none
};

// The archive tree and summary from the computer's records in stored order, with the alarms.
ComputerView BuildComputerView(const std::vector<ArchiveRecord>& records, const std::vector<AlarmRecord>& alarms,
                               const SmartTable* smart, const ViewTexts& texts);
// Reads and builds; an address shorter than 2 characters gives an empty archive tree.
ComputerView ViewOfComputer(platform::DbfTable& device, platform::DbfTable& other, std::string_view address,
                            const SmartTable* smart, const ViewTexts& texts);

// The department's node count by type: "Сводка по " (1068) and its path, under it a line per type with a
// count, type name " - " count, with the node type's icon (not the view's icon set).
ViewTree BuildDepartmentSummary(const structure::TreeModel& tree, const structure::TreeNode& department,
                                const structure::NodeTypes& types);

// The levels of one rated item: below `low` a value scores against `low`, above it against `high`.
struct PerformanceLevels {
    int low = 0;
    int high = 0;
    int weight = 0;
};
// Clock, memory and disk, from section C_Performance.
std::array<PerformanceLevels, 3> PerformanceSettings(const shell::Settings& settings);

// Scores of clock, memory and disk and the overall rating; nullopt for an item left out (no value above 0,
// or a level of 0) and for the overall rating when no item was taken.
struct PerformanceRating {
    std::array<std::optional<int>, 3> scores;
    std::optional<int> overall;
};
PerformanceRating RatePerformance(const ComputerView& view, const std::array<PerformanceLevels, 3>& levels);

enum class GaugeColour { Red, Olive, Green, Lime };
struct GaugeScale {
    int minimum;
    int maximum;
    int olive; // from here olive
    int green; // from here green
    int lime;  // a score above the maximum from here is lime
};
inline constexpr GaugeScale kItemGauge{10, 50, 25, 40, 80};
inline constexpr GaugeScale kOverallGauge{100, 500, 250, 400, 800};
struct GaugeReading {
    int shown = 0;
    GaugeColour colour = GaugeColour::Red;
};
// What a gauge shows for a score: clamped into its scale, coloured by the thresholds.
GaugeReading ReadGauge(std::optional<int> score, const GaugeScale& scale);

} // namespace pelgo::archive
