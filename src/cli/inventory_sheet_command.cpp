// pelgo-cli inventory-sheet: the inventory sheet as a tab-separated text or a dBase table, its columns, types,
// filter and format from a parameter file laid over the dialog's first state. It only looks at the data: the
// tables are opened read-only and only the output file is written.
#include <optional>
#include <string>
#include <vector>

#include "cli/cli_dialog.h"
#include "cli/commands.h"
#include "cli/installation.h"
#include "cli/node_lines.h"
#include "cli/report_output.h"
#include "cli/stored_tree.h"
#include "core/cp1251.h"
#include "core/errors.h"
#include "core/translator.h"
#include "platform/dbf_table.h"
#include "reports/inventory_sheet.h"
#include "reports/revision.h"
#include "settings/revision_rules.h"
#include "structure/additional_data.h"
#include "structure/node_records_table.h"
#include "structure/node_types.h"

namespace pelgo::cli {

const char* const kInventorySheetUsage =
    "  inventory-sheet OUT [--params FILE.set] [--text|--dbf] [--filter] [--scope all|department] [--node UNO]\n"
    "                              the inventory sheet written to OUT: columns, node types, user columns,\n"
    "                              filter and format from the parameter file (default: node data, the\n"
    "                              default types, text); --text or --dbf sets the format; --filter (or\n"
    "                              filtering on in the file) keeps the computers with a line the file's\n"
    "                              selection rules pick, else the user's [Reports_<user>] rules;\n"
    "                              department covers the department of the node UNO\n";

int RunInventorySheet(const Context& context, const std::vector<std::string>& raw) {
    const Args args(raw, {"--params", "--scope", "--node"});
    args.ExpectOptions({"--params", "--text", "--dbf", "--filter", "--scope", "--node"});
    args.ExpectCount(1, 1);
    if (args.Flag("--text") && args.Flag("--dbf")) {
        throw UsageError("--text and --dbf exclude each other");
    }
    const std::string scope = args.Value("--scope").value_or("all");
    if (scope != "all" && scope != "department") {
        throw UsageError("--scope is all or department");
    }
    const std::optional<std::string> uno = args.Value("--node");
    if (scope == "department" && !uno) {
        throw UsageError("--node UNO names the node whose department the sheet covers");
    }
    const std::string out = args.Cp1251At(0);

    StoredTree stored(context, false, std::nullopt);
    shell::Settings& settings = stored.Settings();
    const structure::TreeModel& tree = stored.Tree();
    const structure::TreeNode* selected = uno ? &NodeByUno(tree, core::Utf8ToCp1251(*uno)) : nullptr;
    const structure::NodeTypes types(settings.userNodeTypes);

    const std::optional<std::string> params = args.Value("--params");
    const std::string paramsPath = params ? core::Utf8ToCp1251(*params) : std::string();
    RefuseOverwriting(out, settings, {paramsPath});
    reports::SheetParameters parameters = reports::DefaultSheetParameters(types);
    if (params) {
        parameters = reports::LoadSheetParameters(paramsPath, parameters);
    }
    if (args.Flag("--text") || args.Flag("--dbf")) {
        parameters.tableFormat = args.Flag("--dbf");
    }
    std::optional<reports::LineSelection> selection;
    if (parameters.filter || args.Flag("--filter")) {
        // Rules come with a file only when it switches filtering on.
        const std::vector<settings::RevisionRule> rules =
            parameters.filter ? parameters.filterRules : settings::ParseRevisionRules(settings.reportRows);
        selection.emplace(rules, parameters.filterCaseSensitive, settings::AbsenceWord());
    }

    platform::DbfTable device = OpenTableReadOnly(settings, stored.Clock(), shell::Key::DeviceTable);
    platform::DbfTable other = OpenTableReadOnly(settings, stored.Clock(), shell::Key::OtherTable);
    structure::NodeRecordsTable records(other);
    structure::AdditionalData additional(records, stored.Log());
    reports::SheetSources sources{tree, types, device, additional};
    const reports::Sheet sheet =
        reports::MakeInventorySheet(sources, parameters, reports::DefaultSheetCaptions(),
                                    selection ? &*selection : nullptr, {scope == "department", selected});
    try {
        if (parameters.tableFormat) {
            reports::WriteSheetTable(out, sheet, stored.Clock());
        } else {
            reports::WriteSheetText(out, sheet);
        }
    } catch (const core::Error&) {
        throw core::Error(core::Text(250, "Ошибка создания") + "\n" + out);
    }
    CliDialog().Inform(platform::MessageKind::Information, core::Text(4600, "Формирование закончено!"));
    return 0;
}

} // namespace pelgo::cli
