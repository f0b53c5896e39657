// pelgo-cli passport and card: the computer passport and the account card of a node, with the output options of
// report. Both only look at the data: the tables are opened read-only and nothing is written to the installation.
#include <optional>
#include <string>
#include <vector>

#include "archive/computer_view.h"
#include "archive/smart.h"
#include "cli/commands.h"
#include "cli/installation.h"
#include "cli/node_lines.h"
#include "cli/report_output.h"
#include "cli/stored_tree.h"
#include "core/cp1251.h"
#include "core/date_time.h"
#include "core/errors.h"
#include "platform/dbf_table.h"
#include "reports/computer_documents.h"
#include "structure/additional_data.h"
#include "structure/node_queries.h"
#include "structure/node_records_table.h"

namespace pelgo::cli {

const char* const kPassportUsage =
    "  passport --node UNO [-o FILE] [--separator S]\n"
    "                              the computer passport of the computer UNO: its path, its archive tree as\n"
    "                              show prints it, its comments; output as for report\n";

const char* const kCardUsage =
    "  card --node UNO [-o FILE] [--separator S]\n"
    "                              the account card of the computer UNO, or the line saying why there is none;\n"
    "                              output as for report\n";

namespace {

using structure::TreeNode;

// The options both commands take, and the node they name.
struct DocumentRequest {
    DocumentRequest(const Context& context, const std::vector<std::string>& raw)
        : args(WithLongOutput(raw), {"--node", "--output", "--separator"}) {
        args.ExpectOptions({"--node", "--output", "--separator"});
        args.ExpectCount(0, 0);
        output = ReportOutputOf(args);
        const std::optional<std::string> uno = args.Value("--node");
        if (!uno) {
            throw UsageError("--node UNO names the computer");
        }
        stored.emplace(context, false, std::nullopt);
        RefuseOverwriting(output.path, stored->Settings());
        node = &NodeByUno(stored->Tree(), core::Utf8ToCp1251(*uno));
    }

    std::string Today() { return core::DateFormats().ShortDate(stored->Clock().Now()); }
    platform::DbfTable OpenReadOnly(shell::Key table) {
        return OpenTableReadOnly(stored->Settings(), stored->Clock(), table);
    }

    Args args;
    ReportOutput output;
    std::optional<StoredTree> stored;
    const TreeNode* node = nullptr;
};

} // namespace

int RunPassport(const Context& context, const std::vector<std::string>& raw) {
    DocumentRequest request(context, raw);
    const structure::TreeModel& tree = request.stored->Tree();
    // The window offers the passport only for such a node; one without an address shows an empty archive.
    if (request.node->Icon() != structure::kIconComputer || tree.Next(*request.node) == nullptr) {
        throw core::Error("\"" + request.node->Text() + "\" is no computer with a node after it: it has no passport");
    }
    const std::string address =
        structure::IsNetComputer(tree, request.node) ? structure::ComputerAddress(tree, *request.node) : "";
    platform::DbfTable device = request.OpenReadOnly(shell::Key::DeviceTable);
    platform::DbfTable other = request.OpenReadOnly(shell::Key::OtherTable);
    const std::optional<archive::SmartTable> smart =
        archive::SmartTable::Load(request.stored->Settings().FilePath(shell::Key::SmartCode));
    const archive::ComputerView view =
        archive::ViewOfComputer(device, other, address, smart ? &*smart : nullptr, archive::ViewTexts::Translated());
    const structure::TKelRec* record = request.node->Record();
    const std::vector<std::string> comments =
        record != nullptr && record->comments ? *record->comments : std::vector<std::string>();
    Deliver(reports::ComputerPassport(view.archive, structure::GetPath(request.node), comments, request.Today()),
            request.output);
    return 0;
}

int RunCard(const Context& context, const std::vector<std::string>& raw) {
    DocumentRequest request(context, raw);
    platform::DbfTable device = request.OpenReadOnly(shell::Key::DeviceTable);
    platform::DbfTable other = request.OpenReadOnly(shell::Key::OtherTable);
    structure::NodeRecordsTable records(other);
    structure::AdditionalData additional(records, request.stored->Log());
    Deliver(reports::AccountCard(request.stored->Tree(), request.node, device, additional, request.Today()),
            request.output);
    return 0;
}

} // namespace pelgo::cli
