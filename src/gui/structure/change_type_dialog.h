// The change-type dialog TChangeIcon: the node types with their icons, the node's own preselected;
// "Сменить" confirms.
#pragma once

#include <QDialog>
#include <optional>

#include "gui/common/theme_icons.h"
#include "structure/node_types.h"

class QListWidget;
class QPushButton;

namespace pelgo::gui {

class ChangeTypeDialog : public QDialog {
    Q_OBJECT
public:
    ChangeTypeDialog(const structure::NodeTypes& types, NodeTypeIcons icons, QWidget* parent);

    // Shows the dialog modally with `currentIcon` preselected; the chosen icon index when the user confirmed.
    std::optional<int> Ask(int currentIcon);

private:
    const structure::NodeTypes& m_types;
    NodeTypeIcons m_icons;
    QListWidget* m_list;
    QPushButton* m_change;
};

} // namespace pelgo::gui
