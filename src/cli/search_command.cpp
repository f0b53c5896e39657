// pelgo-cli search: the searches of the search dialog, run as "C начала" and then "Дальше..." until nothing
// more is found. They only look: the data are opened read-only and nothing is written, not even a log line.
#include <cstdio>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "cli/commands.h"
#include "cli/installation.h"
#include "cli/stored_tree.h"
#include "core/cp1251.h"
#include "core/file.h"
#include "core/text.h"
#include "search/config_search.h"
#include "search/log_view.h"
#include "search/tree_search.h"
#include "session/archive_run.h"

namespace pelgo::cli {
namespace {

// A hit line's path: the directory as given, without its trailing "/", and the file name.
std::string HitPath(const search::ConfigHit& hit) {
    std::string directory = hit.directory;
    while (directory.size() > 1 && directory.back() == '/') {
        directory.pop_back();
    }
    return directory + "/" + hit.name;
}

int SearchConfig(const Context& context, const std::vector<std::string>& raw) {
    // --dir may be given more than once, which Args does not keep: the directories are taken out first.
    std::vector<std::string> directories;
    std::vector<std::string> rest;
    for (std::size_t i = 0; i < raw.size(); ++i) {
        if (raw[i] == "--") {
            rest.insert(rest.end(), raw.begin() + static_cast<long>(i), raw.end());
            break;
        }
        if (raw[i] == "--dir" || raw[i] == "--section") {
            if (i + 1 >= raw.size()) {
                throw UsageError(raw[i] + " needs a value");
            }
            if (raw[i] == "--dir") {
                directories.push_back(core::Utf8ToCp1251(raw[++i]));
                continue;
            }
            rest.push_back(raw[i++]);
        }
        rest.push_back(raw[i]);
    }
    const Args args(rest, {"--section"});
    args.ExpectOptions({"--section", "--case", "--first", "--window"});
    args.ExpectCount(1, 1);

    Installation installation(context, true);
    search::ConfigSearch finder;
    if (directories.empty()) {
        installation.File().ReadIni(1);
        directories = session::UpdateDirectories(installation.Settings());
    }
    for (const std::string& directory : directories) {
        finder.directories.push_back({directory, true});
    }
    if (const auto section = args.Value("--section")) {
        finder.section = core::Utf8ToCp1251(*section);
    }
    const std::string pattern = args.Cp1251At(0);
    const bool matchCase = args.Flag("--case");
    const bool window = args.Flag("--window");

    bool continued = false;
    for (;;) {
        const search::FindOutcome outcome = finder.Find(pattern, matchCase, continued, installation.Clock().Now());
        if (!outcome.message.empty()) {
            std::fprintf(stderr, "%s\n", core::Cp1251ToUtf8(core::ReplaceAll(outcome.message, "\r\n", "\n")).c_str());
            return 1;
        }
        if (!outcome.found) {
            break;
        }
        if (!window) {
            const search::ConfigHit& hit = finder.LastHit();
            PrintLine(HitPath(hit) + "\t" + std::to_string(hit.index + 1) + "/" + std::to_string(hit.count) + "\t" +
                      hit.mac + "\t" + hit.inventory + "\t" + outcome.question);
        }
        if (args.Flag("--first")) {
            break;
        }
        continued = true;
    }
    if (window) {
        for (const std::string& line : finder.Output()) {
            PrintLine(line);
        }
    }
    return 0;
}

// A node given by its pre-order index.
const structure::TreeNode& NodeAtIndex(const structure::TreeModel& tree, const std::string& text) {
    const std::optional<int> index = core::ParseInt(text);
    const structure::TreeNode* node = index ? tree.NodeAt(*index) : nullptr;
    if (node == nullptr) {
        throw UsageError("INDEX must be a node index from 0 to " + std::to_string(tree.Count() - 1));
    }
    return *node;
}

int SearchTree(const Context& context, const std::vector<std::string>& raw) {
    const Args args(raw, {"--after"});
    args.ExpectOptions({"--case", "--after", "--first"});
    args.ExpectCount(1, 1);
    StoredTree stored(context, false, std::nullopt);
    const structure::TreeModel& tree = stored.Tree();
    const std::optional<std::string> after = args.Value("--after");
    const structure::TreeNode* selected = after ? &NodeAtIndex(tree, *after) : nullptr;
    const std::string pattern = args.Cp1251At(0);
    if (pattern.empty()) {
        return 0; // the dialog does not search for nothing
    }
    const search::TextMatcher matcher(pattern, args.Flag("--case"));
    for (bool continued = after.has_value();; continued = true) {
        selected = search::FindInTree(tree, matcher, selected, continued);
        if (selected == nullptr) {
            break;
        }
        PrintLine(std::to_string(tree.AbsoluteIndex(*selected)) + "\t" + selected->Text());
        if (args.Flag("--first")) {
            break;
        }
    }
    return 0;
}

int SearchTable(const Context& context, const std::vector<std::string>& raw, search::TableTarget target) {
    const Args args(raw, {});
    args.ExpectOptions({"--case", "--first"});
    args.ExpectCount(1, 1);
    StoredTree stored(context, false, std::nullopt);
    platform::DbfTable table =
        OpenTableReadOnly(stored.Settings(), stored.Clock(),
                          target == search::TableTarget::Archive ? shell::Key::DeviceTable : shell::Key::OtherTable);
    const std::string pattern = args.Cp1251At(0);
    if (pattern.empty()) {
        return 0;
    }
    const search::TextMatcher matcher(pattern, args.Flag("--case"));
    search::TableSearch finder(target);
    for (bool continued = false;; continued = true) {
        const std::optional<search::TableHit> hit = finder.Find(table, stored.Tree(), matcher, continued);
        if (!hit) {
            break;
        }
        PrintLine(std::to_string(stored.Tree().AbsoluteIndex(*hit->node)) + "\t" + hit->node->Text() + "\t" + hit->key +
                  "\t" + hit->group + "\t" + hit->name + "\t" + hit->text);
        if (args.Flag("--first")) {
            break;
        }
    }
    return 0;
}

int SearchArchive(const Context& context, const std::vector<std::string>& raw) {
    return SearchTable(context, raw, search::TableTarget::Archive);
}

int SearchAdddata(const Context& context, const std::vector<std::string>& raw) {
    return SearchTable(context, raw, search::TableTarget::AdditionalData);
}

int SearchLog(const Context& context, const std::vector<std::string>& raw) {
    const Args args(raw, {"--filter", "--node"});
    args.ExpectOptions({"--filter", "--today", "--node", "--reload"});
    args.ExpectCount(0, 0);
    const std::optional<std::string> node = args.Value("--node");
    if (args.Value("--filter").has_value() + args.Flag("--today") + node.has_value() > 1) {
        throw UsageError("--filter, --today and --node exclude each other");
    }
    if (args.Flag("--reload") && !node) {
        throw UsageError("--reload needs --node");
    }
    Installation installation(context, true);
    search::LogFilters filters;
    if (node) {
        StoredTree stored(context, false, std::nullopt);
        filters = search::FiltersOf(stored.Tree(), &NodeAtIndex(stored.Tree(), *node));
        if (args.Flag("--reload")) {
            filters.secondFilter.clear(); // the viewer forgets it after the first load
        }
    } else if (args.Flag("--today")) {
        filters.filter = search::TodayFilter(installation.Clock().Now());
    } else if (const auto filter = args.Value("--filter")) {
        filters.filter = core::Utf8ToCp1251(*filter);
    }
    const std::string& path = installation.Log().Path();
    const bool missing = !core::FileExists(path);
    search::LoadLog(path, filters.filter, filters.secondFilter, [](std::vector<search::LogLine>& batch) {
        for (const search::LogLine& line : batch) {
            PrintLine(std::string(search::ColourName(line.colour)) + "\t" + line.text);
        }
    });
    return missing ? 1 : 0;
}

using Subcommand = int (*)(const Context&, const std::vector<std::string>&);

// One entry per search target; each takes the arguments after its name.
const std::map<std::string, Subcommand>& Subcommands() {
    static const std::map<std::string, Subcommand> subcommands = {
        {"config", SearchConfig},   {"tree", SearchTree}, {"archive", SearchArchive},
        {"adddata", SearchAdddata}, {"log", SearchLog},
    };
    return subcommands;
}

} // namespace

const char* const kSearchUsage =
    "  search config [--dir DIR]... [--section NAME] [--case] [--first] [--window] PATTERN\n"
    "                              find the collector files in DIR (default: the archive update's directories)\n"
    "                              whose section NAME (default INFO) has a value holding PATTERN; one line per\n"
    "                              file: PATH, K/N, MAC, INVENTORY, QUESTION. --first stops at the first file,\n"
    "                              --window prints the output window instead\n"
    "  search tree [--case] [--after INDEX] [--first] TEXT\n"
    "                              the nodes whose caption holds TEXT or is held by it: INDEX, TEXT;\n"
    "                              --after goes on after node INDEX\n"
    "  search archive|adddata [--case] [--first] TEXT\n"
    "                              the device.dbf (other.dbf) records whose TEXT holds TEXT, in MAC_ADR (UNO)\n"
    "                              order, with their node: INDEX, NODE TEXT, KEY, GROUP, NAME, TEXT\n"
    "  search log [--filter TEXT | --today | --node INDEX [--reload]]\n"
    "                              the work log's lines as the viewer shows them: COLOUR, LINE; --node opens\n"
    "                              it on node INDEX, --reload shows what Enter shows then\n";

int RunSearch(const Context& context, const std::vector<std::string>& raw) {
    if (raw.empty()) {
        throw UsageError("search needs a target");
    }
    const auto subcommand = Subcommands().find(raw.front());
    if (subcommand == Subcommands().end()) {
        throw UsageError("unknown search target " + raw.front());
    }
    return subcommand->second(context, std::vector<std::string>(raw.begin() + 1, raw.end()));
}

} // namespace pelgo::cli
