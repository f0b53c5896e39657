// pelgo-cli show: what the archive page, the current-configuration page and the changes view show for a
// computer (named by its node's UNO or its adapter address), or the node count of a department; read-only.
#include <optional>
#include <string>
#include <vector>

#include "archive/computer_journal.h"
#include "archive/computer_view.h"
#include "archive/configuration_diff.h"
#include "archive/current_config.h"
#include "cli/commands.h"
#include "cli/installation.h"
#include "cli/node_lines.h"
#include "cli/stored_tree.h"
#include "core/cp1251.h"
#include "core/errors.h"
#include "core/kel_ini_file.h"
#include "core/text.h"
#include "core/translator.h"
#include "platform/dbf_table.h"
#include "structure/node_queries.h"
#include "structure/node_types.h"

namespace pelgo::cli {

const char* const kShowUsage =
    "  show UNO|MAC  a computer's archive page: information line, summary fields, rating, archive tree; a\n"
    "      department's node count by type\n"
    "  show --current UNO|MAC  the computer's collector file as the current-configuration page shows it\n"
    "  show --diff UNO|MAC  what changed in the collector file since the archive loaded it: +, - or ~, section,\n"
    "      key, old and new value\n";

namespace {

using structure::TreeNode;

// The node the argument names: the node with that UNO (its computer for an address node), else the computer
// whose address node has that text, letter case ignored as the archive keys addresses.
TreeNode& NamedNode(structure::TreeModel& tree, const std::string& name) {
    const std::string key = archive::ArchiveKey(name);
    for (TreeNode* node = tree.First(); node != nullptr; node = tree.Next(*node)) {
        TreeNode* computer = structure::ComputerOf(tree, node);
        if (node->Record() != nullptr && node->Record()->uno == name) {
            return computer != nullptr ? *computer : *node;
        }
        if (computer != nullptr && computer != node && archive::ArchiveKey(node->Text()) == key) {
            return *computer;
        }
    }
    throw core::Error("no node of the structure tree has the UNO or the adapter address \"" + name + "\"");
}

// The computer's adapter address.
std::string AddressOf(structure::TreeModel& tree, TreeNode& node) {
    if (!structure::IsNetComputer(tree, &node)) {
        throw core::Error("\"" + node.Text() + "\" is no computer with an adapter address node");
    }
    return structure::ComputerAddress(tree, node);
}

platform::DbfTable OpenReadOnly(StoredTree& stored, shell::Key table) {
    return OpenTableReadOnly(stored.Settings(), stored.Clock(), table);
}

std::string ScoreText(const std::optional<int>& score) {
    return score ? std::to_string(*score) : "-";
}

// The computer's archive page as the window builds it.
archive::ComputerView ViewOf(StoredTree& stored, platform::DbfTable& device, const std::string& address) {
    platform::DbfTable other = OpenReadOnly(stored, shell::Key::OtherTable);
    const std::optional<archive::SmartTable> smart =
        archive::SmartTable::Load(stored.Settings().FilePath(shell::Key::SmartCode));
    return archive::ViewOfComputer(device, other, address, smart ? &*smart : nullptr, archive::ViewTexts::Translated());
}

void PrintArchivePage(StoredTree& stored, TreeNode& node) {
    shell::Settings& settings = stored.Settings();
    if (node.Icon() == structure::kIconDepartment) {
        const structure::NodeTypes types(settings.userNodeTypes);
        PrintText(archive::BuildDepartmentSummary(stored.Tree(), node, types).Print());
        return;
    }
    const std::string address = AddressOf(stored.Tree(), node);
    platform::DbfTable device = OpenReadOnly(stored, shell::Key::DeviceTable);
    const archive::ComputerView view = ViewOf(stored, device, address);
    PrintLine("Info\t" + view.infoLine);
    const auto& captions = archive::SummaryCaptions();
    for (int field = 0; field < archive::kSummaryFieldCount; ++field) {
        const archive::SummaryField& summary = view.fields[static_cast<std::size_t>(field)];
        std::string line = std::string(captions[static_cast<std::size_t>(field)]) + "\t" + summary.text;
        // The list's entries beside the one the field shows.
        bool shownSkipped = false;
        for (const std::string& entry : summary.list) {
            if (!shownSkipped && entry == summary.text) {
                shownSkipped = true;
                continue;
            }
            line += "\t" + entry;
        }
        PrintLine(line);
    }
    const archive::PerformanceRating rating = archive::RatePerformance(view, archive::PerformanceSettings(settings));
    PrintLine("Rating\t" + ScoreText(rating.scores[0]) + "\t" + ScoreText(rating.scores[1]) + "\t" +
              ScoreText(rating.scores[2]) + "\t" + ScoreText(rating.overall));
    PrintText(view.archive.Print());
}

// The computer's collector file in the directory its last load came from (the window's directory box), else
// in the configuration directory of the settings; core::Error when it has none there.
std::string CurrentFile(StoredTree& stored, platform::DbfTable& device, const std::string& address) {
    shell::Settings& settings = stored.Settings();
    const std::string loadedFrom = ViewOf(stored, device, address).configDirectory;
    const std::string directory =
        settings.Paths().ToNative(loadedFrom.empty() ? settings.Text(shell::Key::INIpath) : loadedFrom);
    const std::string path =
        archive::FindComputerFile(&device, directory, archive::FileLookup::CurrentConfiguration, address);
    if (path.empty()) {
        throw core::Error(archive::NoCurrentFileText() + " (" + directory + ")");
    }
    return path;
}

int PrintCurrentPage(StoredTree& stored, TreeNode& node) {
    platform::DbfTable device = OpenReadOnly(stored, shell::Key::DeviceTable);
    const std::string path = CurrentFile(stored, device, AddressOf(stored.Tree(), node));
    archive::ViewTree tree;
    archive::ShowCfgFile(path, core::DateFormats(), tree);
    PrintText(tree.Print());
    return 0;
}

const char* ChangeMark(archive::ValueChange::Kind kind) {
    switch (kind) {
    case archive::ValueChange::Kind::Added:
        return "+";
    case archive::ValueChange::Kind::Removed:
        return "-";
    case archive::ValueChange::Kind::Changed:
        return "~";
    }
    return "?";
}

int PrintChanges(StoredTree& stored, TreeNode& node) {
    const std::string address = AddressOf(stored.Tree(), node);
    platform::DbfTable device = OpenReadOnly(stored, shell::Key::DeviceTable);
    const std::string path = CurrentFile(stored, device, address);
    const core::TKelIniFile file(path, true);
    for (const archive::ValueChange& change :
         archive::CompareConfiguration(archive::ReadArchiveRecords(device, address), file)) {
        PrintLine(std::string(ChangeMark(change.kind)) + "\t" + change.section + "\t" + change.key + "\t" +
                  change.oldValue + "\t" + change.newValue);
    }
    return 0;
}

} // namespace

int RunShow(const Context& context, const std::vector<std::string>& raw) {
    const Args args(raw, {});
    args.ExpectOptions({"--current", "--diff"});
    args.ExpectCount(1, 1);
    if (args.Flag("--current") && args.Flag("--diff")) {
        throw UsageError("--current and --diff exclude each other");
    }
    StoredTree stored(context, false, std::nullopt);
    TreeNode& node = NamedNode(stored.Tree(), args.Cp1251At(0));
    if (args.Flag("--current")) {
        return PrintCurrentPage(stored, node);
    }
    if (args.Flag("--diff")) {
        return PrintChanges(stored, node);
    }
    PrintArchivePage(stored, node);
    return 0;
}

} // namespace pelgo::cli
