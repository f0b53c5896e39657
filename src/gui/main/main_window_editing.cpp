// The main window's editing of the structure tree: the commands of adding, deleting, renaming in place,
// changing the type, moving (marking with Ctrl+M or Ctrl+left click, completing with a double click, or
// dragging), shifting, comments and bookmarks. The tree editor does the work and asks the user; the window
// shows what it left: the selection, the move marks, the comment panel and the bookmark bar.
#include <QAction>
#include <QMouseEvent>
#include <QPlainTextEdit>
#include <QTabWidget>
#include <QTimer>
#include <QTreeView>

#include "gui/common/qt_text.h"
#include "gui/main/main_window.h"
#include "gui/structure/add_node_dialog.h"
#include "gui/structure/additional_page.h"
#include "gui/structure/change_type_dialog.h"
#include "gui/structure/structure_tree_model.h"

namespace pelgo::gui {
namespace {

using session::Command;

// With this many lines the comment editor gets its vertical scroll bar.
constexpr int kCommentLinesWithScrollBar = 5;

// The editor's lines as a memo gives them: a line break at the end starts no further line.
QStringList CommentLines(const QString& text) {
    QStringList lines = text.split(u'\n');
    if (lines.back().isEmpty()) {
        lines.removeLast();
    }
    return lines;
}

} // namespace

void MainWindow::ConnectEditingCommands() {
    for (const Command command : {Command::AddNode, Command::TreeAddNode, Command::AddButton}) {
        On(command, [this] { AddNodes(); });
    }
    for (const Command command : {Command::DeleteNode, Command::TreeDeleteNode, Command::DeleteButton}) {
        On(command, [this] { DeleteSelected(); });
    }
    for (const Command command : {Command::Rename, Command::TreeRename}) {
        On(command, [this] { RenameSelected(); });
    }
    for (const Command command : {Command::ChangeType, Command::TreeChangeType}) {
        On(command, [this] { ChangeSelectedType(); });
    }
    for (const Command command : {Command::MoveNode, Command::TreeMoveNode}) {
        On(command, [this] { MarkSelected(); });
    }
    for (const Command command : {Command::ShiftUp, Command::TreeShiftUp}) {
        On(command, [this] { Shift(true); });
    }
    for (const Command command : {Command::ShiftDown, Command::TreeShiftDown}) {
        On(command, [this] { Shift(false); });
    }
    for (const Command command : {Command::AddComment, Command::TreeAddComment}) {
        On(command, [this] { AddComment(); });
    }
    for (const Command command : {Command::DeleteComment, Command::TreeDeleteComment}) {
        On(command, [this] { DeleteComment(); });
    }
    for (const Command command : {Command::MakeBookmark, Command::TreeMakeBookmark, Command::BarMakeBookmark}) {
        On(command, [this] {
            if (structure::TreeNode* node = SelectedNode()) {
                m_state.Bookmarks().AddBookmark(*node);
            }
        });
    }
    for (const Command command : {Command::DeleteBookmark, Command::TreeDeleteBookmark}) {
        On(command, [this] {
            if (const structure::TreeNode* node = SelectedNode()) {
                m_state.Bookmarks().DelBookmark(*node);
            }
        });
    }
    for (const Command command : {Command::ToggleBookmarks, Command::BarToggleBookmarks}) {
        On(command, [this] { m_state.Bookmarks().ToggleBar(); });
    }
    connect(Action(Command::AutoSaveBox), &QAction::toggled, this, [this](bool on) { m_state.SetAutoSave(on); });
}

void MainWindow::ConnectTreeEditing() {
    m_tree->setEditTriggers(QAbstractItemView::NoEditTriggers); // renaming is the F2 command's
    m_tree->setDragDropMode(QAbstractItemView::DragDrop);
    m_tree->setDefaultDropAction(Qt::MoveAction);
    // A drop anywhere on a node means that node: the dragged one goes before it.
    m_tree->setDragDropOverwriteMode(true);
    m_tree->setDropIndicatorShown(true);
    m_tree->viewport()->installEventFilter(this);
    m_treeModel->SetRenameHandler([this](structure::TreeNode& node, const std::string& typed) {
        structure::TreeEditor* editor = m_state.Editor();
        const bool renamed = editor != nullptr && m_state.TreeReactionsOn() && editor->Rename(node, typed);
        AfterEdit();
        return renamed;
    });
    m_treeModel->SetDropHandler([this](structure::TreeNode& node, structure::TreeNode& target) {
        // The move asks first: not while the drag still holds the mouse and keyboard.
        QTimer::singleShot(0, this, [this, nodeHandle = node.Handle(), targetHandle = target.Handle()] {
            DropNode(nodeHandle, targetHandle);
        });
    });
    connect(m_tree, &QTreeView::doubleClicked, this, &MainWindow::CompleteMove);
    // The nodes go with a reload: the selected position is noted while they are still there.
    connect(m_treeModel, &QAbstractItemModel::modelAboutToBeReset, this,
            [this] { m_indexBeforeReset = m_state.SelectedIndex(); });
    connect(m_treeModel, &QAbstractItemModel::modelReset, this, &MainWindow::OnTreeReset);
}

void MainWindow::OnTreeReset() {
    // The marked nodes are gone: their entries of the move-request lists go with them.
    if (structure::TreeEditor* editor = m_state.Editor()) {
        editor->CancelMooving();
    }
    SelectAbsoluteIndex(m_indexBeforeReset);
    AfterEdit();
}

bool MainWindow::eventFilter(QObject* watched, QEvent* event) {
    if (watched == m_tree->viewport() && event->type() == QEvent::MouseButtonPress) {
        const auto* mouse = static_cast<QMouseEvent*>(event);
        const QModelIndex clicked = m_tree->indexAt(mouse->position().toPoint());
        if (mouse->button() == Qt::LeftButton && mouse->modifiers().testFlag(Qt::ControlModifier) &&
            clicked.isValid()) {
            m_tree->setCurrentIndex(clicked);
            if (Action(Command::MoveNode)->isEnabled()) {
                MarkSelected();
            }
            return true;
        }
    }
    return QMainWindow::eventFilter(watched, event);
}

void MainWindow::EditSelected(const std::function<void(structure::TreeEditor&, structure::TreeNode&)>& edit) {
    structure::TreeEditor* editor = m_state.Editor();
    structure::TreeNode* node = SelectedNode();
    if (editor == nullptr || node == nullptr) {
        return;
    }
    edit(*editor, *node);
    AfterEdit();
}

void MainWindow::AfterEdit() {
    ShowMoveMarks();
    ShowComments();
    ShowBookmarks();
    ApplyCommandStates();
}

void MainWindow::AddNodes() {
    if (m_additionalPage->JournalHasFocus()) {
        m_additionalPage->AddEntry();
        return;
    }
    structure::TreeEditor* editor = m_state.Editor();
    if (editor == nullptr || m_state.ProtectData()) {
        return;
    }
    const structure::TreeNode* selected = SelectedNode();
    const int selectedHandle = selected != nullptr ? selected->Handle() : 0;
    const std::optional<structure::AddRequest> request = m_addDialog->Ask(selected);
    // A reload of the tree while the dialog was open leaves no node to add at.
    structure::TreeNode* at = selectedHandle != 0 ? m_state.Tree().NodeByHandle(selectedHandle) : nullptr;
    if (!request || (selectedHandle != 0 && at == nullptr)) {
        return;
    }
    const std::vector<structure::TreeNode*> added = editor->Add(at, *request);
    if (!added.empty()) {
        SelectNode(added.back());
    }
    AfterEdit();
}

void MainWindow::DeleteSelected() {
    if (m_additionalPage->JournalHasFocus()) {
        m_additionalPage->DeleteEntry();
        return;
    }
    EditSelected([this](structure::TreeEditor& editor, structure::TreeNode& node) {
        if (const structure::TreeNode* next = editor.Delete(node)) {
            SelectNode(next);
        }
    });
}

void MainWindow::RenameSelected() {
    const QModelIndex current = m_tree->currentIndex();
    if (current.isValid()) {
        m_tree->edit(current);
    }
}

void MainWindow::ChangeSelectedType() {
    EditSelected([this](structure::TreeEditor& editor, structure::TreeNode& node) {
        if (m_changeTypeDialog == nullptr) {
            return;
        }
        editor.ChangeType(node, [this](int currentIcon) { return m_changeTypeDialog->Ask(currentIcon); });
    });
}

void MainWindow::MarkSelected() {
    EditSelected([](structure::TreeEditor& editor, structure::TreeNode& node) { editor.MarkForMove(node); });
}

void MainWindow::CompleteMove(const QModelIndex& target) {
    structure::TreeEditor* editor = m_state.Editor();
    structure::TreeNode* node = m_treeModel->NodeOf(target);
    if (editor == nullptr || node == nullptr || !editor->Marking()) {
        return;
    }
    editor->CompleteMove(*node);
    AfterEdit();
}

void MainWindow::DropNode(int nodeHandle, int targetHandle) {
    structure::TreeEditor* editor = m_state.Editor();
    structure::TreeNode* node = m_state.Tree().NodeByHandle(nodeHandle);
    structure::TreeNode* target = m_state.Tree().NodeByHandle(targetHandle);
    if (editor == nullptr || node == nullptr || target == nullptr) {
        return;
    }
    editor->DragMove(*node, *target);
    AfterEdit();
}

void MainWindow::Shift(bool up) {
    EditSelected([this, up](structure::TreeEditor& editor, structure::TreeNode& node) {
        if (up ? editor.ShiftUp(node) : editor.ShiftDown(node)) {
            SelectNode(&node);
        }
    });
}

void MainWindow::ShowMoveMarks() {
    const structure::TreeEditor* editor = m_state.Editor();
    const std::vector<structure::TreeNode*> marked =
        editor != nullptr ? editor->Marked() : std::vector<structure::TreeNode*>{};
    m_treeModel->SetMarked(marked);
    if (marked.empty()) {
        m_tree->viewport()->unsetCursor();
        m_tree->setToolTip({});
    } else {
        m_tree->viewport()->setCursor(Qt::DragMoveCursor);
        m_tree->setToolTip(FromCp1251(marked.back()->Text()));
    }
    RefreshStatus();
}

void MainWindow::AddComment() {
    EditSelected([](structure::TreeEditor& editor, structure::TreeNode& node) { editor.AddComment(node); });
    if (m_commentHandle != 0) {
        m_pages->setCurrentIndex(0);
        m_commentEditor->setFocus();
    }
}

void MainWindow::DeleteComment() {
    EditSelected([](structure::TreeEditor& editor, structure::TreeNode& node) { editor.DeleteComment(node); });
}

void MainWindow::ShowComments() {
    const structure::TreeNode* node = SelectedNode();
    const structure::TKelRec* record = node != nullptr ? node->Record() : nullptr;
    const bool shown = record != nullptr && record->comments.has_value();
    const int handle = shown ? node->Handle() : 0;
    // Another node's comments start a history of their own: an undo never reaches across nodes.
    if (handle != m_commentHandle) {
        m_commentEditor->document()->clearUndoRedoStacks();
    }
    m_commentHandle = handle;
    QStringList lines;
    if (shown) {
        for (const std::string& line : *record->comments) {
            lines << FromCp1251(line);
        }
    }
    // Only a different text is put in, so that the cursor stays where the user types.
    if (CommentLines(m_commentEditor->toPlainText()) != lines) {
        const QSignalBlocker blocker(m_commentEditor);
        m_commentEditor->setPlainText(lines.join(u'\n'));
    }
    FitCommentScrollBar(static_cast<int>(lines.size()));
    m_commentPanel->setVisible(shown);
}

void MainWindow::StoreComments() {
    const QStringList lines = CommentLines(m_commentEditor->toPlainText());
    FitCommentScrollBar(static_cast<int>(lines.size()));
    structure::TreeEditor* editor = m_state.Editor();
    structure::TreeNode* node = m_state.Tree().NodeByHandle(m_commentHandle);
    if (editor == nullptr || node == nullptr || m_commentEditor->isReadOnly()) {
        return;
    }
    std::vector<std::string> comments;
    for (const QString& line : lines) {
        comments.push_back(ToCp1251(line));
    }
    editor->SetComments(*node, comments);
}

void MainWindow::FitCommentScrollBar(int lineCount) {
    // Fewer lines may still wrap beyond the panel: then the bar comes as needed.
    m_commentEditor->setVerticalScrollBarPolicy(lineCount >= kCommentLinesWithScrollBar ? Qt::ScrollBarAlwaysOn
                                                                                        : Qt::ScrollBarAsNeeded);
}

} // namespace pelgo::gui
