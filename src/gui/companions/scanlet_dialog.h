// The collector agent's settings dialog TScanletSet: picks one of the known scanlet.ini files, shows its
// settings on three pages and writes them back after a confirmation.
#pragma once

#include <QDialog>
#include <QIcon>
#include <array>
#include <functional>
#include <string>
#include <vector>

#include "companions/scanlet_settings.h"
#include "core/work_log.h"
#include "platform/user_dialog.h"
#include "shell/settings.h"

class QCheckBox;
class QComboBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QListWidget;
class QPlainTextEdit;
class QPushButton;
class QSpinBox;
class QTabWidget;

namespace pelgo::gui {

struct ScanletDialogContext {
    shell::Settings& settings;
    core::WorkLog& log;
    platform::UserDialog& dialog;
    // Writes Pelgo's settings file; an edited path list must outlive a close that writes nothing else.
    std::function<void()> writeSettings;
};

// A module's item icon: the state icon of its mode (blank for a mode outside the list) beside the icon of its
// section.
QIcon ScanletModuleIcon(std::size_t position, int mode);

class ScanletDialog : public QDialog {
    Q_OBJECT
public:
    ScanletDialog(ScanletDialogContext context, QWidget* parent);

    // Takes the path list anew, loads the selected file and shows page "Программа".
    void Reload();
    // Shows the dialog modally; closing it saves.
    void Open();
    // Asks and writes when there are unsaved changes; false when the write failed (the changes are kept).
    bool Save();
    bool Changed() const { return m_changed; }
    const companions::ScanletSettings& Model() const { return m_model; }
    // The module descriptions in the current language.
    void TranslateElements();

protected:
    void done(int result) override;

private:
    QWidget* MakeProgramPage();
    QWidget* MakeModulesPage();
    QWidget* MakeAdditionalPage();
    void ConnectControls();
    void FillPaths(int selected);
    void LoadSelected();
    void Show();
    void ShowModules();
    void ShowModule();
    void ShowMacNaming();
    void SetStatus(const std::string& cp1251);
    void SetGroupsEnabled(bool enabled);
    void MarkChanged();
    void SetChanged(bool changed);
    void ClearAllowance();
    void EditPaths();
    void OnPageChanged(int page);

    ScanletDialogContext m_context;
    companions::ScanletSettings m_model;
    std::string m_entry; // the path entry of the file loaded last, as the list shows it
    bool m_changed = false;
    bool m_showing = false;

    QComboBox* m_paths;
    QPushButton* m_editPaths;
    QLabel* m_status;
    QTabWidget* m_pages;
    QPushButton* m_save;
    QPushButton* m_exit;
    // Page "Программа"
    QGroupBox* m_programGroup;
    QGroupBox* m_diskGroup;
    QLineEdit* m_outputDir;
    QComboBox* m_netDisk;
    QSpinBox* m_maxConfigChanges;
    QCheckBox* m_dosFileName;
    QSpinBox* m_maxNameLength;
    QComboBox* m_macChoice;
    QComboBox* m_macParameter;
    QCheckBox* m_noBadMac;
    QCheckBox* m_countersAlarms;
    QCheckBox* m_cpuSpeedAlarm;
    QComboBox* m_removeShared;
    QComboBox* m_runMode;
    QCheckBox* m_clearThisFile;
    QCheckBox* m_allowClear;
    QComboBox* m_minDrv;
    QComboBox* m_maxDrv;
    QSpinBox* m_freeAlarm;
    QSpinBox* m_maxChange;
    // Page "Модули"
    QGroupBox* m_modulesGroup;
    QListWidget* m_modules;
    QComboBox* m_modMode;
    QLabel* m_modHelp;
    // Page "Дополнительно"
    QComboBox* m_os;
    std::array<QCheckBox*, 7> m_days{};
    QCheckBox* m_once;
    QLineEdit* m_exeFile;
    QLineEdit* m_exeParam;
    QLineEdit* m_addOutputDir;
    QLineEdit* m_outputFile;
    QPlainTextEdit* m_freeLines;
};

} // namespace pelgo::gui
