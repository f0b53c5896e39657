// The changes page: the archive's records compared with the file whenever the page is shown.
#include "gui/archive/changes_page.h"

#include <QTreeView>
#include <QVBoxLayout>

#include "archive/computer_view.h"
#include "archive/configuration_diff.h"
#include "core/cp1251.h"
#include "core/errors.h"
#include "core/kel_ini_file.h"
#include "gui/archive/current_file.h"
#include "gui/archive/view_tree_model.h"
#include "gui/common/view_icons.h"
#include "structure/node_queries.h"

namespace pelgo::gui {

ChangesPage::ChangesPage(session::AppState& state, platform::UserDialog& dialog, QWidget* parent)
    : QWidget(parent), m_state(state), m_dialog(dialog) {
    setObjectName(QStringLiteral("ChangesPage"));
    m_model = new ViewTreeModel(&ViewIcon, this);
    m_tree = new QTreeView(this);
    m_tree->setObjectName(QStringLiteral("ChangesTree"));
    m_tree->setHeaderHidden(true);
    m_tree->setUniformRowHeights(true);
    m_tree->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_tree->setIconSize(QSize(16, 16));
    m_tree->setModel(m_model);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(2, 2, 2, 2);
    layout->addWidget(m_tree);
}

void ChangesPage::ShowNode(structure::TreeNode* node, const std::string& directory) {
    archive::ViewTree tree;
    if (const structure::TreeNode* computer = structure::ComputerOf(m_state.Tree(), node)) {
        const std::string address = structure::ComputerAddress(m_state.Tree(), *computer);
        const std::string path = CurrentFileOf(m_state, address, directory);
        tree = path.empty() ? MissingFileTree() : Changes(address, path);
    }
    m_model->SetTree(std::move(tree));
    m_tree->expandAll();
}

archive::ViewTree ChangesPage::Changes(const std::string& address, const std::string& path) {
    archive::ViewTree tree;
    shell::ManagedTable& device = m_state.DeviceTable();
    if (!device.IsOpen()) {
        return tree;
    }
    try {
        const core::TKelIniFile file(path, true);
        tree = archive::ChangesTree(
            archive::CompareConfiguration(archive::ReadArchiveRecords(*device.table, address), file));
    } catch (const core::Error& error) {
        m_dialog.Inform(platform::MessageKind::Error, error.what());
        return tree;
    }
    if (tree.Empty()) {
        tree.Add(archive::ViewTree::kTop, core::Utf8ToCp1251("Нет изменений"), 0);
    }
    return tree;
}

} // namespace pelgo::gui
