// The tree model: node storage by handle, structural edits with their notifications, the pre-order table.
#include "structure/tree_model.h"

#include <random>

namespace pelgo::structure {

TreeNode* TreeNode::Child(int row) const {
    return row >= 0 && row < ChildCount() ? m_children[static_cast<std::size_t>(row)] : nullptr;
}

namespace {

// Nine digits: the UNO arithmetic keeps about ten digits of a handle, and a session adds far fewer nodes
// than it would take to leave the int range.
int RandomFirstHandle() {
    std::random_device device;
    return std::uniform_int_distribution<int>(100000000, 999999999)(device);
}

} // namespace

TreeModel::TreeModel() : TreeModel(RandomFirstHandle()) {
}

TreeModel::TreeModel(int firstHandle) : m_firstHandle(firstHandle), m_nextHandle(firstHandle) {
}

TreeModel::~TreeModel() = default;

template <typename Notify> void TreeModel::NotifyObserver(Notify&& notify) const {
    if (m_observer != nullptr && !m_resetting) {
        notify(*m_observer);
    }
}

TreeNode* TreeModel::Next(const TreeNode& node) const {
    if (!node.m_children.empty()) {
        return node.m_children.front();
    }
    for (const TreeNode* n = &node; n->m_level >= 0; n = n->m_parent) {
        if (TreeNode* sibling = n->m_parent->Child(n->m_row + 1)) {
            return sibling;
        }
    }
    return nullptr;
}

TreeNode* TreeModel::Previous(const TreeNode& node) const {
    TreeNode* previous = node.m_parent->Child(node.m_row - 1);
    if (previous == nullptr) {
        return node.Parent();
    }
    while (previous->ChildCount() > 0) {
        previous = previous->m_children.back();
    }
    return previous;
}

void TreeModel::EnsureOrder() const {
    if (m_orderCurrent) {
        return;
    }
    m_order.clear();
    m_order.reserve(static_cast<std::size_t>(m_count));
    for (TreeNode* node = First(); node != nullptr; node = Next(*node)) {
        node->m_index = static_cast<int>(m_order.size());
        m_order.push_back(node);
    }
    m_orderCurrent = true;
}

int TreeModel::AbsoluteIndex(const TreeNode& node) const {
    EnsureOrder();
    return node.m_index;
}

TreeNode* TreeModel::NodeAt(int absoluteIndex) const {
    if (absoluteIndex < 0 || absoluteIndex >= m_count) {
        return nullptr;
    }
    EnsureOrder();
    return m_order[static_cast<std::size_t>(absoluteIndex)];
}

TreeNode* TreeModel::NodeByHandle(int handle) const {
    if (handle < m_firstHandle || handle >= m_nextHandle) {
        return nullptr;
    }
    return m_nodes[static_cast<std::size_t>(handle - m_firstHandle)].get();
}

void TreeModel::Renumber(TreeNode& parent, int fromRow) {
    for (int row = fromRow; row < parent.ChildCount(); ++row) {
        parent.m_children[static_cast<std::size_t>(row)]->m_row = row;
    }
}

bool TreeModel::IsLastInPreOrder(const TreeNode& node) const {
    if (!node.m_children.empty()) {
        return false;
    }
    for (const TreeNode* n = &node; n->m_level >= 0; n = n->m_parent) {
        if (n->m_row != n->m_parent->ChildCount() - 1) {
            return false;
        }
    }
    return true;
}

TreeNode& TreeModel::AddChild(TreeNode* parent, int row, std::string text, int icon) {
    TreeNode& owner = Owner(parent);
    if (row < 0 || row > owner.ChildCount()) {
        row = owner.ChildCount();
    }
    NotifyObserver([&](TreeObserver& observer) { observer.AboutToInsert(parent, row); });
    std::unique_ptr<TreeNode> created(new TreeNode());
    TreeNode& node = *created;
    node.m_handle = m_nextHandle++;
    node.m_text = std::move(text);
    node.m_icon = icon;
    node.m_parent = &owner;
    node.m_level = owner.m_level + 1;
    m_nodes.push_back(std::move(created));
    owner.m_children.insert(owner.m_children.begin() + row, &node);
    Renumber(owner, row);
    ++m_count;
    if (m_orderCurrent && IsLastInPreOrder(node)) {
        node.m_index = static_cast<int>(m_order.size());
        m_order.push_back(&node);
    } else {
        m_orderCurrent = false;
    }
    NotifyObserver([](TreeObserver& observer) { observer.Inserted(); });
    return node;
}

void TreeModel::Release(TreeNode& node) {
    std::vector<TreeNode*> pending{&node};
    while (!pending.empty()) {
        TreeNode* next = pending.back();
        pending.pop_back();
        pending.insert(pending.end(), next->m_children.begin(), next->m_children.end());
        --m_count;
        ForgetUno(next->m_record.get());
        m_nodes[static_cast<std::size_t>(next->m_handle - m_firstHandle)].reset();
    }
}

void TreeModel::ForgetUno(const TKelRec* record) {
    if (record == nullptr) {
        return;
    }
    --m_recordCount;
    if (const auto found = m_unos.find(record->uno); found != m_unos.end() && --found->second == 0) {
        m_unos.erase(found);
    }
}

int TreeModel::NodesWithUno(const std::string& uno) const {
    const auto found = m_unos.find(uno);
    return found != m_unos.end() ? found->second : 0;
}

void TreeModel::SetRecord(TreeNode& node, std::unique_ptr<TKelRec> record) {
    ForgetUno(node.m_record.get());
    if (record != nullptr) {
        ++m_unos[record->uno];
        ++m_recordCount;
    }
    node.m_record = std::move(record);
}

void TreeModel::Remove(TreeNode& node) {
    TreeNode& owner = *node.m_parent;
    const int row = node.m_row;
    NotifyObserver([&](TreeObserver& observer) { observer.AboutToRemove(node.Parent(), row); });
    owner.m_children.erase(owner.m_children.begin() + row);
    Renumber(owner, row);
    Release(node);
    m_orderCurrent = false;
    NotifyObserver([](TreeObserver& observer) { observer.Removed(); });
}

bool TreeModel::Move(TreeNode& node, TreeNode* destination, int destinationRow) {
    for (const TreeNode* n = destination; n != nullptr; n = n->Parent()) {
        if (n == &node) {
            return false;
        }
    }
    TreeNode& from = *node.m_parent;
    TreeNode& to = Owner(destination);
    const int row = node.m_row;
    if (destinationRow < 0 || destinationRow > to.ChildCount()) {
        destinationRow = to.ChildCount();
    }
    if (&from == &to && (destinationRow == row || destinationRow == row + 1)) {
        return true;
    }
    NotifyObserver(
        [&](TreeObserver& observer) { observer.AboutToMove(node.Parent(), row, destination, destinationRow); });
    from.m_children.erase(from.m_children.begin() + row);
    Renumber(from, row);
    const int insertRow = &from == &to && destinationRow > row ? destinationRow - 1 : destinationRow;
    to.m_children.insert(to.m_children.begin() + insertRow, &node);
    node.m_parent = &to;
    Renumber(to, insertRow);
    if (const int shift = to.m_level + 1 - node.m_level; shift != 0) {
        std::vector<TreeNode*> pending{&node};
        while (!pending.empty()) {
            TreeNode* next = pending.back();
            pending.pop_back();
            next->m_level += shift;
            pending.insert(pending.end(), next->m_children.begin(), next->m_children.end());
        }
    }
    m_orderCurrent = false;
    NotifyObserver([](TreeObserver& observer) { observer.Moved(); });
    return true;
}

void TreeModel::SetText(TreeNode& node, std::string text) {
    node.m_text = std::move(text);
    NotifyObserver([&](TreeObserver& observer) { observer.Changed(node); });
}

void TreeModel::SetIcon(TreeNode& node, int icon) {
    node.m_icon = icon;
    NotifyObserver([&](TreeObserver& observer) { observer.Changed(node); });
}

void TreeModel::Reset(const std::function<void()>& rebuild) {
    NotifyObserver([](TreeObserver& observer) { observer.AboutToReset(); });
    m_resetting = true;
    struct Done {
        TreeModel& model;
        ~Done() {
            model.m_resetting = false;
            model.NotifyObserver([](TreeObserver& observer) { observer.ResetDone(); });
        }
    } done{*this};
    m_root.m_children.clear();
    m_nodes.clear();
    m_unos.clear();
    m_recordCount = 0;
    m_firstHandle = m_nextHandle;
    m_count = 0;
    m_order.clear();
    m_orderCurrent = true;
    rebuild();
}

} // namespace pelgo::structure
