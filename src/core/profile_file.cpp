// Profile-file parsing, lookups and the locked read-modify-replace cycle of every write.
#include "core/profile_file.h"

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstring>
#include <string_view>
#include <thread>
#include <unordered_map>
#include <unordered_set>
#include <vector>

#include "core/cp1251.h"
#include "core/errors.h"
#include "core/text.h"

namespace pelgo::core {
namespace {

// A name as section and key names compare: letter case folded.
std::string Folded(std::string_view name) {
    std::string key(name);
    std::transform(key.begin(), key.end(), key.begin(), FoldCase);
    return key;
}

enum class LineKind { Blank, Comment, Header, Key, KeyWithoutValue };

struct Line {
    std::string text;   // as in the file, without its line end
    std::string ending; // the line end it had: CR LF, LF, CR, or none for a last line without one
    LineKind kind = LineKind::Blank;
    std::string name;  // section name of a header, key of a key line
    std::string value; // value of a key line, quotes kept
};

Line ParseLine(std::string text) {
    Line line;
    line.text = std::move(text);
    const std::string_view trimmed = Trim(line.text);
    if (trimmed.empty()) {
        return line;
    }
    if (trimmed.front() == ';') {
        line.kind = LineKind::Comment;
        return line;
    }
    if (trimmed.front() == '[') {
        const std::size_t close = trimmed.rfind(']');
        if (close != std::string_view::npos) {
            line.kind = LineKind::Header;
            line.name = Trim(trimmed.substr(1, close - 1));
            return line;
        }
    }
    const std::size_t equals = trimmed.find('=');
    if (equals == std::string_view::npos) {
        line.kind = LineKind::KeyWithoutValue;
        line.name = trimmed;
        return line;
    }
    line.kind = LineKind::Key;
    line.name = TrimRight(trimmed.substr(0, equals));
    line.value = TrimLeft(trimmed.substr(equals + 1));
    return line;
}

std::string Unquoted(const std::string& value) {
    if (value.size() >= 2 && (value.front() == '"' || value.front() == '\'') && value.back() == value.front()) {
        return value.substr(1, value.size() - 2);
    }
    return value;
}

// Tries of 10 ms for a reader to find no writer at work on the file.
constexpr int kReadLockTries = 100;

constexpr std::string_view kByteOrderMark = "\xEF\xBB\xBF";

constexpr std::string_view kWriteAdvice = ": check that the folder and the file may be written";

[[noreturn]] void ThrowWriteFailure(const std::string& fileName, const std::string& reason) {
    throw FileError("Cannot write file " + fileName + " (" + reason + ")" + std::string(kWriteAdvice));
}

} // namespace

// The file as a list of lines: lookups follow the profile rules, edits touch only the affected lines.
class ProfileFile::Document {
public:
    explicit Document(std::string_view bytes) {
        // A file another program saved with a byte-order mark keeps it; the mark must not hide the first header.
        if (bytes.starts_with(kByteOrderMark)) {
            m_byteOrderMark = true;
            bytes.remove_prefix(kByteOrderMark.size());
        }
        while (!bytes.empty()) {
            const std::size_t end = bytes.find_first_of("\r\n");
            Line line = ParseLine(std::string(bytes.substr(0, end)));
            if (end == std::string_view::npos) {
                bytes = {};
            } else {
                const std::size_t length = bytes.compare(end, 2, "\r\n") == 0 ? 2 : 1;
                line.ending = std::string(bytes.substr(end, length));
                bytes.remove_prefix(end + length);
            }
            m_lines.push_back(std::move(line));
        }
        if (!m_lines.empty() && !m_lines.front().ending.empty()) {
            m_newLineEnding = m_lines.front().ending;
        }
    }

    // Every line keeps the end it was read with, so a write changes only the lines it touches; new lines take
    // the file's own line end.
    std::string Bytes() const {
        std::string bytes = m_byteOrderMark ? std::string(kByteOrderMark) : std::string();
        for (std::size_t i = 0; i < m_lines.size(); ++i) {
            const Line& line = m_lines[i];
            bytes += line.text;
            bytes += line.ending.empty() && i + 1 < m_lines.size() ? m_newLineEnding : line.ending;
        }
        return bytes;
    }

    const Line* Find(const std::string& section, const std::string& key) const {
        const auto found = FindSection(section);
        if (!found) {
            return nullptr;
        }
        const std::size_t index = KeyIndex(found->header + 1, found->end, key);
        return index < found->end ? &m_lines[index] : nullptr;
    }

    // Each visible key line of the first matching section, or of every matching section in file order: later
    // duplicates of a key are left out.
    std::vector<const Line*> Keys(const std::string& section, bool everySection = false) const {
        std::vector<const Line*> keys;
        std::unordered_set<std::string> seen; // folded names: linear for long sections
        bool inSection = false;
        for (std::size_t i = 0; i < m_lines.size(); ++i) {
            const Line& line = m_lines[i];
            if (line.kind == LineKind::Header) {
                if (inSection && !everySection) {
                    break;
                }
                inSection = SameText(line.name, section);
            } else if (inSection && line.kind == LineKind::Key && seen.insert(Folded(line.name)).second) {
                keys.push_back(&line);
            }
        }
        return keys;
    }

