// The view tree adapter. A model index carries its line's number; the rows are noted once per tree.
#include "gui/archive/view_tree_model.h"

#include <QBrush>
#include <QFont>
#include <QGuiApplication>
#include <QPalette>
#include <utility>

#include "gui/common/qt_text.h"

namespace pelgo::gui {
namespace {

constexpr int kMarkedDate = 1; // the date of a line the change monitor marked
constexpr int kMarkedLine = 2; // the marked line itself

} // namespace

ViewTreeModel::ViewTreeModel(IconSource icons, QObject* parent)
    : QAbstractItemModel(parent), m_icons(std::move(icons)) {
}

void ViewTreeModel::SetTree(archive::ViewTree tree) {
    beginResetModel();
    m_tree = std::move(tree);
    m_rows.assign(static_cast<std::size_t>(m_tree.Size()), 0);
    for (int line = 0; line < m_tree.Size(); ++line) {
        const std::vector<int>& children = m_tree.Children(line);
        for (std::size_t row = 0; row < children.size(); ++row) {
            m_rows[static_cast<std::size_t>(children[row])] = static_cast<int>(row);
        }
    }
    const std::vector<int>& top = m_tree.Children(archive::ViewTree::kTop);
    for (std::size_t row = 0; row < top.size(); ++row) {
        m_rows[static_cast<std::size_t>(top[row])] = static_cast<int>(row);
    }
    endResetModel();
}

void ViewTreeModel::SetTree(archive::ViewTree tree, IconSource icons) {
    m_icons = std::move(icons);
    SetTree(std::move(tree));
}

const std::vector<int>& ViewTreeModel::ChildrenOf(const QModelIndex& parent) const {
    return m_tree.Children(parent.isValid() ? static_cast<int>(parent.internalId()) : archive::ViewTree::kTop);
}

QModelIndex ViewTreeModel::IndexOfLine(int line) const {
    return createIndex(m_rows[static_cast<std::size_t>(line)], 0, static_cast<quintptr>(line));
}

QModelIndex ViewTreeModel::index(int row, int column, const QModelIndex& parent) const {
    if (column != 0 || row < 0 || (parent.isValid() && parent.column() != 0)) {
        return {};
    }
    const std::vector<int>& children = ChildrenOf(parent);
    if (row >= static_cast<int>(children.size())) {
        return {};
    }
    return createIndex(row, 0, static_cast<quintptr>(children[static_cast<std::size_t>(row)]));
}

QModelIndex ViewTreeModel::parent(const QModelIndex& child) const {
    if (!child.isValid()) {
        return {};
    }
    const int parentLine = m_tree.Line(static_cast<int>(child.internalId())).parent;
    return parentLine == archive::ViewTree::kTop ? QModelIndex() : IndexOfLine(parentLine);
}

int ViewTreeModel::rowCount(const QModelIndex& parent) const {
    if (parent.isValid() && parent.column() != 0) {
        return 0;
    }
    return static_cast<int>(ChildrenOf(parent).size());
}

int ViewTreeModel::columnCount(const QModelIndex&) const {
    return 1;
}

QVariant ViewTreeModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid()) {
        return {};
    }
    const archive::ViewLine& line = m_tree.Line(static_cast<int>(index.internalId()));
    switch (role) {
    case Qt::DisplayRole:
    case Qt::ToolTipRole:
        return FromCp1251(line.text);
    case Qt::DecorationRole:
        return m_icons ? m_icons(line.icon) : QIcon();
    case Qt::ForegroundRole:
        // Disabled devices are drawn as disabled text; a line the change monitor marked stands out in red.
        if (line.stateMark == kMarkedLine) {
            return QBrush(Qt::red);
        }
        if (line.greyed) {
            return QGuiApplication::palette().brush(QPalette::Disabled, QPalette::Text);
        }
        return {};
    case Qt::FontRole:
        // The marked line and its date are bold, so a marked alarm is found by its date line when collapsed.
        if (line.stateMark == kMarkedLine || line.stateMark == kMarkedDate) {
            QFont font;
            font.setBold(true);
            return font;
        }
        return {};
    default:
        return {};
    }
}

} // namespace pelgo::gui
