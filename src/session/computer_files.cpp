// Amnesty, inventorising and deletion of a computer's collector file.
#include "session/computer_files.h"

#include <vector>

#include "archive/collector_file.h"
#include "archive/current_config.h"
#include "archive/single_update.h"
#include "core/errors.h"
#include "core/file.h"
#include "core/kel_ini_file.h"
#include "core/text.h"
#include "core/translator.h"
#include "inventory/inventory_data.h"
#include "structure/node_queries.h"

namespace pelgo::session {
namespace {

// The department's list of amnestied computers stops growing at this length.
constexpr std::size_t kListedNamesLength = 300;

std::string Done() {
    return core::Text(1075, "Готово!");
}

std::string AmnestyQuestion() {
    return core::Text(1074, "Удалить секции [Config changes],[Post_Accounts] и [Remote Access] ?");
}

// The computer's file in the configuration directory (the remembered name, then its short form); empty when
// there is none.
std::string FileOfComputer(AppState& state, const structure::TreeNode& computer, const std::string& directory) {
    if (!structure::IsNetComputer(state.Tree(), &computer)) {
        return {};
    }
    return archive::FindComputerFile(state.DeviceTable().IfOpen(), directory, archive::FileLookup::FileCommands,
                                     structure::ComputerAddress(state.Tree(), computer));
}

// The file of the computer, or empty after telling the user that it has none.
std::string FileOrTell(AppState& state, const structure::TreeNode& computer, const std::string& directory) {
    std::string path = FileOfComputer(state, computer, directory);
    if (path.empty()) {
        state.Dialog().Inform(platform::MessageKind::Warning,
                              computer.Text() + " :\r\n" + core::Text(1071, "Не найден файл конфигурации"));
    }
    return path;
}

// A file that cannot be opened or written stays as it was; the user is told why.
bool Edited(AppState& state, const std::function<void()>& edit) {
    try {
        edit();
        return true;
    } catch (const core::Error& error) {
        state.Log().LogEvent(error.what());
        state.Dialog().Inform(platform::MessageKind::Error, error.what());
        return false;
    }
}

bool Confirmed(AppState& state, const std::string& question) {
    return state.Dialog().Ask(platform::MessageKind::Confirmation, question, platform::Buttons::YesNo) ==
           platform::Answer::Yes;
}

} // namespace

bool AmnestyComputer(AppState& state, structure::TreeNode& computer, const std::string& directory, bool ask) {
    if (ask && !Confirmed(state, AmnestyQuestion())) {
        return false;
    }
    const std::string path = FileOrTell(state, computer, directory);
    std::string address;
    if (path.empty() || !Edited(state, [&] { address = archive::AmnestyFile(path); })) {
        return false;
    }
    state.AddToLog(address,
                   "Section [Config changes],[Post_Accounts] & [Remote Access] deleted by " + state.CurrentUser());
    if (ask) {
        state.Dialog().Inform(platform::MessageKind::Information, Done());
    }
    return true;
}

void AmnestyDepartment(AppState& state, structure::TreeNode& department, const std::string& directory,
                       const std::function<void(structure::TreeNode& computer)>& select) {
    const std::optional<archive::DepartmentRange> range = archive::DepartmentOf(state.Tree(), &department);
    if (!range) {
        return;
    }
    std::string question = AmnestyQuestion();
    if (const std::size_t mark = question.find('?'); mark != std::string::npos) {
        question[mark] = ' ';
    }
    question += "\r\n" + core::Text(32, "с") + " " + range->department->Text();
    if (range->nextSibling != nullptr) {
        question += "\r\n" + core::Text(33, "по") + " " + range->nextSibling->Text();
    }
    if (!Confirmed(state, question + " ?")) {
        return;
    }
    // By handle: selecting a computer lets the window react, which must not leave a pointer behind.
    std::vector<int> handles;
    for (const structure::TreeNode* computer : range->computers) {
        handles.push_back(computer->Handle());
    }
    std::string list;
    bool cut = false;
    for (const int handle : handles) {
        structure::TreeNode* computer = state.Tree().NodeByHandle(handle);
        if (computer == nullptr) {
            continue;
        }
        select(*computer);
        AmnestyComputer(state, *computer, directory, false);
        if (list.size() < kListedNamesLength) {
            list += computer->Text() + "\r\n";
        } else if (!cut) {
            list += "...\r\n";
            cut = true;
        }
    }
    state.Dialog().Inform(platform::MessageKind::Information, Done() + "\r\n" + list);
}

bool InventorizeComputer(AppState& state, structure::TreeNode& computer, const std::string& directory) {
    const std::string path = FileOrTell(state, computer, directory);
    const auto write = [&] {
        archive::EditCollectorFile(path, [&](core::TKelIniFile& file) {
            inventory::WriteInventoryData(file, computer, state.Clock().Now(), state.CurrentUser());
        });
    };
    if (path.empty() || !Edited(state, write)) {
        return false;
    }
    state.Dialog().Inform(platform::MessageKind::Information, Done() + "\r\n" + computer.Text());
    return true;
}

bool DeleteComputerFile(AppState& state, structure::TreeNode& computer, const std::string& directory) {
    if (!Confirmed(state, core::Text(1078, "Удалить файл конфигурации компьютера ?"))) {
        return false;
    }
    const std::string path = FileOfComputer(state, computer, directory);
    if (path.empty()) {
        return false;
    }
    const std::string name = core::ExtractFileName(path);
    // A name without an extension is the computer's address: the journal entry goes under it.
    const bool journaled = name.find('.') == std::string::npos;
    if (core::RemoveFile(path)) {
        const std::string deleted = core::Text(1077, " удален ");
        if (journaled) {
            state.AddToLog(name, core::Text(1076, "Файл ") + path + deleted + state.CurrentUser());
        }
        state.Dialog().Inform(platform::MessageKind::Information,
                              core::Text(1076, "Файл ") + std::string(core::TrimLeft(deleted)) + "!");
        return true;
    }
    const std::string failed = core::Text(4306, "Ошибка удаления файла ");
    if (journaled) {
        state.AddToLog(name, failed + path + " " + state.CurrentUser());
    }
    state.Dialog().Inform(platform::MessageKind::Error, failed + path + "!");
    return false;
}

} // namespace pelgo::session
