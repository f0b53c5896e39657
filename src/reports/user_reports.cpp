// Finding the template of a reports-menu item.
#include "reports/user_reports.h"

#include "core/text.h"

namespace pelgo::reports {

namespace {
constexpr std::size_t kPathLimit = 255;
}

std::optional<UserReport> FindUserReport(const shell::Entries& reports, std::string_view caption,
                                         const shell::PathRules& paths) {
    const std::string_view wanted = core::Trim(caption);
    std::optional<UserReport> found;
    for (std::size_t i = 0; i < reports.size(); ++i) {
        const auto& [name, path] = reports[i];
        if (core::Trim(name) == wanted) {
            found = UserReport{i, name, paths.ToNative(std::string_view(path).substr(0, kPathLimit))};
        }
    }
    return found;
}

} // namespace pelgo::reports
