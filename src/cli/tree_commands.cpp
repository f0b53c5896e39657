// pelgo-cli tree: the structure tree printed, or loaded and saved through the lock-and-commit protocol.
#include <optional>

#include "cli/commands.h"
#include "cli/node_lines.h"
#include "cli/stored_tree.h"

namespace pelgo::cli {

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
    StoredTree tree(context, save, answer);
    if (save) {
        tree.Save();
    }
    PrintTree(tree.Tree(), tree.Identity());
    tree.RequireSound();
    return 0;
}

} // namespace pelgo::cli
