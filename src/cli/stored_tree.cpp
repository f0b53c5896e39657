// Loading and saving the structure tree for the tree command and looks at the data.
#include "cli/stored_tree.h"

#include "core/errors.h"
#include "core/file.h"
#include "structure/node_records_table.h"

namespace pelgo::cli {
namespace {

constexpr const char* kMakeTheTree = "create it with \"tree --save --yes\" or \"tree --save --no\"";

std::string TreeTextPath(Installation& installation) {
    return installation.Settings().FilePath(shell::Key::StructTreeView);
}

core::Error NoTreeYet(const std::string& treeText, const std::string& remedy) {
    return core::Error("there is no structure tree yet (" + treeText + " is missing): " + remedy);
}

} // namespace

StoredTree::StoredTree(const Context& context, bool save, std::optional<bool> answer)
    : m_installation(context, !save), m_dialog(answer) {
    shell::Settings& settings = m_installation.Settings();
    shell::ProtectionFlags& flags = m_installation.Flags();
    // Nothing is logged until the command knows it will act; a look leaves no trace at all.
    m_installation.Log().SetMovingSize(0);
    m_installation.File().ReadIni(1);
    const std::string treeText = TreeTextPath(m_installation);
    if (!core::FileExists(treeText) && (!save || !answer)) {
        throw NoTreeYet(treeText,
                        save ? "repeat with --yes for the sample tree or --no for the bare tree" : kMakeTheTree);
    }
    if (save) {
        m_installation.Log().SetMovingSize(settings.Int(shell::Key::LogOfMovingSize));
    }
    const auto protectData = [this] {
        m_installation.File().LockSboi();
        return m_installation.Flags().AnyFlagProtects() ||
               m_installation.Settings().Bool(shell::Key::ProtectStructTree);
    };
    m_installation.File().SetProtectionCheck(protectData);
    m_identity.emplace(m_tree, m_installation.Clock(),
                       structure::UnoLookupIn(settings.FilePath(shell::Key::OtherTable), m_installation.Clock()));
    m_nodeTypes.emplace(settings.userNodeTypes);
    structure::TreeStorageContext storageContext{m_tree,
                                                 *m_identity,
                                                 *m_nodeTypes,
                                                 settings,
                                                 flags,
                                                 protectData,
                                                 [this] { m_installation.File().ReadIni(0); },
                                                 m_installation.Log(),
                                                 m_dialog,
                                                 m_progress,
                                                 m_installation.Clock()};
    storageContext.lookOnly = !save;
    m_storage.emplace(std::move(storageContext));
    if (!m_storage->SetupTreeNode(structure::TreeStorage::kLoad)) {
        throw core::Error("the structure tree could not be loaded (see above); nothing was written");
    }
}

void StoredTree::RequireSound() {
    if (m_installation.Flags().sboiFlag) {
        throw core::Error("the structure tree files are damaged (see above); nothing was written");
    }
}

void StoredTree::Save() {
    RequireSound();
    const PresentInstance present(m_installation);
    if (!m_storage->SetupTreeNode(structure::TreeStorage::kSave)) {
        throw core::Error("the structure tree was not saved; the messages above and " + m_installation.Log().Path() +
                          " say why");
    }
}

void RequireStoredTree(const Context& context) {
    Installation installation(context, true);
    installation.Log().SetMovingSize(0);
    installation.File().ReadIni(1);
    const std::string treeText = TreeTextPath(installation);
    if (!core::FileExists(treeText)) {
        throw NoTreeYet(treeText, kMakeTheTree);
    }
}

} // namespace pelgo::cli
