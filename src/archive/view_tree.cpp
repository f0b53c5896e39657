// The view tree: lines kept in one vector in the order they were added, each with the indexes of its children.
#include "archive/view_tree.h"

#include <utility>

namespace pelgo::archive {

int ViewTree::Add(int parent, std::string text, int icon) {
    const int index = Size();
    ViewLine line;
    line.text = std::move(text);
    line.icon = icon;
    line.parent = parent;
    m_lines.push_back(std::move(line));
    (parent == kTop ? m_top : Line(parent).children).push_back(index);
    return index;
}

const std::vector<int>& ViewTree::Children(int parent) const {
    return parent == kTop ? m_top : Line(parent).children;
}

void ViewTree::ForEach(const std::function<void(const ViewLine& line, int depth)>& visit) const {
    std::vector<std::pair<int, int>> pending; // line, depth
    for (auto it = m_top.rbegin(); it != m_top.rend(); ++it) {
        pending.emplace_back(*it, 0);
    }
    while (!pending.empty()) {
        const auto [index, depth] = pending.back();
        pending.pop_back();
        const ViewLine& line = Line(index);
        visit(line, depth);
        for (auto it = line.children.rbegin(); it != line.children.rend(); ++it) {
            pending.emplace_back(*it, depth + 1);
        }
    }
}

std::string ViewTree::Print() const {
    std::string out;
    ForEach([&out](const ViewLine& line, int depth) {
        out.append(static_cast<std::size_t>(depth), '\t');
        out += std::to_string(line.icon);
        out += ' ';
        out += line.text;
        out += '\n';
    });
    return out;
}

} // namespace pelgo::archive
