// The change monitor's settings dialog TSentinoxSet: the program page (what to run, for whom, which
// directories, the log) and the line-analysis rules, saved into the section "Sentinox", with a test run.
#pragma once

#include <QAbstractTableModel>
#include <QDialog>
#include <functional>
#include <string>
#include <vector>

#include "companions/sentinox_monitor.h"
#include "companions/sentinox_settings.h"
#include "core/work_log.h"
#include "platform/user_dialog.h"
#include "shell/settings.h"

class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QPushButton;
class QSpinBox;
class QTabWidget;
class QTableView;

namespace pelgo::gui {

// The line-analysis rows: TEXT, MODE (the action's caption) and M (its code, following MODE).
class AnalysisRowsModel : public QAbstractTableModel {
    Q_OBJECT
public:
    enum Column { TextColumn, ModeColumn, CodeColumn, ColumnCount };
    explicit AnalysisRowsModel(QObject* parent = nullptr);

    const std::vector<companions::AnalysisRow>& Rows() const { return m_rows; }
    void SetRows(std::vector<companions::AnalysisRow> rows);
    void InsertRow(int row);
    void RemoveRow(int row);

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;
    bool setData(const QModelIndex& index, const QVariant& value, int role) override;

signals:
    void rowEdited();

private:
    std::vector<companions::AnalysisRow> m_rows;
    std::vector<std::string> m_captions; // the caption chosen for each row, as MODE shows it
};

struct SentinoxDialogContext {
    shell::Settings& settings;
    std::string settingsPath;
    core::WorkLog& log;
    platform::UserDialog& dialog;
    companions::SentinoxMonitor& monitor;
    std::function<companions::MonitorEnvironment()> environment;
};

class SentinoxDialog : public QDialog {
    Q_OBJECT
public:
    SentinoxDialog(SentinoxDialogContext context, QWidget* parent);

    // Each opening reloads the section from the settings file.
    void Reload();
    // Shows the dialog modally; closing it saves.
    void Open();
    // Asks and writes the section when there are unsaved changes.
    void Save();
    bool Changed() const { return m_changed; }
    companions::SentinoxSettings Values() const;
    AnalysisRowsModel& Rows() { return *m_rows; }

protected:
    void done(int result) override;

private:
    void Show(const companions::SentinoxSettings& values);
    void MarkChanged();
    void SetChanged(bool changed);
    void ApplyEnabledStates();
    void LoadRulesFromFile();
    void TestRun();

    SentinoxDialogContext m_context;
    bool m_changed = false;
    bool m_showing = false;
    QTabWidget* m_pages;
    QCheckBox* m_run;
    QLineEdit* m_path;
    QPlainTextEdit* m_dirs;
    QLineEdit* m_logDir;
    QComboBox* m_user;
    QCheckBox* m_createLog;
    QSpinBox* m_maxLines;
    QSpinBox* m_maxData;
    QPushButton* m_start;
    QLabel* m_commandLine;
    QTableView* m_table;
    AnalysisRowsModel* m_rows;
    QPushButton* m_load;
    QPushButton* m_save;
};

} // namespace pelgo::gui
