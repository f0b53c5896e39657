// The add dialog TAddNodeForm: the node type with its icon, the text, child or sibling ("Подуровень"), a
// repeated series ("Повторить"), the inventory number with its auto-increment, and the additional-data grid
// whose values go to the new nodes. It only collects the request; the tree editor adds.
#pragma once

#include <QDialog>
#include <optional>

#include "gui/common/theme_icons.h"
#include "session/app_state.h"
#include "structure/tree_editor.h"

class QCheckBox;
class QLabel;
class QLineEdit;
class QListWidget;
class QPushButton;
class QSpinBox;
class QTableWidget;

namespace pelgo::gui {

class AddNodeDialog : public QDialog {
    Q_OBJECT
public:
    AddNodeDialog(session::AppState& state, NodeTypeIcons icons, platform::UserDialog& dialog, QWidget* parent);

    // Prepares the dialog for adding at `selected` (null: at the top level) and shows it modally; the
    // request when the user confirmed.
    std::optional<structure::AddRequest> Ask(const structure::TreeNode* selected);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void FillTypes();
    void TypeChosen();
    void EnableOptions();
    void CopyFromNode();
    void ShowReferenceLists();
    structure::AddRequest Request() const;

    session::AppState& m_state;
    NodeTypeIcons m_icons;
    platform::UserDialog& m_dialog;
    int m_selectedHandle = 0; // only while Ask runs

    QListWidget* m_types;
    QLabel* m_nodeLabel;
    QLineEdit* m_text;
    QCheckBox* m_asChild;
    QCheckBox* m_repeat;
    QSpinBox* m_repeatCount;
    QCheckBox* m_withInventory;
    QLineEdit* m_inventoryPrefix;
    QCheckBox* m_autoIncrement;
    QSpinBox* m_incrementStart;
    QCheckBox* m_withAdditional;
    QWidget* m_additionalPanel;
    QPushButton* m_copyFromNode;
    QTableWidget* m_grid;
    QPushButton* m_add;
};

} // namespace pelgo::gui
