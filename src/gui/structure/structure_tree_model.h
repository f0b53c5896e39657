// The structure tree as Qt item views see it: an adapter over the one tree model of the engines, following
// its change notifications, so the window never keeps a second copy of the tree.
#pragma once

#include <QAbstractItemModel>

#include "gui/common/theme_icons.h"
#include "structure/tree_model.h"

namespace pelgo::gui {

class StructureTreeModel : public QAbstractItemModel, private structure::TreeObserver {
    Q_OBJECT

public:
    explicit StructureTreeModel(structure::TreeModel& tree, NodeTypeIcons icons = {}, QObject* parent = nullptr);
    ~StructureTreeModel() override;

    // The node behind an index; null for the invisible root.
    structure::TreeNode* NodeOf(const QModelIndex& index) const;
    QModelIndex IndexOf(const structure::TreeNode* node) const;

    QModelIndex index(int row, int column, const QModelIndex& parent = {}) const override;
    QModelIndex parent(const QModelIndex& child) const override;
    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;

private:
    void AboutToInsert(const structure::TreeNode* parent, int row) override;
    void Inserted() override;
    void AboutToRemove(const structure::TreeNode* parent, int row) override;
    void Removed() override;
    void AboutToMove(const structure::TreeNode* parent, int row, const structure::TreeNode* destination,
                     int destinationRow) override;
    void Moved() override;
    void Changed(const structure::TreeNode& node) override;
    void AboutToReset() override;
    void ResetDone() override;

    structure::TreeModel& m_tree;
    NodeTypeIcons m_icons;
};

} // namespace pelgo::gui
