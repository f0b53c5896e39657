// The on-disk form of a dBase III table: the fixed 32-byte header, the field descriptors, how a field's
// value sits in a record, and the bytes of a new empty table.
#pragma once

#include <array>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "core/date_time.h"
#include "core/file.h"

namespace pelgo::platform {

// A field as a new table declares it: a character field of the given width.
struct DbfFieldSpec {
    std::string_view name;
    int width = 0;
};

// A field as the header describes it.
struct DbfField {
    std::string name;
    char type = 'C';
    int length = 0;
    int decimals = 0;
    int offset = 0; // within the record, whose byte 0 is the deletion mark
};

inline constexpr std::size_t kDbfFixedHeaderSize = 32;
inline constexpr std::int64_t kDbfProductionIndexOffset = 28;
inline constexpr char kDbfEndMarker = 0x1A;
inline constexpr char kDbfLiveMark = ' ';
inline constexpr char kDbfDeletedMark = '*';
inline constexpr int kDbfMaxCharacterWidth = 254;

// The code page of a table's field values, named by the language-driver byte. Engines always see cp1251.
enum class DbfCodePage { Cp1251, Cp866 };

// The fixed header, kept as its bytes so that a rewrite preserves whatever a foreign writer put into the
// bytes we do not interpret. Bytes 16-19 (reserved for multi-user dBase, ignored by other readers) hold our
// change counter: every write of ours increments it, so that other handles notice edits and deletions that
// leave the file's length alone.
class DbfFixedHeader {
public:
    DbfFixedHeader() = default;
    // `bytes` holds at least the first 32 bytes of the file.
    explicit DbfFixedHeader(std::string_view bytes);

    std::string_view Bytes() const;
    std::uint8_t Version() const { return m_bytes[0]; }
    core::DateTime LastUpdate() const;
    std::uint32_t RecordCount() const { return Read32(4); }
    std::uint16_t HeaderLength() const { return Read16(8); }
    std::uint16_t RecordLength() const { return Read16(10); }
    std::uint32_t ChangeCounter() const { return Read32(16); }
    bool ProductionIndex() const { return m_bytes[kDbfProductionIndexOffset] != 0; }
    std::uint8_t LanguageDriver() const { return m_bytes[29]; }
    DbfCodePage CodePage() const;

    // One write of ours: the record count after it, the date of the last update and the next counter. It also
    // clears the production-index flag: we do not update an .mdx, so no other program may trust it any more.
    // `writes`: how many single writes this one stands for (a batch of appends counts each record).
    void MarkWrite(std::uint32_t recordCount, const core::DateTime& today, std::uint32_t writes = 1);

private:
    std::uint16_t Read16(std::size_t at) const;
    std::uint32_t Read32(std::size_t at) const;
    void Write32(std::size_t at, std::uint32_t value);

    std::array<unsigned char, kDbfFixedHeaderSize> m_bytes{};
};

struct DbfLayout {
    DbfFixedHeader header;
    std::vector<DbfField> fields;
};

// Header and field descriptors of an open table; throws TableDamaged when they describe no table.
DbfLayout ReadDbfLayout(const core::LockedFile& file, std::string_view tableName);

// The bytes of a new table with character fields (cp1251 language driver, no production index) holding
// `records` (values in field order, each cut to its field's width); throws TableError on an unusable field
// list or a record with more values than fields.
std::string NewDbfTableBytes(std::span<const DbfFieldSpec> fields, const core::DateTime& today,
                             const std::vector<std::vector<std::string>>& records = {});

// A field's value (cp1251) from the bytes the field stores in a table of that code page: padding removed as
// the BDE removed it (trailing blanks; numbers stand right-aligned, so theirs lose the leading blanks too).
std::string DbfFieldText(const DbfField& field, std::string_view stored, DbfCodePage codePage);
// A value (cp1251) as the field stores it in a table of that code page: cut to the field's width and padded
// with blanks.
std::string DbfFieldBytes(const DbfField& field, std::string_view value, DbfCodePage codePage);
// The same bytes appended to `out`, for records built in bulk.
void AppendFieldBytes(const DbfField& field, std::string_view value, DbfCodePage codePage, std::string& out);

} // namespace pelgo::platform
