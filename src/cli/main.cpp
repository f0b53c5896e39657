// pelgo-cli: the engines of Pelgo from the command line. Each command group lives in its own file.
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <map>
#include <string>
#include <vector>

#include "cli/args.h"
#include "cli/commands.h"
#include "core/cp1251.h"
#include "core/errors.h"

namespace {

constexpr const char* kUsage = R"(Usage: pelgo-cli [--home DIR] COMMAND ...

Global options:
  --home DIR     Pelgo's installation folder (default: $PELGO_HOME, else the program's folder)
  --help         this text

Commands:
)";

struct Group {
    std::function<int(const pelgo::cli::Context&, const std::vector<std::string>&)> run;
    const char* usage;
};

const std::map<std::string, Group>& Groups() {
    static const std::map<std::string, Group> groups = {
        {"adddata", {pelgo::cli::RunAdddata, pelgo::cli::kAdddataUsage}},
        {"alarms", {pelgo::cli::RunAlarms, pelgo::cli::kAlarmsUsage}},
        {"bookmark", {pelgo::cli::RunBookmark, pelgo::cli::kBookmarkUsage}},
        {"card", {pelgo::cli::RunCard, pelgo::cli::kCardUsage}},
        {"collector", {pelgo::cli::RunCollector, pelgo::cli::kCollectorUsage}},
        {"dbf", {pelgo::cli::RunDbf, pelgo::cli::kDbfUsage}},
        {"ini", {pelgo::cli::RunIni, pelgo::cli::kIniUsage}},
        {"init", {pelgo::cli::RunInit, pelgo::cli::kInitUsage}},
        {"inventory", {pelgo::cli::RunInventory, pelgo::cli::kInventoryUsage}},
        {"inventory-sheet", {pelgo::cli::RunInventorySheet, pelgo::cli::kInventorySheetUsage}},
        {"journal-report", {pelgo::cli::RunJournalReport, pelgo::cli::kJournalReportUsage}},
        {"log", {pelgo::cli::RunLog, pelgo::cli::kLogUsage}},
        {"motherboard", {pelgo::cli::RunMotherboard, pelgo::cli::kMotherboardUsage}},
        {"move-request", {pelgo::cli::RunMoveRequest, pelgo::cli::kMoveRequestUsage}},
        {"node", {pelgo::cli::RunNode, pelgo::cli::kNodeUsage}},
        {"numbers", {pelgo::cli::RunNumbers, pelgo::cli::kNumbersUsage}},
        {"passport", {pelgo::cli::RunPassport, pelgo::cli::kPassportUsage}},
        {"place", {pelgo::cli::RunPlace, pelgo::cli::kPlaceUsage}},
        {"presence", {pelgo::cli::RunPresence, pelgo::cli::kPresenceUsage}},
        {"profile", {pelgo::cli::RunProfile, pelgo::cli::kProfileUsage}},
        {"report", {pelgo::cli::RunReport, pelgo::cli::kReportUsage}},
        {"revision", {pelgo::cli::RunRevision, pelgo::cli::kRevisionUsage}},
        {"rtf", {pelgo::cli::RunRtf, pelgo::cli::kRtfUsage}},
        {"scanlet", {pelgo::cli::RunScanlet, pelgo::cli::kScanletUsage}},
        {"search", {pelgo::cli::RunSearch, pelgo::cli::kSearchUsage}},
        {"settings", {pelgo::cli::RunSettings, pelgo::cli::kSettingsUsage}},
        {"show", {pelgo::cli::RunShow, pelgo::cli::kShowUsage}},
        {"summary", {pelgo::cli::RunSummary, pelgo::cli::kSummaryUsage}},
        {"template", {pelgo::cli::RunTemplate, pelgo::cli::kTemplateUsage}},
        {"tree", {pelgo::cli::RunTree, pelgo::cli::kTreeUsage}},
        {"update", {pelgo::cli::RunUpdate, pelgo::cli::kUpdateUsage}},
    };
    return groups;
}

// A group's usage lines, each "  SYNOPSIS  description" with continuation lines indented, laid out in
// one column for every group: the description at a fixed indent, or on its own line after a long synopsis.
void PrintGroupUsage(const char* usage, std::FILE* to) {
    constexpr std::size_t kColumn = 40;
    std::string text(usage);
    std::size_t start = 0;
    while (start < text.size()) {
        const std::size_t end = std::min(text.find('\n', start), text.size());
        const std::string line = text.substr(start, end - start);
        start = end + 1;
        const std::size_t body = line.find_first_not_of(' ');
        if (body == std::string::npos) {
            continue;
        }
        if (body > 2) { // continuation of the description
            std::fprintf(to, "%*s%s\n", static_cast<int>(kColumn), "", line.c_str() + body);
            continue;
        }
        const std::size_t gap = line.find("  ", body);
        const std::size_t description = gap == std::string::npos ? std::string::npos : line.find_first_not_of(' ', gap);
        const std::string synopsis =
            "  " + line.substr(body, gap == std::string::npos ? std::string::npos : gap - body);
        if (description == std::string::npos) {
            std::fprintf(to, "%s\n", synopsis.c_str());
        } else if (synopsis.size() + 2 <= kColumn) {
            std::fprintf(to, "%-*s%s\n", static_cast<int>(kColumn), synopsis.c_str(), line.c_str() + description);
        } else {
            std::fprintf(to, "%s\n%*s%s\n", synopsis.c_str(), static_cast<int>(kColumn), "",
                         line.c_str() + description);
        }
    }
}

void PrintUsage(std::FILE* to) {
    std::fputs(kUsage, to);
    for (const auto& [name, group] : Groups()) {
        PrintGroupUsage(group.usage, to);
    }
}

} // namespace

int main(int argc, char** argv) {
    pelgo::cli::Context context;
    if (const char* home = std::getenv("PELGO_HOME")) {
        context.home = pelgo::core::Utf8ToCp1251(home);
    }
    std::vector<std::string> rest;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        if (rest.empty() && (arg == "--help" || arg == "-h")) {
            PrintUsage(stdout);
            return 0;
        }
        if (rest.empty() && arg == "--home") {
            if (++i >= argc) {
                std::fputs("pelgo-cli: --home needs a folder\n", stderr);
                return 64;
            }
            context.home = pelgo::core::Utf8ToCp1251(argv[i]);
            continue;
        }
        rest.push_back(arg);
    }
    if (rest.empty()) {
        PrintUsage(stderr);
        return 64;
    }
    const auto group = Groups().find(rest.front());
    if (group == Groups().end()) {
        std::fprintf(stderr, "pelgo-cli: unknown command \"%s\" (see pelgo-cli --help)\n", rest.front().c_str());
        return 64;
    }
    rest.erase(rest.begin());
    try {
        return group->second.run(context, rest);
    } catch (const pelgo::cli::UsageError& e) {
        std::fprintf(stderr, "pelgo-cli: %s\n", e.what());
        PrintGroupUsage(group->second.usage, stderr);
        return 64;
    } catch (const pelgo::core::CannotOpenFile& e) {
        std::fprintf(stderr, "pelgo-cli: %s\n", pelgo::core::Cp1251ToUtf8(e.what()).c_str());
        return 2;
    } catch (const pelgo::core::Error& e) {
        std::fprintf(stderr, "pelgo-cli: %s\n", pelgo::core::Cp1251ToUtf8(e.what()).c_str());
        return 1;
    }
}
