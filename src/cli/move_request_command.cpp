// pelgo-cli move-request: the move request for moves given on the command line, as the window makes it for the
// moves of its run; read-only on the data.
#include <algorithm>
#include <string>
#include <vector>

#include "cli/commands.h"
#include "cli/installation.h"
#include "cli/report_output.h"
#include "cli/stored_tree.h"
#include "core/date_time.h"
#include "core/errors.h"
#include "core/file.h"
#include "core/translator.h"
#include "reports/move_request.h"
#include "structure/additional_data.h"
#include "structure/node_queries.h"
#include "structure/node_records_table.h"

namespace pelgo::cli {

const char* const kMoveRequestUsage =
    "  move-request NODE:FROM:TO... [-o FILE] [--separator S]\n"
    "                              the move request of the template [Setup] TPfile for the moves given in\n"
    "                              move order, each as the UNOs of the moved node, its former parent and its\n"
    "                              destination; output as for report\n";

namespace {

constexpr std::size_t kUnoLength = 12;

// The list element of a UNO: the UNO followed by what the tree says of its node, or the UNO alone when no node
// carries it (a node deleted since).
std::string Element(const structure::TreeModel& tree, const std::string& uno, bool path) {
    const structure::TreeNode* found = nullptr;
    for (const structure::TreeNode* node = tree.First(); node != nullptr; node = tree.Next(*node)) {
        if (node->Record() != nullptr && node->Record()->uno == uno) {
            found = node;
        }
    }
    if (found == nullptr) {
        return uno;
    }
    return uno + (path ? structure::GetPath(found) : found->Text());
}

structure::MoveLists MovesOf(const Args& args, const structure::TreeModel& tree) {
    structure::MoveLists moves;
    for (std::size_t i = 0; i < args.Count(); ++i) {
        const std::string move = args.Cp1251At(i);
        std::vector<std::string> unos;
        for (std::size_t start = 0; start <= move.size();) {
            const std::size_t end = std::min(move.find(':', start), move.size());
            unos.push_back(move.substr(start, end - start));
            start = end + 1;
        }
        if (unos.size() != 3 ||
            std::any_of(unos.begin(), unos.end(), [](const std::string& uno) { return uno.size() != kUnoLength; })) {
            throw UsageError("a move is NODE:FROM:TO, three UNOs of 12 characters, not \"" + args.At(i) + "\"");
        }
        moves.moved.push_back(Element(tree, unos[0], false));
        moves.sources.push_back(Element(tree, unos[1], true));
        moves.destinations.push_back(Element(tree, unos[2], true));
    }
    return moves;
}

} // namespace

int RunMoveRequest(const Context& context, const std::vector<std::string>& raw) {
    const Args args(WithLongOutput(raw), {kOutputOption, kSeparatorOption});
    args.ExpectOptions({kOutputOption, kSeparatorOption});
    const ReportOutput output = ReportOutputOf(args);
    StoredTree stored(context, false, std::nullopt);
    const structure::MoveLists moves = MovesOf(args, stored.Tree());
    if (moves.moved.empty()) {
        throw core::Error(core::Text(1080, "Нет данных о перемещениях"));
    }
    shell::Settings& settings = stored.Settings();
    const std::string path = settings.FilePath(shell::Key::TPfile);
    if (!core::FileExists(path)) {
        throw core::Error(core::Text(1044, "Файл не найден ") + path);
    }
    RefuseOverwriting(output.path, stored.Settings(), {path});
    const structure::NodeTypes types(settings.userNodeTypes);
    const reports::ReportTemplate report = reports::TemplateFromFile(path, reports::IncludedTypeNames(types).size());
    platform::DbfTable device = OpenTableReadOnly(settings, stored.Clock(), shell::Key::DeviceTable);
    platform::DbfTable other = OpenTableReadOnly(settings, stored.Clock(), shell::Key::OtherTable);
    structure::NodeRecordsTable records(other);
    structure::AdditionalData additional(records, stored.Log());
    reports::ReportSources sources{stored.Tree(), types, device, additional,
                                   core::DateFormats().ShortDate(stored.Clock().Now())};
    Deliver(reports::MoveRequestReport(report, sources, moves), output);
    return 0;
}

} // namespace pelgo::cli
