// The table engine: dBase III tables with character fields, as device.dbf and other.dbf are kept.
//
// Sharing. A table is open shared, exclusive or read-only, enforced with open-file-description locks between
// processes and between two opens in one process: every holder keeps a lock on the byte at 0x7FFFFFFF00
// (shared and read-only a read lock, exclusive a write lock, both taken without waiting). Writers of a shared
// table serialise on a write lock of the byte at 0x7FFFFFFF01; readers take a read lock of it while they look
// at the file, so they always see whole writes. Both bytes lie far beyond any real file and hold no data.
//
// Writes. Each append, edit or deletion is posted at once: under the write lock the header is re-read, the
// record written (an append at header length + count * record length, followed by the end marker 0x1A), then
// the header's count, last-update date and change counter. A crash between the two leaves a table that the
// check repairs. Writes refuse a table whose count and length disagree. Every write clears the
// production-index flag, since the .mdx another program may keep beside the table is not updated.
//
// Code page. The engines read and write cp1251; a table whose language-driver byte names code page 866 (DOS
// programs) keeps its values in cp866 and is converted at every read and write, its driver byte untouched.
//
// Index. One tag is active at a time; the tag names the field it indexes ("UNO", "MAC_ADR"). The index lives
// in memory: built when the tag is set, kept current by our writes, and brought up to date before every
// lookup or walk when another holder has written: only the new records are indexed when the others merely
// appended, otherwise the index is rebuilt. Lookups are case-sensitive and ignore trailing blanks.
#pragma once

#include <array>
#include <functional>
#include <limits>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "core/date_time.h"
#include "core/file.h"
#include "platform/dbf_error.h"
#include "platform/dbf_header.h"
#include "platform/dbf_index.h"

namespace pelgo::platform {

// The layouts of the tables Pelgo writes; every caller creates and checks them from these.
inline constexpr std::array<DbfFieldSpec, 4> kOtherTableFields{
    {{"UNO", 12}, {"GROUP", 32}, {"NAME", 32}, {"TEXT", 254}}};
inline constexpr std::array<DbfFieldSpec, 4> kDeviceTableFields{
    {{"MAC_ADR", 12}, {"GROUP", 32}, {"NAME", 64}, {"TEXT", 254}}};

enum class DbfOpenMode { Shared, Exclusive, ReadOnly };

struct DbfRecord {
    RecordNumber number = 0;
    std::vector<std::string> values; // in field order, cp1251, padding removed
};

// What the check finds in a table's file.
struct DbfHealth {
    std::string headerProblem; // empty when the header and field descriptors are sound
    std::uint8_t version = 0;
    std::size_t fieldCount = 0;
    std::uint16_t headerLength = 0;
    std::uint16_t recordLength = 0;
    std::uint32_t headerCount = 0;   // records the header counts
    std::uint32_t recordsInFile = 0; // whole records present, up to the end of the records
    std::uint32_t damagedMarks = 0;  // of those, records whose first byte is neither ' ' nor '*'
    std::uint32_t partialBytes = 0;  // bytes of an incomplete record at the end
    bool endMarker = false;
    std::uint32_t trailingBytes = 0; // bytes after the records and the end marker

    // One readable line per fault; empty for a sound table.
    std::vector<std::string> Problems() const;
    // What a stopped append leaves, which is no fault: committed records the count does not hold yet, or
    // uncommitted bytes after the end marker.
    std::vector<std::string> Notes() const;
    // Whole records past the counted ones, the end marker right after them: an append stopped after its
    // commit (the first record's mark) and before its count. The next write counts them in.
    bool UncountedRecords() const;
    // The counted records, the end marker, and bytes after it: an append stopped while it wrote its records.
    // The next append writes over them.
    bool UncommittedBytes() const;
};

class DbfTable {
public:
    // Writes a new empty table, replacing an existing file unless another holder has it open.
    static void Create(std::string_view path, std::span<const DbfFieldSpec> fields, const core::Clock& clock);
    // Writes an export table whole, in place of any file of that name: a failure leaves the old file as it
    // was. Throws TableError on an unusable field list, core::FileError when the file cannot be written.
    static void WriteWhole(std::string_view path, std::span<const DbfFieldSpec> fields,
                           const std::vector<std::vector<std::string>>& records, const core::Clock& clock);
    // Throws core::CannotOpenFile when the file cannot be opened, TableLocked when another holder's mode
    // excludes `mode`, TableDamaged when the header describes no table. The clock dates our writes.
    static DbfTable Open(std::string_view path, DbfOpenMode mode, const core::Clock& clock);

    // The check: needs no more than read access.
    static DbfHealth Inspect(std::string_view path);
    // Repairs what a crash can leave behind (a count that disagrees with the records present, an incomplete
    // last record, bytes after the records, a missing end marker, damaged deletion marks, which become live so
    // that the user sees the record) under exclusive use; returns one line per repair, empty when the table was
    // sound. A damaged header is beyond repair: TableDamaged.
    static std::vector<std::string> Repair(std::string_view path, const core::Clock& clock);

