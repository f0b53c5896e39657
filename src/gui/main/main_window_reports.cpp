// The main window's user reports: a reports-menu item loads its template into the editor, generates it for
// the selected node and shows the result in a report window. A report only reads the data.
#include "archive/pick_lists.h"
#include "core/date_time.h"
#include "core/errors.h"
#include "core/translator.h"
#include "gui/main/main_window.h"
#include "gui/reports/report_window.h"
#include "gui/reports/reports_setup_window.h"
#include "reports/template_report.h"
#include "reports/user_reports.h"
#include "structure/additional_data.h"
#include "structure/node_records_table.h"

namespace pelgo::gui {

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
    const structure::NodeTypes fallbackTypes(settings.userNodeTypes);
    const structure::NodeTypes& types = m_state.NodeTypes() != nullptr ? *m_state.NodeTypes() : fallbackTypes;
    ReportsSetupWindow& editor = ReportsSetup();
    // The report takes the editor's document: the user's unsaved template must not go with it.
    if (!editor.ConfirmDiscard()) {
        return;
    }
    editor.SetTypeNames(reports::IncludedTypeNames(types));
    reports::RichText text;
    try {
        editor.LoadReportsFromFile(report->path);
        structure::NodeRecordsTable records(*other);
        structure::AdditionalData additional(records, m_state.Log());
        reports::ReportSources sources{m_state.Tree(), types, *device, additional,
                                       core::DateFormats().ShortDate(m_state.Clock().Now())};
        text = reports::MakeUserReports(editor.Template(), sources, m_state.SelectedNode());
    } catch (const core::Error& error) {
        editor.Clear();
        m_state.Log().LogEvent(std::string("ERROR! ") + error.what());
        m_dialog.Inform(platform::MessageKind::Error, error.what());
        return;
    }
    auto* window = new ReportWindow(m_dialog, settings.Bool(shell::Key::RTF_Edit), this);
    window->setAttribute(Qt::WA_DeleteOnClose);
    window->ShowReport(200 + static_cast<int>(report->position), text);
    // The editor holds the template until the report is closed.
    connect(window, &QDialog::finished, this, [this] { ReportsSetup().Clear(); });
    window->open();
}

} // namespace pelgo::gui
