// Updating one computer or one department's computers.
#include "archive/single_update.h"

#include "archive/collector_file.h"
#include "archive/current_config.h"
#include "core/file.h"
#include "core/translator.h"
#include "structure/node_queries.h"
#include "structure/node_types.h"

namespace pelgo::archive {

bool UpdateComputer(ArchiveUpdate& update, structure::TreeModel& tree, platform::DbfTable& device,
                    structure::TreeNode& computer, const std::string& directory, UpdateOptions options,
                    platform::UserDialog& dialog, bool tellMissing) {
    if (!structure::IsNetComputer(tree, &computer)) {
        return false;
    }
    const std::string address = tree.Next(computer)->Text();
    const std::string remembered = RememberedFile(device, address);
    const std::string path = FindCollectorFile(directory, FileLookup::SingleUpdate, address, remembered);
    if (path.empty()) {
        if (tellMissing) {
            dialog.Inform(platform::MessageKind::Warning, computer.Text() + "  :\r\n" +
                                                              core::Text(1071, "Не найден файл конфигурации") + "\r\n" +
                                                              directory + "/" + core::ExtractFileName(remembered));
        }
        return false;
    }
    const std::vector<std::string> names{core::ExtractFileName(path)};
    update.MoveToTempDir(directory, names, options);
    options.onlyNew = false;
    update.AddNew(directory, names, options, computer);
    update.RemoveCopies();
    return true;
}

std::optional<DepartmentRange> DepartmentOf(const structure::TreeModel& tree, structure::TreeNode* selected) {
    structure::TreeNode* department = selected;
    while (department != nullptr && department->Icon() != structure::kIconDepartment &&
           department->Icon() != structure::kIconEmployee) {
        department = department->Parent();
    }
    if (department == nullptr) {
        return std::nullopt;
    }
    const structure::TreeNode* parent = department->Parent();
    DepartmentRange range{department,
                          parent != nullptr ? parent->Child(department->Row() + 1)
                                            : tree.TopLevel(department->Row() + 1),
                          {}};
    for (structure::TreeNode* node = department; node != nullptr && node != range.nextSibling;
         node = tree.Next(*node)) {
        if (structure::IsNetComputer(tree, node)) {
            range.computers.push_back(node);
        }
    }
    return range;
}

std::vector<std::string> UpdateDepartment(ArchiveUpdate& update, structure::TreeModel& tree, platform::DbfTable& device,
                                          const DepartmentRange& range, const std::string& directory,
                                          const UpdateOptions& options, platform::UserDialog& dialog) {
    std::string title = core::Text(216, "Обновить архив !");
    if (const std::size_t mark = title.find('!'); mark != std::string::npos) {
        title[mark] = ':';
    }
    std::string question = title + "\r\n" + core::Text(32, "с") + " " + range.department->Text();
    if (range.nextSibling != nullptr) {
        question += "\r\n" + core::Text(33, "по") + " " + range.nextSibling->Text();
    }
    std::vector<std::string> updated;
    if (dialog.Ask(platform::MessageKind::Confirmation, question + " ?", platform::Buttons::YesNo) !=
        platform::Answer::Yes) {
        return updated;
    }
    // By handle: the events let through between files must not leave a computer pointer behind.
    std::vector<int> handles;
    for (const structure::TreeNode* computer : range.computers) {
        handles.push_back(computer->Handle());
    }
    for (const int handle : handles) {
        structure::TreeNode* computer = tree.NodeByHandle(handle);
        if (computer != nullptr && UpdateComputer(update, tree, device, *computer, directory, options, dialog, false)) {
            updated.push_back(computer->Text());
        }
    }
    return updated;
}

} // namespace pelgo::archive
