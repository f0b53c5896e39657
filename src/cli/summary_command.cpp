// pelgo-cli summary: the four summaries, with the output options of report; the programs summary is a tree and
// goes to the terminal or to a text file only. It only looks at the data: the tables are opened read-only.
#include <optional>
#include <string>
#include <vector>

#include "cli/commands.h"
#include "cli/installation.h"
#include "cli/node_lines.h"
#include "cli/report_output.h"
#include "cli/stored_tree.h"
#include "core/cp1251.h"
#include "core/date_time.h"
#include "core/file.h"
#include "platform/dbf_table.h"
#include "reports/summaries.h"

namespace pelgo::cli {

const char* const kSummaryUsage =
    "  summary enterprise|department|owners|programs [--node UNO] [-o FILE] [--separator S]\n"
    "                              a summary of the whole tree, or with department of the subtree of the\n"
    "                              node UNO; output as for report, programs prints its tree (a TAB per level)\n"
    "                              and writes only a .txt file; enterprise and department also write their\n"
    "                              counted values to a .csv file (section;value;count, UTF-8)\n";

int RunSummary(const Context& context, const std::vector<std::string>& raw) {
    const Args args(WithLongOutput(raw), {"--node", "--output", "--separator"});
    args.ExpectOptions({"--node", "--output", "--separator"});
    args.ExpectCount(1, 1);
    const std::string kind = args.At(0);
    if (kind != "enterprise" && kind != "department" && kind != "owners" && kind != "programs") {
        throw UsageError("the summary is enterprise, department, owners or programs");
    }
    const std::optional<std::string> uno = args.Value("--node");
    if (kind == "department" && !uno) {
        throw UsageError("--node UNO names the node whose department summary is made");
    }
    const ReportOutput output = ReportOutputOf(args, kind == "enterprise" || kind == "department");
    if (kind == "programs" && output.kind != ReportOutput::Kind::Terminal && output.kind != ReportOutput::Kind::Text) {
        throw UsageError("the programs summary is a tree: it is written to a .txt file only");
    }

    StoredTree stored(context, false, std::nullopt);
    RefuseOverwriting(output.path, stored.Settings());
    const structure::TreeModel& tree = stored.Tree();
    // The node is looked up even where the summary covers the whole tree, so a wrong UNO is never ignored.
    const structure::TreeNode* selected = uno ? &NodeByUno(tree, core::Utf8ToCp1251(*uno)) : nullptr;
    platform::DbfTable device = OpenTableReadOnly(stored.Settings(), stored.Clock(), shell::Key::DeviceTable);

    if (kind == "programs") {
        std::string text;
        for (const reports::SummaryLine& line : reports::ProgramsSummary(tree, device)) {
            const std::string caption = std::string(line.level, '\t') + line.caption;
            if (output.kind == ReportOutput::Kind::Text) {
                text += caption + "\r\n";
            } else {
                PrintLine(caption);
            }
        }
        if (output.kind == ReportOutput::Kind::Text) {
            core::WriteFileAtomically(output.path, text);
        }
        return 0;
    }
    if (kind == "owners") {
        Deliver(reports::OwnersSummary(tree, device), output);
        return 0;
    }
    const structure::TreeNode* department = kind == "department" ? selected : nullptr;
    const reports::HardwareCounts counts = reports::CountHardware(tree, department, device);
    if (output.kind == ReportOutput::Kind::Csv) {
        core::WriteFileAtomically(output.path, reports::HardwareCsv(counts));
        return 0;
    }
    Deliver(reports::HardwareSummary(counts, department, core::DateFormats().ShortDate(stored.Clock().Now())), output);
    return 0;
}

} // namespace pelgo::cli
