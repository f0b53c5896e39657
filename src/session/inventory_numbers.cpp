// The inventory-number run on the application state.
#include "session/inventory_numbers.h"

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

} // namespace pelgo::session
