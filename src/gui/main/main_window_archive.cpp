// The main window's archive commands: the update of the whole enterprise (its window), of the selected
// department and of the selected computer, the placement of the computers not yet placed, and the commands
// on the selected computer's collector file (amnesty, inventorising, deletion, reading it again).
#include <QAction>
#include <QApplication>
#include <QLabel>
#include <QMenu>
#include <QTabWidget>

#include "archive/new_computers.h"
#include "archive/single_update.h"
#include "core/errors.h"
#include "core/file.h"
#include "gui/archive/current_config_page.h"
#include "gui/archive/current_file.h"
#include "gui/archive/protocol_window.h"
#include "gui/archive/update_window.h"
#include "gui/common/qt_text.h"
#include "gui/inventory/inventory_num_dialog.h"
#include "gui/main/main_window.h"
#include "gui/structure/additional_page.h"
#include "session/computer_files.h"
#include "structure/node_queries.h"
#include "structure/node_types.h"

namespace pelgo::gui {
namespace {

using session::Command;

} // namespace

void MainWindow::ConnectArchiveCommands() {
    On(Command::UpdateEnterprise, [this] { OpenUpdateWindow(); });
    On(Command::UpdateDepartment, [this] { UpdateSelectedDepartment(); });
    On(Command::UpdateComputer, [this] { UpdateSelectedComputer(); });
    On(Command::PlaceNewComputers, [this] { PlaceNewComputers(); });
    for (const Command command : {Command::UpdateArchive, Command::PopupUpdateArchive}) {
        On(command, [this] { UpdateArchiveOfSelection(); });
    }
    for (const Command command : {Command::Amnesty, Command::PopupAmnesty}) {
        On(command, [this] { AmnestySelected(); });
    }
    for (const Command command : {Command::Inventorize, Command::PopupInventorize}) {
        On(command, [this] { InventorizeSelected(); });
    }
    for (const Command command : {Command::DeleteConfigFile, Command::PopupDeleteConfigFile}) {
        On(command, [this] { DeleteSelectedFile(); });
    }
    for (const Command command : {Command::RereadConfig, Command::PopupRereadConfig}) {
        On(command, [this] { RereadCurrentConfig(); });
    }
    // "&Текущая конфигурация" opens the page as its items appear.
    On(Command::TreeCurrentConfig, [this] { OpenCurrentConfig(); });
    // "Проставить номера !": made at its first use, kept with its list for the rest of the session.
    On(Command::AssignInventory, [this] {
        auto* numbers = findChild<InventoryNumDialog*>(QStringLiteral("TInventoryNum"));
        if (numbers == nullptr) {
            numbers = new InventoryNumDialog(
                m_state, m_dialog, [this](const structure::TreeNode& address) { SelectNode(&address); }, this);
        }
        numbers->Open();
    });
    On(Command::SyncInventory, [this] { RunNumberJob(NumberProgressWindow::Mode::Synchronize); });
    // Values typed on the additional-data page go to the table, as the user answers, before the run reads it.
    connect(m_numberProgress, &NumberProgressWindow::synchronisationConfirmed, this,
            [this] { m_additionalPage->Save(true); });
    On(Command::CheckInventory, [this] { RunNumberJob(NumberProgressWindow::Mode::Check); });
    connect(Menu(Command::CurrentConfigMenu), &QMenu::aboutToShow, this, &MainWindow::OpenCurrentConfig);
}

void MainWindow::RunNumberJob(NumberProgressWindow::Mode mode) {
    if (!m_state.MultiUser().MultiUserWarningOk(m_dialog, m_state.Log())) {
        return;
    }
    m_numberProgress->Run(mode);
    ShowNodeViews();
    ApplyCommandStates();
}

bool MainWindow::MayUpdateArchive() {
    return !m_state.ProtectData() && m_state.MultiUser().MultiUserWarningOk(m_dialog, m_state.Log());
}

std::string MainWindow::ConfigDirectory() const {
    return m_currentConfigPage->NativeDirectory();
}

structure::TreeNode* MainWindow::SelectedComputer() const {
    return structure::ComputerOf(m_state.Tree(), SelectedNode());
}

void MainWindow::OpenUpdateWindow() {
    if (!MayUpdateArchive()) {
        return;
    }
    if (m_updateWindow == nullptr) {
        m_updateWindow = new UpdateWindow(m_state, m_dialog, *m_protocolWindow, this);
        connect(m_updateWindow, &UpdateWindow::updateFinished, this, [this] {
            RefreshPresence();
            ApplyCommandStates();
        });
    }
    m_updateWindow->Open();
}

void MainWindow::UpdateSelectedComputer() {
    structure::TreeNode* computer = SelectedComputer();
    if (computer == nullptr || !MayUpdateArchive()) {
        return;
    }
    LoadComputers([this, computer](archive::ArchiveUpdate& update, const std::string& directory,
                                   const archive::UpdateOptions& options) {
        // Taken first: the events let through during the load may take the node away.
        const std::string name = computer->Text();
        const bool updated = archive::UpdateComputer(update, m_state.Tree(), *m_state.DeviceTable().table, *computer,
                                                     directory, options, m_dialog);
        return updated ? name + core::Text(1073, " -\r\nданные в архиве обновлены !") : std::string();
    });
}

void MainWindow::UpdateSelectedDepartment() {
    const std::optional<archive::DepartmentRange> range = archive::DepartmentOf(m_state.Tree(), SelectedNode());
    if (!range || !MayUpdateArchive()) {
        return;
    }
    m_statusLabel->setText(FromCp1251(core::Text(3028, " Обновление данных")));
    m_statusLabel->show();
    LoadComputers([this, &range](archive::ArchiveUpdate& update, const std::string& directory,
                                 const archive::UpdateOptions& options) {
        const std::vector<std::string> updated = archive::UpdateDepartment(
            update, m_state.Tree(), *m_state.DeviceTable().table, *range, directory, options, m_dialog);
        std::string message;
        for (const std::string& name : updated) {
            message += (message.empty() ? "" : "\r\n") + name;
        }
        return updated.empty() ? message : message + core::Text(1073, " - данные в архиве обновлены !");
    });
}

void MainWindow::LoadComputers(
    const std::function<std::string(archive::ArchiveUpdate& update, const std::string& directory,
                                    const archive::UpdateOptions& options)>& load) {
    shell::Settings& settings = m_state.Settings();
    // The directory the update reads becomes the one the settings keep.
    settings.SetText(shell::Key::INIpath, ToCp1251(m_currentConfigPage->Directory()));
    archive::UpdateOptions options;
    options.copyToWorkDir = settings.Bool(shell::Key::UseWorkDir);
    options.workDir = settings.FilePath(shell::Key::WorkDir);
    const std::optional<session::UpdateRunLock> alone = session::UpdateRunLock::Take(m_state, m_dialog);
    if (!alone) {
        return;
    }
    std::string message;
    // The events let through during the load must not show nodes from the table being written.
    const bool reactions = m_state.TreeReactionsOn();
    m_state.SetTreeReactionsOn(false);
    try {
        if (!m_archiveReferences) {
            m_archiveReferences.emplace(m_state);
        }
        archive::ArchiveUpdate update(
            session::MakeUpdateContext(m_state, *m_archiveReferences, m_dialog, *m_protocolWindow));
        message = load(update, ConfigDirectory(), options);
    } catch (const core::Error& error) {
        m_dialog.Inform(platform::MessageKind::Error, error.what());
    }
    m_state.SetTreeReactionsOn(reactions);
    RefreshPresence();
    ShowPages();
    if (!message.empty()) {
        m_dialog.Inform(platform::MessageKind::Information, message);
    }
}

void MainWindow::UpdateArchiveOfSelection() {
    const structure::TreeNode* node = SelectedNode();
    if (node != nullptr && node->Icon() == structure::kIconDepartment) {
        UpdateSelectedDepartment();
    } else {
        UpdateSelectedComputer();
    }
}

void MainWindow::RunFileCommand(const std::function<void(session::FileCommandView& view)>& command) {
    if (m_state.ProtectData()) {
        return;
    }
    bool shown = false;
    session::FileCommandView view;
    view.refresh = [this, &shown] {
        ShowPages();
        shown = true;
    };
    try {
        command(view);
    } catch (const core::Error& error) {
        m_dialog.Inform(platform::MessageKind::Error, error.what());
    }
    if (!shown) {
        ShowPages();
    }
}

void MainWindow::AmnestySelected() {
    structure::TreeNode* node = SelectedNode();
    if (node != nullptr && node->Icon() == structure::kIconDepartment) {
        // Once the question is answered, the caption stays in the status label while the computers are done;
        // the pages shown after the run give the label back to the protection.
        RunFileCommand([this, node](session::FileCommandView& view) {
            view.select = [this](structure::TreeNode& computer) {
                m_statusLabel->setText(Action(Command::Amnesty)->text());
                m_statusLabel->show();
                SelectNode(&computer);
            };
            session::AmnestyDepartment(m_state, *node, ConfigDirectory(), view);
        });
    } else if (structure::TreeNode* computer = SelectedComputer()) {
        RunFileCommand([this, computer](session::FileCommandView& view) {
            session::AmnestyComputer(m_state, *computer, ConfigDirectory(), true, view);
        });
    }
}

void MainWindow::InventorizeSelected() {
    if (structure::TreeNode* computer = SelectedComputer()) {
        RunFileCommand([this, computer](session::FileCommandView& view) {
            session::InventorizeComputer(m_state, *computer, ConfigDirectory(), view);
        });
    }
}

void MainWindow::DeleteSelectedFile() {
    if (structure::TreeNode* computer = SelectedComputer()) {
        RunFileCommand([this, computer](session::FileCommandView& view) {
            session::DeleteComputerFile(m_state, *computer, ConfigDirectory(), view);
        });
    }
}

void MainWindow::RereadCurrentConfig() {
    m_currentConfigPage->Forget();
    if (m_pages->currentWidget() == m_currentConfigPage) {
        LoadCurrentConfig();
    } else {
        OpenCurrentConfig();
    }
}

void MainWindow::PlaceNewComputers() {
    if (m_state.ProtectData()) {
        return;
    }
    m_protocolWindow->Clear();
    QApplication::setOverrideCursor(Qt::WaitCursor);
    try {
        archive::MoveData(m_state.Tree(), *m_state.DeviceTable().table,
                          archive::PlacementRule::From(m_state.Settings()), m_dialog, *m_protocolWindow,
                          [this] { m_state.TreeStorage()->SetTreeModified(true); });
        if (!m_protocolWindow->Empty()) {
            core::WriteFileAtomically(m_state.ProgramDirectory() + "/move.log", m_protocolWindow->Text());
        }
    } catch (const core::Error& error) {
        m_dialog.Inform(platform::MessageKind::Error, error.what());
    }
    QApplication::restoreOverrideCursor();
    ApplyCommandStates();
    if (!m_protocolWindow->Empty()) {
        m_protocolWindow->show();
        m_protocolWindow->raise();
    }
}

} // namespace pelgo::gui
