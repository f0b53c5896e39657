// The view trees of the computer view (archive, alarms, current file, changes, department count) as Qt item
// views see them: an adapter over one archive::ViewTree that it owns, replaced whole for each node shown.
#pragma once

#include <QAbstractItemModel>
#include <QIcon>
#include <functional>
#include <vector>

#include "archive/view_tree.h"

namespace pelgo::gui {

class ViewTreeModel : public QAbstractItemModel {
    Q_OBJECT

public:
    // The picture of a line's icon number: the view's icon set, or the node types' for the department count.
    using IconSource = std::function<QIcon(int icon)>;

    explicit ViewTreeModel(IconSource icons, QObject* parent = nullptr);

    // The lines of another node: one reset, whatever the size.
    void SetTree(archive::ViewTree tree);
    void SetTree(archive::ViewTree tree, IconSource icons);
    void Clear() { SetTree({}); }
    const archive::ViewTree& Tree() const { return m_tree; }
    bool Empty() const { return m_tree.Empty(); }

    QModelIndex index(int row, int column, const QModelIndex& parent = {}) const override;
    QModelIndex parent(const QModelIndex& child) const override;
    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;

private:
    const std::vector<int>& ChildrenOf(const QModelIndex& parent) const;
    QModelIndex IndexOfLine(int line) const;

    IconSource m_icons;
    archive::ViewTree m_tree;
    std::vector<int> m_rows; // each line's row under its parent
};

} // namespace pelgo::gui
