// The item-model adapter over the structure tree.
#include "gui/structure/structure_tree_model.h"

#include <QFont>
#include <QMimeData>
#include <algorithm>
#include <utility>

#include "gui/common/qt_text.h"

namespace pelgo::gui {
namespace {

const QString kNodeFormat = QStringLiteral("application/x-pelgo-structure-node");

// A dragged node of one model: handles mean nothing to another model or process, so a drop takes only the
// data its own model made.
class NodeMimeData : public QMimeData {
public:
    NodeMimeData(const StructureTreeModel* model, int handle) : m_model(model), m_handle(handle) {
        setData(kNodeFormat, QByteArray::number(handle));
    }
    const StructureTreeModel* Model() const { return m_model; }
    int Handle() const { return m_handle; }

private:
    const StructureTreeModel* m_model;
    int m_handle;
};

} // namespace

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

void StructureTreeModel::SetEditable(bool editable) {
    m_editable = editable;
}

void StructureTreeModel::Repaint(int handle) {
    if (const structure::TreeNode* node = m_tree.NodeByHandle(handle)) {
        const QModelIndex index = IndexOf(node);
        emit dataChanged(index, index, {Qt::FontRole});
    }
}

void StructureTreeModel::SetMarked(const std::vector<structure::TreeNode*>& nodes) {
    std::vector<int> marked;
    for (const structure::TreeNode* node : nodes) {
        marked.push_back(node->Handle());
    }
    std::swap(m_marked, marked);
    // `marked` now holds the handles drawn bold before: those that changed are repainted.
    for (const int handle : marked) {
        if (std::find(m_marked.begin(), m_marked.end(), handle) == m_marked.end()) {
            Repaint(handle);
        }
    }
    for (const int handle : m_marked) {
        if (std::find(marked.begin(), marked.end(), handle) == marked.end()) {
            Repaint(handle);
        }
    }
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
        return IconOf(*node);
    case Qt::FontRole:
        if (std::find(m_marked.begin(), m_marked.end(), node->Handle()) != m_marked.end()) {
            QFont bold;
            bold.setBold(true);
            return bold;
        }
        return {};
    default:
        return {};
    }
}

bool StructureTreeModel::setData(const QModelIndex& index, const QVariant& value, int role) {
    structure::TreeNode* node = NodeOf(index);
    // The tree reports the new text itself when the node takes it.
    return node != nullptr && role == Qt::EditRole && m_editable && m_rename &&
           m_rename(*node, ToCp1251(value.toString()));
}

Qt::ItemFlags StructureTreeModel::flags(const QModelIndex& index) const {
    if (!index.isValid()) {
        return Qt::NoItemFlags;
    }
    const Qt::ItemFlags always = Qt::ItemIsEnabled | Qt::ItemIsSelectable;
    return m_editable ? always | Qt::ItemIsEditable | Qt::ItemIsDragEnabled | Qt::ItemIsDropEnabled : always;
}

QStringList StructureTreeModel::mimeTypes() const {
    return {kNodeFormat};
}

QMimeData* StructureTreeModel::mimeData(const QModelIndexList& indexes) const {
    const structure::TreeNode* node = indexes.size() == 1 ? NodeOf(indexes.front()) : nullptr;
    return node != nullptr ? new NodeMimeData(this, node->Handle()) : nullptr;
}

Qt::DropActions StructureTreeModel::supportedDragActions() const {
    return Qt::MoveAction;
}

Qt::DropActions StructureTreeModel::supportedDropActions() const {
    return Qt::MoveAction;
}

structure::TreeNode* StructureTreeModel::DraggedNode(const QMimeData* data) const {
    const auto* node = dynamic_cast<const NodeMimeData*>(data);
    return node != nullptr && node->Model() == this ? m_tree.NodeByHandle(node->Handle()) : nullptr;
}

bool StructureTreeModel::canDropMimeData(const QMimeData* data, Qt::DropAction action, int row, int,
                                         const QModelIndex& parent) const {
    // Only a drop on a node: the dragged one goes before it.
    const structure::TreeNode* target = NodeOf(parent);
    const structure::TreeNode* dragged = DraggedNode(data);
    return m_editable && action == Qt::MoveAction && row < 0 && target != nullptr && dragged != nullptr &&
           dragged != target;
}

bool StructureTreeModel::dropMimeData(const QMimeData* data, Qt::DropAction action, int row, int column,
                                      const QModelIndex& parent) {
    if (m_drop && canDropMimeData(data, action, row, column, parent)) {
        m_drop(*DraggedNode(data), *NodeOf(parent));
    }
    // The handler moves the node (or not) in the tree, which tells the views: there is nothing left for the
    // dragging view to remove.
    return false;
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
    // The marked nodes went with the tree.
    m_marked.clear();
    endResetModel();
}

} // namespace pelgo::gui
