// The work-log viewer's content: the log read in blocks and cut into lines at every CR or LF, the lines that
// pass the filter, each with the colour of the first keyword it holds.
#pragma once

#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "core/date_time.h"
#include "structure/tree_model.h"

namespace pelgo::search {

// Black, then the keyword table's colours; the names are pelgo-cli's.
enum class LogColour { Black, Green, Blue, Olive, Maroon, Purple, Red, Navy };
const char* ColourName(LogColour colour);

inline constexpr int kLogKeywordTextId = 4100;
// The ten keywords in the current language (ids 4100 + position), cp1251, with their colours.
struct LogKeyword {
    std::string word;
    LogColour colour;
};
std::vector<LogKeyword> LogKeywords();
// The colour of the first keyword of the table that the line holds (exact, case-sensitive); else black.
LogColour LineColour(std::string_view line, const std::vector<LogKeyword>& keywords);

struct LogLine {
    std::string text; // cp1251
    LogColour colour = LogColour::Black;
};

// Lines are shown when the filter is empty, or when their folded form holds the folded filter, or holds the
// second filter as given (the computer's MAC address on the viewer's first load from the tree). A missing file
// gives the one line "Файл не найден " (1044) + its path, black. The file is read shared: running instances
// write to it.
// The shown lines in order, handed over in batches as the file is read, so that a viewer shows its first screen
// long before a large log is read to its end.
void LoadLog(const std::string& path, std::string_view filter, std::string_view secondFilter,
             const std::function<void(std::vector<LogLine>& batch)>& deliver);
std::vector<LogLine> LoadLog(const std::string& path, std::string_view filter, std::string_view secondFilter);

// The viewer's two filters when it is opened from the tree: the selected node's caption, and the caption of
// the MAC-address node that follows a computer (empty otherwise).
struct LogFilters {
    std::string filter;
    std::string secondFilter;
};
LogFilters FiltersOf(const structure::TreeModel& tree, const structure::TreeNode* selected);
// "Просмотреть журнал за сегодня ...": the date as work-log lines begin, "dd.mm.yyyy ".
std::string TodayFilter(const core::DateTime& now);

} // namespace pelgo::search