    // Section names in file order, each once.
    StringList SectionNames() const {
        StringList names;
        for (std::size_t i = 0; i < m_lines.size(); ++i) {
            if (m_lines[i].kind == LineKind::Header && FindSection(m_lines[i].name)->header == i) {
                names.push_back(m_lines[i].name);
            }
        }
        return names;
    }

    // Each edit returns whether the content changed.
    bool Set(const std::string& section, const std::string& key, const std::string& value) {
        const auto found = FindSection(section);
        if (!found) {
            m_lines.push_back(NewLine("[" + section + "]"));
            m_lines.push_back(NewLine(key + "=" + value));
            return true;
        }
        const std::size_t index = KeyIndex(found->header + 1, found->end, key);
        if (index < found->end) {
            std::string text = m_lines[index].name + "=" + value;
            if (text == m_lines[index].text) {
                return false;
            }
            std::string ending = std::move(m_lines[index].ending);
            m_lines[index] = ParseLine(std::move(text));
            m_lines[index].ending = std::move(ending);
            return true;
        }
        // After the section's last key, so that trailing comments and blank lines stay before the next header.
        std::size_t insertAt = found->header + 1;
        for (std::size_t i = insertAt; i < found->end; ++i) {
            if (m_lines[i].kind == LineKind::Key || m_lines[i].kind == LineKind::KeyWithoutValue) {
                insertAt = i + 1;
            }
        }
        m_lines.insert(m_lines.begin() + static_cast<std::ptrdiff_t>(insertAt), NewLine(key + "=" + value));
        return true;
    }

    bool Delete(const std::string& section, const std::string& key) {
        const auto found = FindSection(section);
        if (!found) {
            return false;
        }
        const std::size_t index = KeyIndex(found->header + 1, found->end, key);
        if (index == found->end) {
            return false;
        }
        m_lines.erase(m_lines.begin() + static_cast<std::ptrdiff_t>(index));
        return true;
    }

    // Erases every section of that name: a later duplicate must not resurface as the section's content.
    bool Erase(const std::string& section) {
        bool erased = false;
        while (const auto found = FindSection(section)) {
            m_lines.erase(m_lines.begin() + static_cast<std::ptrdiff_t>(found->header),
                          m_lines.begin() + static_cast<std::ptrdiff_t>(found->end));
            erased = true;
        }
        return erased;
    }

private:
    Line NewLine(std::string text) const {
        Line line = ParseLine(std::move(text));
        line.ending = m_newLineEnding;
        return line;
    }

    // A header line and the end of its body (the next header or the end of the file).
    struct Section {
        std::size_t header;
        std::size_t end;
    };

    std::optional<Section> FindSection(const std::string& name) const {
        for (std::size_t i = 0; i < m_lines.size(); ++i) {
            if (m_lines[i].kind == LineKind::Header && SameText(m_lines[i].name, name)) {
                std::size_t end = i + 1;
                while (end < m_lines.size() && m_lines[end].kind != LineKind::Header) {
                    ++end;
                }
                return Section{i, end};
            }
        }
        return std::nullopt;
    }

    // Index of the first key line named `key` in [begin, end), or `end`.
    std::size_t KeyIndex(std::size_t begin, std::size_t end, const std::string& key) const {
        for (std::size_t i = begin; i < end; ++i) {
            if (m_lines[i].kind == LineKind::Key && SameText(m_lines[i].name, key)) {
                return i;
            }
        }
        return end;
    }

