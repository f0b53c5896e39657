// The main window's reports: the computer passport and the account card of the selected computer, the journal
// reports, the move request of this run's moves, the summaries, the revision, the inventory sheet and the user
// reports, whose menu item loads the template into the editor and generates it for the selected node. Each is
// shown in a report window; a report only reads the data.
#include <QTreeWidget>
#include <algorithm>
#include <memory>

#include "archive/pick_lists.h"
#include "core/date_time.h"
#include "core/errors.h"
#include "core/file.h"
#include "core/translator.h"
#include "gui/archive/archive_page.h"
#include "gui/common/qt_text.h"
#include "gui/main/main_window.h"
#include "gui/reports/inventory_sheet_dialog.h"
#include "gui/reports/journal_filter_dialog.h"
#include "gui/reports/report_window.h"
#include "gui/reports/reports_setup_window.h"
#include "gui/settings/setup_dialog.h"
#include "reports/computer_documents.h"
#include "reports/journal_report.h"
#include "reports/move_request.h"
#include "reports/revision.h"
#include "reports/summaries.h"
#include "reports/template_report.h"
#include "reports/user_reports.h"
#include "structure/additional_data.h"
#include "structure/node_queries.h"
#include "structure/node_records_table.h"

namespace pelgo::gui {
namespace {

using session::Command;

constexpr int kPassportKind = 0;
constexpr int kRevisionKind = 1;
constexpr int kEnterpriseSummaryKind = 2;
constexpr int kMoveRequestKind = 3;
constexpr int kAccountCardKind = 4;
constexpr int kOwnersSummaryKind = 5;
constexpr int kProgramsSummaryKind = 6;
constexpr int kDepartmentSummaryKind = 7;
constexpr int kFirstJournalKind = 100;
constexpr int kFirstUserReportKind = 200;

std::string Today(session::AppState& state) {
    return core::DateFormats().ShortDate(state.Clock().Now());
}

// The node types of the run; the configured ones when the start made none.
structure::NodeTypes ReportNodeTypes(session::AppState& state) {
    const structure::NodeTypes* types = state.NodeTypes();
    return types != nullptr ? *types : structure::NodeTypes(state.Settings().userNodeTypes);
}

// The additional data as the reports read them, from the node-record table.
struct ReportRecords {
    ReportRecords(platform::DbfTable& other, core::WorkLog& log) : records(other), additional(records, log) {}
    structure::NodeRecordsTable records;
    structure::AdditionalData additional;
};

// Tree reactions off for a walk over the tree, back as they were however it ends: a selection change or a
// caption edit handled in the middle would act on a tree the walk is reading.
class TreeReactionsOff {
public:
    explicit TreeReactionsOff(session::AppState& state) : m_state(state), m_was(state.TreeReactionsOn()) {
        m_state.SetTreeReactionsOn(false);
    }
    ~TreeReactionsOff() { m_state.SetTreeReactionsOn(m_was); }
    TreeReactionsOff(const TreeReactionsOff&) = delete;
    TreeReactionsOff& operator=(const TreeReactionsOff&) = delete;

private:
    session::AppState& m_state;
    bool m_was;
};

} // namespace

void MainWindow::ConnectReportCommands() {
    On(Command::Passport, [this] { RunPassport(); });
    On(Command::AccountCard, [this] { RunAccountCard(); });
    On(Command::MoveRequest, [this] { RunMoveRequest(); });
    On(Command::SummaryEnterprise, [this] { RunHardwareSummary(kEnterpriseSummaryKind, nullptr); });
    On(Command::SummaryDepartment, [this] {
        if (const structure::TreeNode* department = SelectedNode()) {
            RunHardwareSummary(kDepartmentSummaryKind, department);
        }
    });
    On(Command::SummaryOwners, [this] { RunOwnersSummary(); });
    On(Command::SummaryPrograms, [this] { RunProgramsSummary(); });
    On(Command::Revision, [this] { RunRevision(); });
    On(Command::InventorySheet, [this] { RunInventorySheet(); });
}

ReportWindow* MainWindow::OpenReport(int kind, const std::function<reports::RichText()>& build,
                                     const std::function<void()>& closed) {
    reports::RichText text;
    try {
        text = build();
    } catch (const core::Error& error) {
        m_state.Log().LogEvent(std::string("ERROR! ") + error.what());
        m_dialog.Inform(platform::MessageKind::Error, error.what());
        return nullptr;
    }
    auto* window = new ReportWindow(m_dialog, m_state.Settings().Bool(shell::Key::RTF_Edit), this);
    window->setAttribute(Qt::WA_DeleteOnClose);
    window->ShowReport(kind, text);
    if (closed) {
        connect(window, &QDialog::finished, this, [closed] { closed(); });
    }
    window->open();
    return window;
}

ReportsSetupWindow& MainWindow::ReportsSetup() {
    if (m_reportsSetup == nullptr) {
        m_reportsSetup = new ReportsSetupWindow(m_dialog, this);
        m_reportsSetup->setWindowFlag(Qt::Window);
        m_reportsSetup->SetPickListSource([this] {
            platform::DbfTable* device = m_state.DeviceTable().IfOpen();
            return device != nullptr ? archive::ArchivePickLists(*device) : archive::PickLists{};
        });
    }
    return *m_reportsSetup;
}

void MainWindow::RunUserReport(const std::string& caption) {
    const shell::Settings& settings = m_state.Settings();
    const std::optional<reports::UserReport> report =
        reports::FindUserReport(settings.reports, caption, settings.Paths());
    if (!report) {
        m_dialog.Inform(platform::MessageKind::Information, core::Text(1100, "Данный отчет более не ведется"));
        return;
    }
    platform::DbfTable* device = m_state.DeviceTable().IfOpen();
    platform::DbfTable* other = m_state.OtherTable().IfOpen();
    if (device == nullptr || other == nullptr) {
        return;
    }
    const structure::NodeTypes types = ReportNodeTypes(m_state);
    ReportsSetupWindow& editor = ReportsSetup();
    // The report takes the editor's document: the user's unsaved template must not go with it.
    if (!editor.ConfirmDiscard()) {
        return;
    }
    editor.SetTypeNames(reports::IncludedTypeNames(types));
    const auto build = [&] {
        editor.LoadReportsFromFile(report->path);
        ReportRecords records(*other, m_state.Log());
        reports::ReportSources sources{m_state.Tree(), types, *device, records.additional, Today(m_state)};
        return reports::MakeUserReports(editor.Template(), sources, m_state.SelectedNode());
    };
    // The editor holds the template until the report is closed.
    if (!OpenReport(kFirstUserReportKind + static_cast<int>(report->position), build,
                    [this] { ReportsSetup().Clear(); })) {
        editor.Clear();
    }
}

void MainWindow::RunPassport() {
    const structure::TreeNode* node = SelectedNode();
    if (node == nullptr) {
        return;
    }
    OpenReport(kPassportKind, [&] {
        // The archive part is the tree the archive page builds for the node, read afresh.
        const archive::ViewTree archive = m_archivePage->ViewOfComputer(*node).archive;
        const structure::TKelRec* record = node->Record();
        const std::vector<std::string> comments =
            record != nullptr && record->comments ? *record->comments : std::vector<std::string>{};
        return reports::ComputerPassport(archive, structure::GetPath(node), comments, Today(m_state));
    });
}

void MainWindow::RunAccountCard() {
    const structure::TreeNode* node = SelectedNode();
    platform::DbfTable* device = m_state.DeviceTable().IfOpen();
    platform::DbfTable* other = m_state.OtherTable().IfOpen();
    if (node == nullptr || device == nullptr || other == nullptr) {
        return;
    }
    OpenReport(kAccountCardKind, [&] {
        ReportRecords records(*other, m_state.Log());
        return reports::AccountCard(m_state.Tree(), node, *device, records.additional, Today(m_state));
    });
}

void MainWindow::RunJournalReport(const QString& caption) {
    const std::vector<structure::JournalDefinition> journals =
        structure::JournalDefinitions(m_state.Settings().journalTypes);
    const std::optional<std::size_t> journal = reports::FindJournal(journals, ToCp1251(caption));
    if (!journal) {
        m_dialog.Inform(platform::MessageKind::Information, core::Text(1070, "Данный журнал более не ведется"));
        return;
    }
    const structure::TreeNode* node = SelectedNode();
    platform::DbfTable* other = m_state.OtherTable().IfOpen();
    if (node == nullptr || other == nullptr) {
        return;
    }
    if (m_journalFilter == nullptr) {
        m_journalFilter = new JournalFilterDialog(this);
    }
    m_journalFilter->Prepare(FromCp1251(Today(m_state)));
    if (m_journalFilter->exec() != QDialog::Accepted) {
        return;
    }
    const reports::JournalFilter filter = m_journalFilter->Filter();
    OpenReport(kFirstJournalKind + static_cast<int>(*journal), [&] {
        structure::NodeRecordsTable records(*other);
        return reports::JournalReport(m_state.Tree(), *node, *journal, journals, records, filter, Today(m_state));
    });
}

void MainWindow::RunMoveRequest() {
    const structure::TreeEditor* treeEditor = m_state.Editor();
    const structure::MoveLists moves = treeEditor != nullptr ? treeEditor->Lists() : structure::MoveLists{};
    // Only moves all three lists describe count: nodes marked but not moved yet have no destination.
    if (std::min({moves.moved.size(), moves.sources.size(), moves.destinations.size()}) == 0) {
        m_dialog.Inform(platform::MessageKind::Information, core::Text(1080, "Нет данных о перемещениях"));
        return;
    }
    const std::string path = m_state.Settings().FilePath(shell::Key::TPfile);
    if (!core::FileExists(path)) {
        m_dialog.Inform(platform::MessageKind::Error, core::Text(1044, "Файл не найден ") + path);
        return;
    }
    platform::DbfTable* device = m_state.DeviceTable().IfOpen();
    platform::DbfTable* other = m_state.OtherTable().IfOpen();
    if (device == nullptr || other == nullptr) {
        return;
    }
    const auto build = [&] {
        const structure::NodeTypes types = ReportNodeTypes(m_state);
        const reports::ReportTemplate report =
            reports::TemplateFromFile(path, reports::IncludedTypeNames(types).size());
        ReportRecords records(*other, m_state.Log());
        reports::ReportSources sources{m_state.Tree(), types, *device, records.additional, Today(m_state)};
        return reports::MoveRequestReport(report, sources, moves);
    };
    OpenReport(kMoveRequestKind, build, [this] {
        if (m_dialog.Ask(platform::MessageKind::Confirmation, core::Text(1079, "Очистить требование на перемещение ?"),
                         platform::Buttons::YesNo) == platform::Answer::Yes) {
            if (structure::TreeEditor* editor = m_state.Editor()) {
                editor->ClearLists();
            }
        }
    });
}

void MainWindow::RunHardwareSummary(int kind, const structure::TreeNode* department) {
    platform::DbfTable* device = m_state.DeviceTable().IfOpen();
    if (device == nullptr) {
        return;
    }
    std::string csv;
    ReportWindow* window = OpenReport(kind, [&] {
        const TreeReactionsOff off(m_state);
        const reports::HardwareCounts counts = reports::CountHardware(m_state.Tree(), department, *device);
        csv = reports::HardwareCsv(counts);
        return reports::HardwareSummary(counts, department, Today(m_state));
    });
    if (window != nullptr) {
        window->SetCsv(std::move(csv));
    }
}

void MainWindow::RunOwnersSummary() {
    platform::DbfTable* device = m_state.DeviceTable().IfOpen();
    if (device == nullptr) {
        return;
    }
    OpenReport(kOwnersSummaryKind, [&] {
        const TreeReactionsOff off(m_state);
        return reports::OwnersSummary(m_state.Tree(), *device);
    });
}

void MainWindow::RunProgramsSummary() {
    platform::DbfTable* device = m_state.DeviceTable().IfOpen();
    if (device == nullptr) {
        return;
    }
    auto window = std::make_unique<ReportWindow>(m_dialog, m_state.Settings().Bool(shell::Key::RTF_Edit), this);
    const std::string caption = core::Text(3544, "Свод по программам ");
    const auto progress = [&](const std::string& step) { window->setWindowTitle(FromCp1251(caption + step)); };
    try {
        progress(core::Text(3545, "- идет сбор данных"));
        const std::vector<reports::SummaryLine> summary = [&] {
            const TreeReactionsOff off(m_state);
            return reports::ProgramsSummary(m_state.Tree(), *device);
        }();
        progress(core::Text(3546, "- сортировка данных"));
        std::vector<ReportTreeLine> lines;
        lines.reserve(summary.size());
        for (const reports::SummaryLine& line : summary) {
            lines.push_back({line.level, line.caption, line.icon});
        }
        progress(core::Text(3547, "- формирование данных о владельце"));
        window->ShowTree(kProgramsSummaryKind, lines);
    } catch (const core::Error& error) {
        m_state.Log().LogEvent(std::string("ERROR! ") + error.what());
        m_dialog.Inform(platform::MessageKind::Error, error.what());
        return;
    }
    progress({});
    if (QTreeWidgetItem* first = window->Tree()->topLevelItem(0)) {
        window->Tree()->setCurrentItem(first);
    }
    window->setAttribute(Qt::WA_DeleteOnClose);
    window.release()->open();
}

SetupDialog& MainWindow::Setup() {
    if (m_setup == nullptr) {
        m_setup = new SetupDialog(m_state, m_dialog, this);
    }
    return *m_setup;
}

void MainWindow::RunRevision() {
    platform::DbfTable* device = m_state.DeviceTable().IfOpen();
    if (device == nullptr || !Setup().ExecRevision(false)) {
        return;
    }
    const reports::RevisionOptions options = Setup().Options();
    const bool createTable = Setup().CreateTable();
    auto window = std::make_unique<ReportWindow>(m_dialog, m_state.Settings().Bool(shell::Key::RTF_Edit), this);
    const QString caption = window->windowTitle();
    window->setWindowTitle(caption + FromCp1251(core::Text(3537, " ( минуточку...)")));
    reports::Revision revision;
    try {
        const TreeReactionsOff off(m_state);
        revision = reports::RunRevision(m_state.Tree(), SelectedNode(), *device, options, Today(m_state), createTable,
                                        m_dialog, m_state.Settings(), m_state.Clock());
    } catch (const core::Error& error) {
        m_state.Log().LogEvent(std::string("ERROR! ") + error.what());
        m_dialog.Inform(platform::MessageKind::Error, error.what());
        return;
    }
    window->setWindowTitle(caption);
    window->ShowReport(kRevisionKind, revision.text);
    window->setAttribute(Qt::WA_DeleteOnClose);
    window.release()->open();
}

void MainWindow::RunInventorySheet() {
    if (m_inventorySheet == nullptr) {
        m_inventorySheet = new InventorySheetDialog(m_state, m_dialog, Setup(), this);
    }
    m_inventorySheet->Prepare(ReportNodeTypes(m_state));
    m_inventorySheet->exec();
}

} // namespace pelgo::gui
