// The five bookmark slots: quick access to nodes, kept across restarts as absolute indexes in [BookMarks].
// Slots hold node handles, so a node that is deleted or a tree that is reloaded leaves no dangling slot.
#pragma once

#include <array>
#include <functional>

#include "shell/settings.h"
#include "structure/tree_model.h"

namespace pelgo::structure {

class Bookmarks {
public:
    static constexpr int kSlots = 5;

    explicit Bookmarks(const TreeModel& tree) : m_tree(tree) {}

    // Called after every change of the slots or of the bar's visibility.
    void SetObserver(std::function<void()> observer) { m_observer = std::move(observer); }

    // The node in slot 1..kSlots; null for an empty slot.
    TreeNode* Node(int slot) const;
    // The slot holding the node, 0 when none does.
    int SlotOf(const TreeNode& node) const;
    int UsedCount() const;
    // 1 + the highest used slot among 1..4: where the next bookmark goes.
    int NextSlot() const;
    bool BarShown() const { return m_barShown; }

    // AddBookmark: the node into the next slot (a node has one slot at most); with all five used the oldest
    // is dropped. Shows the bar.
    void AddBookmark(TreeNode& node);
    // DelBookmark: removes the node's slot, when it has one.
    void DelBookmark(const TreeNode& node);
    // DelThisBookmark: empties slot k, moving the later slots down one.
    void DelThisBookmark(int slot);
    // Hides a shown bar; shows a hidden one when slot 1 is used.
    void ToggleBar();

    // The slots as the last load found them in [BookMarks]; the bar shows when more than one was restored.
    void Restore(const shell::Settings& settings);
    // The slots as absolute indexes into [BookMarks] (-1 for an empty slot), written with the settings.
    void Store(shell::Settings& settings) const;

private:
    void Set(int slot, const TreeNode* node);
    void Changed();

    const TreeModel& m_tree;
    std::array<int, kSlots> m_handles{}; // 0: empty
    bool m_barShown = false;
    std::function<void()> m_observer;
};

} // namespace pelgo::structure
