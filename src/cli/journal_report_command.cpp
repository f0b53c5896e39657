// pelgo-cli journal-report: the report a journal's menu item makes for a node, with the output options of
// report. It only looks at the data: the tables are opened read-only and nothing is written.
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
#include "core/errors.h"
#include "core/translator.h"
#include "platform/dbf_table.h"
#include "reports/journal_report.h"
#include "structure/additional_data.h"
#include "structure/node_records_table.h"

namespace pelgo::cli {

const char* const kJournalReportUsage =
    "  journal-report NAME --node UNO [--only TEXT] [-o FILE] [--separator S]\n"
    "                              the entries of journal NAME (as its menu item names it) for the node\n"
    "                              UNO, for a department its whole subtree; --only TEXT keeps the entries\n"
    "                              whose title holds TEXT (a date); the output as for report\n";

int RunJournalReport(const Context& context, const std::vector<std::string>& raw) {
    const Args args(WithLongOutput(raw), {"--node", "--only", "--output", "--separator"});
    args.ExpectOptions({"--node", "--only", "--output", "--separator"});
    args.ExpectCount(1, 1);
    const std::optional<std::string> uno = args.Value("--node");
    if (!uno) {
        throw UsageError("--node UNO names the node of the report");
    }
    const ReportOutput output = ReportOutputOf(args);

    StoredTree stored(context, false, std::nullopt);
    shell::Settings& settings = stored.Settings();
    RefuseOverwriting(output.path, settings);
    const std::vector<structure::JournalDefinition> journals = structure::JournalDefinitions(settings.journalTypes);
    const std::optional<std::size_t> journal = reports::FindJournal(journals, args.Cp1251At(0));
    if (!journal) {
        throw core::Error(core::Text(1070, "Данный журнал более не ведется"));
    }
    const structure::TreeNode& selected = NodeByUno(stored.Tree(), core::Utf8ToCp1251(*uno));
    reports::JournalFilter filter;
    if (const std::optional<std::string> only = args.Value("--only")) {
        filter = {false, core::Utf8ToCp1251(*only)};
    }

    platform::DbfTable other = OpenTableReadOnly(settings, stored.Clock(), shell::Key::OtherTable);
    structure::NodeRecordsTable records(other);
    Deliver(reports::JournalReport(stored.Tree(), selected, *journal, journals, records, filter,
                                   core::DateFormats().ShortDate(stored.Clock().Now())),
            output);
    return 0;
}

} // namespace pelgo::cli
