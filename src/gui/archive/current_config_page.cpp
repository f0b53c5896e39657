// The current-configuration page.
#include "gui/archive/current_config_page.h"

#include <QAction>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QToolBar>
#include <QTreeView>
#include <QVBoxLayout>

#include "archive/current_config.h"
#include "core/errors.h"
#include "gui/archive/current_file.h"
#include "gui/archive/view_tree_model.h"
#include "gui/common/qt_text.h"
#include "gui/common/view_icons.h"
#include "structure/node_queries.h"
#include "structure/node_types.h"

namespace pelgo::gui {

CurrentConfigPage::CurrentConfigPage(session::AppState& state, platform::UserDialog& dialog,
                                     const std::vector<QAction*>& commands, QMenu* popup, QWidget* parent)
    : QWidget(parent), m_state(state), m_dialog(dialog) {
    setObjectName(QStringLiteral("CurrentConfigPage"));
    auto* toolBar = new QToolBar(QStringLiteral("Current Config"), this);
    toolBar->setObjectName(QStringLiteral("CurrentConfigToolBar"));
    toolBar->setToolButtonStyle(Qt::ToolButtonTextOnly);
    for (QAction* command : commands) {
        toolBar->addAction(command);
    }
    m_directory = new QLineEdit(FromCp1251(state.Settings().Text(shell::Key::INIpath)), this);
    m_directory->setObjectName(QStringLiteral("ConfigDirectory"));
    auto* top = new QHBoxLayout;
    top->addWidget(toolBar);
    top->addWidget(m_directory, 1);

    m_model = new ViewTreeModel(&ViewIcon, this);
    m_tree = new QTreeView(this);
    m_tree->setObjectName(QStringLiteral("CurrentConfigTree"));
    m_tree->setHeaderHidden(true);
    m_tree->setUniformRowHeights(true);
    m_tree->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_tree->setIconSize(QSize(16, 16));
    m_tree->setModel(m_model);
    m_tree->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(m_tree, &QTreeView::customContextMenuRequested, this,
            [this, popup](const QPoint& position) { popup->popup(m_tree->viewport()->mapToGlobal(position)); });

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(2, 2, 2, 2);
    layout->setSpacing(2);
    layout->addLayout(top);
    layout->addWidget(m_tree, 1);
}

QString CurrentConfigPage::Directory() const {
    return m_directory->text();
}

void CurrentConfigPage::SetDirectory(const QString& directory) {
    m_directory->setText(directory);
}

std::string CurrentConfigPage::NativeDirectory() const {
    return m_state.Settings().Paths().ToNative(ToCp1251(m_directory->text()));
}

bool CurrentConfigPage::HasContent() const {
    return !m_model->Empty();
}

void CurrentConfigPage::Load(structure::TreeNode* node) {
    const structure::TreeNode* computer = structure::ComputerOf(m_state.Tree(), node);
    if (computer == nullptr) {
        // Another computer's file must not stay under a node it does not belong to.
        m_loadedHandle = 0;
        m_model->Clear();
        return;
    }
    if (node->Handle() == m_loadedHandle) {
        return;
    }
    m_loadedHandle = node->Handle();
    const std::string& address = node->Icon() == structure::kIconMacAddress
                                     ? node->Text()
                                     : structure::ComputerAddress(m_state.Tree(), *computer);
    Show(CurrentFileOf(m_state, address, NativeDirectory()));
}

void CurrentConfigPage::Show(const std::string& path) {
    archive::ViewTree tree = path.empty() ? MissingFileTree() : archive::ViewTree();
    if (!path.empty()) {
        try {
            archive::ShowCfgFile(path, core::DateFormats(), tree);
        } catch (const core::Error& error) {
            m_dialog.Inform(platform::MessageKind::Error, error.what());
        }
        emit fileShown(FromCp1251(path));
    }
    m_model->SetTree(std::move(tree));
    if (m_state.Settings().Bool(shell::Key::ExpandRightTree)) {
        m_tree->expandAll();
    }
}

} // namespace pelgo::gui
