// The template editor TReportsSetup ("Настройка отчета [file]"): a rich-text editor for report templates with
// the marker insertion (kind, group and name lists, "<< Добавить", the GET buttons), the scope and the types
// the detail covers, formatting, search, printing, open and save. One long-lived window holds the template
// that reports are generated from.
#pragma once

#include <QMainWindow>
#include <array>
#include <functional>
#include <string>
#include <vector>

#include "archive/pick_lists.h"
#include "gui/reports/rich_text_editing.h"
#include "platform/user_dialog.h"
#include "reports/report_template.h"

class QButtonGroup;
class QComboBox;
class QGroupBox;
class QListWidget;
class QListWidgetItem;
class QPrinter;
class QTextEdit;

namespace pelgo::gui {

class ReportsSetupWindow : public QMainWindow {
    Q_OBJECT
public:
    explicit ReportsSetupWindow(platform::UserDialog& dialog, QWidget* parent = nullptr);

    // The included-types list (IncludedTypeNames) the start line's positions refer to.
    void SetTypeNames(const std::vector<std::string>& names);
    // Where the Device groups and names come from; asked each time the window is shown.
    void SetPickListSource(std::function<archive::PickLists()> source) { m_pickListSource = std::move(source); }

    // LoadReportsFromFile into the editor; the caption names the current file.
    void LoadReportsFromFile(const std::string& path);
    // The template as it stands: the document, the scope and the marked types.
    reports::ReportTemplate Template() const;
    const std::string& CurrentFile() const { return m_file; }
    bool Modified() const;
    // Asks whether to save unsaved changes (Yes saves); false when the user cancelled or the save failed.
    bool ConfirmDiscard();
    // Empties the editor and leaves the move-request template mode.
    void Clear();
    // "Настроить макет": scope and types fixed, markers offered for the move request first.
    void SetMoveRequestMode(bool on);

    // The commands; Save returns whether a file was written.
    void Open();
    bool Save();
    void Print(QPrinter& printer) const;
    void Find(bool next);

    QTextEdit* Editor() const { return m_edit; }

protected:
    void closeEvent(QCloseEvent* event) override;
    void showEvent(QShowEvent* event) override;

private:
    enum Kind { Device, Other, MoveRequest };
    void BuildMarkerPanel(QWidget* panel);
    void BuildGetBars();
    void FillKinds();
    void OnKindChanged();
    void InsertMarker();
    void InsertText(const QString& marker);
    void ShowTemplate(const reports::ReportTemplate& report);
    void SetScope(reports::ReportScope scope);
    void ToggleType(QListWidgetItem* item);
    void ShowCaption();
    void MarkModified();

    platform::UserDialog& m_dialog;
    std::function<archive::PickLists()> m_pickListSource;
    archive::PickLists m_pickLists;
    std::string m_file;
    bool m_moveRequestMode = false;
    LineFinder m_finder;

    QTextEdit* m_edit = nullptr;
    QComboBox* m_kindBox = nullptr;
    QComboBox* m_groupBox = nullptr;
    QComboBox* m_nameBox = nullptr;
    QGroupBox* m_scopeGroup = nullptr;
    QButtonGroup* m_scopeButtons = nullptr;
    QListWidget* m_typeList = nullptr;
};

} // namespace pelgo::gui
