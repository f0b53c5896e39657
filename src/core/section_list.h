// TSectionList: the sections of a TKelIniFile in file order, each owning its stored lines. Name searches
// start where the last one succeeded and wrap around, because callers walk a file section by section.
#pragma once

#include <cstddef>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "core/custom_ini_file.h"

namespace pelgo::core {

// Decides between two sections whose names are equal without regard to case: true keeps the earlier one,
// false keeps the later one. Called with the earlier section's name.
using DuplicateSectionHandler =
    std::function<bool(const std::string& name, const StringList& earlierLines, const StringList& laterLines)>;

class TSectionList {
public:
    std::size_t Count() const { return m_sections.size(); }
    // Names are kept exactly as written between the brackets.
    const std::string& Name(std::size_t index) const { return m_sections[index].name; }
    StringList& Lines(std::size_t index) { return m_sections[index].lines; }
    const StringList& Lines(std::size_t index) const { return m_sections[index].lines; }

    // The section whose name matches without regard to case, searched from the last hit round the list once.
    std::optional<std::size_t> IndexOf(std::string_view name);
    // Appends an empty section, which becomes the starting point of the next search.
    std::size_t Add(std::string name);
    void Delete(std::size_t index);
    void Clear();

    // Keeps one section of every group whose names are equal without regard to case: the earliest one, unless
    // `handler` prefers the later of a pair. Survivors keep their file order; the others' lines are dropped.
    void RemoveDuplicates(const DuplicateSectionHandler& handler);

private:
    struct Section {
        std::string name;
        StringList lines;
    };
    std::vector<Section> m_sections;
    std::size_t m_lastFound = 0;
};

} // namespace pelgo::core
