// The inventory sheet's dialog TIVset ("Параметры Инвентарной ведомости"): the columns of the node data, the
// computers' configuration, the user-defined archive columns and the additional data, the node types, the
// filter (the revision's selection rules from the settings dialog, or the current department), the output
// format; parameter files; "Сформировать" writes the sheet. The controls' state is a SheetParameters.
#pragma once

#include <QDialog>
#include <optional>
#include <vector>

#include "platform/user_dialog.h"
#include "reports/inventory_sheet.h"
#include "session/app_state.h"
#include "structure/node_types.h"

class QCheckBox;
class QListWidget;
class QPushButton;
class QRadioButton;
class QTabWidget;

namespace pelgo::gui {

class RuleTable;
class SetupDialog;

class InventorySheetDialog : public QDialog {
    Q_OBJECT
public:
    InventorySheetDialog(session::AppState& state, platform::UserDialog& dialog, SetupDialog& setup,
                         QWidget* parent = nullptr);

    // Before each opening: the node types of the run (the first opening takes the default parameters for
    // them) and the text format preselected.
    void Prepare(const structure::NodeTypes& types);

    reports::SheetParameters Parameters();
    void SetParameters(const reports::SheetParameters& parameters);

    // The commands.
    void Invert(reports::SheetGroup group);
    void SaveParameters();
    void LoadParameters();
    void MakeSheet();

    RuleTable* ColumnTable() const { return m_columnTable; }

protected:
    void showEvent(QShowEvent* event) override;

private:
    QWidget* BuildNodePage();
    QWidget* BuildComputerPage();
    QWidget* BuildColumnPage();
    QWidget* BuildAdditionalPage();
    QWidget* BuildFilterPage();
    QWidget* BuildColumnBoxes(reports::SheetGroup group, QWidget* parent, int perColumn);
    void EnableGroups();
    void SetupFilter();

    session::AppState& m_state;
    platform::UserDialog& m_dialog;
    SetupDialog& m_setup;
    std::optional<structure::NodeTypes> m_types;

    QTabWidget* m_pages = nullptr;
    QWidget* m_columnPage = nullptr;
    std::vector<QCheckBox*> m_columnBoxes; // per SheetColumns() entry
    QListWidget* m_typeList = nullptr;
    QCheckBox* m_computerGroup = nullptr;
    QCheckBox* m_userColumns = nullptr;
    QPushButton* m_invertComputer = nullptr;
    QCheckBox* m_additionalGroup = nullptr;
    QPushButton* m_invertAdditional = nullptr;
    RuleTable* m_columnTable = nullptr;
    QRadioButton* m_allData = nullptr;
    QRadioButton* m_filterData = nullptr;
    QRadioButton* m_departmentData = nullptr;
    QPushButton* m_filterSetup = nullptr;
    QRadioButton* m_textFormat = nullptr;
    QRadioButton* m_tableFormat = nullptr;
};

} // namespace pelgo::gui
