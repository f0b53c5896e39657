// The report window TPasport ("Отчетные формы"): shows one report, as rich text or, for the summaries, as a
// tree of captions, and prints it, saves it (RTF, spreadsheet import, plain text, PDF, CSV of counted values)
// and searches it. The text is read-only unless the settings allow editing reports, and only then are the
// formatting commands there.
#pragma once

#include <QDialog>
#include <string>
#include <vector>

#include "gui/reports/rich_text_editing.h"
#include "platform/user_dialog.h"
#include "reports/rich_text.h"

class QAction;
class QListWidget;
class QPrinter;
class QTextEdit;
class QToolBar;
class QTreeWidget;

namespace pelgo::gui {

// A summary's line: its depth (0 for the top), caption (cp1251) and the node type whose icon it shows (0: none),
// in pre-order.
struct ReportTreeLine {
    int level = 0;
    std::string caption;
    int icon = 0;
};

class ReportWindow : public QDialog {
    Q_OBJECT
public:
    ReportWindow(platform::UserDialog& dialog, bool editable, QWidget* parent = nullptr);

    void ShowReport(int kind, const reports::RichText& text);
    void ShowTree(int kind, const std::vector<ReportTreeLine>& lines);
    // The report's counted values as CSV: saving then offers "CSV" too.
    void SetCsv(std::string csv) { m_csv = std::move(csv); }
    int Kind() const { return m_kind; }
    bool ShowsTree() const;
    reports::RichText Text() const;

    // The commands.
    void PrintCommand();
    void Print(QPrinter& printer) const;
    void Save();
    void Find(bool next);

    QTextEdit* Editor() const { return m_edit; }
    QTreeWidget* Tree() const { return m_tree; }

private:
    void SaveText(const std::string& name, std::size_t filter);
    void SaveTreeText(const std::string& name);
    bool MayReplace(const std::string& path);
    void FindInTree(bool next);
    void ShowPopup(const QPoint& position);

    platform::UserDialog& m_dialog;
    bool m_editable = false;
    int m_kind = 0;
    std::string m_csv;
    LineFinder m_finder;
    QString m_treeSearch;

    QTextEdit* m_edit = nullptr;
    QTreeWidget* m_tree = nullptr;
    QToolBar* m_formatBar = nullptr;
    QAction* m_save = nullptr;
    QAction* m_find = nullptr;
    QAction* m_findNext = nullptr;
    QAction* m_print = nullptr;
};

// The spreadsheet separator dialog TP_sub ("Символ"): the separator, or none when cancelled.
class SeparatorDialog : public QDialog {
    Q_OBJECT
public:
    explicit SeparatorDialog(QWidget* parent = nullptr);
    int Chosen() const;

private:
    QListWidget* m_list = nullptr;
};

} // namespace pelgo::gui
