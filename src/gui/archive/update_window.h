// The archive-update window TUpdateInf ("Обновление данных"): the checked list of collector directories, the
// options of the run, its five counters and the last update; "Пуск" runs the update of the whole enterprise
// with this window as its progress, the cancel button stops it, "Детали" shows the protocol afterwards.
#pragma once

#include <QDialog>
#include <array>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "archive/archive_update.h"
#include "platform/progress.h"
#include "platform/user_dialog.h"
#include "session/app_state.h"
#include "session/archive_run.h"

class QCheckBox;
class QLabel;
class QLineEdit;
class QListWidget;
class QPushButton;
class QRadioButton;
class QSpinBox;

namespace pelgo::gui {

class ProtocolWindow;

class UpdateWindow : public QDialog, public platform::Progress {
    Q_OBJECT
public:
    UpdateWindow(session::AppState& state, platform::UserDialog& dialog, ProtocolWindow& protocol, QWidget* parent);
    ~UpdateWindow() override;

    // Shows the window ready for a run: counters at zero, the boxes from the settings, new computers for the
    // first node, cleaning off.
    void Open();
    bool Running() const { return m_update != nullptr; }

    void Protocol(std::string_view line) override;
    void SetCounters(long long, long long) override;
    void ProcessEvents() override;
    bool StopRequested() const override { return m_stop; }

signals:
    // A run ended: the tree and the archive may have changed.
    void updateFinished();

protected:
    void reject() override;

private:
    QWidget* BuildDirectories();
    QWidget* BuildOptions();
    QWidget* BuildCounters();
    void AddDirectory();
    void RemoveDirectory();
    void Start();
    // The working directory of the box without its trailing separator (a root keeps it).
    std::string WorkDirectory() const;
    std::vector<std::string> CheckedDirectories() const;
    archive::UpdateOptions Options() const;
    void Run(const archive::UpdateOptions& options);
    void ShowCounters(const archive::UpdateCounters& counters);
    void KeepSettings();
    void Cancel();

    session::AppState& m_state;
    platform::UserDialog& m_dialog;
    ProtocolWindow& m_protocol;
    std::optional<session::ArchiveReferences> m_references; // loaded at the first run, kept with the window
    archive::ArchiveUpdate* m_update = nullptr;             // the run in progress
    bool m_stop = false;
    std::string m_lastUpdate;

    QListWidget* m_directories = nullptr;
    QLineEdit* m_directoryEdit = nullptr;
    QCheckBox* m_clean = nullptr;
    QCheckBox* m_configChanges = nullptr;
    QCheckBox* m_trimJournal = nullptr;
    QSpinBox* m_keepJournal = nullptr;
    QCheckBox* m_copy = nullptr;
    QLineEdit* m_workDir = nullptr;
    QCheckBox* m_onlyNew = nullptr;
    QRadioButton* m_toFirstNode = nullptr;
    QRadioButton* m_toSelectedNode = nullptr;
    std::array<QLabel*, 5> m_counters{};
    QLabel* m_lastUpdateLabel = nullptr;
    QWidget* m_optionsPanel = nullptr;
    QPushButton* m_startButton = nullptr;
    QPushButton* m_cancelButton = nullptr;
    QPushButton* m_detailsButton = nullptr;
};

} // namespace pelgo::gui
