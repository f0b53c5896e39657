// The table engine: sharing modes, posted writes, the in-memory index, pack, check and repair.
#include "platform/dbf_table.h"

#include <algorithm>
#include <exception>
#include <sys/stat.h>

#include "core/cp1251.h"

namespace pelgo::platform {
namespace {

using core::LockedFile;
using LockKind = LockedFile::LockKind;

constexpr std::int64_t kModeLockOffset = 0x7FFFFFFF00;
constexpr std::int64_t kWriteLockOffset = kModeLockOffset + 1;
constexpr std::size_t kBlockBytes = std::size_t{1} << 20;
constexpr int kOpenAttempts = 4;

bool OthersMayWrite(DbfOpenMode mode) {
    return mode != DbfOpenMode::Exclusive;
}

// Holds the write-lock byte for one look at, or one write to, a table that others may write too.
class StateLock {
public:
    StateLock(LockedFile& file, DbfOpenMode mode, LockKind kind) : m_file(OthersMayWrite(mode) ? &file : nullptr) {
        if (m_file) {
            m_file->Lock(kind, kWriteLockOffset, 1);
        }
    }
    ~StateLock() {
        if (m_file) {
            m_file->Unlock(kWriteLockOffset, 1);
        }
    }
    StateLock(const StateLock&) = delete;
    StateLock& operator=(const StateLock&) = delete;

private:
    LockedFile* m_file;
};

std::string LockedMessage(std::string_view path, LockKind wanted) {
    const std::string table(path);
    return wanted == LockKind::Exclusive
               ? "Table " + table + " is open in another program; close it there to get exclusive use"
               : "Table " + table + " is in exclusive use by another program; try again when it has finished";
}

LockedFile OpenLocked(std::string_view path, LockedFile::Access access, LockKind kind, bool create) {
    for (int attempt = 0; attempt < kOpenAttempts; ++attempt) {
        std::optional<LockedFile> file = LockedFile::Open(path, access, create);
        if (!file) {
            throw core::CannotOpenFile(std::string(path));
        }
        if (!file->TryLock(kind, kModeLockOffset, 1)) {
            throw TableLocked(LockedMessage(path, kind));
        }
        // Another holder's pack may have renamed a new table over the name between our open and our lock.
        const std::optional<core::FileStamp> named = core::StampOf(path);
        if (named && named->inode == file->Stamp().inode) {
            return std::move(*file);
        }
    }
    throw TableError("Table " + std::string(path) + " keeps being replaced by another program; try again");
}

bool IsRecordMark(char c) {
    return c == kDbfLiveMark || c == kDbfDeletedMark;
}

// Past the header's count, the records end at the first slot that does not start with a record mark: the end
// marker, or whatever a crash or another program left after it, is never taken for a record. Within the count
// only an end marker with no record after it ends them, so a record whose mark byte is damaged is kept, not
// cut off with all after it; it is counted as damage all the same, since other programs skip such a record or,
// at an end marker, lose every record after it.
DbfHealth Examine(const LockedFile& file, const DbfFixedHeader& header, std::size_t fieldCount) {
    DbfHealth health;
    health.version = header.Version();
    health.fieldCount = fieldCount;
    health.headerLength = header.HeaderLength();
    health.recordLength = header.RecordLength();
    health.headerCount = header.RecordCount();
    const std::size_t length = header.RecordLength();
    const std::size_t blockBytes = std::max<std::size_t>(1, kBlockBytes / length) * length;
    std::int64_t end = header.HeaderLength();
    for (bool wholeBlock = true; wholeBlock;) {
        const std::string block = file.ReadAt(end, blockBytes);
        std::size_t at = 0;
        const auto isRecord = [&](std::size_t slotAt) {
            if (IsRecordMark(block[slotAt])) {
                return true;
            }
            const std::int64_t offset = end + static_cast<std::int64_t>(slotAt);
            if ((offset - header.HeaderLength()) / static_cast<std::int64_t>(length) >= header.RecordCount()) {
                return false;
            }
            // Within the count an end marker ends the records only where no record follows it.
            return block[slotAt] != kDbfEndMarker ||
                   IsRecordMark(file.ReadAt(offset + static_cast<std::int64_t>(length), 1).c_str()[0]);
        };
        while (at + length <= block.size() && isRecord(at)) {
            health.damagedMarks += IsRecordMark(block[at]) ? 0 : 1;
            at += length;
        }
        end += static_cast<std::int64_t>(at);
        wholeBlock = at == blockBytes;
    }
    health.recordsInFile = static_cast<std::uint32_t>((end - header.HeaderLength()) / header.RecordLength());
    const std::int64_t rest = std::max<std::int64_t>(0, file.Size() - end);
    const std::string next = file.ReadAt(end, 1);
    if (!next.empty() && IsRecordMark(next.front())) {
        health.partialBytes = static_cast<std::uint32_t>(rest);
    } else {
        health.endMarker = next == std::string(1, kDbfEndMarker);
        health.trailingBytes = static_cast<std::uint32_t>(rest - (health.endMarker ? 1 : 0));
    }
    return health;
}

std::string RecordsText(std::uint32_t count) {
    return std::to_string(count) + (count == 1 ? " record" : " records");
}

} // namespace

std::vector<std::string> DbfHealth::Problems() const {
    if (!headerProblem.empty()) {
        return {headerProblem};
    }
    std::vector<std::string> problems;
    if (headerCount != recordsInFile && !UncountedRecords()) {
        problems.push_back("the header counts " + std::to_string(headerCount) + " records, the file holds " +
                           std::to_string(recordsInFile));
    }
    if (damagedMarks > 0) {
        problems.push_back("the deletion mark of " + RecordsText(damagedMarks) +
                           " is damaged; other programs skip such records or end the table there");
    }
    if (partialBytes > 0) {
        problems.push_back("an incomplete record of " + std::to_string(partialBytes) + " bytes ends the file");
    }
    if (trailingBytes > 0 && !UncommittedBytes()) {
        problems.push_back(std::to_string(trailingBytes) + " bytes that are no records follow the end of the table");
    }
    if (!endMarker) {
        problems.push_back("the end marker 0x1A is missing");
    }
    return problems;
}

bool DbfHealth::UncountedRecords() const {
    return headerProblem.empty() && recordsInFile > headerCount && endMarker && partialBytes == 0 && trailingBytes == 0;
}

bool DbfHealth::UncommittedBytes() const {
    return headerProblem.empty() && recordsInFile == headerCount && endMarker && trailingBytes > 0;
}

std::vector<std::string> DbfHealth::Notes() const {
    if (UncountedRecords()) {
        return {RecordsText(recordsInFile - headerCount) +
                " past the counted ones: an append was stopped before it wrote the count; the next write counts "
                "them in (until then programs that go by the count do not show them)"};
    }
    if (UncommittedBytes()) {
        return {std::to_string(trailingBytes) +
                " bytes follow the end marker: an append was stopped while it wrote its records; they are no part "
                "of the table and the next append writes over them"};
    }
    return {};
}

// Exclusive use for the time of one operation; a shared table returns to shared use afterwards.
class DbfTable::ExclusiveUse {
public:
    explicit ExclusiveUse(DbfTable& table) : m_table(table), m_wasShared(table.m_mode == DbfOpenMode::Shared) {
        table.RequireWritable();
        if (m_wasShared) {
            table.SetExclusive(true);
        }
    }
    // A throw from here would end the program. A file system that refuses to convert the lock back leaves
    // the table in exclusive use, as its mode says, which is safe for us and lasts until the table is closed.
    ~ExclusiveUse() {
        if (m_wasShared && m_table.IsOpen()) {
            try {
                m_table.SetExclusive(false);
            } catch (const std::exception&) {
            }
        }
    }
    ExclusiveUse(const ExclusiveUse&) = delete;
    ExclusiveUse& operator=(const ExclusiveUse&) = delete;

private:
    DbfTable& m_table;
    bool m_wasShared;
};

DbfTable::DbfTable(std::string path, DbfOpenMode mode, const core::Clock& clock)
    : m_path(std::move(path)), m_mode(mode), m_clock(&clock) {
}

void DbfTable::Create(std::string_view path, std::span<const DbfFieldSpec> fields, const core::Clock& clock) {
    const std::string bytes = NewDbfTableBytes(fields, clock.Now());
    LockedFile file = OpenLocked(path, LockedFile::Access::ReadWrite, LockKind::Exclusive, true);
    file.Rewrite(bytes);
    file.Sync();
}

void DbfTable::WriteWhole(std::string_view path, std::span<const DbfFieldSpec> fields,
                          const std::vector<std::vector<std::string>>& records, const core::Clock& clock) {
    core::WriteFileAtomically(path, NewDbfTableBytes(fields, clock.Now(), records));
}

DbfTable DbfTable::Open(std::string_view path, DbfOpenMode mode, const core::Clock& clock) {
    DbfTable table(std::string(path), mode, clock);
    table.m_file =
        OpenLocked(path, mode == DbfOpenMode::ReadOnly ? LockedFile::Access::Read : LockedFile::Access::ReadWrite,
                   mode == DbfOpenMode::Exclusive ? LockKind::Exclusive : LockKind::Shared, false);
    {
        StateLock lock(table.m_file, mode, LockKind::Shared);
        DbfLayout layout = ReadDbfLayout(table.m_file, path);
        table.m_header = layout.header;
        table.m_fields = std::move(layout.fields);
        table.m_stamp = table.m_file.Stamp();
    }
    return table;
}

DbfHealth DbfTable::Inspect(std::string_view path) {
    LockedFile file = OpenLocked(path, LockedFile::Access::Read, LockKind::Shared, false);
    StateLock lock(file, DbfOpenMode::ReadOnly, LockKind::Shared);
    try {
        const DbfLayout layout = ReadDbfLayout(file, path);
        return Examine(file, layout.header, layout.fields.size());
    } catch (const TableDamaged& e) {
        DbfHealth health;
        health.headerProblem = e.what();
        return health;
    }
}

std::vector<std::string> DbfTable::Repair(std::string_view path, const core::Clock& clock) {
    return Open(path, DbfOpenMode::Exclusive, clock).RepairLocked();
}

std::vector<std::string> DbfTable::RepairLocked() {
    const DbfHealth health = Examine(m_file, m_header, m_fields.size());
    const std::int64_t end = RecordOffset(health.recordsInFile);
    std::vector<std::string> repairs;
    if (health.damagedMarks > 0) {
        ForEachLiveRecord(0, health.recordsInFile, [&](RecordNumber number, std::string_view raw) {
            if (raw.front() != kDbfLiveMark) {
                m_file.WriteAt(RecordOffset(number), std::string(1, kDbfLiveMark));
            }
        });
        repairs.push_back("set the damaged deletion mark of " + RecordsText(health.damagedMarks) + " to live");
    }
    if (health.partialBytes > 0) {
        m_file.Truncate(end);
        repairs.push_back("removed an incomplete record of " + std::to_string(health.partialBytes) +
                          " bytes from the end");
    }
    if (health.trailingBytes > 0) {
        m_file.Truncate(end + (health.endMarker ? 1 : 0));
        repairs.push_back("removed " + std::to_string(health.trailingBytes) + " bytes after the end of the table");
    }
    if (health.headerCount != health.recordsInFile) {
        repairs.push_back("set the record count from " + std::to_string(health.headerCount) + " to " +
                          std::to_string(health.recordsInFile) + ", the whole records present");
    }
    if (!health.endMarker) {
        m_file.WriteAt(end, std::string(1, kDbfEndMarker));
        repairs.push_back("added the end marker 0x1A");
    }
    if (!repairs.empty()) {
        CommitWrite(health.recordsInFile);
        m_file.Sync();
    }
    return repairs;
}

bool DbfTable::HasProductionIndexFlag(std::string_view path) {
    const std::optional<LockedFile> file = LockedFile::Open(path, LockedFile::Access::Read, false);
    if (!file) {
        throw core::CannotOpenFile(std::string(path));
    }
    return DbfFixedHeader(file->ReadAt(0, kDbfFixedHeaderSize)).ProductionIndex();
}

void DbfTable::ClearProductionIndexFlag(std::string_view path) {
    LockedFile file = OpenLocked(path, LockedFile::Access::ReadWrite, LockKind::Exclusive, false);
    ReadDbfLayout(file, path);
    file.WriteAt(kDbfProductionIndexOffset, std::string(1, '\0'));
    file.Sync();
}

void DbfTable::Close() {
    m_file.Close();
    m_index.Clear();
}

std::size_t DbfTable::FieldIndex(std::string_view name) const {
    for (std::size_t i = 0; i < m_fields.size(); ++i) {
        if (core::SameText(m_fields[i].name, name)) {
            return i;
        }
    }
    throw TableError("Table " + m_path + " has no field " + std::string(name));
}

void DbfTable::SetExclusive(bool exclusive) {
    RequireWritable();
    if (exclusive == (m_mode == DbfOpenMode::Exclusive)) {
        return;
    }
    if (exclusive) {
        // Converts our own read lock; a failed conversion leaves it as it was.
        if (!m_file.TryLock(LockKind::Exclusive, kModeLockOffset, 1)) {
            throw TableLocked(LockedMessage(m_path, LockKind::Exclusive));
        }
        Refresh(); // the last writes of the others; nobody writes from now on
        m_mode = DbfOpenMode::Exclusive;
    } else {
        m_file.TryLock(LockKind::Shared, kModeLockOffset, 1);
        m_mode = DbfOpenMode::Shared;
    }
}

void DbfTable::SetIndex(std::string_view tag) {
    m_index.Clear();
    m_indexField.reset();
    if (tag.empty()) {
        return;
    }
    const std::size_t field = FieldIndex(tag);
    StateLock lock(m_file, m_mode, LockKind::Shared);
    Refresh();
    m_indexField = field;
    ReindexFrom(0);
}

std::vector<DbfRecord> DbfTable::Find(std::string_view key) {
    RequireIndex();
    const DbfField& field = m_fields[*m_indexField];
    // The round trip through the file's code page makes a key find what storing it produced.
    const std::string wanted = DbfFieldText(field, DbfFieldBytes(field, key, m_header.CodePage()), m_header.CodePage());
    std::vector<DbfRecord> found;
    StateLock lock(m_file, m_mode, LockKind::Shared);
    Refresh();
    ForEachRecordRun(m_index.Find(wanted), [&](RecordNumber number, std::span<char> raw) {
        found.push_back(Decode(number, std::string_view(raw.data(), raw.size())));
        return false;
    });
    return found;
}

void DbfTable::Walk(const std::function<void(const DbfRecord&)>& visit) {
    RecordNumber end = 0;
    {
        StateLock lock(m_file, m_mode, LockKind::Shared);
        Refresh();
        end = UsableCount();
    }
    const RecordNumber step = RecordsPerBlock();
    std::vector<DbfRecord> live;
    for (RecordNumber first = 0; first < end; first += std::min(step, end - first)) {
        live.clear();
        {
            StateLock lock(m_file, m_mode, LockKind::Shared);
            ForEachLiveRecord(first, first + std::min(step, end - first),
                              [&](RecordNumber number, std::string_view raw) { live.push_back(Decode(number, raw)); });
        }
        for (const DbfRecord& record : live) {
            visit(record);
        }
    }
}

void DbfTable::WalkByIndex(const std::function<void(const DbfRecord&)>& visit, std::size_t limit) {
    RequireIndex();
    std::vector<RecordNumber> order;
    {
        StateLock lock(m_file, m_mode, LockKind::Shared);
        Refresh();
        order = m_index.InKeyOrder();
    }
    const std::size_t step = RecordsPerBlock();
    std::vector<DbfRecord> live;
    std::size_t visited = 0;
    for (std::size_t first = 0; first < order.size() && visited < limit; first += step) {
        live.clear();
        {
            StateLock lock(m_file, m_mode, LockKind::Shared);
            ForEachRecordRun(std::span(order).subspan(first, std::min(step, order.size() - first)),
                             [&](RecordNumber number, std::span<char> raw) {
                                 if (raw.front() != kDbfDeletedMark) {
                                     live.push_back(Decode(number, std::string_view(raw.data(), raw.size())));
                                 }
                                 return false;
                             });
        }
        for (std::size_t i = 0; i < live.size() && visited < limit; ++i, ++visited) {
            visit(live[i]);
        }
    }
}

void DbfTable::AppendRecordBytes(const std::vector<std::string>& values, std::string& out) const {
    if (values.size() > m_fields.size()) {
        throw TableError("Table " + m_path + " has " + std::to_string(m_fields.size()) + " fields, " +
                         std::to_string(values.size()) + " values were given");
    }
    out += kDbfLiveMark;
    for (std::size_t i = 0; i < m_fields.size(); ++i) {
        AppendFieldBytes(m_fields[i], i < values.size() ? values[i] : std::string_view(), m_header.CodePage(), out);
    }
}

RecordNumber DbfTable::Append(const std::vector<std::string>& values) {
    return AppendRecords({values});
}

RecordNumber DbfTable::AppendRecords(const std::vector<std::vector<std::string>>& records) {
    RequireWritable();
    if (records.empty()) {
        return RecordCount();
    }
    std::string bytes;
    bytes.reserve(records.size() * m_header.RecordLength() + 1);
    for (const std::vector<std::string>& values : records) {
        AppendRecordBytes(values, bytes);
    }
    bytes += kDbfEndMarker;
    // The records go in behind an end marker in place of the first one's mark, so that a process stopped
    // while they are written leaves them out of the table (readers stop at the marker); writing the mark
    // commits them, and the count follows (a write that finds it lagging counts them in).
    bytes.front() = kDbfEndMarker;
    StateLock lock(m_file, m_mode, LockKind::Exclusive);
    Refresh();
    SettleBeforeWrite();
    const RecordNumber first = m_header.RecordCount();
    const auto count = static_cast<RecordNumber>(records.size());
    if (m_stamp.size > RecordOffset(first) + 1) {
        m_file.Truncate(RecordOffset(first) + 1); // the bytes after the marker that a stopped append left
    }
    m_file.WriteAt(RecordOffset(first), bytes);
    m_file.WriteAt(RecordOffset(first), std::string(1, kDbfLiveMark));
    CommitWrite(first + count, static_cast<std::uint32_t>(count));
    if (m_indexField) {
        const std::size_t length = m_header.RecordLength();
        for (RecordNumber i = 0; i < count; ++i) {
            m_index.Add(IndexKey(std::string_view(bytes).substr(static_cast<std::size_t>(i) * length, length)),
                        first + i);
        }
    }
    return first;
}

void DbfTable::SetField(RecordNumber record, std::string_view field, std::string_view value) {
    RequireWritable();
    const std::size_t column = FieldIndex(field);
    const DbfField& target = m_fields[column];
    const std::string stored = DbfFieldBytes(target, value, m_header.CodePage());
    StateLock lock(m_file, m_mode, LockKind::Exclusive);
    Refresh();
    SettleBeforeWrite();
    std::string raw = ReadRecordLocked(record);
    if (raw.front() == kDbfDeletedMark) {
        throw TableError("Record " + std::to_string(record + 1) + " of table " + m_path +
                         " has been deleted; it cannot be changed");
    }
    m_file.WriteAt(RecordOffset(record) + target.offset, stored);
    CommitWrite(m_header.RecordCount());
    if (m_indexField == column) {
        m_index.Remove(IndexKey(raw), record);
        raw.replace(static_cast<std::size_t>(target.offset), stored.size(), stored);
        m_index.Add(IndexKey(raw), record);
    }
}

void DbfTable::Delete(RecordNumber record) {
    DeleteRecords({record});
}

void DbfTable::DeleteRecords(const std::vector<RecordNumber>& records) {
    RequireWritable();
    StateLock lock(m_file, m_mode, LockKind::Exclusive);
    Refresh();
    SettleBeforeWrite();
    bool deleted = false;
    ForEachRecordRun(records, [&](RecordNumber record, std::span<char> raw) {
        if (raw.front() == kDbfDeletedMark) {
            return false;
        }
        if (m_indexField) {
            m_index.Remove(IndexKey(std::string_view(raw.data(), raw.size())), record);
        }
        raw.front() = kDbfDeletedMark;
        deleted = true;
        return true;
    });
    if (deleted) {
        CommitWrite(m_header.RecordCount());
    }
}

void DbfTable::Pack() {
    ExclusiveUse use(*this);
    SettleBeforeWrite();
    const std::string packedPath = m_path + ".pack~";
    LockedFile packed = OpenLocked(packedPath, LockedFile::Access::ReadWrite, LockKind::Exclusive, true);
    DbfFixedHeader header = m_header;
    DbfIndex index;
    try {
        packed.Truncate(0);
        struct stat status {};
        if (::fstat(m_file.Descriptor(), &status) == 0) {
            ::fchmod(packed.Descriptor(), status.st_mode & 07777);
        }
        std::string headerBytes = m_file.ReadAt(0, m_header.HeaderLength());
        std::int64_t written = m_header.HeaderLength();
        RecordNumber kept = 0;
        std::string out;
        ForEachLiveRecord(0, UsableCount(), [&](RecordNumber, std::string_view raw) {
            out += raw;
            if (m_indexField) {
                index.Add(IndexKey(raw), kept);
            }
            ++kept;
            if (out.size() >= kBlockBytes) {
                packed.WriteAt(written, out);
                written += static_cast<std::int64_t>(out.size());
                out.clear();
            }
        });
        out += kDbfEndMarker;
        packed.WriteAt(written, out);
        header.MarkWrite(kept, m_clock->Now());
        headerBytes.replace(0, kDbfFixedHeaderSize, header.Bytes());
        packed.WriteAt(0, headerBytes);
        packed.Sync();
        if (!core::RenameFile(packedPath, m_path)) {
            throw TableError("Cannot pack table " + m_path + ": the packed copy cannot take its place");
        }
    } catch (...) {
        core::RemoveFile(packedPath);
        throw;
    }
    core::SyncDirectory(core::DirectoryOf(m_path));
    m_file = std::move(packed);
    m_header = header;
    m_stamp = m_file.Stamp();
    m_index = std::move(index);
}

void DbfTable::RebuildIndexes() {
    ExclusiveUse use(*this);
    const std::vector<std::string> problems = Examine(m_file, m_header, m_fields.size()).Problems();
    if (!problems.empty()) {
        std::string faults;
        for (const std::string& problem : problems) {
            faults += (faults.empty() ? "" : "; ") + problem;
        }
        throw TableDamaged("Table " + m_path + " is damaged: " + faults + ". Run the table check with repair");
    }
    m_stamp = m_file.Stamp();
    ReindexFrom(0);
}

// Brings header and index up to date with the file; the caller holds the state lock.
void DbfTable::Refresh() {
    if (!OthersMayWrite(m_mode)) {
        return;
    }
    const DbfFixedHeader now(m_file.ReadAt(0, kDbfFixedHeaderSize));
    const core::FileStamp stamp = m_file.Stamp();
    if (stamp == m_stamp && now.Bytes() == m_header.Bytes()) {
        return;
    }
    if (now.HeaderLength() != m_header.HeaderLength() || now.RecordLength() != m_header.RecordLength()) {
        throw TableDamaged("Table " + m_path + " was restructured by another program; open it again");
    }
    const RecordNumber indexedBefore = UsableCount();
    // Every write of ours moves the counter by one, and an append by one per record, so a counter that moved
    // exactly as far as the count grew means that the others only appended.
    const std::uint32_t appended = now.RecordCount() - m_header.RecordCount();
    const bool onlyAppends =
        now.RecordCount() > m_header.RecordCount() && now.ChangeCounter() - m_header.ChangeCounter() == appended;
    m_header = now;
    m_stamp = stamp;
    ReindexFrom(onlyAppends ? indexedBefore : 0);
}

void DbfTable::ReindexFrom(RecordNumber first) {
    if (first == 0) {
        m_index.Clear();
    }
    if (!m_indexField) {
        return;
    }
    ForEachLiveRecord(first, UsableCount(),
                      [&](RecordNumber number, std::string_view raw) { m_index.Add(IndexKey(raw), number); });
}

// Reads the records [first, end) a block at a time and hands over the live ones.
void DbfTable::ForEachLiveRecord(RecordNumber first, RecordNumber end,
                                 const std::function<void(RecordNumber, std::string_view)>& visit) const {
    const std::size_t length = m_header.RecordLength();
    const RecordNumber step = RecordsPerBlock();
    for (RecordNumber block = first; block < end; block += std::min(step, end - block)) {
        const std::string bytes = m_file.ReadAt(RecordOffset(block), std::min(step, end - block) * length);
        for (std::size_t at = 0; at + length <= bytes.size(); at += length) {
            const std::string_view raw = std::string_view(bytes).substr(at, length);
            if (raw.front() != kDbfDeletedMark) {
                visit(block + static_cast<RecordNumber>(at / length), raw);
            }
        }
    }
}

void DbfTable::ForEachRecordRun(std::span<const RecordNumber> records,
                                const std::function<bool(RecordNumber, std::span<char>)>& visit) {
    const std::size_t length = m_header.RecordLength();
    const RecordNumber step = RecordsPerBlock();
    const RecordNumber usable = UsableCount();
    for (std::size_t i = 0; i < records.size();) {
        const RecordNumber first = records[i];
        if (first >= usable) {
            throw TableError("Table " + m_path + " has no record " + std::to_string(first + 1));
        }
        std::size_t end = i + 1;
        while (end < records.size() && end - i < step && records[end] == first + (end - i) && records[end] < usable) {
            ++end;
        }
        std::string bytes = m_file.ReadAt(RecordOffset(first), (end - i) * length);
        bool changed = false;
        for (std::size_t k = 0; k < end - i; ++k) {
            changed = visit(first + static_cast<RecordNumber>(k), std::span<char>(bytes.data() + k * length, length)) ||
                      changed;
        }
        if (changed) {
            m_file.WriteAt(RecordOffset(first), bytes);
        }
        i = end;
    }
}

RecordNumber DbfTable::RecordsPerBlock() const {
    return static_cast<RecordNumber>(std::max<std::size_t>(1, kBlockBytes / m_header.RecordLength()));
}

// Records that are both counted and wholly present; reading never goes beyond them.
RecordNumber DbfTable::UsableCount() const {
    const std::int64_t body = std::max<std::int64_t>(0, m_stamp.size - m_header.HeaderLength());
    return static_cast<RecordNumber>(std::min<std::int64_t>(m_header.RecordCount(), body / m_header.RecordLength()));
}

std::int64_t DbfTable::RecordOffset(RecordNumber record) const {
    return m_header.HeaderLength() + std::int64_t{record} * m_header.RecordLength();
}

std::string DbfTable::IndexKey(std::string_view rawRecord) const {
    const DbfField& field = m_fields[*m_indexField];
    return DbfFieldText(field, rawRecord.substr(static_cast<std::size_t>(field.offset), field.length),
                        m_header.CodePage());
}

DbfRecord DbfTable::Decode(RecordNumber number, std::string_view rawRecord) const {
    DbfRecord record{number, {}};
    record.values.reserve(m_fields.size());
    for (const DbfField& field : m_fields) {
        record.values.push_back(DbfFieldText(
            field, rawRecord.substr(static_cast<std::size_t>(field.offset), field.length), m_header.CodePage()));
    }
    return record;
}

std::string DbfTable::ReadRecordLocked(RecordNumber record) const {
    if (record >= UsableCount()) {
        throw TableError("Table " + m_path + " has no record " + std::to_string(record + 1));
    }
    return m_file.ReadAt(RecordOffset(record), m_header.RecordLength());
}

void DbfTable::RequireWritable() const {
    if (m_mode == DbfOpenMode::ReadOnly) {
        throw TableError("Table " + m_path + " is open read-only");
    }
}

void DbfTable::RequireIndex() const {
    if (!m_indexField) {
        throw TableError("Table " + m_path + " has no active index");
    }
}

// A write must not build on a count that disagrees with the file: the record would land in the wrong place.
// What a killed append left is settled first: records whose first mark it wrote, its commit, are counted in;
// bytes after the end marker, records it never committed, stay for the next append to write over.
void DbfTable::SettleBeforeWrite() {
    const std::int64_t end = RecordOffset(m_header.RecordCount());
    if (m_stamp.size == end || m_stamp.size == end + 1) {
        return;
    }
    const DbfHealth health = Examine(m_file, m_header, m_fields.size());
    if (health.UncountedRecords()) {
        const RecordNumber counted = m_header.RecordCount();
        CommitWrite(health.recordsInFile, health.recordsInFile - counted);
        ReindexFrom(counted);
        return;
    }
    if (!health.UncommittedBytes()) {
        throw TableDamaged("Table " + m_path +
                           " is damaged: its length disagrees with its record count. Run the table check with repair");
    }
}

void DbfTable::CommitWrite(RecordNumber recordCount, std::uint32_t writes) {
    m_header.MarkWrite(recordCount, m_clock->Now(), writes);
    m_file.WriteAt(0, m_header.Bytes());
    m_stamp = m_file.Stamp();
    if (m_postObserver) {
        m_postObserver();
    }
}

} // namespace pelgo::platform
