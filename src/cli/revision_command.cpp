// pelgo-cli revision: the audit listing with the output options of report, its rules and replacements from
// files or the user's settings, and with --dbf the table written to the file named. It only looks at the data:
// the tables are opened read-only and only the output files are written.
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
#include "core/date_time.h"
#include "core/file.h"
#include "core/text.h"
#include "platform/dbf_table.h"
#include "reports/revision.h"
#include "settings/revision_rules.h"

namespace pelgo::cli {

const char* const kRevisionUsage =
    "  revision [--scope all|department] [--node UNO] [--rules FILE.sav] [--replacements FILE]\n"
    "           [--no-selection] [--case] [--skip-empty|--no-skip-empty] [--replace|--no-replace]\n"
    "           [--dbf FILE] [-o FILE] [--separator S]\n"
    "                              the revision of the whole tree, or of the department of the node UNO;\n"
    "                              selection rules from the rule file (default: [Reports_<user>]),\n"
    "                              replacements \"find=replacement\" a line (default: [Replace_<user>]);\n"
    "                              both files cp1251 or UTF-8;\n"
    "                              skip empty and replace default to SkipEmptyInReports and ReplaceLines;\n"
    "                              --dbf also writes the table (exit 1 when no rule numbers a column);\n"
    "                              output as for report\n";

namespace {

// The table's save dialog answered with the file of the command line; every message goes to stderr as the
// terminal dialog prints it, and an error among them makes the run fail.
class TableFileDialog : public CliDialog {
public:
    explicit TableFileDialog(std::string path) : m_path(std::move(path)) {}

    void Inform(platform::MessageKind kind, std::string_view text) override {
        m_failed = m_failed || kind == platform::MessageKind::Error;
        CliDialog::Inform(kind, text);
    }
    std::optional<std::string> ChooseFile(const platform::FileChoice&) override {
        m_asked = true;
        return m_path;
    }

    bool Asked() const { return m_asked; }
    bool Failed() const { return m_failed; }

private:
    std::string m_path;
    bool m_asked = false;
    bool m_failed = false;
};

// Either of two opposite flags, else the default.
bool Switch(const Args& args, const std::string& on, const std::string& off, bool fallback) {
    if (args.Flag(on) && args.Flag(off)) {
        throw UsageError(on + " and " + off + " exclude each other");
    }
    return args.Flag(on) || (!args.Flag(off) && fallback);
}

shell::Entries ReadReplacements(const std::string& path) {
    shell::Entries pairs;
    const std::string bytes = core::TextFileToCp1251(core::ReadFileBytes(path));
    for (const std::string_view line : core::SplitLines(bytes)) {
        if (line.empty()) {
            continue;
        }
        const std::size_t equals = line.find('=');
        if (equals == std::string_view::npos) {
            throw UsageError("a replacement line is find=replacement: " + core::Cp1251ToUtf8(line));
        }
        pairs.emplace_back(line.substr(0, equals), line.substr(equals + 1));
    }
    return pairs;
}

} // namespace

int RunRevision(const Context& context, const std::vector<std::string>& raw) {
    const std::vector<std::string> valued{"--scope", "--node",      "--rules",       "--replacements",
                                          "--dbf",   kOutputOption, kSeparatorOption};
    const Args args(WithLongOutput(raw), valued);
    std::vector<std::string> known = valued;
    known.insert(known.end(),
                 {"--no-selection", "--case", "--skip-empty", "--no-skip-empty", "--replace", "--no-replace"});
    args.ExpectOptions(known);
    args.ExpectCount(0, 0);
    const std::string scope = args.Value("--scope").value_or("all");
    if (scope != "all" && scope != "department") {
        throw UsageError("--scope is all or department");
    }
    const std::optional<std::string> uno = args.Value("--node");
    if (scope == "department" && !uno) {
        throw UsageError("--node UNO names the node whose department the revision covers");
    }
    const std::optional<std::string> dbf = args.Value("--dbf");
    if (dbf && args.Flag("--no-selection")) {
        throw UsageError("--dbf needs the selection: its columns are the numbered rules");
    }
    const ReportOutput output = ReportOutputOf(args);

    StoredTree stored(context, false, std::nullopt);
    shell::Settings& settings = stored.Settings();
    const structure::TreeModel& tree = stored.Tree();
    const structure::TreeNode* selected = uno ? &NodeByUno(tree, core::Utf8ToCp1251(*uno)) : nullptr;

    reports::RevisionOptions options;
    options.departmentOnly = scope == "department";
    options.selection = !args.Flag("--no-selection");
    options.caseSensitive = args.Flag("--case");
    options.skipEmpty = Switch(args, "--skip-empty", "--no-skip-empty", settings.Bool(shell::Key::SkipEmptyInReports));
    options.replace = Switch(args, "--replace", "--no-replace", settings.Bool(shell::Key::ReplaceLines));
    const std::string table = dbf ? core::Utf8ToCp1251(*dbf) : std::string();
    const std::optional<std::string> rules = args.Value("--rules");
    const std::optional<std::string> replacements = args.Value("--replacements");
    const std::string rulesPath = rules ? core::Utf8ToCp1251(*rules) : std::string();
    const std::string replacementsPath = replacements ? core::Utf8ToCp1251(*replacements) : std::string();
    for (const std::string& written : {output.path, table}) {
        RefuseOverwriting(written, settings, {rulesPath, replacementsPath});
    }
    options.rules = settings::ParseRevisionRules(rules ? settings::ReadRuleFile(rulesPath) : settings.reportRows);
    options.replacements = replacements ? ReadReplacements(replacementsPath) : settings.replacements;

    platform::DbfTable device = OpenTableReadOnly(settings, stored.Clock(), shell::Key::DeviceTable);
    TableFileDialog dialog(table);
    const reports::Revision revision =
        reports::RunRevision(tree, selected, device, options, core::DateFormats().ShortDate(stored.Clock().Now()),
                             dbf.has_value(), dialog, settings, stored.Clock());
    Deliver(revision.text, output);
    // Without a numbered rule the file is never asked for: the table was refused.
    return dbf && (!dialog.Asked() || dialog.Failed()) ? 1 : 0;
}

} // namespace pelgo::cli
