// Amnesty, inventorising and deletion of a computer's collector file.
#include "session/computer_files.h"

#include <vector>

#include "archive/collector_file.h"
#include "archive/computer_journal.h"
#include "archive/current_config.h"
#include "archive/single_update.h"
#include "core/cp1251.h"
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

// Runs a step on a file; a file that cannot be read or written stays as it was, and the user is told why.
bool RanOrTold(AppState& state, const std::function<void()>& step) {
    try {
        step();
        return true;
    } catch (const core::Error& error) {
        state.Log().LogEvent(error.what());
        state.Dialog().Inform(platform::MessageKind::Error, error.what());
        return false;
    }
}

// The computer's file in the configuration directory (the remembered name, then its short form); empty when
// there is none (told when `tellMissing`). The remembered name may have passed to another computer's file: one
// whose [Info] MAC_Addr names another address is refused, with word to the user.
std::string FileOfComputer(AppState& state, const structure::TreeNode& computer, const std::string& directory,
                           bool tellMissing) {
    std::string path;
    std::string address;
    if (structure::IsNetComputer(state.Tree(), &computer)) {
        address = structure::ComputerAddress(state.Tree(), computer);
        path = archive::FindComputerFile(state.DeviceTable().IfOpen(), directory, archive::FileLookup::FileCommands,
                                         address);
    }
    if (path.empty()) {
        if (tellMissing) {
            state.Dialog().Inform(platform::MessageKind::Warning,
                                  computer.Text() + " :\r\n" + core::Text(1071, "Не найден файл конфигурации"));
        }
        return {};
    }
    std::string owner;
    if (!RanOrTold(state, [&] { owner = core::TKelIniFile(path, true).ReadString("Info", "MAC_Addr", ""); })) {
        return {};
    }
    const std::string ownerKey = archive::ArchiveKey(owner);
    if (ownerKey.empty() || ownerKey == archive::ArchiveKey(address)) {
        return path;
    }
    const std::string message = computer.Text() + " :\r\n" + core::Text(1076, "Файл ") + path +
                                core::Utf8ToCp1251(" принадлежит компьютеру с MAC-адресом ") + ownerKey +
                                core::Utf8ToCp1251(", а не ") + archive::ArchiveKey(address) +
                                core::Utf8ToCp1251(".\r\nНичего не изменено.");
    state.Log().LogEvent(message);
    state.Dialog().Inform(platform::MessageKind::Error, message);
    return {};
}

// The journal entry of a command whose work on the file is done: a journal that cannot be written must neither
// hide that work (`outcome`, when there is some) nor end a department's amnesty.
void Journal(AppState& state, const std::string& address, const std::string& text, const std::string& outcome) {
    try {
        state.AddToLog(address, text);
    } catch (const core::Error& error) {
        const std::string message = (outcome.empty() ? std::string() : outcome + "\r\n") +
                                    core::Utf8ToCp1251("Запись в журнал изменений компьютера ") + address +
                                    core::Utf8ToCp1251(" не сделана: ") + error.what();
        state.Log().LogEvent(message);
        state.Dialog().Inform(platform::MessageKind::Error, message);
    }
}

bool Confirmed(AppState& state, const std::string& question) {
    return state.Dialog().Ask(platform::MessageKind::Confirmation, question, platform::Buttons::YesNo) ==
           platform::Answer::Yes;
}

// The closing message comes after the pages show the outcome.
void Finish(AppState& state, const FileCommandView& view, const std::string& message) {
    if (view.refresh) {
        view.refresh();
    }
    state.Dialog().Inform(platform::MessageKind::Information, message);
}

} // namespace

bool AmnestyComputer(AppState& state, structure::TreeNode& computer, const std::string& directory, bool ask,
                     const FileCommandView& view) {
    if (ask && !Confirmed(state, AmnestyQuestion())) {
        return false;
    }
    const std::string path = FileOfComputer(state, computer, directory, true);
    std::string address;
    if (path.empty() || !RanOrTold(state, [&] { address = archive::AmnestyFile(path); })) {
        return false;
    }
    Journal(state, address,
            "Section [Config changes],[Post_Accounts] & [Remote Access] deleted by " + state.CurrentUser(),
            core::Text(1076, "Файл ") + path + core::Utf8ToCp1251(" изменен."));
    if (ask) {
        Finish(state, view, Done());
    }
    return true;
}

void AmnestyDepartment(AppState& state, structure::TreeNode& department, const std::string& directory,
                       const FileCommandView& view) {
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
        if (view.select) {
            view.select(*computer);
        }
        AmnestyComputer(state, *computer, directory, false, view);
        if (list.size() < kListedNamesLength) {
            list += computer->Text() + "\r\n";
        } else if (!cut) {
            list += "...\r\n";
            cut = true;
        }
    }
    Finish(state, view, Done() + "\r\n" + list);
}

bool InventorizeComputer(AppState& state, structure::TreeNode& computer, const std::string& directory,
                         const FileCommandView& view) {
    const std::string path = FileOfComputer(state, computer, directory, true);
    const auto write = [&] {
        archive::EditCollectorFile(path, [&](core::TKelIniFile& file) {
            inventory::WriteInventoryData(file, computer, state.Clock().Now(), state.CurrentUser());
        });
    };
    if (path.empty() || !RanOrTold(state, write)) {
        return false;
    }
    Finish(state, view, Done() + "\r\n" + computer.Text());
    return true;
}

bool DeleteComputerFile(AppState& state, structure::TreeNode& computer, const std::string& directory,
                        const FileCommandView& view) {
    if (!Confirmed(state, core::Text(1078, "Удалить файл конфигурации компьютера ?"))) {
        return false;
    }
    const std::string path = FileOfComputer(state, computer, directory, false);
    if (path.empty()) {
        return false;
    }
    const std::string name = core::ExtractFileName(path);
    // A name without an extension is the computer's address: the journal entry goes under it.
    const bool journaled = name.find('.') == std::string::npos;
    if (core::RemoveFile(path)) {
        const std::string deleted = core::Text(1077, " удален ");
        if (journaled) {
            Journal(state, name, core::Text(1076, "Файл ") + path + deleted + state.CurrentUser(),
                    core::Text(1076, "Файл ") + path + std::string(core::TrimRight(deleted)) + ".");
        }
        Finish(state, view, core::Text(1076, "Файл ") + std::string(core::TrimLeft(deleted)) + "!");
        return true;
    }
    const std::string failed = core::Text(4306, "Ошибка удаления файла ");
    if (journaled) {
        Journal(state, name, failed + path + " " + state.CurrentUser(), {});
    }
    state.Dialog().Inform(platform::MessageKind::Error, failed + path + "!");
    return false;
}

} // namespace pelgo::session
