// The main window's archive commands: the update of the whole enterprise (its window), of the selected
// department and of the selected computer, and the placement of the computers not yet placed.
#include <QApplication>
#include <QLabel>

#include "archive/new_computers.h"
#include "archive/single_update.h"
#include "core/errors.h"
#include "core/file.h"
#include "gui/archive/protocol_window.h"
#include "gui/archive/update_window.h"
#include "gui/common/qt_text.h"
#include "gui/main/main_window.h"
#include "structure/node_queries.h"

namespace pelgo::gui {
namespace {

using session::Command;

} // namespace

void MainWindow::ConnectArchiveCommands() {
    On(Command::UpdateEnterprise, [this] { OpenUpdateWindow(); });
    On(Command::UpdateDepartment, [this] { UpdateSelectedDepartment(); });
    On(Command::UpdateComputer, [this] { UpdateSelectedComputer(); });
    On(Command::PlaceNewComputers, [this] { PlaceNewComputers(); });
}

bool MainWindow::MayUpdateArchive() {
    return !m_state.ProtectData() && m_state.MultiUser().MultiUserWarningOk(m_dialog, m_state.Log());
}

std::string MainWindow::ConfigDirectory() const {
    const shell::Settings& settings = m_state.Settings();
    return settings.Paths().ToNative(settings.Text(shell::Key::INIpath));
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
    structure::TreeNode* computer = SelectedNode();
    if (!structure::IsNetComputer(m_state.Tree(), computer) || !MayUpdateArchive()) {
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
    const shell::Settings& settings = m_state.Settings();
    archive::UpdateOptions options;
    options.copyToWorkDir = settings.Bool(shell::Key::UseWorkDir);
    options.workDir = settings.FilePath(shell::Key::WorkDir);
    const std::optional<session::UpdateRunLock> alone = session::UpdateRunLock::Take(m_state, m_dialog);
    if (!alone) {
        return;
    }
    std::string message;
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
    RefreshPresence();
    ApplyCommandStates();
    if (!message.empty()) {
        m_dialog.Inform(platform::MessageKind::Information, message);
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
