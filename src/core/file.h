// File operations on cp1251 path names (converted to UTF-8 only at the system call) and the advisory locks
// through which instances of the program share files. Locks are open-file-description locks: they conflict
// between processes and between two opens inside one process, and travel over NFS and SMB mounts.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "core/date_time.h"

namespace pelgo::core {

std::string NativeFileName(std::string_view cp1251Path);
// The failure of the last system call in words, cp1251.
std::string SystemReason();

bool FileExists(std::string_view path);
bool DirectoryExists(std::string_view path);
// Whether two paths name the same existing folder (the same file-system object, however spelt).
bool SameDirectory(std::string_view a, std::string_view b);
// Whether both paths name one existing file (links and different spellings included).
bool SameFile(std::string_view a, std::string_view b);
// The names (cp1251) of the ordinary files in a folder, hidden ones (a leading ".") left out, in name order
// with letter case ignored; none for a folder that cannot be read.
std::vector<std::string> FilesIn(std::string_view directory);
// The path of an existing file or folder whose names differ from `path` in letter case only (paths typed on
// Windows, where case does not count); `path` itself when it exists or nothing matches.
std::string ExistingPathIgnoringCase(std::string_view path);
// Creates the directory and every missing parent; false when it cannot.
bool CreateDirectories(std::string_view path);
// A folder of the user's alone, for files another local user must neither read nor plant: made with rights
// for the user only. An existing one, never followed as a link, must be the user's own folder that nobody else
// could write; one others could read is narrowed to the user. False when it cannot be had.
bool MakePrivateFolder(std::string_view folder);
// Everything before the last '/' (empty when there is none).
std::string DirectoryOf(std::string_view path);
bool RemoveFile(std::string_view path);
bool RenameFile(std::string_view from, std::string_view to);
// A second name for the file's content (a hard link); false where the file system has none.
bool LinkFile(std::string_view existing, std::string_view newName);
// Makes the folder's entries (files created, renamed or removed in it) durable.
bool SyncDirectory(std::string_view directory);

// Size, modification time and identity: enough to notice that another process changed a file.
struct FileStamp {
    std::int64_t size = 0;
    std::int64_t modifiedNs = 0;
    std::uint64_t inode = 0;
    friend bool operator==(const FileStamp&, const FileStamp&) = default;
};
std::optional<FileStamp> StampOf(std::string_view path);
// Local modification time; empty when the file is missing.
std::optional<DateTime> ModificationTimeOf(std::string_view path);
// Copies the file and gives the copy the source's modification time. The copy is written and synced under a
// temporary name and then renamed over `to`, so a failed copy leaves `to` as it was. False when it cannot.
bool CopyFileKeepingTime(std::string_view from, std::string_view to);
// The path with its file name's extension (from the last '.') replaced by `extension`, or `extension`
// appended when the name has none.
std::string ChangeFileExt(std::string_view path, std::string_view extension);
std::string ExtractFileName(std::string_view path);
std::string ExtractFileExt(std::string_view path);

// Whole-file read; throws FileError when the file cannot be read.
std::string ReadFileBytes(std::string_view path);
class LockedFile;
// A name beside `path` for a file that is written there first and then takes the path's place: hidden (a
// leading "."), so that a listing of the folder (FilesIn, and the archive update through it) never takes a
// half-written file for one of the folder's own, and new at each call in this process.
std::string TemporaryNameBeside(std::string_view path);
// Replaces the file's content through a temporary file and a rename, so that a crash leaves either the old
// or the new content. The replacement keeps the file's mode, owner and group (mode and group where only a
// privileged process could give the owner), so that the other users of a shared installation can still
// write it. Where that is not possible (the folder takes no new file, the group cannot be given) the content
// is written in place: through `heldFile` when the caller holds the file open and locked. Creates missing
// directories. Throws FileError.
void WriteFileAtomically(std::string_view path, std::string_view bytes, LockedFile* heldFile = nullptr);

// An open file descriptor with its locks; closing it releases them.
class LockedFile {
public:
    enum class Access { Read, ReadWrite };
    enum class LockKind { Shared, Exclusive };

    LockedFile() = default;
    LockedFile(LockedFile&& other) noexcept;
    LockedFile& operator=(LockedFile&& other) noexcept;
    LockedFile(const LockedFile&) = delete;
    LockedFile& operator=(const LockedFile&) = delete;
    ~LockedFile();

    // Empty when the file cannot be opened (or does not exist and `create` is false).
    static std::optional<LockedFile> Open(std::string_view path, Access access, bool create);
    // Creates the file for reading and writing; empty when it exists already (or cannot be made), so that
    // finding no file and claiming the name are one step.
    static std::optional<LockedFile> CreateNew(std::string_view path);
    // Opens an existing file but not through a link: for files of the program's own in a folder that others
    // may write, where a planted link would lead the program's writes to someone's files.
    static std::optional<LockedFile> OpenNoLink(std::string_view path, Access access);
    // Opens an existing file and takes the lock on all of it without waiting, on the file the path names once
    // the lock is held: a writer that held the lock before may have renamed a new file over the one opened,
    // and a lock on that old file keeps no one out of the new one. Empty when the file cannot be opened,
    // another holder has the lock or the path keeps being replaced; throws FileError when the file system
    // refuses locks.
    static std::optional<LockedFile> OpenLocked(std::string_view path, Access access, LockKind kind);

    bool IsOpen() const { return m_fd >= 0; }
    int Descriptor() const { return m_fd; }
    void Close();

    // Non-blocking lock of [start, start+length); length 0 means to the end of any file size. False while
    // another holder has it; throws FileError when the file system refuses locks.
    bool TryLock(LockKind kind, std::int64_t start = 0, std::int64_t length = 0);
    // Waits for the lock.
    void Lock(LockKind kind, std::int64_t start = 0, std::int64_t length = 0);
    void Unlock(std::int64_t start = 0, std::int64_t length = 0);

    std::int64_t Size() const;
    // Reads the whole file from its start; throws FileError.
    std::string ReadAll() const;
    // Reads exactly `length` bytes at `offset` (fewer at the end of the file).
    std::string ReadAt(std::int64_t offset, std::size_t length) const;
    // Writes at `offset`; throws FileError when not every byte is written.
    void WriteAt(std::int64_t offset, std::string_view bytes);
    // Replaces the whole content: writes from the start and cuts the file there.
    void Rewrite(std::string_view bytes);
    void Truncate(std::int64_t size);
    // Throws FileError when the content cannot be made durable.
    void Sync();
    FileStamp Stamp() const;
    // Whether `path` still names this open file (the same file system and file), not one renamed over it.
    bool IsAt(std::string_view path) const;

private:
    static std::optional<LockedFile> OpenWith(std::string_view path, int flags);
    explicit LockedFile(int fd, std::string path) : m_fd(fd), m_path(std::move(path)) {}
    int m_fd = -1;
    std::string m_path;
};

} // namespace pelgo::core
