// The page " Изменения    " of the main window: what differs between the selected computer's archive and its
// collector file as it lies in the configuration directory now, section by section.
#pragma once

#include <QWidget>
#include <string>

#include "archive/view_tree.h"
#include "platform/user_dialog.h"
#include "session/app_state.h"

class QTreeView;

namespace pelgo::gui {

class ViewTreeModel;

class ChangesPage : public QWidget {
    Q_OBJECT
public:
    ChangesPage(session::AppState& state, platform::UserDialog& dialog, QWidget* parent = nullptr);

    // The changes of the node's computer (a computer or its address node) against its file in `directory`
    // (native); empty for other nodes.
    void ShowNode(structure::TreeNode* node, const std::string& directory);

private:
    archive::ViewTree Changes(const std::string& address, const std::string& path);

    session::AppState& m_state;
    platform::UserDialog& m_dialog;
    ViewTreeModel* m_model;
    QTreeView* m_tree;
};

} // namespace pelgo::gui
