// The page " Текущая конфигурация    " of the main window: the selected computer's collector file as it lies
// in the configuration directory now, under the tool bar "Current Config" with the commands on that file and
// the directory box. It loads only when shown for another node than the one it loaded last.
#pragma once

#include <QWidget>
#include <string>
#include <vector>

#include "platform/user_dialog.h"
#include "session/app_state.h"

class QAction;
class QLineEdit;
class QMenu;
class QTreeView;

namespace pelgo::gui {

class ViewTreeModel;

class CurrentConfigPage : public QWidget {
    Q_OBJECT
public:
    // `commands` go on the tool bar in order; `popup` is the tree's context menu.
    CurrentConfigPage(session::AppState& state, platform::UserDialog& dialog, const std::vector<QAction*>& commands,
                      QMenu* popup, QWidget* parent = nullptr);

    // The directory box as typed, and as the program uses it (native, cp1251).
    QString Directory() const;
    void SetDirectory(const QString& directory);
    std::string NativeDirectory() const;

    // The file of an address node's address or a computer's first address, unless this node was loaded last;
    // empty for any other node.
    void Load(structure::TreeNode* node);
    // The next load reads the file again, for whichever node.
    void Forget() { m_loadedHandle = 0; }
    // The page shows lines (the file, or the line saying it is missing).
    bool HasContent() const;

signals:
    // The path of the file shown: the archive page names it.
    void fileShown(const QString& path);

private:
    void Show(const std::string& path);

    session::AppState& m_state;
    platform::UserDialog& m_dialog;
    QLineEdit* m_directory;
    ViewTreeModel* m_model;
    QTreeView* m_tree;
    int m_loadedHandle = 0;
};

} // namespace pelgo::gui
