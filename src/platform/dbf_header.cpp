// Reading and writing the dBase III header and field descriptors, and the padding rules of field values.
#include "platform/dbf_header.h"

#include <algorithm>
#include <set>

#include "core/cp1251.h"
#include "platform/dbf_error.h"

namespace pelgo::platform {
namespace {

constexpr std::size_t kDescriptorSize = 32;
constexpr char kDescriptorEnd = 0x0D;
constexpr std::size_t kMaxFieldNameLength = 10;
constexpr std::uint8_t kDbaseIIIVersion = 0x03;
constexpr std::uint8_t kLanguageDriverCp1251 = 0xC9;
constexpr std::uint8_t kLanguageDriverDbaseCp866 = 0x26;
constexpr std::uint8_t kLanguageDriverFoxProCp866 = 0x65;

bool IsNumeric(const DbfField& field) {
    return field.type == 'N' || field.type == 'F';
}

bool IsFieldNameCharacter(char c) {
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '_';
}

std::string_view WithoutTrailingPadding(std::string_view text) {
    // Blanks are dBase's padding; some writers pad with zero bytes instead. A plain loop: the set search
    // of find_last_not_of costs a call per byte, and text fields are mostly padding.
    std::size_t end = text.size();
    while (end > 0 && (text[end - 1] == ' ' || text[end - 1] == '\0')) {
        --end;
    }
    return text.substr(0, end);
}

DbfField ParseDescriptor(std::string_view descriptor, int offset) {
    DbfField field;
    const std::string_view name = descriptor.substr(0, kMaxFieldNameLength + 1);
    field.name = std::string(name.substr(0, name.find('\0')));
    field.type = descriptor[11];
    const auto byteAt = [&](std::size_t i) { return static_cast<unsigned char>(descriptor[i]); };
    // Character fields wider than 255 bytes (Clipper, FoxPro) keep the high byte of the width in the
    // decimal count, which is zero for every narrower character field.
    field.length = field.type == 'C' ? byteAt(16) | byteAt(17) << 8 : byteAt(16);
    field.decimals = field.type == 'C' ? 0 : byteAt(17);
    field.offset = offset;
    return field;
}

} // namespace

DbfFixedHeader::DbfFixedHeader(std::string_view bytes) {
    std::copy_n(bytes.begin(), std::min(bytes.size(), m_bytes.size()), m_bytes.begin());
}

std::string_view DbfFixedHeader::Bytes() const {
    return {reinterpret_cast<const char*>(m_bytes.data()), m_bytes.size()};
}

core::DateTime DbfFixedHeader::LastUpdate() const {
    core::DateTime date;
    date.year = 1900 + m_bytes[1];
    date.month = m_bytes[2];
    date.day = m_bytes[3];
    return date;
}

DbfCodePage DbfFixedHeader::CodePage() const {
    const std::uint8_t driver = LanguageDriver();
    return driver == kLanguageDriverDbaseCp866 || driver == kLanguageDriverFoxProCp866 ? DbfCodePage::Cp866
                                                                                       : DbfCodePage::Cp1251;
}

void DbfFixedHeader::MarkWrite(std::uint32_t recordCount, const core::DateTime& today, std::uint32_t writes) {
    m_bytes[1] = static_cast<unsigned char>(std::clamp(today.year - 1900, 0, 255));
    m_bytes[2] = static_cast<unsigned char>(today.month);
    m_bytes[3] = static_cast<unsigned char>(today.day);
    Write32(4, recordCount);
    Write32(16, ChangeCounter() + writes);
    m_bytes[kDbfProductionIndexOffset] = 0;
}

std::uint16_t DbfFixedHeader::Read16(std::size_t at) const {
    return static_cast<std::uint16_t>(m_bytes[at] | m_bytes[at + 1] << 8);
}

std::uint32_t DbfFixedHeader::Read32(std::size_t at) const {
    return static_cast<std::uint32_t>(m_bytes[at]) | static_cast<std::uint32_t>(m_bytes[at + 1]) << 8 |
           static_cast<std::uint32_t>(m_bytes[at + 2]) << 16 | static_cast<std::uint32_t>(m_bytes[at + 3]) << 24;
}

void DbfFixedHeader::Write32(std::size_t at, std::uint32_t value) {
    for (std::size_t i = 0; i < 4; ++i) {
        m_bytes[at + i] = static_cast<unsigned char>(value >> (8 * i));
    }
}

DbfLayout ReadDbfLayout(const core::LockedFile& file, std::string_view tableName) {
    const auto damaged = [&](const std::string& what) {
        return TableDamaged("The header of table " + std::string(tableName) + " is damaged (" + what +
                            "); restore the table from its backup copy");
    };
    const std::string fixed = file.ReadAt(0, kDbfFixedHeaderSize);
    if (fixed.size() < kDbfFixedHeaderSize) {
        throw damaged("the file is shorter than a header");
    }
    DbfLayout layout{DbfFixedHeader(fixed), {}};
    const std::size_t headerLength = layout.header.HeaderLength();
    if (headerLength < kDbfFixedHeaderSize + 1) {
        throw damaged("header length " + std::to_string(headerLength));
    }
    const std::string header = file.ReadAt(0, headerLength);
    if (header.size() < headerLength) {
        throw damaged("the file is shorter than its header length " + std::to_string(headerLength));
    }
    int offset = 1;
    std::size_t at = kDbfFixedHeaderSize;
    while (at < headerLength && header[at] != kDescriptorEnd) {
        if (at + kDescriptorSize > headerLength) {
            throw damaged("the field descriptors have no end mark");
        }
        DbfField field = ParseDescriptor(std::string_view(header).substr(at, kDescriptorSize), offset);
        if (field.length == 0 || field.name.empty()) {
            throw damaged("field " + std::to_string(layout.fields.size() + 1) + " has no name or no width");
        }
        offset += field.length;
        layout.fields.push_back(std::move(field));
        at += kDescriptorSize;
    }
    if (at >= headerLength) {
        throw damaged("the field descriptors have no end mark");
    }
    if (layout.fields.empty()) {
        throw damaged("no fields");
    }
    if (offset != layout.header.RecordLength()) {
        throw damaged("record length " + std::to_string(layout.header.RecordLength()) + ", the fields need " +
                      std::to_string(offset));
    }
    return layout;
}

std::string NewDbfTableBytes(std::span<const DbfFieldSpec> fields, const core::DateTime& today,
                             const std::vector<std::vector<std::string>>& records) {
    if (fields.empty()) {
        throw TableError("A table needs at least one field");
    }
    std::set<std::string> names;
    std::size_t recordLength = 1;
    std::string descriptors;
    std::vector<DbfField> layout;
    for (const DbfFieldSpec& spec : fields) {
        const std::string name = core::UpperLatin(spec.name);
        if (name.empty() || name.size() > kMaxFieldNameLength ||
            !std::all_of(name.begin(), name.end(), IsFieldNameCharacter)) {
            throw TableError("Field name \"" + std::string(spec.name) +
                             "\" is not valid: use 1 to 10 Latin letters, digits or underscores");
        }
        if (!names.insert(name).second) {
            throw TableError("Field name \"" + std::string(spec.name) + "\" is given twice");
        }
        if (spec.width < 1 || spec.width > kDbfMaxCharacterWidth) {
            throw TableError("Field " + name + " has width " + std::to_string(spec.width) + ": use 1 to " +
                             std::to_string(kDbfMaxCharacterWidth));
        }
        std::string descriptor(kDescriptorSize, '\0');
        descriptor.replace(0, name.size(), name);
        descriptor[11] = 'C';
        descriptor[16] = static_cast<char>(spec.width);
        descriptors += descriptor;
        layout.push_back({name, 'C', spec.width, 0, static_cast<int>(recordLength)});
        recordLength += static_cast<std::size_t>(spec.width);
    }
    const std::size_t headerLength = kDbfFixedHeaderSize + descriptors.size() + 1;
    if (headerLength > 0xFFFF || recordLength > 0xFFFF) {
        throw TableError("Too many or too wide fields for a dBase table");
    }
    std::string fixed(kDbfFixedHeaderSize, '\0');
    fixed[0] = static_cast<char>(kDbaseIIIVersion);
    fixed[8] = static_cast<char>(headerLength & 0xFF);
    fixed[9] = static_cast<char>(headerLength >> 8);
    fixed[10] = static_cast<char>(recordLength & 0xFF);
    fixed[11] = static_cast<char>(recordLength >> 8);
    fixed[29] = static_cast<char>(kLanguageDriverCp1251);
    DbfFixedHeader header(fixed);
    header.MarkWrite(static_cast<std::uint32_t>(records.size()), today);
    std::string bytes = std::string(header.Bytes()) + descriptors + kDescriptorEnd;
    bytes.reserve(bytes.size() + records.size() * recordLength + 1);
    for (const std::vector<std::string>& values : records) {
        if (values.size() > layout.size()) {
            throw TableError("A record of " + std::to_string(values.size()) + " values for a table of " +
                             std::to_string(layout.size()) + " fields");
        }
        bytes += kDbfLiveMark;
        for (std::size_t i = 0; i < layout.size(); ++i) {
            AppendFieldBytes(layout[i], i < values.size() ? values[i] : std::string_view(), DbfCodePage::Cp1251, bytes);
        }
    }
    return bytes + kDbfEndMarker;
}

std::string DbfFieldText(const DbfField& field, std::string_view stored, DbfCodePage codePage) {
    std::string_view text = WithoutTrailingPadding(stored);
    if (IsNumeric(field)) {
        text.remove_prefix(std::min(text.size(), text.find_first_not_of(' ')));
    }
    return codePage == DbfCodePage::Cp866 ? core::Cp866ToCp1251(text) : std::string(text);
}

void AppendFieldBytes(const DbfField& field, std::string_view value, DbfCodePage codePage, std::string& out) {
    const std::size_t width = static_cast<std::size_t>(field.length);
    value = value.substr(0, width);
    const std::size_t padding = width - value.size();
    if (IsNumeric(field)) {
        out.append(padding, ' ');
    }
    if (codePage == DbfCodePage::Cp866) {
        out += core::Cp1251ToCp866(value);
    } else {
        out += value;
    }
    if (!IsNumeric(field)) {
        out.append(padding, ' ');
    }
}

std::string DbfFieldBytes(const DbfField& field, std::string_view value, DbfCodePage codePage) {
    std::string bytes;
    AppendFieldBytes(field, value, codePage, bytes);
    return bytes;
}

} // namespace pelgo::platform
