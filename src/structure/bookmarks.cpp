// Bookmark slots and their place in the settings.
#include "structure/bookmarks.h"

namespace pelgo::structure {
namespace {

constexpr shell::Key kBookmarkKeys[Bookmarks::kSlots] = {shell::Key::BM1, shell::Key::BM2, shell::Key::BM3,
                                                         shell::Key::BM4, shell::Key::BM5};

std::size_t At(int slot) {
    return static_cast<std::size_t>(slot - 1);
}

} // namespace

TreeNode* Bookmarks::Node(int slot) const {
    if (slot < 1 || slot > kSlots || m_handles[At(slot)] == 0) {
        return nullptr;
    }
    return m_tree.NodeByHandle(m_handles[At(slot)]);
}

int Bookmarks::SlotOf(const TreeNode& node) const {
    for (int slot = 1; slot <= kSlots; ++slot) {
        if (Node(slot) == &node) {
            return slot;
        }
    }
    return 0;
}

int Bookmarks::UsedCount() const {
    int used = 0;
    for (int slot = 1; slot <= kSlots; ++slot) {
        used += Node(slot) != nullptr ? 1 : 0;
    }
    return used;
}

int Bookmarks::NextSlot() const {
    int highest = 0;
    for (int slot = 1; slot < kSlots; ++slot) {
        if (Node(slot) != nullptr) {
            highest = slot;
        }
    }
    return highest + 1;
}

void Bookmarks::Set(int slot, const TreeNode* node) {
    m_handles[At(slot)] = node != nullptr ? node->Handle() : 0;
}

void Bookmarks::Changed() {
    if (m_observer) {
        m_observer();
    }
}

void Bookmarks::AddBookmark(TreeNode& node) {
    if (SlotOf(node) != 0) {
        m_barShown = true;
        Changed();
        return;
    }
    const int slot = NextSlot();
    if (slot == kSlots && Node(kSlots) != nullptr) {
        for (int from = 2; from <= kSlots; ++from) {
            m_handles[At(from - 1)] = m_handles[At(from)];
        }
    }
    Set(slot, &node);
    m_barShown = true;
    Changed();
}

void Bookmarks::DelBookmark(const TreeNode& node) {
    for (int slot = SlotOf(node); slot != 0; slot = SlotOf(node)) {
        DelThisBookmark(slot);
    }
}

void Bookmarks::DelThisBookmark(int slot) {
    if (slot < 1 || slot > kSlots) {
        return;
    }
    for (int from = slot + 1; from <= kSlots; ++from) {
        m_handles[At(from - 1)] = m_handles[At(from)];
    }
    m_handles[At(kSlots)] = 0;
    m_barShown = Node(1) != nullptr;
    Changed();
}

void Bookmarks::ToggleBar() {
    m_barShown = !m_barShown && Node(1) != nullptr;
    Changed();
}

void Bookmarks::Restore(const shell::Settings& settings) {
    m_handles.fill(0);
    int restored = 0;
    for (int slot = 1; slot <= kSlots; ++slot) {
        const int index = settings.Int(kBookmarkKeys[At(slot)]);
        // A hand-edited file may name one node twice: it keeps its first slot.
        if (const TreeNode* node = index >= 0 ? m_tree.NodeAt(index) : nullptr; node != nullptr && SlotOf(*node) == 0) {
            Set(slot, node);
            ++restored;
        }
    }
    m_barShown = (m_barShown || restored > 1) && Node(1) != nullptr;
    Changed();
}

void Bookmarks::Store(shell::Settings& settings) const {
    for (int slot = 1; slot <= kSlots; ++slot) {
        const TreeNode* node = Node(slot);
        settings.SetInt(kBookmarkKeys[At(slot)], node != nullptr ? m_tree.AbsoluteIndex(*node) : -1);
    }
}

} // namespace pelgo::structure
