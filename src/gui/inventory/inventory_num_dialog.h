// The dialog TInventoryNum ("Простановка инвентарных номеров"): the list of directories whose collector files
// get the inventory numbers of the tree, "Пуск" for the run and two progress bars, the files of the current
// directory and the directories.
#pragma once

#include <QDialog>
#include <functional>
#include <string>
#include <vector>

#include "platform/progress.h"
#include "platform/user_dialog.h"
#include "session/app_state.h"

class QLabel;
class QLineEdit;
class QListWidget;
class QProgressBar;
class QPushButton;

namespace pelgo::gui {

class InventoryNumDialog : public QDialog, public platform::Progress {
    Q_OBJECT
public:
    // `select` makes an address node the selected node of the main window's tree.
    InventoryNumDialog(session::AppState& state, platform::UserDialog& dialog,
                       std::function<void(const structure::TreeNode& address)> select, QWidget* parent);

    // Shows the dialog ready for a run: IniDir from INIpath, an empty list filled with the update's
    // directories, the bars hidden.
    void Open();

    void Protocol(std::string_view) override {}
    void SetCounters(long long done, long long total) override;
    void ProcessEvents() override;
    bool StopRequested() const override { return m_stop; }

protected:
    // While a run goes on the cancel button stops it before the next file.
    void reject() override;

private:
    void AddDirectory();
    void RemoveDirectory();
    void Start();
    std::vector<std::string> Directories() const;

    session::AppState& m_state;
    platform::UserDialog& m_dialog;
    std::function<void(const structure::TreeNode&)> m_select;
    bool m_running = false;
    bool m_stop = false;

    QListWidget* m_directories = nullptr;
    QLineEdit* m_iniDir = nullptr;
    QLabel* m_progressLabel = nullptr;
    QProgressBar* m_files = nullptr;
    QProgressBar* m_directoriesBar = nullptr;
    QPushButton* m_startButton = nullptr;
    QPushButton* m_cancelButton = nullptr;
};

} // namespace pelgo::gui