    // Header byte 28: the table claims a production index (.mdx). We never write one, so each of our writes
    // clears the flag; clearing it alone lets a table whose .mdx went missing open in programs that insist on
    // it. Clearing needs exclusive use.
    static bool HasProductionIndexFlag(std::string_view path);
    static void ClearProductionIndexFlag(std::string_view path);

    DbfTable(DbfTable&&) noexcept = default;
    DbfTable& operator=(DbfTable&&) noexcept = default;
    ~DbfTable() = default;

    void Close();
    bool IsOpen() const { return m_file.IsOpen(); }
    const std::string& Path() const { return m_path; }
    DbfOpenMode Mode() const { return m_mode; }
    const std::vector<DbfField>& Fields() const { return m_fields; }
    // Throws TableError when the table has no such field (names compare without regard to case).
    std::size_t FieldIndex(std::string_view name) const;
    // Records in the file, deleted ones included, as of our last look at it.
    RecordNumber RecordCount() const { return m_header.RecordCount(); }

    // Switches between shared and exclusive use without closing; TableLocked when others hold the table.
    void SetExclusive(bool exclusive);

    // Makes the field of that name the active index ("" for none) and builds it.
    void SetIndex(std::string_view tag);
    // The live records whose key equals `key` (cut to the field's width), in insertion order.
    std::vector<DbfRecord> Find(std::string_view key);
    // Every live record from the first, in physical order. The visitor runs without locks held, so it may
    // write; records appended meanwhile are not visited.
    void Walk(const std::function<void(const DbfRecord&)>& visit);
    // Every live record in the order of the active index: keys ascending by byte, then insertion order; at most
    // `limit` of them.
    void WalkByIndex(const std::function<void(const DbfRecord&)>& visit,
                     std::size_t limit = std::numeric_limits<std::size_t>::max());

    // Appends one record, values in field order; missing values stay blank, longer ones are cut to the
    // field's width. Returns the new record's number.
    RecordNumber Append(const std::vector<std::string>& values);
    // Appends the records in one write and one post, as many appends one after another would; returns the
    // first one's number.
    RecordNumber AppendRecords(const std::vector<std::vector<std::string>>& records);
    void SetField(RecordNumber record, std::string_view field, std::string_view value);
    void Delete(RecordNumber record);
    // Deletes the records with one post.
    void DeleteRecords(const std::vector<RecordNumber>& records);
    // Called after each append, edit or deletion this object posts, under the table's write lock: it must not
    // use the table. Lets the owner notice writes without the writers knowing of it.
    void SetPostObserver(std::function<void()> observer) { m_postObserver = std::move(observer); }

    // Both need exclusive use: a shared table is switched for the time of the operation (TableLocked when
    // others hold it). Pack writes a new file without the deleted records beside the table and renames it
    // over the table, so a crash leaves the old or the new table, never a torn one. RebuildIndexes verifies
    // the table (TableDamaged with the faults) and rebuilds the active index from the file.
    void Pack();
    void RebuildIndexes();

private:
    class ExclusiveUse;

    DbfTable(std::string path, DbfOpenMode mode, const core::Clock& clock);

    void Refresh();
    void ReindexFrom(RecordNumber first);
    void ForEachLiveRecord(RecordNumber first, RecordNumber end,
                           const std::function<void(RecordNumber, std::string_view)>& visit) const;
    // Visits `records` in their order, reading each run of consecutive numbers in one go; `visit` may change
    // the run's bytes, and a run it changed is written back in one go (the caller holds the write lock).
    void ForEachRecordRun(std::span<const RecordNumber> records,
                          const std::function<bool(RecordNumber, std::span<char>)>& visit);
    RecordNumber RecordsPerBlock() const;
    RecordNumber UsableCount() const;
    std::int64_t RecordOffset(RecordNumber record) const;
    std::string IndexKey(std::string_view rawRecord) const;
    DbfRecord Decode(RecordNumber number, std::string_view rawRecord) const;
    std::string ReadRecordLocked(RecordNumber record) const;
    void RequireWritable() const;
    void RequireIndex() const;
    void SettleBeforeWrite();
    void CommitWrite(RecordNumber recordCount, std::uint32_t writes = 1);
    void AppendRecordBytes(const std::vector<std::string>& values, std::string& out) const;
    std::vector<std::string> RepairLocked();

    std::string m_path;
    DbfOpenMode m_mode = DbfOpenMode::Shared;
    const core::Clock* m_clock = nullptr;
    core::LockedFile m_file;
    DbfFixedHeader m_header;
    std::vector<DbfField> m_fields;
    core::FileStamp m_stamp;
    std::optional<std::size_t> m_indexField;
    DbfIndex m_index;
    std::function<void()> m_postObserver;
};

} // namespace pelgo::platform
