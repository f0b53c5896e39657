// pelgo-cli node: editing the structure tree by hand, as the window's commands do, on the application state.
#include <optional>

#include "cli/changing_run.h"
#include "cli/cli_dialog.h"
#include "cli/commands.h"
#include "cli/node_lines.h"
#include "core/cp1251.h"
#include "core/errors.h"
#include "core/text.h"
#include "structure/tree_editor.h"

namespace pelgo::cli {
namespace {

using session::AppState;
using structure::TreeNode;

int Number(const std::string& text, const char* name, int least, int most) {
    const std::optional<int> number = core::ParseInt(text);
    if (!number || *number < least || *number > most) {
        throw UsageError(std::string(name) + " must be a whole number from " + std::to_string(least) + " to " +
                         std::to_string(most));
    }
    return *number;
}

constexpr int kMostNumber = 999'999'999;

std::string NodeTextArgument(const Args& args, std::size_t i) {
    std::string text = structure::NodeText(args.Cp1251At(i));
    if (text.empty()) {
        throw UsageError("TEXT is empty");
    }
    return text;
}

void RequireKnownType(AppState& state, int icon) {
    if (state.NodeTypes()->NodeTypeName(icon) == "?") {
        throw UsageError("there is no node type " + std::to_string(icon));
    }
}

// The window acts on the selected node: the node acted on is selected first (its journal lines name it).
TreeNode& Select(AppState& state, TreeNode& node) {
    state.SetSelectedNode(node);
    return node;
}

TreeNode& SelectByUno(AppState& state, const std::string& uno) {
    return Select(state, NodeByUno(state.Tree(), uno));
}

std::vector<std::string> Lines(AppState& state, const std::vector<TreeNode*>& nodes) {
    std::vector<std::string> lines;
    for (TreeNode* node : nodes) {
        lines.push_back(NodeLine(*node, state.Identity()));
    }
    return lines;
}

int Add(const Context& context, const Args& args) {
    args.ExpectOptions({"--sibling", "--repeat", "--inventory", "--from"});
    args.ExpectCount(4, 4);
    const std::string uno = args.Cp1251At(1);
    structure::AddRequest request;
    request.icon = Number(args.At(2), "TYPE", 0, kMostNumber);
    request.text = NodeTextArgument(args, 3);
    request.asChild = !args.Flag("--sibling");
    if (const std::optional<std::string> repeat = args.Value("--repeat")) {
        if (request.asChild) {
            throw UsageError("--repeat adds siblings: give --sibling too");
        }
        request.repeat = true;
        request.repeatCount = Number(*repeat, "--repeat", 1, 100000);
    }
    if (const std::optional<std::string> prefix = args.Value("--inventory")) {
        request.withInventory = true;
        request.inventoryPrefix = core::Utf8ToCp1251(*prefix);
    }
    if (const std::optional<std::string> from = args.Value("--from")) {
        if (!request.withInventory) {
            throw UsageError("--from counts inventory numbers: give --inventory too");
        }
        request.autoIncrement = true;
        request.incrementStart = Number(*from, "--from", 0, kMostNumber);
    }
    CliDialog dialog;
    return RunChange(context, dialog, [&](AppState& state) {
        RequireKnownType(state, request.icon);
        return Lines(state, state.Editor()->Add(&SelectByUno(state, uno), request));
    });
}

int Rename(const Context& context, const Args& args) {
    args.ExpectOptions({});
    args.ExpectCount(3, 3);
    const std::string uno = args.Cp1251At(1);
    const std::string text = NodeTextArgument(args, 2);
    CliDialog dialog;
    return RunChange(context, dialog, [&](AppState& state) {
        TreeNode& node = SelectByUno(state, uno);
        state.Editor()->Rename(node, text);
        return Lines(state, {&node});
    });
}

int ChangeType(const Context& context, const Args& args) {
    args.ExpectOptions({"--yes", "--no"});
    args.ExpectCount(3, 3);
    const std::string uno = args.Cp1251At(1);
    const int icon = Number(args.At(2), "TYPE", 0, kMostNumber);
    if (args.Flag("--yes") && args.Flag("--no")) {
        throw UsageError("--yes and --no exclude each other");
    }
    // The answer to the warning that another instance holds the Exclusive marker.
    CliDialog dialog(args.Flag("--yes")  ? std::optional(true)
                     : args.Flag("--no") ? std::optional(false)
                                         : std::nullopt);
    return RunChange(context, dialog, [&](AppState& state) {
        RequireKnownType(state, icon);
        TreeNode& node = SelectByUno(state, uno);
        state.Editor()->ChangeType(node, [icon](int) { return std::optional(icon); });
        return Lines(state, {&node});
    });
}

int Delete(const Context& context, const Args& args) {
    args.ExpectOptions({"--yes"});
    args.ExpectCount(2, 2);
    const std::string uno = args.Cp1251At(1);
    // Without --yes the question is asked and left unanswered.
    CliDialog dialog(args.Flag("--yes") ? std::optional(true) : std::nullopt);
    return RunChange(context, dialog, [&](AppState& state) {
        if (const TreeNode* previous = state.Editor()->Delete(SelectByUno(state, uno))) {
            state.SetSelectedNode(*previous);
        }
        return std::vector<std::string>();
    });
}

// The marked nodes and the double click on the target: "add to the selection?" is answered All, "move?" Yes.
std::vector<std::string> MoveInto(AppState& state, const std::vector<std::string>& unos, const std::string& targetUno) {
    structure::TreeEditor& editor = *state.Editor();
    const int target = NodeByUno(state.Tree(), targetUno).Handle();
    std::vector<int> moved;
    for (const std::string& uno : unos) {
        TreeNode& node = NodeByUno(state.Tree(), uno);
        if (node.Handle() == target) {
            throw core::Error("\"" + node.Text() + "\" cannot be moved into itself");
        }
        moved.push_back(node.Handle());
    }
    // Marking runs the tree-change check, which may load a tree another instance saved: nodes go by handle.
    const auto nodeOf = [&state](int handle) -> TreeNode& {
        TreeNode* node = state.Tree().NodeByHandle(handle);
        if (node == nullptr) {
            throw core::Error("the structure tree was loaded again meanwhile (another instance saved it); "
                              "nothing was moved");
        }
        return *node;
    };
    for (const int handle : moved) {
        editor.MarkForMove(Select(state, nodeOf(handle)));
    }
    std::vector<TreeNode*> nodes;
    if (editor.Marking() && editor.CompleteMove(Select(state, nodeOf(target)))) {
        for (const int handle : moved) {
            nodes.push_back(&nodeOf(handle));
        }
    }
    return Lines(state, nodes);
}

// The drag onto the target: "move ... before ...?" is answered Yes.
std::vector<std::string> MoveBefore(AppState& state, const std::string& uno, const std::string& targetUno) {
    TreeNode& node = SelectByUno(state, uno);
    TreeNode& target = NodeByUno(state.Tree(), targetUno);
    if (&node == &target) {
        throw core::Error("\"" + node.Text() + "\" cannot be moved before itself");
    }
    state.Editor()->DragMove(node, target);
    return Lines(state, {&node});
}

int Move(const Context& context, const Args& args) {
    args.ExpectOptions({"--into", "--before"});
    args.ExpectCount(2, SIZE_MAX);
    const std::optional<std::string> into = args.Value("--into");
    const std::optional<std::string> before = args.Value("--before");
    if (into.has_value() == before.has_value()) {
        throw UsageError("give either --into TARGET or --before TARGET");
    }
    if (before && args.Count() != 2) {
        throw UsageError("--before moves one node");
    }
    std::vector<std::string> unos;
    for (std::size_t i = 1; i < args.Count(); ++i) {
        unos.push_back(args.Cp1251At(i));
    }
    const std::string target = core::Utf8ToCp1251(into ? *into : *before);
    CliDialog dialog(true);
    return RunChange(context, dialog, [&](AppState& state) {
        return into ? MoveInto(state, unos, target) : MoveBefore(state, unos.front(), target);
    });
}

int Shift(const Context& context, const Args& args) {
    args.ExpectOptions({});
    args.ExpectCount(3, 3);
    const std::string uno = args.Cp1251At(1);
    const std::string& direction = args.At(2);
    if (direction != "up" && direction != "down") {
        throw UsageError("shift a node up or down");
    }
    const bool up = direction == "up";
    CliDialog dialog;
    return RunChange(context, dialog, [&](AppState& state) {
        TreeNode& node = SelectByUno(state, uno);
        structure::TreeEditor& editor = *state.Editor();
        up ? editor.ShiftUp(node) : editor.ShiftDown(node);
        return Lines(state, {&node});
    });
}

int Comment(const Context& context, const Args& args) {
    args.ExpectOptions({"--delete"});
    const std::string uno = args.Cp1251At(1);
    if (args.Flag("--delete")) {
        args.ExpectCount(2, 2);
        // "Delete the comment of ...?" is answered Yes.
        CliDialog dialog(true);
        return RunChange(context, dialog, [&](AppState& state) {
            TreeNode& node = SelectByUno(state, uno);
            if (node.Record() != nullptr && node.Record()->comments) {
                state.Editor()->DeleteComment(node);
            }
            return Lines(state, {&node});
        });
    }
    args.ExpectCount(3, SIZE_MAX);
    std::vector<std::string> lines;
    for (std::size_t i = 2; i < args.Count(); ++i) {
        lines.push_back(args.Cp1251At(i));
        if (lines.back().find_first_of("\r\n") != std::string::npos) {
            throw UsageError("one argument per comment line: a line holds no line break");
        }
    }
    CliDialog dialog;
    return RunChange(context, dialog, [&](AppState& state) {
        TreeNode& node = SelectByUno(state, uno);
        structure::TreeEditor& editor = *state.Editor();
        editor.AddComment(node);
        editor.SetComments(node, lines);
        return Lines(state, {&node});
    });
}

} // namespace

const char* const kNodeUsage =
    "  node add UNO TYPE TEXT [--sibling] [--repeat N] [--inventory PREFIX [--from K]]\n"
    "                              add a node of type TYPE (icon index) as the last child of UNO; --sibling:\n"
    "                              as its last sibling, N times; --inventory: with \" №\" PREFIX after the\n"
    "                              text, --from: PREFIX followed by a counter from K\n"
    "  node rename UNO TEXT        rename a node (a computer's rename goes to its journal)\n"
    "  node type UNO TYPE [--yes|--no]\n"
    "                              change a node's type; the answer goes to the warning that another\n"
    "                              instance holds the Exclusive marker\n"
    "  node delete UNO --yes       delete a node without children (without --yes it only asks)\n"
    "  node move UNO... --into TARGET\n"
    "                              move the nodes in this order to the end of TARGET's children\n"
    "  node move UNO --before TARGET\n"
    "                              move a node before TARGET, as its sibling\n"
    "  node shift UNO up|down      shift a node among its siblings\n"
    "  node comment UNO TEXT...    give a node a comment, one argument per line\n"
    "  node comment UNO --delete   delete a node's comment\n"
    "                              Each prints the nodes it added or changed as tree lines; a refusal\n"
    "                              prints the reason and exits 1, and nothing of the data is written\n";

int RunNode(const Context& context, const std::vector<std::string>& raw) {
    const Args args(raw, {"--repeat", "--inventory", "--from", "--into", "--before"});
    const std::string& command = args.At(0);
    if (command == "add") {
        return Add(context, args);
    }
    if (command == "rename") {
        return Rename(context, args);
    }
    if (command == "type") {
        return ChangeType(context, args);
    }
    if (command == "delete") {
        return Delete(context, args);
    }
    if (command == "move") {
        return Move(context, args);
    }
    if (command == "shift") {
        return Shift(context, args);
    }
    if (command == "comment") {
        return Comment(context, args);
    }
    throw UsageError("unknown node command \"" + command + "\"");
}

} // namespace pelgo::cli
