// Opening, repairing and packing the program's tables.
#include "shell/table_care.h"

#include <exception>
#include <unistd.h>

#include "core/cp1251.h"
#include "core/file.h"
#include "core/translator.h"

namespace pelgo::shell {
namespace {

// The production-index file dBase programs keep beside a table: the name with "mdx" for its last three
// characters, in either letter case.
std::optional<std::string> ExistingIndexFile(const std::string& tablePath) {
    if (tablePath.size() < 4) {
        return std::nullopt;
    }
    const std::string stem = tablePath.substr(0, tablePath.size() - 3);
    for (const char* extension : {"mdx", "MDX"}) {
        if (core::FileExists(stem + extension)) {
            return stem + extension;
        }
    }
    return std::nullopt;
}

} // namespace

TableCare::TableCare(core::WorkLog& log, platform::UserDialog& dialog, const core::Clock& clock, ProtectionFlags& flags)
    : m_log(log), m_dialog(dialog), m_clock(clock), m_flags(flags) {
}

bool TableCare::OpenTable(ManagedTable& table) {
    if (table.IsOpen()) {
        return true;
    }
    using platform::DbfOpenMode;
    const DbfOpenMode mode =
        table.readOnly ? DbfOpenMode::ReadOnly : (table.exclusive ? DbfOpenMode::Exclusive : DbfOpenMode::Shared);
    try {
        table.table = platform::DbfTable::Open(table.path, mode, m_clock);
        if (!table.indexTag.empty()) {
            table.table->SetIndex(table.indexTag);
        }
        if (mode != DbfOpenMode::ReadOnly && !table.indexTag.empty()) {
            try {
                table.table->RebuildIndexes();
            } catch (const platform::TableLocked&) {
                m_flags.multiUserAccess = true;
            }
        }
        return true;
    } catch (const std::exception& error) { // whatever keeps a table from opening takes the same path
        table.Close();
        m_dialog.Inform(platform::MessageKind::Error,
                        core::Utf8ToCp1251("ВНИМАНИЕ! Ошибка открытия базы ") + table.path + "\r\n\r\n" + error.what() +
                            "\r\n\r\n" + core::Utf8ToCp1251("Нормальное выполнение программы невозможно!"));
        table.readOnly = true;
        return false;
    }
}

bool TableCare::RepairMissingIndex(ManagedTable& table) {
    table.Close();
    // A table that cannot be read is logged here and reported by the open that follows.
    try {
        if (!core::FileExists(table.path) || !platform::DbfTable::HasProductionIndexFlag(table.path) ||
            ExistingIndexFile(table.path)) {
            return false;
        }
        platform::DbfTable::ClearProductionIndexFlag(table.path);
        return true;
    } catch (const core::Error& error) {
        m_log.LogEvent(error.what());
        return false;
    }
}

TableCare::ReindexResult TableCare::Reindex(ManagedTable& table) {
    if (m_dialog.Ask(platform::MessageKind::Confirmation,
                     core::Text(1081, "Переиндексировать базу данных ") + table.path + " ?",
                     platform::Buttons::YesNo) != platform::Answer::Yes) {
        return ReindexResult::NotOpened;
    }
    m_log.LogEvent(core::Text(1082, "Переиндексация базы данных ") + table.path);
    table.Close();
    if (const auto indexFile = ExistingIndexFile(table.path); indexFile && !core::RemoveFile(*indexFile)) {
        return ReindexResult::NotOpened;
    }
    try {
        for (const std::string& repair : platform::DbfTable::Repair(table.path, m_clock)) {
            m_log.LogEvent(table.path + ": " + repair);
        }
    } catch (const core::Error& error) {
        m_log.LogEvent(error.what());
    }
    RepairMissingIndex(table);
    // The failed open marked the table read-only; repaired, it is opened for writing as the start asked, unless
    // this user may only read it.
    table.readOnly = ::access(core::NativeFileName(table.path).c_str(), W_OK) != 0;
    if (OpenTable(table)) {
        return ReindexResult::Opened;
    }
    const std::string failed = core::Text(1083, "Ошибка открытия базы данных ") + table.path;
    m_log.LogEvent(failed);
    m_dialog.Inform(platform::MessageKind::Error, failed + "\r\n" +
                                                      core::Text(1084, "Воспользуйтесь резервной копией ") +
                                                      core::ChangeFileExt(table.path, ".bak") + "\r\n" +
                                                      core::Text(1085, "Работа программы будет завершена !"));
    return ReindexResult::Fatal;
}

void TableCare::Pack(ManagedTable& table) {
    if (!table.IsOpen()) {
        throw platform::TableError("Table " + table.path + " is not open");
    }
    table.table->Pack();
}

} // namespace pelgo::shell
