// The inventory-number runs on the application state.
#include "session/inventory_numbers.h"

#include "core/file.h"
#include "core/translator.h"
#include "structure/node_records_table.h"

namespace pelgo::session {
namespace {

// Switches the window's reactions to the tree off for a run that walks it, and on again however it ends.
class ReactionsOff {
public:
    explicit ReactionsOff(AppState& state) : m_state(state) { m_state.SetTreeReactionsOn(false); }
    ~ReactionsOff() { m_state.SetTreeReactionsOn(true); }
    ReactionsOff(const ReactionsOff&) = delete;
    ReactionsOff& operator=(const ReactionsOff&) = delete;

private:
    AppState& m_state;
};

} // namespace

std::string InventoryProtocolPath(const shell::Settings& settings) {
    return settings.Paths().ProgramDirectory() + "inventory.log";
}

inventory::InventoryOutcome AssignInventoryNumbers(AppState& state, const std::vector<std::string>& directories,
                                                   platform::UserDialog& dialog, platform::Progress& progress,
                                                   const InventoryHooks& hooks) {
    const inventory::InventoryRun run{state.Tree(),
                                      dialog,
                                      progress,
                                      state.Clock(),
                                      state.CurrentUser(),
                                      hooks.caption.empty() ? inventory::DefaultCaption() : hooks.caption,
                                      InventoryProtocolPath(state.Settings()),
                                      hooks.select,
                                      hooks.directoriesDone};
    const ReactionsOff off(state);
    return inventory::AssignInventoryNumbers(run, directories);
}

std::optional<inventory::SyncOutcome> SynchronizeInventoryNumbers(AppState& state, platform::UserDialog& dialog,
                                                                  const inventory::ConflictQuestion& ask,
                                                                  const std::function<void()>& step) {
    if (state.ProtectData()) {
        dialog.Inform(platform::MessageKind::Warning, core::Text(1047, "Включена защита данных"));
        return std::nullopt;
    }
    structure::NodeRecordsTable records(*state.OtherTable().table);
    const AppState::ExclusiveHold exclusive(state);
    inventory::SyncOutcome outcome;
    {
        const ReactionsOff off(state);
        outcome = inventory::SynchronizeNumbers(
            state.Tree(), state.Identity(), records, ask,
            [&state](structure::TreeNode& node, std::string caption) {
                state.Tree().SetText(node, std::move(caption));
            },
            step);
    }
    // The tree goes first: the records point at UNOs that a load may have given in memory only, and a tree
    // another instance saved meanwhile would leave them pointing at nothing.
    if (outcome.captionsChanged || outcome.unosGiven || !outcome.recordChanges.empty()) {
        state.TreeStorage()->SetTreeModified(true);
        if (!state.SaveAll()) {
            return std::nullopt;
        }
    }
    inventory::ApplyRecordChanges(records, outcome.recordChanges);
    state.NotePost();
    return outcome;
}

std::string NumberCheckLogPath(const shell::Settings& settings) {
    return settings.Paths().ProgramDirectory() + "error.log";
}

NumberCheckReport ReportNumberCheck(inventory::CheckOutcome outcome, const core::DateTime& now,
                                    const std::string& logPath) {
    NumberCheckReport report{std::move(outcome), {}, {}};
    if (report.outcome.duplicates.empty()) {
        report.message = inventory::CheckPassedMessage(report.outcome);
        return report;
    }
    const core::DateFormats formats;
    core::WriteFileAtomically(
        logPath, inventory::CheckLogBytes(report.outcome, formats.ShortDate(now) + " " + formats.LongTime(now)));
    report.logPath = logPath;
    report.message =
        core::Text(4204, "Обнаружены дублирующиеся инвентарные номера !\r\nПодробности смотри в \r\n") + logPath;
    return report;
}

NumberCheckReport CheckInventoryNumbers(AppState& state, const std::function<void()>& step) {
    inventory::CheckOutcome outcome;
    {
        const ReactionsOff off(state);
        outcome = inventory::CheckNumbers(state.Tree(), *state.NodeTypes(), step);
    }
    return ReportNumberCheck(std::move(outcome), state.Clock().Now(), NumberCheckLogPath(state.Settings()));
}

} // namespace pelgo::session
