// "Выберите номер": a node whose caption and additional data carry different inventory numbers; the user
// keeps one of them or skips the node.
#pragma once

#include <QDialog>
#include <string>

#include "inventory/number_sync.h"

namespace pelgo::gui {

class NumberChoiceDialog : public QDialog {
    Q_OBJECT
public:
    // Numbers and caption in cp1251.
    NumberChoiceDialog(const structure::TreeNode& node, const std::string& treeNumber, const std::string& storedNumber,
                       QWidget* parent);

    // Shows the dialog modally; closing it without a choice skips the node.
    inventory::NumberChoice Choose();

private:
    inventory::NumberChoice m_choice = inventory::NumberChoice::Skip;
};

} // namespace pelgo::gui
