// The page " Дополнительно    " of the main window: the selected node's fifteen additional-data fields in
// their three groups (employee fields it leaves empty shown from the department or employee above it), its
// linked document, and its journals with the entries' four fields and document. Loading and saving go
// through structure::AdditionalData; the page keeps only what it shows and what was changed.
#pragma once

#include <QWidget>
#include <array>
#include <functional>
#include <string>
#include <vector>

#include "gui/common/theme_icons.h"
#include "platform/user_dialog.h"
#include "session/app_state.h"
#include "structure/additional_data.h"

class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QTreeWidget;
class QTreeWidgetItem;

namespace pelgo::gui {

class AdditionalPage : public QWidget {
    Q_OBJECT
public:
    AdditionalPage(session::AppState& state, NodeTypeIcons icons, platform::UserDialog& dialog,
                   QWidget* parent = nullptr);

    // Saves pending changes as before any change of view, then shows the node (null: nothing).
    void ShowNode(structure::TreeNode* node);
    // Writes the changed data of the node shown; an automatic save (the view is about to change) asks first
    // unless saving is automatic, and a No drops the changes. True when something was written.
    bool Save(bool automatic);
    // "Отменить": the node shown, read again; its edits are dropped.
    void Reload();
    // After a language change: the texts the page sets are set again, unless edits are pending.
    void Retranslate();
    // A new entry in the journal of the selected line, after the question; its title is edited at once.
    void AddEntry();
    // The selected entry and its records, after the question.
    void DeleteEntry();
    // Ins and Ctrl+Del act on the journals while they have the focus.
    bool JournalHasFocus() const;

private:
    QWidget* BuildFieldGroups();
    QWidget* BuildJournals();
    structure::TreeNode* ShownNode() const;
    void LoadMain(const structure::TreeNode* node);
    void LoadJournals(const structure::TreeNode* node);
    QTreeWidgetItem* AddEntryLine(QTreeWidgetItem* journalLine, const structure::JournalEntry& entry);
    void OnJournalLineChanged(QTreeWidgetItem* current);
    void ShowJournalLine(QTreeWidgetItem* line);
    void OnLineEdited(QTreeWidgetItem* line);
    void OnFieldEdited(std::size_t field);
    void MarkMainChanged();
    // The first entry changed since the last save is the one the save writes.
    void MarkEntryChanged(QTreeWidgetItem* entry);
    void ClearMarks();
    void OpenDocument(const QString& path);
    // Runs `act` on the node-record table when it is open; a table failure is told and logged. True when
    // `act` ran through.
    bool WithData(const std::function<void(structure::AdditionalData&)>& act);
    std::vector<structure::JournalEntry> Entries() const;
    structure::MainData MainShown() const;
    structure::EntryData EntryShown() const;

    session::AppState& m_state;
    NodeTypeIcons m_icons;
    platform::UserDialog& m_dialog;
    int m_nodeHandle = 0;
    std::string m_nodeUno;  // finds the node again after the tree was reloaded
    std::string m_nodeText; // names it when it is gone
    std::vector<structure::JournalDefinition> m_journals;
    std::array<structure::FieldSource, structure::kAdditionalFieldCount> m_sources{};
    bool m_mainChanged = false;
    QTreeWidgetItem* m_changedEntry = nullptr; // the entry whose fields the entry edits hold, when changed

    QGroupBox* m_equipmentGroup;
    QLabel* m_typePicture;
    std::array<QLineEdit*, structure::kAdditionalFieldCount> m_fields{};
    QLineEdit* m_document;
    QTreeWidget* m_journal;
    std::array<QLabel*, structure::kEntryFieldCount> m_entryLabels{};
    std::array<QLineEdit*, structure::kEntryFieldCount> m_entryFields{};
    QLineEdit* m_entryDocument;
    QPushButton* m_saveButton;
};

} // namespace pelgo::gui
