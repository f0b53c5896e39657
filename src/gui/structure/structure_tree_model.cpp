// The item-model adapter over the structure tree.
#include "gui/structure/structure_tree_model.h"

#include <utility>

#include "gui/common/qt_text.h"

namespace pelgo::gui {

StructureTreeModel::StructureTreeModel(structure::TreeModel& tree, NodeTypeIcons icons, QObject* parent)
    : QAbstractItemModel(parent), m_tree(tree), m_icons(std::move(icons)) {
    m_tree.SetObserver(this);
}

StructureTreeModel::~StructureTreeModel() {
    m_tree.SetObserver(nullptr);
}

structure::TreeNode* StructureTreeModel::NodeOf(const QModelIndex& index) const {
    return index.isValid() ? static_cast<structure::TreeNode*>(index.internalPointer()) : nullptr;
}

QModelIndex StructureTreeModel::IndexOf(const structure::TreeNode* node) const {
    return node != nullptr ? createIndex(node->Row(), 0, const_cast<structure::TreeNode*>(node)) : QModelIndex();
}

QModelIndex StructureTreeModel::index(int row, int column, const QModelIndex& parent) const {
    if (column != 0) {
        return {};
    }
    const structure::TreeNode* owner = NodeOf(parent);
    structure::TreeNode* child = owner != nullptr ? owner->Child(row) : m_tree.TopLevel(row);
    return child != nullptr ? createIndex(row, 0, child) : QModelIndex();
}

QModelIndex StructureTreeModel::parent(const QModelIndex& child) const {
    const structure::TreeNode* node = NodeOf(child);
    return node != nullptr ? IndexOf(node->Parent()) : QModelIndex();
}

int StructureTreeModel::rowCount(const QModelIndex& parent) const {
    if (parent.column() > 0) {
        return 0;
    }
    const structure::TreeNode* node = NodeOf(parent);
    return node != nullptr ? node->ChildCount() : m_tree.TopLevelCount();
}

int StructureTreeModel::columnCount(const QModelIndex&) const {
    return 1;
}

QVariant StructureTreeModel::data(const QModelIndex& index, int role) const {
    const structure::TreeNode* node = NodeOf(index);
    if (node == nullptr) {
        return {};
    }
    switch (role) {
    case Qt::DisplayRole:
    case Qt::EditRole:
        return FromCp1251(node->Text());
    case Qt::DecorationRole:
        return m_icons.Icon(node->Icon());
    default:
        return {};
    }
}

Qt::ItemFlags StructureTreeModel::flags(const QModelIndex& index) const {
    return index.isValid() ? Qt::ItemIsEnabled | Qt::ItemIsSelectable : Qt::NoItemFlags;
}

void StructureTreeModel::AboutToInsert(const structure::TreeNode* parent, int row) {
    beginInsertRows(IndexOf(parent), row, row);
}

void StructureTreeModel::Inserted() {
    endInsertRows();
}

void StructureTreeModel::AboutToRemove(const structure::TreeNode* parent, int row) {
    beginRemoveRows(IndexOf(parent), row, row);
}

void StructureTreeModel::Removed() {
    endRemoveRows();
}

void StructureTreeModel::AboutToMove(const structure::TreeNode* parent, int row, const structure::TreeNode* destination,
                                     int destinationRow) {
    beginMoveRows(IndexOf(parent), row, row, IndexOf(destination), destinationRow);
}

void StructureTreeModel::Moved() {
    endMoveRows();
}

void StructureTreeModel::Changed(const structure::TreeNode& node) {
    const QModelIndex index = IndexOf(&node);
    emit dataChanged(index, index);
}

void StructureTreeModel::AboutToReset() {
    beginResetModel();
}

void StructureTreeModel::ResetDone() {
    endResetModel();
}

} // namespace pelgo::gui
