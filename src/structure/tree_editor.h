// Editing the structure tree by hand: adding (singly, as a numbered series, with inventory numbers and
// additional data), deleting, renaming, changing the type, moving (a marked selection completed by a
// double click, or dragging) and shifting among siblings, and comments. Every edit is logged and marks the
// tree modified; edits of networked computers go to their journal in the archive. The editor asks its host
// (the application state) whether it may write, and the user through the dialog interface.
#pragma once

#include <array>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "core/work_log.h"
#include "platform/user_dialog.h"
#include "shell/settings.h"
#include "structure/additional_fields.h"
#include "structure/bookmarks.h"
#include "structure/node_types.h"
#include "structure/tree_model.h"
#include "structure/uno.h"

namespace pelgo::structure {

// What the editor needs of the running program.
class EditorHost {
public:
    virtual ~EditorHost() = default;
    // ProtectData: true when this instance must not write.
    virtual bool ProtectData() = 0;
    virtual void SetTreeModified() = 0;
    // Raises the Exclusive marker before nodes are added.
    virtual void TakeExclusive() = 0;
    // The Exclusive warning before a change of type: true when the user goes on.
    virtual bool MultiUserWarningOk() = 0;
    // The tree-change check run when a node joins a move selection; it may reload the tree.
    virtual void CheckCurrentConfig() = 0;
    // AddToLog: a computer's journal entry under its adapter address, and its work-log line.
    virtual void AddToLog(const std::string& macAddress, const std::string& text) = 0;
    // Every record of the node in the node-record table.
    virtual void DeleteNodeRecords(const std::string& uno) = 0;
    // Appends one record of the node in the node-record table.
    virtual void AppendNodeRecord(const std::string& uno, const std::string& group, const std::string& name,
                                  const std::string& text) = 0;
    // SaveMooving: the question whether to save after a move.
    virtual void AfterMove() = 0;
};

// A node text as the tree keeps it: control characters (CR, LF, TAB …) become blanks, leading blanks go, so
// that the tree file's lines and levels stay what they are.
std::string NodeText(std::string_view typed);

// The add dialog's choices.
struct AddRequest {
    int icon = 0;
    std::string text;
    bool asChild = true;         // "Подуровень": the last child of the selected node, else its last sibling
    bool repeat = false;         // "Повторить" (siblings only) ...
    int repeatCount = 1;         // ... this many times; also sets the counters' width, repeating or not
    bool withInventory = false;  // "Добавить инвентарный": prefix ...
    std::string inventoryPrefix; // ...
    bool autoIncrement = false;  // "+ автоприращение с" ...
    int incrementStart = 1;      // ... this number
    bool withAdditional = false; // "Дополнительно ...": the grid's values go to the new nodes
    AdditionalValues additional;
};

// The inventory number of the a-th node (1-based) of a series.
std::string InventoryNumber(const AddRequest& request, int a);

// The move-request lists of one run: list A the moved nodes (UNO + text), list B their former parents and
// list C the destinations (UNO + path).
struct MoveLists {
    std::vector<std::string> moved;
    std::vector<std::string> sources;
    std::vector<std::string> destinations;
};

class TreeEditor {
public:
    static constexpr int kMaxMarked = 32;

    TreeEditor(TreeModel& tree, NodeIdentity& identity, const NodeTypes& nodeTypes, const shell::Settings& settings,
               core::WorkLog& log, platform::UserDialog& dialog, Bookmarks& bookmarks, EditorHost& host,
               std::string currentUser);

    // Adds the nodes of the request below or beside `selected` (null: at the top level); returns them in
    // order, empty when refused.
    std::vector<TreeNode*> Add(TreeNode* selected, const AddRequest& request);
    // Deletes a node without children after asking; returns the node to select then (its predecessor in
    // pre-order), or null when nothing was deleted.
    TreeNode* Delete(TreeNode& node);
    // A confirmed in-place edit of the node's text; false when refused or unchanged.
    bool Rename(TreeNode& node, std::string_view typed);
    // After the protection and the Exclusive warning, `choose` gives the new type (the node's current one
    // preselected; empty when the user cancelled). True when the type changed.
    using TypeChoice = std::function<std::optional<int>(int currentIcon)>;
    bool ChangeType(TreeNode& node, const TypeChoice& choose);
    // Ctrl+M / Ctrl+left click: adds the node to the move selection (asking once nodes are marked).
    void MarkForMove(TreeNode& node);
    // Whether marked nodes are still in the tree.
    bool Marking() const { return !Marked().empty(); }
    bool IsMarked(const TreeNode& node) const;
    // The marked nodes still in the tree, in marking order.
    std::vector<TreeNode*> Marked() const;
    // The double click on `target` while nodes are marked: asks, then moves them in as its last children.
    // True when they moved.
    bool CompleteMove(TreeNode& target);
    // Dropping `node` on `target`: asks, then moves it before the target. True when it moved.
    bool DragMove(TreeNode& node, TreeNode& target);
    // EndMooving / CancelMooving.
    void EndMooving();
    void CancelMooving();
    bool ShiftUp(TreeNode& node);
    bool ShiftDown(TreeNode& node);

    // Gives the node a comment list (and a record) when it has none.
    void AddComment(TreeNode& node);
    // The comment editor's lines replace the node's list; a line longer than the tree files keep is split.
    void SetComments(TreeNode& node, const std::vector<std::string>& lines);
    // Asks, then frees the node's comments.
    void DeleteComment(TreeNode& node);

    const MoveLists& Lists() const { return m_lists; }
    void ClearLists() { m_lists = {}; }

private:
    // ProtectData; a refused write tells the user why.
    bool Refused();
    void LogNode(const TreeNode& node, std::string_view message);
    void MoveJournal(TreeNode& node, const std::string& destinationText, const std::string& oldParentPath);
    std::string UnoAndPath(TreeNode* node);
    // Asks; an answer that finds one of `nodes` gone (a reload of the tree meanwhile) counts as Cancel.
    platform::Answer AskAbout(std::string_view question, platform::Buttons buttons,
                              const std::vector<const TreeNode*>& nodes);

    TreeModel& m_tree;
    NodeIdentity& m_identity;
    const NodeTypes& m_nodeTypes;
    const shell::Settings& m_settings;
    core::WorkLog& m_log;
    platform::UserDialog& m_dialog;
    Bookmarks& m_bookmarks;
    EditorHost& m_host;
    std::string m_currentUser;

    std::vector<int> m_marked; // handles, in marking order
    bool m_askEachMark = true;
    std::vector<int> m_autoBookmarks; // marked nodes the selection bookmarked
    MoveLists m_lists;
};

} // namespace pelgo::structure
