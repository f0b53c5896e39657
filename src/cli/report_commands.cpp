// pelgo-cli report and template: a template report over the stored data, printed or written as RTF, PDF,
// plain text or the spreadsheet import file; a template's scope and node types shown and saved. A report
// only looks at the data: the tables are opened read-only and nothing is written to the installation.
#include <algorithm>
#include <cctype>
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
#include "core/file.h"
#include "core/text.h"
#include "core/translator.h"
#include "platform/dbf_table.h"
#include "reports/report_template.h"
#include "reports/rtf_writer.h"
#include "reports/template_report.h"
#include "reports/user_reports.h"
#include "structure/additional_data.h"
#include "structure/node_records_table.h"
#include "structure/node_types.h"

namespace pelgo::cli {

const char* const kReportUsage =
    "  report TEMPLATE [--node UNO] [-o FILE] [--separator space|comma|semicolon|backslash|tab]\n"
    "                              the template's report for the node UNO (default: the first node); the text\n"
    "                              on stdout, or by FILE's extension .rtf, .pdf, .txt (cp1251, CR LF) or .imp\n"
    "                              (the spreadsheet import, items led by the separator, default space)\n"
    "  report --user NAME [--node UNO] [-o FILE] ...\n"
    "                              the same for the user report NAME of [Reports]\n"
    "  report --list               the user reports: name TAB template path\n";

const char* const kTemplateUsage =
    "  template show FILE          the template's scope letter, node type positions, start and end line\n"
    "                              (paragraphs from 1, 0 when absent), TAB-separated\n"
    "  template save FILE [--scope A|B|C|D] [--types N,...] [-o OUT] [--yes]\n"
    "                              set the scope and the covered type positions, write the template with its\n"
    "                              start line to OUT (default FILE) and show it; --yes starts a missing FILE\n"
    "                              from the example template\n";

namespace {

std::string FileNotFound(const std::string& path) {
    return core::Text(1044, "Файл не найден ") + path;
}

void RequireFile(const std::string& path) {
    if (!core::FileExists(path)) {
        throw core::Error(FileNotFound(path));
    }
}

std::size_t TypeCount(shell::Settings& settings) {
    return reports::IncludedTypeNames(structure::NodeTypes(settings.userNodeTypes)).size();
}

// The settings of the installation, read as a look reads them: nothing is written, not even a log line.
class SettingsLook {
public:
    explicit SettingsLook(const Context& context) : m_installation(context, true) {
        m_installation.Log().SetMovingSize(0);
        m_installation.File().ReadIni(1);
    }
    shell::Settings& Settings() { return m_installation.Settings(); }

private:
    Installation m_installation;
};

void PrintTemplate(const reports::ReportTemplate& report) {
    const reports::TemplateRegions regions = reports::FindRegions(report.text);
    std::string types;
    for (std::size_t position = 0; position < report.included.size(); ++position) {
        if (report.included[position]) {
            types += (types.empty() ? "" : ",") + std::to_string(position);
        }
    }
    const auto line = [](const std::optional<std::size_t>& paragraph) {
        return std::to_string(paragraph ? *paragraph + 1 : 0);
    };
    PrintLine(std::string("scope\t") + static_cast<char>('A' + static_cast<int>(report.scope)));
    PrintLine("types\t" + types);
    PrintLine("start\t" + line(regions.startLine));
    PrintLine("end\t" + line(regions.endLine));
}

reports::ReportTemplate ReadTemplate(const std::string& path, std::size_t typeCount) {
    RequireFile(path);
    return reports::TemplateFromFile(path, typeCount);
}

reports::ReportScope ScopeOption(const std::string& value) {
    if (value.size() != 1 || std::toupper(static_cast<unsigned char>(value[0])) < 'A' ||
        std::toupper(static_cast<unsigned char>(value[0])) > 'D') {
        throw UsageError("--scope takes one of the letters A, B, C, D");
    }
    return static_cast<reports::ReportScope>(std::toupper(static_cast<unsigned char>(value[0])) - 'A');
}

// "N,N,..." as the marks of the type positions; an empty list marks none.
std::vector<bool> TypesOption(const std::string& value, std::size_t typeCount) {
    std::vector<bool> included(typeCount, false);
    std::size_t start = 0;
    while (start < value.size()) {
        const std::size_t end = std::min(value.find(',', start), value.size());
        const std::string item(core::Trim(std::string_view(value).substr(start, end - start)));
        start = end + 1;
        std::size_t position = typeCount;
        if (!item.empty() && std::all_of(item.begin(), item.end(), [](char c) { return c >= '0' && c <= '9'; }) &&
            item.size() < 6) {
            position = static_cast<std::size_t>(std::stoul(item));
        }
        if (position >= typeCount) {
            throw UsageError("--types takes type positions from 0 to " + std::to_string(typeCount - 1) +
                             " separated by commas, not \"" + item + "\"");
        }
        included[position] = true;
    }
    return included;
}

int TemplateShow(const Context& context, const Args& args) {
    args.ExpectOptions({});
    args.ExpectCount(1, 1);
    SettingsLook look(context);
    PrintTemplate(ReadTemplate(args.Cp1251At(0), TypeCount(look.Settings())));
    return 0;
}

int TemplateSave(const Context& context, const Args& args) {
    args.ExpectOptions({"--scope", "--types", "--output", "--yes"});
    args.ExpectCount(1, 1);
    SettingsLook look(context);
    const std::size_t typeCount = TypeCount(look.Settings());
    const std::string path = args.Cp1251At(0);
    if (!core::FileExists(path) && !args.Flag("--yes")) {
        throw core::Error(FileNotFound(path) + "; repeat with --yes to start from the example template");
    }
    CliDialog dialog(true);
    reports::ReportTemplate report = reports::LoadReportsFromFile(path, typeCount, dialog).report;
    if (const auto scope = args.Value("--scope")) {
        report.scope = ScopeOption(*scope);
    }
    if (const auto types = args.Value("--types")) {
        report.included = TypesOption(*types, typeCount);
    }
    const std::string target = args.Value("--output") ? core::Utf8ToCp1251(*args.Value("--output")) : path;
    reports::WriteRtfFile(target, reports::TemplateForSave(report));
    PrintTemplate(ReadTemplate(target, typeCount));
    return 0;
}

int ListUserReports(const Context& context, const Args& args) {
    args.ExpectCount(0, 0);
    if (args.Value("--user") || args.Value("--node") || args.Value("--output") || args.Value("--separator")) {
        throw UsageError("--list takes no other option");
    }
    SettingsLook look(context);
    const shell::Settings& settings = look.Settings();
    for (const auto& entry : settings.reports) {
        // Each entry with its own template, converted as its menu item converts it.
        if (const auto report = reports::FindUserReport({entry}, entry.first, settings.Paths())) {
            PrintLine(report->name + "\t" + report->path);
        }
    }
    return 0;
}

int MakeReport(const Context& context, const Args& args) {
    const ReportOutput output = ReportOutputOf(args);
    const std::optional<std::string> user = args.Value("--user");
    args.ExpectCount(user ? 0 : 1, user ? 0 : 1);

    StoredTree stored(context, false, std::nullopt);
    shell::Settings& settings = stored.Settings();
    std::string path;
    if (user) {
        const auto report = reports::FindUserReport(settings.reports, core::Utf8ToCp1251(*user), settings.Paths());
        if (!report) {
            throw core::Error(core::Text(1100, "Данный отчет более не ведется"));
        }
        path = report->path;
    } else {
        path = args.Cp1251At(0);
    }
    RequireFile(path);
    const structure::NodeTypes types(settings.userNodeTypes);
    CliDialog dialog;
    const reports::ReportTemplate report =
        reports::LoadReportsFromFile(path, reports::IncludedTypeNames(types).size(), dialog).report;
    const std::optional<std::string> uno = args.Value("--node");
    const structure::TreeNode* selected =
        uno ? &NodeByUno(stored.Tree(), core::Utf8ToCp1251(*uno)) : stored.Tree().First();

    platform::DbfTable device = OpenTableReadOnly(settings, stored.Clock(), shell::Key::DeviceTable);
    platform::DbfTable other = OpenTableReadOnly(settings, stored.Clock(), shell::Key::OtherTable);
    structure::NodeRecordsTable records(other);
    structure::AdditionalData additional(records, stored.Log());
    reports::ReportSources sources{stored.Tree(), types, device, additional,
                                   core::DateFormats().ShortDate(stored.Clock().Now())};
    RefuseOverwriting(output.path, stored.Settings(), {path});
    Deliver(reports::MakeUserReports(report, sources, selected), output);
    return 0;
}

} // namespace

int RunReport(const Context& context, const std::vector<std::string>& raw) {
    const Args args(WithLongOutput(raw), {"--node", "--output", "--user", "--separator"});
    args.ExpectOptions({"--node", "--output", "--user", "--separator", "--list"});
    if (args.Flag("--list")) {
        return ListUserReports(context, args);
    }
    return MakeReport(context, args);
}

int RunTemplate(const Context& context, const std::vector<std::string>& raw) {
    if (raw.empty()) {
        throw UsageError("missing template command");
    }
    const std::string& command = raw.front();
    const Args args(WithLongOutput(std::vector<std::string>(raw.begin() + 1, raw.end())),
                    {"--scope", "--types", "--output"});
    if (command == "show") {
        return TemplateShow(context, args);
    }
    if (command == "save") {
        return TemplateSave(context, args);
    }
    throw UsageError("unknown template command \"" + command + "\"");
}

} // namespace pelgo::cli
