// Backup rotation.
#include "shell/backup.h"

#include "core/cp1251.h"
#include "core/file.h"
#include "core/translator.h"

namespace pelgo::shell {
namespace {

constexpr char kMonthLetters[] = "123456789abcd";

// Calendar day of a file's modification time; a missing file counts as the epoch.
core::DateTime DayOf(const std::string& path) {
    core::DateTime day = core::ModificationTimeOf(path).value_or(core::DateTime{});
    day.hour = day.minute = day.second = 0;
    return day;
}

core::DateTime TimeOf(const std::string& path) {
    return core::ModificationTimeOf(path).value_or(core::DateTime{});
}

} // namespace

Backups::Backups(const BackupSettings& settings, core::WorkLog& log, platform::UserDialog& dialog,
                 const core::Clock& clock, platform::Progress* progress)
    : m_settings(settings), m_log(log), m_dialog(dialog), m_clock(clock), m_progress(progress) {
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
    core::RemoveFile(target);
    // Only a backup moving to another backup name is renamed. The test looks at the file's own extension,
    // not the whole path, so that a data folder named like "x.backup" never has its live files renamed away.
    if (core::ExtractFileExt(source).starts_with(".ba") && extension.starts_with(".ba")) {
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

void Backups::Backup(const std::string& file) {
    const std::string bak = core::ChangeFileExt(file, ".bak");
    const std::string pending = core::ChangeFileExt(file, ".ba_");
    if (TimeOf(bak) != TimeOf(file)) {
        SubBackup(file, ".ba_", true);
    }
    if (m_settings.backupCount > 1 && core::FileExists(pending) && core::FileExists(bak) && DayOf(bak) < DayOf(file)) {
        std::string prefix = ".ba";
        if (m_settings.createBackup == 2) {
            prefix = std::string(".b") + kMonthLetters[m_clock.Now().month - 1];
        }
        for (int n = m_settings.backupCount; n >= 2; --n) {
            SubBackup(core::ChangeFileExt(file, prefix + std::to_string(n - 1)), prefix + std::to_string(n), false);
        }
        SubBackup(bak, prefix + "1", false);
    }
    if (core::FileExists(pending)) {
        SubBackup(pending, ".bak", false);
    }
    if (m_progress != nullptr) {
        m_progress->ProcessEvents();
    }
}

} // namespace pelgo::shell
