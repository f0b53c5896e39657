// The settings dialog TSetup ("Настройки программы."): a navigation tree of headings and items on the left,
// the chosen page's help line on top, the pages, "Записать" and "Отменить". Every page loads its controls from
// the settings at each showing (and on "Отменить") and stores them on "Записать". The revision mode shows only
// the revision's two pages, for the revision report and the inventory sheet's filter.
#pragma once

#include <QDialog>
#include <QStringList>
#include <functional>
#include <string>
#include <vector>

#include "platform/user_dialog.h"
#include "reports/revision.h"
#include "session/app_state.h"
#include "settings/revision_rules.h"

class QButtonGroup;
class QCheckBox;
class QLabel;
class QPushButton;
class QRadioButton;
class QStackedWidget;
class QTreeWidget;
class QTreeWidgetItem;

namespace pelgo::gui {

class RuleTable;

class SetupDialog : public QDialog {
    Q_OBJECT
public:
    SetupDialog(session::AppState& state, platform::UserDialog& dialog, QWidget* parent = nullptr);

    // Normal mode, every page; true when closed with "Записать".
    bool Exec();
    // Only the revision pages, "Записать" always enabled; `forSheet` hides the table and skip-empty options.
    // True when closed with "Записать".
    bool ExecRevision(bool forSheet);

    // The revision's options as the controls hold them (rules in table order).
    reports::RevisionOptions Options();
    // "Создавать DBF-файл", which counts only while the selection is on.
    bool CreateTable() const;
    // A parameter file's filter rules replace the table's; the selection is switched on.
    void SetSelection(const std::vector<settings::RevisionRule>& rules, bool caseSensitive);

    // Loads every page's controls from the settings.
    void LoadControls();
    // "Записать": posts the edits, stores the pages and writes the settings.
    void Save();

    // The archive's groups and parameters behind "<любая>" and "<любой>", gathered once; the inventory sheet's
    // column table offers them too.
    void BuildPickLists();
    QStringList GroupPickList() const;
    QStringList ParameterPickList() const;

    RuleTable* RulesTable() const { return m_rules; }
    RuleTable* ReplacementsTable() const { return m_replacements; }

protected:
    void showEvent(QShowEvent* event) override;

private:
    // A page: its navigation item, the help line's id and text, and how it loads and stores its controls.
    struct Page {
        QTreeWidgetItem* item = nullptr;
        QWidget* widget = nullptr;
        int helpId = 0;
        const char* help = "";
        bool revision = false;
        std::function<void()> load;
        std::function<void()> store;
    };
    // A heading or item of the navigation tree with its text id and Russian text.
    struct NavigationEntry {
        QTreeWidgetItem* item = nullptr;
        int textId = 0;
        const char* text = "";
    };
    QTreeWidgetItem* AddHeading(const char* caption, int tag);
    void AddPage(QTreeWidgetItem* heading, const char* item, int itemTag, const char* objectName, const char* caption,
                 int captionTag, Page page);
    QWidget* BuildSelectionPage();
    QWidget* BuildReplacementPage();
    void ShowPage(QTreeWidgetItem* item);
    void ShowModePages();
    void ApplyTexts();
    void EnableSelectionOptions();
    void SaveRuleFile();
    void LoadRuleFile();
    std::vector<settings::RevisionRule> TableRules();
    void ShowRules(const std::vector<settings::RevisionRule>& rules);
    // The options of a run that the settings do not hold are kept by "Записать" and restored by every loading,
    // so that "Отменить" drops their edits too.
    void KeepRunOptions();
    bool Run();

    session::AppState& m_state;
    platform::UserDialog& m_dialog;
    std::vector<Page> m_pages;
    std::vector<NavigationEntry> m_entries;
    bool m_revisionMode = false;
    bool m_pickListsBuilt = false;
    int m_pageTags = 0;
    struct RunOptions {
        bool selection = true;
        bool caseSensitive = false;
        bool createTable = false;
        bool departmentOnly = true;
    } m_kept;

    QTreeWidget* m_navigation = nullptr;
    QLabel* m_help = nullptr;
    QStackedWidget* m_stack = nullptr;
    QPushButton* m_saveButton = nullptr;
    RuleTable* m_rules = nullptr;
    QCheckBox* m_selection = nullptr;
    QCheckBox* m_skipEmpty = nullptr;
    QCheckBox* m_caseSensitive = nullptr;
    QCheckBox* m_createTable = nullptr;
    QRadioButton* m_wholeEnterprise = nullptr;
    QRadioButton* m_departmentOnly = nullptr;
    RuleTable* m_replacements = nullptr;
    QCheckBox* m_replace = nullptr;
};

} // namespace pelgo::gui
