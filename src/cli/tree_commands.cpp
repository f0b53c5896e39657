// pelgo-cli tree: the structure tree printed, or loaded and saved through the lock-and-commit protocol.
#include <optional>

#include "cli/commands.h"
#include "cli/installation.h"
#include "core/errors.h"
#include "core/file.h"
#include "structure/node_records_table.h"
#include "structure/node_types.h"
#include "structure/tree_model.h"
#include "structure/tree_storage.h"
#include "structure/uno.h"

namespace pelgo::cli {
namespace {

void PrintTree(structure::TreeModel& tree, structure::NodeIdentity& identity) {
    for (structure::TreeNode* node = tree.First(); node != nullptr; node = tree.Next(*node)) {
        PrintLine(std::string(static_cast<std::size_t>(node->Level()), '\t') + std::to_string(node->Icon()) + " " +
                  identity.NodeUno(node) + " " + node->Text());
    }
}

} // namespace

const char* const kTreeUsage =
    "  tree [--save] [--yes|--no]  print the structure tree (TAB levels, icon index, UNO, text); --save loads\n"
    "                              and saves it; --yes/--no answer the first run's sample-tree question and,\n"
    "                              when another instance saved the tree meanwhile, whether to overwrite it\n";

int RunTree(const Context& context, const std::vector<std::string>& raw) {
    const Args args(raw, {});
    args.ExpectCount(0, 0);
    const bool save = args.Flag("--save");
    if (args.Flag("--yes") && args.Flag("--no")) {
        throw UsageError("--yes and --no exclude each other");
    }
    const std::optional<bool> answer = args.Flag("--yes")  ? std::optional(true)
                                       : args.Flag("--no") ? std::optional(false)
                                                           : std::nullopt;

    Installation installation(context, !save);
    shell::Settings& settings = installation.Settings();
    shell::ProtectionFlags& flags = installation.Flags();
    // Nothing is logged until the command knows it will act; a look leaves no trace at all.
    installation.Log().SetMovingSize(0);
    installation.File().ReadIni(1);
    const std::string treeText = settings.FilePath(shell::Key::StructTreeView);
    if (!core::FileExists(treeText) && (!save || !answer)) {
        throw core::Error("there is no structure tree yet (" + treeText + " is missing): " +
                          (save ? "repeat with --yes for the sample tree or --no for the bare tree"
                                : "create it with \"tree --save --yes\" or \"tree --save --no\""));
    }
    if (save) {
        installation.Log().SetMovingSize(settings.Int(shell::Key::LogOfMovingSize));
    }
    const auto protectData = [&] {
        installation.File().LockSboi();
        return flags.AnyFlagProtects() || settings.Bool(shell::Key::ProtectStructTree);
    };
    installation.File().SetProtectionCheck(protectData);

    CliDialog dialog(answer);
    CliProgress progress;
    structure::TreeModel tree;
    structure::NodeIdentity identity(
        tree, installation.Clock(),
        structure::UnoLookupIn(settings.FilePath(shell::Key::OtherTable), installation.Clock()));
    const structure::NodeTypes nodeTypes(settings.userNodeTypes);
    structure::TreeStorageContext storageContext{tree,
                                                 identity,
                                                 nodeTypes,
                                                 settings,
                                                 flags,
                                                 protectData,
                                                 [&] { installation.File().ReadIni(0); },
                                                 installation.Log(),
                                                 dialog,
                                                 progress,
                                                 installation.Clock()};
    storageContext.lookOnly = !save;
    structure::TreeStorage storage(std::move(storageContext));
    const bool loaded = storage.SetupTreeNode(structure::TreeStorage::kLoad);
    if (!loaded) {
        throw core::Error("the structure tree could not be loaded (see above); nothing was written");
    }
    if (!save) {
        PrintTree(tree, identity);
    }
    if (flags.sboiFlag) {
        throw core::Error("the structure tree files are damaged (see above); nothing was written");
    }
    if (save) {
        const PresentInstance present(installation);
        if (!storage.SetupTreeNode(structure::TreeStorage::kSave)) {
            throw core::Error("the structure tree was not saved; the messages above and " + installation.Log().Path() +
                              " say why");
        }
        PrintTree(tree, identity);
    }
    return 0;
}

} // namespace pelgo::cli
