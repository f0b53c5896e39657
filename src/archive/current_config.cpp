// The collector file as the current-configuration page shows it, and the amnesty's edit of it.
#include "archive/current_config.h"

#include <optional>

#include "archive/collector_file.h"
#include "archive/computer_journal.h"
#include "archive/icon_choice.h"
#include "archive/signature.h"
#include "core/cp1251.h"
#include "core/errors.h"
#include "core/file.h"
#include "core/kel_ini_file.h"

namespace pelgo::archive {
namespace {

constexpr int kFileInfoIcon = 30; // a document
constexpr int kSectionIcon = 3;
constexpr int kSignatureOkIcon = 46;
constexpr int kSignatureBadIcon = 47;

} // namespace

std::string RememberedFile(platform::DbfTable& device, std::string_view address) {
    const std::size_t group = device.FieldIndex("GROUP");
    const std::size_t text = device.FieldIndex("TEXT");
    for (const platform::DbfRecord& record : device.Find(ArchiveKey(address))) {
        if (record.values[group] == "File_Name") {
            return record.values[text];
        }
    }
    return {};
}

std::string NoCurrentFileText() {
    return core::Utf8ToCp1251("Не найден файл конфигурации !");
}

std::string FindComputerFile(platform::DbfTable* device, std::string_view directory, FileLookup lookup,
                             std::string_view address) {
    const std::string remembered = device != nullptr ? RememberedFile(*device, address) : std::string();
    return FindCollectorFile(directory, lookup, address, remembered);
}

bool ShowCfgFile(const std::string& path, const core::DateFormats& formats, ViewTree& tree) {
    const int info = tree.Add(ViewTree::kTop, "< FileInfo >", kFileInfoIcon);
    tree.Add(info, "File path : " + path, 0);
    const std::optional<core::DateTime> modified = core::ModificationTimeOf(path);
    tree.Add(info, "File date : " + (modified ? formats.ShortDate(*modified) + " " + formats.LongTime(*modified) : ""),
             0);
    const std::optional<core::FileStamp> stamp = core::StampOf(path);
    tree.Add(info, "File size : " + std::to_string(stamp ? stamp->size : -1), 0);

    core::TKelIniFile file(path, true);
    core::StringList sections;
    file.ReadSections(sections);
    const IconWords words = IconWords::Translated();
    for (const std::string& section : sections) {
        const bool signature = section == "Signature";
        const bool valid = signature && SignatureIsValid(file);
        const int checkIcon = valid ? kSignatureOkIcon : kSignatureBadIcon;
        // The section's line shows the check's outcome, as the archive's group of the section does.
        const int line =
            tree.Add(ViewTree::kTop, section, signature ? checkIcon : SetImage(section, kSectionIcon, words));
        file.ForEachKeyValue(section, [&](std::string_view key, std::string_view value) {
            tree.Add(line, std::string(key) + " : " + std::string(value), 0);
        });
        if (signature) {
            tree.Add(line, valid ? "Signature : Ok" : "Signature : BAD !", checkIcon);
        }
    }
    return !sections.empty();
}

void EditCollectorFile(const std::string& path, const std::function<void(core::TKelIniFile& file)>& edit) {
    // The lock keeps other writers of this program out from the read to the replacement. The file itself is
    // read by an instance that never writes: its own write-back would rewrite the file in place.
    std::optional<core::LockedFile> writer =
        core::LockedFile::OpenLocked(path, core::LockedFile::Access::ReadWrite, core::LockedFile::LockKind::Exclusive);
    if (!writer) {
        throw core::CannotOpenFile(path);
    }
    core::TKelIniFile file(path, true);
    // What loads without a section (LF line ends, a foreign or binary file) would be written back as nothing.
    core::StringList sections;
    file.ReadSections(sections);
    if (sections.empty()) {
        throw core::Error(core::Utf8ToCp1251("Файл ") + path +
                          core::Utf8ToCp1251(" не является файлом конфигурации; он оставлен без изменений"));
    }
    edit(file);
    if (!file.Modified()) {
        return;
    }
    core::StringList lines;
    file.GetFileLines(lines);
    std::string image;
    for (const std::string& line : lines) {
        image.append(line).append("\r\n");
    }
    core::WriteFileAtomically(path, image, &*writer);
}

std::string AmnestyFile(const std::string& path) {
    std::string address;
    EditCollectorFile(path, [&](core::TKelIniFile& file) {
        address = file.ReadString("Info", "MAC_Addr", core::ExtractFileName(path));
        for (const char* section : {"Config_changes", "Remote_Access", "Post_Accounts"}) {
            file.EraseSection(section);
        }
    });
    return address;
}

} // namespace pelgo::archive
