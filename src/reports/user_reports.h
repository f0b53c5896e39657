// The user reports of [Reports]: name = template path, one reports-menu item per entry.
#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "shell/settings.h"

namespace pelgo::reports {

struct UserReport {
    std::size_t position = 0; // among the entries: the report kind is 200 + position
    std::string name;
    std::string path; // native: a relative path is taken from the installation folder
};

// The last entry whose trimmed name is the trimmed caption; none when the report is no longer kept.
std::optional<UserReport> FindUserReport(const shell::Entries& reports, std::string_view caption,
                                         const shell::PathRules& paths);

} // namespace pelgo::reports
