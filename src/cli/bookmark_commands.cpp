// pelgo-cli bookmark: the five bookmark slots, kept in [BookMarks] of pelgo.ini by every save of the tree.
#include "cli/changing_run.h"
#include "cli/cli_dialog.h"
#include "cli/commands.h"
#include "cli/node_lines.h"
#include "cli/stored_tree.h"
#include "core/errors.h"
#include "core/text.h"
#include "core/translator.h"
#include "structure/bookmarks.h"

namespace pelgo::cli {
namespace {

using session::AppState;
using structure::Bookmarks;

std::string SlotLine(int slot, structure::TreeNode& node, structure::NodeIdentity& identity) {
    return std::to_string(slot) + " " + identity.NodeUno(&node) + " " + node.Text();
}

// Bookmarks are no tree edit, but they are kept only by a save, which protected data refuse.
bool Protected(AppState& state, platform::UserDialog& dialog) {
    if (!state.ProtectData()) {
        return false;
    }
    dialog.Inform(platform::MessageKind::Warning, core::Text(1047, "Включена защита данных"));
    return true;
}

// Bookmarks are kept in the settings by the tree's save.
void KeepBookmarks(AppState& state) {
    state.TreeStorage()->SetTreeModified(true);
}

int Add(const Context& context, const Args& args) {
    args.ExpectOptions({});
    args.ExpectCount(2, 2);
    const std::string uno = args.Cp1251At(1);
    CliDialog dialog;
    return RunChange(context, dialog, [&](AppState& state) {
        structure::TreeNode& node = NodeByUno(state.Tree(), uno);
        if (Protected(state, dialog)) {
            return std::vector<std::string>();
        }
        state.SetSelectedNode(node);
        state.Bookmarks().AddBookmark(node);
        KeepBookmarks(state);
        return std::vector<std::string>{SlotLine(state.Bookmarks().SlotOf(node), node, state.Identity())};
    });
}

int Delete(const Context& context, const Args& args) {
    args.ExpectOptions({});
    args.ExpectCount(2, 2);
    const std::optional<int> slot = core::ParseInt(args.At(1));
    if (!slot || *slot < 1 || *slot > Bookmarks::kSlots) {
        throw UsageError("SLOT is 1 to " + std::to_string(Bookmarks::kSlots));
    }
    CliDialog dialog;
    return RunChange(context, dialog, [&](AppState& state) {
        if (state.Bookmarks().Node(*slot) == nullptr) {
            throw core::Error("bookmark slot " + std::to_string(*slot) + " is empty");
        }
        if (!Protected(state, dialog)) {
            state.Bookmarks().DelThisBookmark(*slot);
            KeepBookmarks(state);
        }
        return std::vector<std::string>();
    });
}

int List(const Context& context, const Args& args) {
    args.ExpectOptions({});
    args.ExpectCount(1, 1);
    StoredTree tree(context, false, std::nullopt);
    Bookmarks bookmarks(tree.Tree());
    bookmarks.Restore(tree.Settings());
    for (int slot = 1; slot <= Bookmarks::kSlots; ++slot) {
        if (structure::TreeNode* node = bookmarks.Node(slot)) {
            PrintLine(SlotLine(slot, *node, tree.Identity()));
        }
    }
    tree.RequireSound();
    return 0;
}

} // namespace

const char* const kBookmarkUsage =
    "  bookmark add UNO            bookmark a node in the next slot (with all five used, slot 1 goes)\n"
    "  bookmark delete SLOT        remove the bookmark of slot 1 to 5; the later ones move down\n"
    "  bookmark list               the used slots, one a line: slot, blank, UNO, blank, node text\n";

int RunBookmark(const Context& context, const std::vector<std::string>& raw) {
    const Args args(raw, {});
    const std::string& command = args.At(0);
    if (command == "add") {
        return Add(context, args);
    }
    if (command == "delete") {
        return Delete(context, args);
    }
    if (command == "list") {
        return List(context, args);
    }
    throw UsageError("unknown bookmark command \"" + command + "\"");
}

} // namespace pelgo::cli
