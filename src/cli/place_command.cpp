// pelgo-cli place: the computers of the first node of the tree placed under their employees, as the menu
// "Распределить неучтенные компьютеры" does; the protocol is printed and kept as move.log.
#include "archive/new_computers.h"
#include "cli/changing_run.h"
#include "cli/commands.h"
#include "cli/installation.h"
#include "core/file.h"

namespace pelgo::cli {
namespace {

// Prints the protocol as it goes and keeps it for the protocol file.
class KeptProtocol : public CliProgress {
public:
    void Protocol(std::string_view line) override {
        CliProgress::Protocol(line);
        m_text += std::string(line) + "\r\n";
    }
    const std::string& Text() const { return m_text; }

private:
    std::string m_text;
};

} // namespace

const char* const kPlaceUsage =
    "  place                       place the computers of the tree's first node under the employees their\n"
    "                              collector files name ([NewCompDistrib]); prints the protocol and keeps it as\n"
    "                              move.log in the installation folder\n";

int RunPlace(const Context& context, const std::vector<std::string>& raw) {
    const Args args(raw, {});
    args.ExpectCount(0, 0);
    args.ExpectOptions({});
    // The command is the answer to "Попытаться распределить неучтенные компьютеры ?".
    CliDialog dialog(true);
    KeptProtocol protocol;
    return RunChange(context, dialog, [&](session::AppState& state) {
        archive::MoveData(state.Tree(), *state.DeviceTable().table, archive::PlacementRule::From(state.Settings()),
                          dialog, protocol, [&state] { state.TreeStorage()->SetTreeModified(true); });
        core::WriteFileAtomically(InstallationFolder(context) + "/move.log", protocol.Text());
        return std::vector<std::string>();
    });
}

} // namespace pelgo::cli
