// A tree of view lines with their icons: what the computer view, the current configuration, the department
// summary and the alarms show. Engines build it; the window presents it and pelgo-cli prints it.
#pragma once

#include <functional>
#include <string>
#include <vector>

namespace pelgo::archive {

struct ViewLine {
    std::string text;
    int icon = 0;
    int stateMark = 0;   // 0 none; the change monitor's 1 (date of a marked line) and 2 (the marked line)
    bool greyed = false; // a disabled device
    int parent = -1;     // ViewTree::kTop for a top-level line
    std::vector<int> children;
};

class ViewTree {
public:
    static constexpr int kTop = -1;

    // Appends a line as the last child of `parent` (kTop: a top-level line); returns its index.
    int Add(int parent, std::string text, int icon);
    ViewLine& Line(int index) { return m_lines[static_cast<std::size_t>(index)]; }
    const ViewLine& Line(int index) const { return m_lines[static_cast<std::size_t>(index)]; }
    // The children of `parent` in order; kTop gives the top-level lines.
    const std::vector<int>& Children(int parent) const;
    int Size() const { return static_cast<int>(m_lines.size()); }
    bool Empty() const { return m_lines.empty(); }

    // Every line in pre-order with its depth (0 for a top-level line).
    void ForEach(const std::function<void(const ViewLine& line, int depth)>& visit) const;
    // One line per view line in pre-order: a TAB per level of depth, the icon number, a blank, the text, "\n".
    std::string Print() const;

private:
    std::vector<ViewLine> m_lines;
    std::vector<int> m_top;
};

} // namespace pelgo::archive
