// The main window's right-hand pages of the selected node: the archive page with the comment panel, the
// current configuration, the additional data and the changes, which page a settled selection opens and when
// each page is filled: the archive page with every node, the others only while they are open.
#include <QAction>
#include <QLabel>
#include <QMenu>
#include <QSignalBlocker>
#include <QTabWidget>
#include <QVBoxLayout>

#include "gui/archive/archive_page.h"
#include "gui/archive/changes_page.h"
#include "gui/archive/current_config_page.h"
#include "gui/common/qt_text.h"
#include "gui/main/main_window.h"
#include "gui/structure/additional_page.h"
#include "structure/node_types.h"

namespace pelgo::gui {
namespace {

using session::Command;

// With AutoViewSelect: employees and the equipment beyond the computer's address have their data on the
// additional page; any other node is shown on the archive page.
bool ShownOnAdditionalPage(const structure::TreeNode& node) {
    return node.Icon() == structure::kIconEmployee || node.Icon() > structure::kIconMacAddress;
}

} // namespace

QWidget* MainWindow::BuildPages(const NodeTypeIcons& icons) {
    auto* side = new QWidget(this);
    auto* layout = new QVBoxLayout(side);
    layout->setContentsMargins(0, 0, 0, 0);
    m_pathLabel = new QLabel(side);
    m_pathLabel->setContentsMargins(4, 2, 4, 2);
    m_pathLabel->setObjectName(QStringLiteral("PathLabel"));
    m_pathLabel->setTextInteractionFlags(Qt::TextSelectableByMouse);
    m_pathLabel->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(m_pathLabel, &QLabel::customContextMenuRequested, this, [this](const QPoint& position) {
        ShowCopyPopup(m_pathLabel->text().trimmed(), m_pathLabel->mapToGlobal(position));
    });
    layout->addWidget(m_pathLabel);
    m_pages = new QTabWidget(side);
    m_pages->setObjectName(QStringLiteral("PageControl"));
    layout->addWidget(m_pages, 1);

    m_archivePage = new ArchivePage(m_state, icons, m_pages);
    m_archivePage->AddBottomPanel(BuildCommentPanel(m_archivePage));
    connect(m_archivePage, &ArchivePage::copyRequested, this, &MainWindow::ShowCopyPopup);
    const std::vector<QAction*> fileCommands = {Action(Command::UpdateArchive), Action(Command::Inventorize),
                                                Action(Command::Amnesty), Action(Command::DeleteConfigFile),
                                                Action(Command::RereadConfig)};
    m_currentConfigPage =
        new CurrentConfigPage(m_state, m_dialog, fileCommands, Menu(Command::CurrentConfigPopup), m_pages);
    connect(m_currentConfigPage, &CurrentConfigPage::fileShown, m_archivePage, &ArchivePage::ShowFileName);
    m_additionalPage = new AdditionalPage(m_state, icons, m_dialog, m_pages);
    m_changesPage = new ChangesPage(m_state, m_dialog, m_pages);
    m_pages->addTab(m_archivePage, QString::fromUtf8(" Данные архива    "));
    m_pages->addTab(m_currentConfigPage, QString::fromUtf8(" Текущая конфигурация    "));
    m_pages->addTab(m_additionalPage, QString::fromUtf8(" Дополнительно    "));
    m_pages->addTab(m_changesPage, QString::fromUtf8(" Изменения    "));
    connect(m_pages, &QTabWidget::currentChanged, this, &MainWindow::OnPageChanged);
    return side;
}

void MainWindow::ShowNodeViews() {
    structure::TreeNode* node = SelectedNode();
    m_currentConfigPage->Forget();
    {
        // The pages are filled below, once: not by the page change itself.
        const QSignalBlocker blocker(m_pages);
        if (m_pages->currentWidget() == m_currentConfigPage) {
            m_pages->setCurrentWidget(m_archivePage);
        }
        if (node != nullptr && m_state.Settings().Bool(shell::Key::AutoViewSelect)) {
            m_pages->setCurrentWidget(ShownOnAdditionalPage(*node) ? static_cast<QWidget*>(m_additionalPage)
                                                                   : m_archivePage);
        }
    }
    ShowAdditionalData();
    ShowArchive(node);
    if (m_pages->currentWidget() == m_changesPage) {
        m_changesPage->ShowNode(node, ConfigDirectory());
    }
}

void MainWindow::ShowPages() {
    ShowArchive(SelectedNode());
    m_currentConfigPage->Forget();
    if (m_pages->currentWidget() == m_currentConfigPage) {
        LoadCurrentConfig();
    } else if (m_pages->currentWidget() == m_changesPage) {
        m_changesPage->ShowNode(SelectedNode(), ConfigDirectory());
    }
    ApplyCommandStates();
}

void MainWindow::OnPageChanged() {
    ShowAdditionalData();
    if (m_pages->currentWidget() == m_currentConfigPage) {
        LoadCurrentConfig();
    } else if (m_pages->currentWidget() == m_changesPage) {
        m_changesPage->ShowNode(SelectedNode(), ConfigDirectory());
    }
    ApplyCommandStates();
}

void MainWindow::ShowAdditionalData() {
    // Edits of the node shown before are saved whichever page is open; the page is filled only when open.
    if (m_pages->currentWidget() == m_additionalPage) {
        m_additionalPage->ShowNode(SelectedNode());
    } else {
        m_additionalPage->Save(true);
    }
}

void MainWindow::ShowArchive(structure::TreeNode* node) {
    const std::string directory = m_archivePage->ShowNode(node);
    if (!directory.empty()) {
        m_currentConfigPage->SetDirectory(FromCp1251(directory));
    }
}

void MainWindow::LoadCurrentConfig() {
    for (const Command command : {Command::RereadConfig, Command::PopupRereadConfig}) {
        Action(command)->setEnabled(false);
    }
    m_currentConfigPage->Load(SelectedNode());
    ApplyCommandStates();
}

void MainWindow::OpenCurrentConfig() {
    m_pages->setCurrentWidget(m_currentConfigPage);
}

void MainWindow::ShowCopyPopup(const QString& text, const QPoint& globalPosition) {
    m_copyText = text;
    Menu(Command::CopyPopup)->popup(globalPosition);
}

} // namespace pelgo::gui
