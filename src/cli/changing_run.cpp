// The application state's start, save and close around one change from the command line.
#include "cli/changing_run.h"

#include "cli/installation.h"
#include "cli/stored_tree.h"
#include "core/errors.h"
#include "platform/system_identity.h"

namespace pelgo::cli {
namespace {

// Closes the state however the command ends.
class CloseAtEnd {
public:
    explicit CloseAtEnd(session::AppState& state) : m_state(state) {}
    ~CloseAtEnd() { m_state.CloseRequest(); }
    CloseAtEnd(const CloseAtEnd&) = delete;
    CloseAtEnd& operator=(const CloseAtEnd&) = delete;

private:
    session::AppState& m_state;
};

} // namespace

int RunChange(const Context& context, CliDialog& dialog, const Edit& edit) {
    RequireStoredTree(context);
    const std::string folder = InstallationFolder(context);
    session::StartOptions options{folder,
                                  folder + "/pelgo", // the installation records the window program
                                  {},
                                  platform::CurrentUserName(),
                                  platform::ComputerName()};
    options.singleCommand = true;
    CliProgress progress;
    session::AppState state(std::move(options), dialog, progress);
    if (state.Start([](std::string_view) {}) != session::AppState::StartResult::Running) {
        throw core::Error("the data could not be opened (see above); nothing was changed");
    }
    const CloseAtEnd close(state);
    state.Activate();
    structure::TreeStorage& storage = *state.TreeStorage();
    // The edit goes on the tree as it is now: one another instance saved since the start is loaded first.
    if (storage.TreeFileChanged() && !storage.SetupTreeNode(structure::TreeStorage::kLoad)) {
        throw core::Error("the structure tree could not be loaded again (see above); nothing was changed");
    }
    const int messagesBefore = dialog.MessagesShown();
    const std::vector<std::string> output = edit(state);
    if (!storage.TreeModified() && dialog.MessagesShown() > messagesBefore) {
        return 1;
    }
    if (storage.TreeModified()) {
        // A save that wrote nothing leaves the mark.
        state.SaveAll();
        if (storage.TreeModified()) {
            storage.SetTreeModified(false); // the close need not fail again
            throw core::Error("the change was not saved; the messages above and " + state.Log().Path() +
                              " say why. Run the command again.");
        }
    }
    for (const std::string& line : output) {
        PrintLine(line);
    }
    return 0;
}

} // namespace pelgo::cli
