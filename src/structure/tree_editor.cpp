// Adding, deleting, renaming, retyping, moving, shifting and commenting structure-tree nodes.
#include "structure/tree_editor.h"

#include <algorithm>

#include "core/cp1251.h"
#include "core/text.h"
#include "core/translator.h"
#include "structure/node_queries.h"
#include "structure/tree_files.h"

namespace pelgo::structure {
namespace {

using platform::Answer;
using platform::Buttons;
using platform::MessageKind;

bool InSubtreeOf(const TreeNode* node, const TreeNode& root) {
    for (; node != nullptr; node = node->Parent()) {
        if (node == &root) {
            return true;
        }
    }
    return false;
}

} // namespace

std::string NodeText(std::string_view typed) {
    return std::string(core::TrimLeft(core::ControlsAsBlanks(typed)));
}

std::string InventoryNumber(const AddRequest& request, int a) {
    if (!request.withInventory) {
        return {};
    }
    if (!request.autoIncrement) {
        return request.inventoryPrefix;
    }
    // One digit less than the series' last number would need: 150 nodes from 1 count 01 … 99, then 100 … 150.
    const long long start = request.incrementStart;
    const std::size_t width = std::to_string(start + request.repeatCount - 1).size() - 1;
    std::string counter = std::to_string(a + start - 1);
    if (counter.size() < width) {
        counter.insert(0, width - counter.size(), '0');
    }
    return request.inventoryPrefix + counter;
}

TreeEditor::TreeEditor(TreeModel& tree, NodeIdentity& identity, const NodeTypes& nodeTypes,
                       const shell::Settings& settings, core::WorkLog& log, platform::UserDialog& dialog,
                       Bookmarks& bookmarks, EditorHost& host, std::string currentUser)
    : m_tree(tree), m_identity(identity), m_nodeTypes(nodeTypes), m_settings(settings), m_log(log), m_dialog(dialog),
      m_bookmarks(bookmarks), m_host(host), m_currentUser(std::move(currentUser)) {
}

bool TreeEditor::Refused() {
    if (!m_host.ProtectData()) {
        return false;
    }
    m_dialog.Inform(MessageKind::Warning, core::Text(1047, "Включена защита данных"));
    return true;
}

Answer TreeEditor::AskAbout(std::string_view question, Buttons buttons, const std::vector<const TreeNode*>& nodes) {
    std::vector<int> handles;
    for (const TreeNode* node : nodes) {
        handles.push_back(node->Handle());
    }
    const Answer answer = m_dialog.Ask(MessageKind::Confirmation, question, buttons);
    for (const int handle : handles) {
        if (m_tree.NodeByHandle(handle) == nullptr) {
            return Answer::Cancel;
        }
    }
    return answer;
}

void TreeEditor::LogNode(const TreeNode& node, std::string_view message) {
    m_log.LogNodeEvent(m_nodeTypes.NodeTypeName(node.Icon()), message);
}

std::string TreeEditor::UnoAndPath(TreeNode* node) {
    return m_identity.NodeUno(node) + GetPath(node);
}

std::vector<TreeNode*> TreeEditor::Add(TreeNode* selected, const AddRequest& request) {
    if (Refused()) {
        return {};
    }
    m_host.TakeExclusive();
    m_host.SetTreeModified();
    const std::string text = NodeText(request.text);
    const int count = !request.asChild && request.repeat ? std::max(1, request.repeatCount) : 1;
    TreeNode* parent = request.asChild ? selected : (selected != nullptr ? selected->Parent() : nullptr);
    std::vector<TreeNode*> added;
    for (int a = 1; a <= count; ++a) {
        const std::string inventory = InventoryNumber(request, a);
        TreeNode& node = m_tree.AddChild(
            parent, -1, inventory.empty() ? text : NodeText(text + core::Utf8ToCp1251(" №") + inventory), request.icon);
        m_identity.NewAddData(node);
        LogNode(node, GetPath(&node) + core::Text(1056, " добавлен"));
        if (request.withAdditional) {
            AdditionalValues values = request.additional;
            values[kInventoryField] = inventory;
            bool written = false;
            for (std::size_t field = 0; field < kAdditionalFieldCount; ++field) {
                const std::string value(core::Trim(values[field]));
                if (!value.empty() && FieldEnabledFor(field, node.Icon())) {
                    m_host.AppendNodeRecord(node.Record()->uno, kMainGroup, AdditionalFields()[field].storedName,
                                            value);
                    written = true;
                }
            }
            if (written) {
                m_log.LogEvent(core::Text(1095, "Изменение доп.данных для ") + node.Text());
            }
        }
        added.push_back(&node);
    }
    return added;
}

TreeNode* TreeEditor::Delete(TreeNode& node) {
    if (Refused()) {
        return nullptr;
    }
    if (IsMarked(node)) {
        CancelMooving();
    }
    if (&node == m_tree.First()) {
        m_dialog.Inform(MessageKind::Warning,
                        core::Utf8ToCp1251("Первую запись дерева (\"") + node.Text() +
                            core::Utf8ToCp1251("\") удалить нельзя: в неё попадают новые компьютеры."));
        return nullptr;
    }
    if (AskAbout(core::Text(1059, "Удалить запись ") + "\"" + node.Text() + "\"", Buttons::YesNo, {&node}) !=
        Answer::Yes) {
        return nullptr;
    }
    if (node.ChildCount() > 0) {
        m_dialog.Inform(MessageKind::Warning,
                        core::Text(1061, "Эта запись имеет вложенные ветви.\r\nВначале удалите их."));
        return nullptr;
    }
    m_bookmarks.DelBookmark(node);
    LogNode(node, GetPath(&node) + core::Text(1060, " Удалено !"));
    // A UNO that another node shares (a damaged image file) keys that node's records too: they stay.
    if (const TKelRec* record = node.Record(); record != nullptr && m_tree.NodesWithUno(record->uno) == 1) {
        m_host.DeleteNodeRecords(record->uno);
    }
    TreeNode* previous = m_tree.Previous(node);
    m_tree.Remove(node);
    m_host.SetTreeModified();
    return previous;
}

bool TreeEditor::Rename(TreeNode& node, std::string_view typed) {
    const std::string oldText = node.Text();
    const std::string newText = NodeText(typed);
    if (newText == oldText || Refused()) {
        return false;
    }
    m_tree.SetText(node, newText);
    m_host.SetTreeModified();
    const bool macNode = node.Icon() == kIconMacAddress;
    const std::string changed = macNode ? core::Text(1087, "MAC-адр.изменен ") : core::Text(1086, "Изменено ");
    LogNode(node, oldText + " " + changed + core::Text(1089, " на ") + newText);
    const std::string journal =
        changed + m_currentUser + core::Text(1090, " с ") + oldText + core::Text(1089, " на ") + newText;
    if (macNode) {
        m_host.AddToLog(oldText, journal);
        const TreeNode* computer = node.Parent();
        m_host.AddToLog(newText, (computer != nullptr ? computer->Text() : std::string()) + " " + journal);
    } else if (IsNetComputer(m_tree, &node)) {
        m_host.AddToLog(m_tree.Next(node)->Text(), journal);
    }
    return true;
}

bool TreeEditor::ChangeType(TreeNode& node, const TypeChoice& choose) {
    if (Refused() || !m_host.MultiUserWarningOk()) {
        return false;
    }
    // The choice may take a while (a dialog): the node may be gone by then, after a reload.
    const int handle = node.Handle();
    const std::optional<int> icon = choose(node.Icon());
    if (!icon || m_tree.NodeByHandle(handle) != &node || node.Icon() == *icon) {
        return false;
    }
    m_tree.SetIcon(node, *icon);
    // The type is part of the tree files: without the mark the change would wait for another edit's save.
    m_host.SetTreeModified();
    return true;
}

bool TreeEditor::IsMarked(const TreeNode& node) const {
    return std::find(m_marked.begin(), m_marked.end(), node.Handle()) != m_marked.end();
}

std::vector<TreeNode*> TreeEditor::Marked() const {
    std::vector<TreeNode*> nodes;
    for (const int handle : m_marked) {
        if (TreeNode* node = m_tree.NodeByHandle(handle)) {
            nodes.push_back(node);
        }
    }
    return nodes;
}

void TreeEditor::MarkForMove(TreeNode& node) {
    if (!Marking()) {
        CancelMooving(); // a selection whose nodes went with a reload starts afresh
    }
    if (static_cast<int>(m_marked.size()) >= kMaxMarked || IsMarked(node) || Refused()) {
        return;
    }
    if (!m_marked.empty()) {
        const int handle = node.Handle();
        m_host.CheckCurrentConfig();
        // A reload of the tree another instance saved leaves none of the marked nodes.
        if (m_tree.NodeByHandle(handle) == nullptr) {
            CancelMooving();
            return;
        }
        if (m_askEachMark) {
            const Answer answer = AskAbout(core::Text(205, "Добавить") + " " + node.Text() +
                                               core::Text(1065, "\r\nв выборку для перемещения ?"),
                                           Buttons::YesNoAll, {&node});
            if (answer == Answer::All) {
                m_askEachMark = false;
            } else if (answer == Answer::Cancel) {
                CancelMooving(); // the marked nodes went with a reload meanwhile
                return;
            } else if (answer != Answer::Yes) {
                return;
            }
        }
    }
    m_marked.push_back(node.Handle());
    if (m_settings.Bool(shell::Key::MakeBookmarks) && m_bookmarks.UsedCount() < Bookmarks::kSlots &&
        m_bookmarks.SlotOf(node) == 0) {
        m_bookmarks.AddBookmark(node);
        m_autoBookmarks.push_back(node.Handle());
    }
}

void TreeEditor::MoveJournal(TreeNode& node, const std::string& destinationText, const std::string& oldParentPath) {
    if (IsNetComputer(m_tree, &node)) {
        m_host.AddToLog(m_tree.Next(node)->Text(), core::Text(1062, "Перемещено ") + m_currentUser +
                                                       core::Text(1063, " в ") + destinationText +
                                                       core::Utf8ToCp1251(" из ") + oldParentPath);
    }
}

bool TreeEditor::CompleteMove(TreeNode& target) {
    if (!Marking() || IsMarked(target)) {
        return false;
    }
    // Data that became protected meanwhile take no move: the marking ends, or nothing could end it.
    if (Refused()) {
        CancelMooving();
        return false;
    }
    const std::vector<TreeNode*> marked = Marked();
    for (const TreeNode* node : marked) {
        if (InSubtreeOf(&target, *node)) {
            m_dialog.Inform(MessageKind::Warning, core::Utf8ToCp1251("Нельзя переместить \"") + node->Text() +
                                                      core::Utf8ToCp1251("\" в её собственную ветвь \"") +
                                                      target.Text() + "\"");
            return false;
        }
    }
    std::string question = core::Text(206, "Переместить") + " :\r\n";
    for (const TreeNode* node : marked) {
        question += "- " + node->Text() + "\r\n";
    }
    question += core::Text(1008, "в ") + target.Text();
    std::vector<const TreeNode*> involved(marked.begin(), marked.end());
    involved.push_back(&target);
    const Answer answer = AskAbout(question, Buttons::YesNoCancel, involved);
    if (answer == Answer::Cancel) {
        CancelMooving();
        return false;
    }
    if (answer != Answer::Yes) {
        return false;
    }
    // A move enters the lists whole, when it is made: a list entry never waits for a move that a clearing, a
    // cancel or a node deleted meanwhile could part from it.
    const bool lists = m_settings.Bool(shell::Key::TP_Create);
    const std::string targetPath = GetPath(&target);
    for (TreeNode* node : marked) {
        if (lists) {
            m_lists.moved.push_back(m_identity.NodeUno(node) + node->Text());
            m_lists.sources.push_back(UnoAndPath(node->Parent()));
            m_lists.destinations.push_back(UnoAndPath(&target));
        }
        const std::string oldParentPath = GetPath(node->Parent());
        MoveJournal(*node, target.Text(), oldParentPath);
        LogNode(*node, node->Text() + core::Text(1064, " перемещен из ") + oldParentPath + core::Text(1063, " в ") +
                           targetPath);
        m_tree.Move(*node, &target, -1);
        // Only the bookmark the selection made for this node goes; the user's own stay.
        if (const auto made = std::find(m_autoBookmarks.begin(), m_autoBookmarks.end(), node->Handle());
            made != m_autoBookmarks.end()) {
            m_bookmarks.DelBookmark(*node);
            m_autoBookmarks.erase(made);
        }
    }
    m_host.SetTreeModified();
    m_autoBookmarks.clear();
    m_host.AfterMove();
    EndMooving();
    return true;
}

bool TreeEditor::DragMove(TreeNode& node, TreeNode& target) {
    const bool inPlace = node.Parent() == target.Parent() && node.Row() + 1 == target.Row();
    if (&node == &target || inPlace || Refused()) {
        return false;
    }
    if (InSubtreeOf(&target, node)) {
        m_dialog.Inform(MessageKind::Warning, core::Utf8ToCp1251("Нельзя переместить \"") + node.Text() +
                                                  core::Utf8ToCp1251("\" в её собственную ветвь \"") + target.Text() +
                                                  "\"");
        return false;
    }
    if (AskAbout(core::Text(206, "Переместить") + " :\r\n" + node.Text() + core::Text(1102, "\r\nперед ") +
                     target.Text(),
                 Buttons::YesNo, {&node, &target}) != Answer::Yes) {
        return false;
    }
    const std::string oldParentPath = GetPath(node.Parent());
    m_tree.Move(node, target.Parent(), target.Row());
    m_host.SetTreeModified();
    const std::string newParentPath = GetPath(node.Parent());
    MoveJournal(node, newParentPath, oldParentPath);
    LogNode(node,
            node.Text() + core::Text(1064, " перемещен из ") + oldParentPath + core::Text(1063, " в ") + newParentPath);
    m_host.AfterMove();
    return true;
}

void TreeEditor::EndMooving() {
    m_marked.clear();
    m_askEachMark = true;
}

void TreeEditor::CancelMooving() {
    m_autoBookmarks.clear();
    EndMooving();
}

bool TreeEditor::ShiftUp(TreeNode& node) {
    if (node.Row() == 0 || Refused()) {
        return false;
    }
    m_tree.Move(node, node.Parent(), node.Row() - 1);
    m_host.SetTreeModified();
    return true;
}

bool TreeEditor::ShiftDown(TreeNode& node) {
    const TreeNode* parent = node.Parent();
    const int siblings = parent != nullptr ? parent->ChildCount() : m_tree.TopLevelCount();
    if (&node == m_tree.First() || node.Row() + 1 >= siblings || Refused()) {
        return false;
    }
    // Before the sibling after the next one, or last when there is none.
    m_tree.Move(node, node.Parent(), node.Row() + 2);
    m_host.SetTreeModified();
    return true;
}

void TreeEditor::AddComment(TreeNode& node) {
    if (Refused()) {
        return;
    }
    TKelRec& record = m_identity.NewAddData(node);
    if (!record.comments) {
        record.comments.emplace();
    }
    m_host.SetTreeModified();
}

void TreeEditor::SetComments(TreeNode& node, const std::vector<std::string>& lines) {
    if (m_host.ProtectData()) {
        return;
    }
    // The tree files keep lines of limited length: a longer line is continued on the next, never cut.
    std::vector<std::string> kept;
    for (const std::string& line : lines) {
        std::size_t from = 0;
        do {
            kept.push_back(line.substr(from, kCommentLineMax));
            from += kCommentLineMax;
        } while (from < line.size());
    }
    m_identity.NewAddData(node).comments = std::move(kept);
    m_host.SetTreeModified();
}

void TreeEditor::DeleteComment(TreeNode& node) {
    if (Refused()) {
        return;
    }
    if (node.Record() == nullptr) {
        m_host.SetTreeModified();
        return;
    }
    const Answer answer =
        AskAbout(core::Text(1091, "Удалить комментарий для ") + node.Text() + " ?", Buttons::YesNo, {&node});
    if (answer == Answer::Cancel) {
        return; // the node went with a reload meanwhile
    }
    if (answer == Answer::Yes) {
        // Only the comments go: the record keeps the node's UNO, the key of its other data.
        node.Record()->comments.reset();
    }
    m_host.SetTreeModified();
}

} // namespace pelgo::structure
