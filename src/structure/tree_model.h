// The structure tree in memory: nodes with text, icon index (the node type), a handle and the node record,
// navigated by parent, children and pre-order. It is the one copy of the tree: the window shows it through
// an item-model adapter that follows the observer's notifications, engines walk and edit it directly.
//
// Absolute indexes (positions in pre-order) come from an order table rebuilt after a structural change and
// kept current while nodes are appended at the end of the pre-order, so a load that builds the tree in file
// order, and any walk that asks for indexes without editing, stays linear.
#pragma once

#include <functional>
#include <memory>
#include <string>
#include <unordered_map>
#include <vector>

#include "structure/node_record.h"

namespace pelgo::structure {

class TreeNode {
public:
    // A positive number that no other node of the model has had.
    int Handle() const { return m_handle; }
    const std::string& Text() const { return m_text; }
    int Icon() const { return m_icon; }
    // Null for a top-level node.
    TreeNode* Parent() const { return m_parent != nullptr && m_parent->m_level >= 0 ? m_parent : nullptr; }
    int ChildCount() const { return static_cast<int>(m_children.size()); }
    // Null outside 0 .. ChildCount() - 1.
    TreeNode* Child(int row) const;
    // Position among its siblings.
    int Row() const { return m_row; }
    // Depth: 0 for a top-level node.
    int Level() const { return m_level; }

    // The node record; null until made (uno.h), attached through the model, which indexes its UNO.
    TKelRec* Record() const { return m_record.get(); }

private:
    friend class TreeModel;
    TreeNode() = default;

    int m_handle = 0;
    std::string m_text;
    int m_icon = 0;
    int m_row = 0;
    int m_level = -1;
    TreeNode* m_parent = nullptr; // the model's hidden root for top-level nodes
    std::vector<TreeNode*> m_children;
    std::unique_ptr<TKelRec> m_record;
    mutable int m_index = -1; // absolute index while the model's order table is current
};

// Structural notifications in the shape item views expect: parents are null for the top level, rows are
// positions among the parent's children. Nothing is notified between AboutToReset and ResetDone.
class TreeObserver {
public:
    virtual ~TreeObserver() = default;
    virtual void AboutToInsert(const TreeNode* parent, int row) = 0;
    virtual void Inserted() = 0;
    virtual void AboutToRemove(const TreeNode* parent, int row) = 0;
    virtual void Removed() = 0;
    // `destinationRow` counts among the destination's children as they are before the move.
    virtual void AboutToMove(const TreeNode* parent, int row, const TreeNode* destination, int destinationRow) = 0;
    virtual void Moved() = 0;
    virtual void Changed(const TreeNode& node) = 0;
    virtual void AboutToReset() = 0;
    virtual void ResetDone() = 0;
};

class TreeModel {
public:
    // Handles start at a random number, so that two instances that loaded the same tree give the nodes
    // they add different handles (and with them different UNOs).
    TreeModel();
    explicit TreeModel(int firstHandle);
    ~TreeModel();
    TreeModel(const TreeModel&) = delete;
    TreeModel& operator=(const TreeModel&) = delete;

    void SetObserver(TreeObserver* observer) { m_observer = observer; }

    int Count() const { return m_count; }
    bool Empty() const { return m_count == 0; }
    int TopLevelCount() const { return m_root.ChildCount(); }
    TreeNode* TopLevel(int row) const { return m_root.Child(row); }
    // Node 0, the unplaced-equipment bucket; null for an empty tree.
    TreeNode* First() const { return m_root.Child(0); }
    // The pre-order successor; null after the last node.
    TreeNode* Next(const TreeNode& node) const;
    // The pre-order predecessor, found without the order table; null for node 0.
    TreeNode* Previous(const TreeNode& node) const;
    int AbsoluteIndex(const TreeNode& node) const;
    // Null outside 0 .. Count() - 1.
    TreeNode* NodeAt(int absoluteIndex) const;
    // Null when no live node has the handle.
    TreeNode* NodeByHandle(int handle) const;

    // Inserts a node among `parent`'s children (null: the top level) before `row`; a row outside the
    // children appends.
    TreeNode& AddChild(TreeNode* parent, int row, std::string text, int icon);
    // Removes the node with its subtree and their records.
    void Remove(TreeNode& node);
    // Moves the node with its subtree before `destinationRow` of `destination`'s children (null: the top
    // level; a row outside the children appends). False, and nothing moves, when the destination lies in
    // the node's own subtree.
    bool Move(TreeNode& node, TreeNode* destination, int destinationRow);
    void SetText(TreeNode& node, std::string text);
    void SetIcon(TreeNode& node, int icon);
    // Attaches (or, with null, frees) the node's record.
    void SetRecord(TreeNode& node, std::unique_ptr<TKelRec> record);
    // Whether a node of the tree has a record with this UNO.
    bool HasUno(const std::string& uno) const { return m_unos.contains(uno); }
    // How many nodes have a record with this UNO.
    int NodesWithUno(const std::string& uno) const;
    // Whether two records share a UNO.
    bool HasDuplicateUnos() const { return m_unos.size() != m_recordCount; }
    // Empties the tree and lets `rebuild` fill it, notified as one reset.
    void Reset(const std::function<void()>& rebuild);

private:
    TreeNode& Owner(TreeNode* parent) { return parent != nullptr ? *parent : m_root; }
    void Renumber(TreeNode& parent, int fromRow);
    void EnsureOrder() const;
    bool IsLastInPreOrder(const TreeNode& node) const;
    void Release(TreeNode& node);
    void ForgetUno(const TKelRec* record);
    template <typename Notify> void NotifyObserver(Notify&& notify) const;

    TreeNode m_root;
    std::vector<std::unique_ptr<TreeNode>> m_nodes; // by handle - m_firstHandle
    int m_firstHandle = 1;
    int m_nextHandle = 1;
    int m_count = 0;
    TreeObserver* m_observer = nullptr;
    bool m_resetting = false;
    std::unordered_map<std::string, int> m_unos; // UNO -> records holding it
    std::size_t m_recordCount = 0;
    mutable std::vector<TreeNode*> m_order;
    mutable bool m_orderCurrent = true;
};

} // namespace pelgo::structure