    std::vector<Line> m_lines;
    bool m_byteOrderMark = false;
    std::string m_newLineEnding = "\r\n";
};

// The locked file and its working copy while a batch is open.
struct ProfileFile::OpenBatch {
    LockedFile file;
    Document document;
    bool changed = false;
};

ProfileFile::ProfileFile(std::string fileName) : m_fileName(std::move(fileName)) {
}

ProfileFile::~ProfileFile() = default;

const ProfileFile::Document& ProfileFile::Current() {
    if (m_batch) {
        return m_batch->document;
    }
    const std::optional<FileStamp> stamp = StampOf(m_fileName);
    if (m_cache && stamp == m_cacheStamp) {
        return *m_cache;
    }
    auto file = LockedFile::Open(m_fileName, LockedFile::Access::Read, false);
    if (!file) {
        if (FileExists(m_fileName)) {
            throw CannotOpenFile(m_fileName);
        }
        m_cache = std::make_unique<Document>("");
        m_cacheStamp.reset();
        return *m_cache;
    }
    // A file written in place (its folder takes no replacement) changes under its writer's exclusive lock:
    // the shared lock waits for that, for a while; a lock held longer (by a batch of this very process, say)
    // is read past, and the file is read until it holds still.
    try {
        for (int tries = 0; tries < kReadLockTries && !file->TryLock(LockedFile::LockKind::Shared); ++tries) {
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        }
    } catch (const FileError&) {
        // A file system without locks: the stamps alone tell a change.
    }
    // The stamp of what is actually read: the path may have been replaced since it was looked at.
    FileStamp read = file->Stamp();
    std::string bytes = file->ReadAll();
    for (FileStamp after = file->Stamp(); after != read; after = file->Stamp()) {
        read = after;
        bytes = file->ReadAll();
    }
    m_cacheStamp = read;
    m_cache = std::make_unique<Document>(bytes);
    return *m_cache;
}

std::optional<LockedFile> ProfileFile::LockCurrent(bool createFile) {
    const std::string folder = DirectoryOf(m_fileName);
    if (createFile && !folder.empty() && !CreateDirectories(folder)) {
        ThrowWriteFailure(m_fileName, "cannot create folder " + folder);
    }
    for (;;) {
        auto file = LockedFile::Open(m_fileName, LockedFile::Access::ReadWrite, createFile);
        if (!file) {
            const std::string reason = Utf8ToCp1251(std::strerror(errno));
            if (!createFile && !FileExists(m_fileName)) {
                return std::nullopt;
            }
            ThrowWriteFailure(m_fileName, reason);
        }
        file->Lock(LockedFile::LockKind::Exclusive);
        // A writer that held the lock before us may have renamed a new file over the one we locked.
        const std::optional<FileStamp> onDisk = StampOf(m_fileName);
        if (onDisk && onDisk->inode == file->Stamp().inode) {
            return file;
        }
    }
}

void ProfileFile::Replace(LockedFile& file, const Document& document) {
    m_cache.reset();
    try {
        WriteFileAtomically(m_fileName, document.Bytes(), &file);
    } catch (const FileError& e) {
        throw FileError(e.what() + std::string(kWriteAdvice)); // the file and the reason are named already
    }
}

void ProfileFile::Modify(bool createFile, const std::function<bool(Document&)>& change) {
    if (m_batch) {
        m_batch->changed = change(m_batch->document) || m_batch->changed;
        return;
    }
    std::optional<LockedFile> file;
    try {
        file = LockCurrent(createFile);
    } catch (const FileError&) {
        // A write that changes nothing needs no access: a user who may only read the file is not refused.
        Document unchanged = Current();
        if (!change(unchanged)) {
            return;
        }
        throw;
    }
    if (!file) {
        return;
    }
    Document document(file->ReadAll());
    if (change(document)) {
        Replace(*file, document);
    }
}

ProfileFile::Batch::Batch(ProfileFile& file) : m_file(file) {
    auto locked = m_file.LockCurrent(true);
    Document document(locked->ReadAll());
    m_file.m_batch = std::make_unique<OpenBatch>(OpenBatch{std::move(*locked), std::move(document), false});
}

ProfileFile::Batch::~Batch() {
    if (m_open) {
        m_file.m_batch.reset();
    }
}

void ProfileFile::Batch::Commit() {
    m_open = false;
    const std::unique_ptr<OpenBatch> batch = std::move(m_file.m_batch);
    if (batch->changed) {
        m_file.Replace(batch->file, batch->document);
    }
}

std::string ProfileFile::ReadString(const std::string& section, const std::string& key,
                                    const std::string& defaultValue) {
    const Line* line = Current().Find(section, key);
    return line ? Unquoted(line->value) : std::string(TrimRight(defaultValue));
}

void ProfileFile::WriteString(const std::string& section, const std::string& key, const std::string& value) {
    Modify(true, [&](Document& document) { return document.Set(section, key, value); });
}

void ProfileFile::ReadSection(const std::string& section, StringList& target) {
    for (const Line* line : Current().Keys(section)) {
        target.push_back(line->name);
    }
}

void ProfileFile::ReadSections(StringList& target) {
    target = Current().SectionNames();
}

void ProfileFile::ReadSectionValues(const std::string& section, StringList& target) {
    MergeSectionValues(section, false, target);
}

void ProfileFile::ReadEverySectionValues(const std::string& section, StringList& target) {
    MergeSectionValues(section, true, target);
}

void ProfileFile::MergeSectionValues(const std::string& section, bool everySection, StringList& target) {
    // A key given twice keeps its first place and its last value; the places are found by folded name, so a
    // long section reads in linear time.
    std::unordered_map<std::string, std::size_t> places;
    for (std::size_t i = 0; i < target.size(); ++i) {
        places.try_emplace(Folded(std::string_view(target[i]).substr(0, target[i].find('='))), i);
    }
    for (const Line* line : Current().Keys(section, everySection)) {
        std::string entry = line->name + "=" + Unquoted(line->value);
        const auto [place, added] = places.try_emplace(Folded(line->name), target.size());
        if (added) {
            target.push_back(std::move(entry));
        } else {
            target[place->second] = std::move(entry);
        }
    }
}

void ProfileFile::EraseSection(const std::string& section) {
    Modify(false, [&](Document& document) { return document.Erase(section); });
}

void ProfileFile::DeleteKey(const std::string& section, const std::string& key) {
    Modify(false, [&](Document& document) { return document.Delete(section, key); });
}

} // namespace pelgo::core
