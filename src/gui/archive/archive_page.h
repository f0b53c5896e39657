// The page "  Данные архива    " of the main window: for a computer its information line, file name, the
// summary of eighteen fields with their lists, the performance gauges, the tree of its archived sections and
// journal and the change monitor's alarms beside it; for a department the count of its nodes by type. The
// comment panel of the window sits at its bottom.
#pragma once

#include <QWidget>
#include <array>
#include <functional>
#include <string>

#include "archive/computer_view.h"
#include "gui/common/theme_icons.h"
#include "session/app_state.h"

class QComboBox;
class QLabel;
class QLineEdit;
class QProgressBar;
class QSplitter;
class QTreeView;
class QVBoxLayout;

namespace pelgo::gui {

class ViewTreeModel;

class ArchivePage : public QWidget {
    Q_OBJECT
public:
    ArchivePage(session::AppState& state, NodeTypeIcons icons, QWidget* parent = nullptr);

    // Departments, employees, computers and nodes without a type are shown (null: cleared); the other types
    // leave the page as it was. Returns the directory of the computer's last load its journal names (cp1251),
    // empty when none.
    std::string ShowNode(const structure::TreeNode* node);
    // The file name label: the path of the file the current-configuration page found.
    void ShowFileName(const QString& path);
    // Below the trees.
    void AddBottomPanel(QWidget* panel);
    // The computer's view; empty without an address or the tables.
    archive::ComputerView ViewOfComputer(const structure::TreeNode& computer);

signals:
    // A right click on a summary field: its trimmed text is offered for copying.
    void copyRequested(const QString& text, const QPoint& globalPosition);

private:
    QWidget* BuildSummary();
    QWidget* BuildPerformance();
    QWidget* BuildTrees();
    void OfferCopy(QWidget* field, const std::function<QString()>& text);
    archive::ViewTree DepartmentSummary(const structure::TreeNode& department) const;
    void ShowSummary(const archive::ComputerView& view);
    void ShowRating(const archive::ComputerView& view);

    session::AppState& m_state;
    NodeTypeIcons m_nodeIcons;
    QVBoxLayout* m_layout;
    QLabel* m_infoLabel;
    QLabel* m_fileLabel;
    QWidget* m_summaryPanel;
    QWidget* m_performancePanel;
    std::array<QLineEdit*, archive::kSummaryFieldCount> m_fields{};
    std::array<QComboBox*, archive::kSummaryFieldCount> m_lists{}; // null for the fields without a list
    std::array<QProgressBar*, 3> m_gauges{};
    QProgressBar* m_overallGauge;
    ViewTreeModel* m_archiveModel;
    ViewTreeModel* m_alarmModel;
    QTreeView* m_archiveTree;
    QTreeView* m_alarmTree;
};

} // namespace pelgo::gui
