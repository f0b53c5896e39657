// The structure tree as Qt item views see it: an adapter over the one tree model of the engines, following
// its change notifications, so the window never keeps a second copy of the tree. The view's edits (a caption
// typed in place, a node dropped on another) go to handlers of the window; the adapter itself never changes
// the tree.
#pragma once

#include <QAbstractItemModel>
#include <functional>
#include <string>
#include <vector>

#include "gui/common/theme_icons.h"
#include "structure/tree_model.h"

namespace pelgo::gui {

class StructureTreeModel : public QAbstractItemModel, private structure::TreeObserver {
    Q_OBJECT

public:
    // A confirmed in-place edit: the typed text in cp1251; true when the node took it.
    using RenameHandler = std::function<bool(structure::TreeNode& node, const std::string& typed)>;
    // A node dropped on another.
    using DropHandler = std::function<void(structure::TreeNode& node, structure::TreeNode& target)>;

    explicit StructureTreeModel(structure::TreeModel& tree, NodeTypeIcons icons = {}, QObject* parent = nullptr);
    ~StructureTreeModel() override;

    // The node behind an index; null for the invisible root.
    structure::TreeNode* NodeOf(const QModelIndex& index) const;
    QModelIndex IndexOf(const structure::TreeNode* node) const;
    QIcon IconOf(const structure::TreeNode& node) const { return m_icons.Icon(node.Icon()); }

    // Whether the view may edit captions and drag nodes: not while the data are protected.
    void SetEditable(bool editable);
    void SetRenameHandler(RenameHandler handler) { m_rename = std::move(handler); }
    void SetDropHandler(DropHandler handler) { m_drop = std::move(handler); }
    // The nodes marked for moving, drawn bold.
    void SetMarked(const std::vector<structure::TreeNode*>& nodes);

    QModelIndex index(int row, int column, const QModelIndex& parent = {}) const override;
    QModelIndex parent(const QModelIndex& child) const override;
    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    bool setData(const QModelIndex& index, const QVariant& value, int role = Qt::EditRole) override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;

    QStringList mimeTypes() const override;
    QMimeData* mimeData(const QModelIndexList& indexes) const override;
    Qt::DropActions supportedDragActions() const override;
    Qt::DropActions supportedDropActions() const override;
    bool canDropMimeData(const QMimeData* data, Qt::DropAction action, int row, int column,
                         const QModelIndex& parent) const override;
    bool dropMimeData(const QMimeData* data, Qt::DropAction action, int row, int column,
                      const QModelIndex& parent) override;

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

    // The dragged node a drop carries; null when it is no node of this tree.
    structure::TreeNode* DraggedNode(const QMimeData* data) const;
    void Repaint(int handle);

    structure::TreeModel& m_tree;
    NodeTypeIcons m_icons;
    bool m_editable = false;
    RenameHandler m_rename;
    DropHandler m_drop;
    std::vector<int> m_marked; // handles
};

} // namespace pelgo::gui
