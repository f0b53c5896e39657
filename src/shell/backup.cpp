// Backup rotation.
#include "shell/backup.h"

#include <algorithm>
#include <string_view>

#include "core/cp1251.h"
#include "core/file.h"
#include "core/translator.h"

namespace pelgo::shell {
namespace {

constexpr std::string_view kMonthLetters = "123456789abcd";

// ".bak", ".ba_" and the generations ".b<month letter><1-9>" (".ba1".."ba9" among them).
bool IsBackupExtension(std::string_view ext) {
    if (ext == ".bak" || ext == ".ba_") {
        return true;
    }
    return ext.size() == 4 && ext.starts_with(".b") && kMonthLetters.find(ext[2]) != std::string_view::npos &&
           ext[3] >= '1' && ext[3] <= '9';
}

// Calendar day of a file's modification time; a missing file counts as the epoch.
core::DateTime DayOf(const std::string& path) {
    core::DateTime day = core::ModificationTimeOf(path).value_or(core::DateTime{});
    day.hour = day.minute = day.second = 0;
    return day;
}

// A copy keeps its source's modification time, so a copy with the file's time and size is current.
bool HoldsCurrentCopy(const std::string& copy, const std::string& file) {
    const auto copied = core::StampOf(copy);
    const auto source = core::StampOf(file);
    return copied && source && copied->modifiedNs == source->modifiedNs && copied->size == source->size;
}

} // namespace

Backups::Backups(const BackupSettings& settings, core::WorkLog& log, platform::UserDialog& dialog,
                 const core::Clock& clock, platform::Progress* progress)
    : m_settings(settings), m_log(log), m_dialog(dialog), m_clock(clock), m_progress(progress) {
    // pelgo.ini may hold any number; a generation's name has room for one digit.
    m_settings.backupCount = std::clamp(m_settings.backupCount, 1, 9);
}

bool Backups::IsToday(const core::DateTime& time) const {
    const core::DateTime now = m_clock.Now();
    return time.year == now.year && time.month == now.month && time.day == now.day;
}

void Backups::Warn(const std::string& source, const std::string& target) {
    if (m_settings.showBackupError) {
        m_dialog.Inform(platform::MessageKind::Warning,
                        "Backup warning :\r\n" + core::Text(1007, "Ошибка создания резервной копии") +
                            core::Text(1009, "\r\nИз ") + source + core::Text(1008, "\r\nВ ") + target);
    }
}

bool Backups::SubBackup(const std::string& source, const std::string& extension, bool onceADay) {
    if (!core::FileExists(source)) {
        return false;
    }
    const std::string target = core::ChangeFileExt(source, extension);
    if (onceADay) {
        if (const auto made = core::ModificationTimeOf(target); made && IsToday(*made)) {
            return false;
        }
    }
    // Both the rename and the copy replace the target in one step, so a failure leaves it as it was. Only a
    // backup moving to another backup name is renamed: the test looks at the file's own extension, so that a
    // data file named like "tree.base" or kept in a folder named like "x.backup" is never renamed away.
    if (IsBackupExtension(core::ExtractFileExt(source)) && extension.starts_with(".ba")) {
        if (core::RenameFile(source, target)) {
            m_log.LogEvent(core::Text(1004, "Резервная копия ") + ": " + source + core::Text(1005, " переименован в ") +
                           target);
            return true;
        }
        Warn(source, target);
        m_log.LogEvent(core::Text(1007, "Ошибка переименования") + " " + source + " > " + target);
        return false;
    }
    if (core::CopyFileKeepingTime(source, target)) {
        const auto stamp = core::StampOf(target);
        m_log.LogEvent(core::Text(1004, "Резервная копия ") + source + core::Text(1006, " как ") + target + " " +
                       std::to_string(stamp ? stamp->size : 0) + " b.");
        return true;
    }
    Warn(source, target);
    m_log.LogEvent(core::Text(1007, "Ошибка создания ") + target);
    return false;
}

bool Backups::ShiftGenerations(const std::string& file) {
    const std::string prefix =
        m_settings.createBackup == 2 ? std::string(".b") + kMonthLetters[m_clock.Now().month - 1] : std::string(".ba");
    for (int n = m_settings.backupCount; n >= 2; --n) {
        const std::string newer = core::ChangeFileExt(file, prefix + std::to_string(n - 1));
        // A generation not made yet is a gap, not a failure.
        if (core::FileExists(newer) && !SubBackup(newer, prefix + std::to_string(n), false)) {
            return false;
        }
    }
    return SubBackup(core::ChangeFileExt(file, ".bak"), prefix + "1", false);
}

bool Backups::Backup(const std::string& file) {
    const std::string bak = core::ChangeFileExt(file, ".bak");
    const std::string pending = core::ChangeFileExt(file, ".ba_");
    if (!HoldsCurrentCopy(bak, file)) {
        SubBackup(file, ".ba_", true);
    }
    const bool newDay =
        m_settings.backupCount > 1 && core::FileExists(pending) && core::FileExists(bak) && DayOf(bak) < DayOf(file);
    // When the generations cannot move, F.bak holds a copy kept nowhere else, so it stays; the complete F.ba_
    // waits, and the next rotation repeats the shift, which picks up where this one stopped.
    if (core::FileExists(pending) && (!newDay || ShiftGenerations(file))) {
        SubBackup(pending, ".bak", false);
    }
    if (m_progress != nullptr) {
        m_progress->ProcessEvents();
    }
    return HoldsCurrentCopy(bak, file);
}

} // namespace pelgo::shell
