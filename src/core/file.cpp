// POSIX implementation of the file operations and open-file-description locks.
#include "core/file.h"

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <cstring>
#include <ctime>
#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

#include "core/cp1251.h"
#include "core/errors.h"

namespace pelgo::core {

std::string SystemReason() {
    return Utf8ToCp1251(std::strerror(errno));
}

namespace {

constexpr std::size_t kCopyBufferSize = 1 << 20;

FileStamp StampFrom(const struct stat& st) {
    return FileStamp{st.st_size, st.st_mtim.tv_sec * 1000000000LL + st.st_mtim.tv_nsec, st.st_ino};
}

bool SetLock(int fd, short type, std::int64_t start, std::int64_t length, bool wait) {
    struct flock fl {};
    fl.l_type = type;
    fl.l_whence = SEEK_SET;
    fl.l_start = start;
    fl.l_len = length;
    fl.l_pid = 0;
    while (fcntl(fd, wait ? F_OFD_SETLKW : F_OFD_SETLK, &fl) != 0) {
        if (errno != EINTR) {
            return false;
        }
    }
    return true;
}

// Claims a new file next to `path` under a name no one else uses, so that an interrupted copy never leaves a
// partial file under a name the program reads.
std::optional<LockedFile> CreateFileBeside(std::string_view path, std::string& tempPath) {
    for (int attempt = 0; attempt < 100; ++attempt) {
        tempPath = TemporaryNameBeside(path);
        if (auto file = LockedFile::CreateNew(tempPath); file || errno != EEXIST) {
            return file;
        }
    }
    return std::nullopt;
}

// Copies in fixed-size pieces, so a table of any size costs the same memory. False on a failed read or a
// write that does not take every byte (full disk, quota, file size limit).
bool StreamContent(int from, int to) {
    std::vector<char> buffer(kCopyBufferSize);
    for (;;) {
        const ssize_t got = ::read(from, buffer.data(), buffer.size());
        if (got < 0 && errno == EINTR) {
            continue;
        }
        if (got <= 0) {
            return got == 0;
        }
        for (ssize_t done = 0; done < got;) {
            const ssize_t put = ::write(to, buffer.data() + done, static_cast<std::size_t>(got - done));
            if (put < 0 && errno == EINTR) {
                continue;
            }
            if (put <= 0) {
                return false;
            }
            done += put;
        }
    }
}

// The folder or the file system refuses the caller a new entry, though the file itself may be writable.
bool Refused(int error) {
    return error == EACCES || error == EPERM || error == EROFS;
}

// Gives a replacement the file's mode, owner and group; false when it cannot have them all (only a privileged
// process can give another user's file back to that user), and then the file is not replaced.
bool TakeOverSetup(int fd, const struct stat& original) {
    return ::fchown(fd, original.st_uid, original.st_gid) == 0 && ::fchmod(fd, original.st_mode & 07777) == 0;
}

// Not crash-safe: the write left when the file cannot be replaced as it is set up. Writers are held off by the
// caller's lock on `heldFile`; a reader may see the file while it changes.
void WriteInPlace(std::string_view path, std::string_view bytes, LockedFile* heldFile) {
    std::optional<LockedFile> opened;
    if (heldFile == nullptr) {
        opened = LockedFile::Open(path, LockedFile::Access::ReadWrite, false);
        if (!opened) {
            throw FileError("Cannot write file " + std::string(path) + ": " + SystemReason());
        }
        heldFile = &*opened;
    }
    // The old content goes back when the new one cannot be written whole; the space it needs is claimed
    // first, so a full disk fails before a byte changes.
    const std::string previous = heldFile->ReadAll();
    if (bytes.size() > previous.size()) {
        if (const int error = ::posix_fallocate(heldFile->Descriptor(), 0, static_cast<off_t>(bytes.size()))) {
            errno = error;
            throw FileError("Cannot write file " + std::string(path) + ": " + SystemReason());
        }
    }
    try {
        heldFile->Rewrite(bytes);
        heldFile->Sync();
    } catch (const FileError&) {
        try {
            heldFile->Rewrite(previous);
        } catch (const FileError&) {
            // The first failure is the one to report.
        }
        throw;
    }
}

} // namespace

std::string TemporaryNameBeside(std::string_view path) {
    static std::atomic<unsigned> counter{0};
    const std::size_t slash = path.rfind('/');
    const std::size_t name = slash == std::string_view::npos ? 0 : slash + 1;
    return std::string(path.substr(0, name)) + "." + std::string(path.substr(name)) + "." + std::to_string(::getpid()) +
           "-" + std::to_string(counter++) + ".tmp";
}

std::string NativeFileName(std::string_view cp1251Path) {
    return Cp1251ToUtf8(cp1251Path);
}

bool FileExists(std::string_view path) {
    struct stat st {};
    return ::stat(NativeFileName(path).c_str(), &st) == 0 && S_ISREG(st.st_mode);
}

bool DirectoryExists(std::string_view path) {
    struct stat st {};
    return ::stat(NativeFileName(path).c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

bool SameDirectory(std::string_view a, std::string_view b) {
    struct stat first {};
    return ::stat(NativeFileName(a).c_str(), &first) == 0 && S_ISDIR(first.st_mode) && SameFile(a, b);
}

bool SameFile(std::string_view a, std::string_view b) {
    struct stat first {};
    struct stat second {};
    return ::stat(NativeFileName(a).c_str(), &first) == 0 && ::stat(NativeFileName(b).c_str(), &second) == 0 &&
           first.st_dev == second.st_dev && first.st_ino == second.st_ino;
}

std::vector<std::string> FilesIn(std::string_view directory) {
    std::vector<std::string> names;
    const std::string folder(directory);
    DIR* dir = ::opendir(NativeFileName(folder).c_str());
    if (dir == nullptr) {
        return names;
    }
    while (const dirent* entry = ::readdir(dir)) {
        struct stat st {};
        const std::string native = NativeFileName(folder) + "/" + entry->d_name;
        if (entry->d_name[0] != '.' && ::stat(native.c_str(), &st) == 0 && S_ISREG(st.st_mode)) {
            names.push_back(Utf8ToCp1251(entry->d_name));
        }
    }
    ::closedir(dir);
    std::sort(names.begin(), names.end(),
              [](const std::string& a, const std::string& b) { return CompareText(a, b) < 0; });
    return names;
}

std::string ExistingPathIgnoringCase(std::string_view path) {
    if (path.empty() || ::access(NativeFileName(path).c_str(), F_OK) == 0) {
        return std::string(path);
    }
    std::string resolved;
    std::size_t start = 0;
    if (path.front() == '/') {
        resolved = "/";
        start = 1;
    }
    while (start <= path.size()) {
        const std::size_t slash = std::min(path.find('/', start), path.size());
        const std::string_view name = path.substr(start, slash - start);
        const std::string exact = resolved + std::string(name);
        std::string chosen = exact;
        if (!name.empty() && ::access(NativeFileName(exact).c_str(), F_OK) != 0) {
            if (DIR* dir = ::opendir(NativeFileName(resolved.empty() ? "." : resolved).c_str())) {
                while (const dirent* entry = ::readdir(dir)) {
                    const std::string candidate = Utf8ToCp1251(entry->d_name);
                    if (SameText(candidate, name)) {
                        chosen = resolved + candidate;
                        break;
                    }
                }
                ::closedir(dir);
            }
        }
        resolved = chosen;
        if (slash == path.size()) {
            break;
        }
        resolved += '/';
        start = slash + 1;
    }
    return resolved;
}

bool CreateDirectories(std::string_view path) {
    if (path.empty() || DirectoryExists(path)) {
        return true;
    }
    const std::string parent = DirectoryOf(path);
    if (!parent.empty() && parent != path && !CreateDirectories(parent)) {
        return false;
    }
    // EEXIST from a file of that name is no directory.
    return ::mkdir(NativeFileName(path).c_str(), 0777) == 0 || (errno == EEXIST && DirectoryExists(path));
}

bool MakePrivateFolder(std::string_view folder) {
    if (!CreateDirectories(DirectoryOf(folder))) {
        return false;
    }
    const std::string native = NativeFileName(folder);
    if (::mkdir(native.c_str(), 0700) != 0 && errno != EEXIST) {
        return false;
    }
    struct stat status {};
    if (::lstat(native.c_str(), &status) != 0 || !S_ISDIR(status.st_mode) || status.st_uid != ::geteuid()) {
        return false;
    }
    // One that others could write may hold what they planted; one they could only read is narrowed.
    if ((status.st_mode & (S_IWGRP | S_IWOTH)) != 0) {
        return false;
    }
    return (status.st_mode & (S_IRWXG | S_IRWXO)) == 0 || ::chmod(native.c_str(), 0700) == 0;
}

std::string DirectoryOf(std::string_view path) {
    while (path.size() > 1 && path.back() == '/') {
        path.remove_suffix(1);
    }
    const std::size_t slash = path.rfind('/');
    if (slash == std::string_view::npos) {
        return {};
    }
    return std::string(path.substr(0, slash == 0 ? 1 : slash));
}

bool RemoveFile(std::string_view path) {
    return ::unlink(NativeFileName(path).c_str()) == 0;
}

bool RenameFile(std::string_view from, std::string_view to) {
    return ::rename(NativeFileName(from).c_str(), NativeFileName(to).c_str()) == 0;
}

bool LinkFile(std::string_view existing, std::string_view newName) {
    return ::link(NativeFileName(existing).c_str(), NativeFileName(newName).c_str()) == 0;
}

bool SyncDirectory(std::string_view directory) {
    const int fd =
        ::open(NativeFileName(directory.empty() ? "." : directory).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0) {
        return false;
    }
    const bool synced = ::fsync(fd) == 0;
    ::close(fd);
    return synced;
}

std::optional<FileStamp> StampOf(std::string_view path) {
    struct stat st {};
    if (::stat(NativeFileName(path).c_str(), &st) != 0) {
        return std::nullopt;
    }
    return StampFrom(st);
}

std::optional<DateTime> ModificationTimeOf(std::string_view path) {
    struct stat st {};
    if (::stat(NativeFileName(path).c_str(), &st) != 0) {
        return std::nullopt;
    }
    std::tm local{};
    localtime_r(&st.st_mtim.tv_sec, &local);
    return DateTime{local.tm_year + 1900, local.tm_mon + 1, local.tm_mday, local.tm_hour, local.tm_min, local.tm_sec};
}

bool CopyFileKeepingTime(std::string_view from, std::string_view to) {
    const auto source = LockedFile::Open(from, LockedFile::Access::Read, false);
    struct stat st {};
    if (!source || ::fstat(source->Descriptor(), &st) != 0 || !S_ISREG(st.st_mode)) {
        return false;
    }
    std::string temp;
    auto target = CreateFileBeside(to, temp);
    if (!target) {
        return false;
    }
    const struct timespec times[2] = {st.st_atim, st.st_mtim};
    const bool copied = StreamContent(source->Descriptor(), target->Descriptor()) &&
                        ::futimens(target->Descriptor(), times) == 0 && ::fsync(target->Descriptor()) == 0;
    target->Close();
    if (copied && RenameFile(temp, to)) {
        return true;
    }
    RemoveFile(temp);
    return false;
}

std::string ExtractFileName(std::string_view path) {
    const std::size_t slash = path.rfind('/');
    return std::string(slash == std::string_view::npos ? path : path.substr(slash + 1));
}

std::string ExtractFileExt(std::string_view path) {
    const std::string name = ExtractFileName(path);
    const std::size_t dot = name.rfind('.');
    return dot == std::string::npos ? std::string() : name.substr(dot);
}

std::string ChangeFileExt(std::string_view path, std::string_view extension) {
    const std::string ext = ExtractFileExt(path);
    return std::string(path.substr(0, path.size() - ext.size())) + std::string(extension);
}

std::string ReadFileBytes(std::string_view path) {
    auto file = LockedFile::Open(path, LockedFile::Access::Read, false);
    if (!file) {
        throw CannotOpenFile(std::string(path));
    }
    return file->ReadAll();
}

void WriteFileAtomically(std::string_view path, std::string_view bytes, LockedFile* heldFile) {
    const std::string dir = DirectoryOf(path);
    if (!dir.empty() && !CreateDirectories(dir)) {
        throw FileError("Cannot create directory " + dir);
    }
    struct stat current {};
    const bool exists = heldFile != nullptr ? ::fstat(heldFile->Descriptor(), &current) == 0
                                            : ::stat(NativeFileName(path).c_str(), &current) == 0;
    std::string temp;
    auto file = CreateFileBeside(path, temp);
    if (!file) {
        if (exists && Refused(errno)) {
            WriteInPlace(path, bytes, heldFile);
            return;
        }
        throw FileError("Cannot write file " + std::string(path) + ": " + SystemReason());
    }
    // A link or a second name would be cut off from the new content by a replacement.
    struct stat name {};
    const bool sharedName =
        exists && (::lstat(NativeFileName(path).c_str(), &name) != 0 || S_ISLNK(name.st_mode) || current.st_nlink > 1);
    if (exists && (sharedName || !TakeOverSetup(file->Descriptor(), current))) {
        file->Close();
        RemoveFile(temp);
        WriteInPlace(path, bytes, heldFile);
        return;
    }
    try {
        file->Rewrite(bytes);
        file->Sync();
    } catch (const FileError&) {
        RemoveFile(temp);
        throw;
    }
    file->Close();
    if (!RenameFile(temp, path)) {
        const int error = errno;
        const std::string reason = SystemReason();
        RemoveFile(temp);
        // A folder with the sticky bit lets only the file's owner replace it.
        if (exists && Refused(error)) {
            WriteInPlace(path, bytes, heldFile);
            return;
        }
        throw FileError("Cannot write file " + std::string(path) + ": " + reason);
    }
}

LockedFile::LockedFile(LockedFile&& other) noexcept : m_fd(other.m_fd), m_path(std::move(other.m_path)) {
    other.m_fd = -1;
}

LockedFile& LockedFile::operator=(LockedFile&& other) noexcept {
    if (this != &other) {
        Close();
        m_fd = other.m_fd;
        m_path = std::move(other.m_path);
        other.m_fd = -1;
    }
    return *this;
}

LockedFile::~LockedFile() {
    Close();
}

std::optional<LockedFile> LockedFile::Open(std::string_view path, Access access, bool create) {
    return OpenWith(path, (access == Access::Read ? O_RDONLY : O_RDWR) | (create ? O_CREAT : 0));
}

std::optional<LockedFile> LockedFile::CreateNew(std::string_view path) {
    return OpenWith(path, O_RDWR | O_CREAT | O_EXCL);
}

std::optional<LockedFile> LockedFile::OpenNoLink(std::string_view path, Access access) {
    return OpenWith(path, (access == Access::Read ? O_RDONLY : O_RDWR) | O_NOFOLLOW);
}

std::optional<LockedFile> LockedFile::OpenLocked(std::string_view path, Access access, LockKind kind) {
    // Each retry means another writer replaced the file in the moment between our open and our lock.
    constexpr int kTries = 5;
    for (int attempt = 0; attempt < kTries; ++attempt) {
        std::optional<LockedFile> file = Open(path, access, false);
        if (!file || !file->TryLock(kind)) {
            return std::nullopt;
        }
        if (file->IsAt(path)) {
            return file;
        }
    }
    return std::nullopt;
}

std::optional<LockedFile> LockedFile::OpenWith(std::string_view path, int flags) {
    flags |= O_CLOEXEC;
    int fd = -1;
    do {
        fd = ::open(NativeFileName(path).c_str(), flags, 0666);
    } while (fd < 0 && errno == EINTR);
    if (fd < 0) {
        return std::nullopt;
    }
    return LockedFile(fd, std::string(path));
}

void LockedFile::Close() {
    if (m_fd >= 0) {
        ::close(m_fd);
        m_fd = -1;
    }
}

bool LockedFile::TryLock(LockKind kind, std::int64_t start, std::int64_t length) {
    if (SetLock(m_fd, kind == LockKind::Shared ? F_RDLCK : F_WRLCK, start, length, false)) {
        return true;
    }
    // Anything but a lock held elsewhere (a share without locks, a file opened for reading only) would
    // otherwise look like a holder that never lets go.
    if (errno != EAGAIN && errno != EACCES) {
        throw FileError("Cannot lock file " + m_path + ": " + SystemReason());
    }
    return false;
}

void LockedFile::Lock(LockKind kind, std::int64_t start, std::int64_t length) {
    if (!SetLock(m_fd, kind == LockKind::Shared ? F_RDLCK : F_WRLCK, start, length, true)) {
        throw FileError("Cannot lock file " + m_path + ": " + SystemReason());
    }
}

void LockedFile::Unlock(std::int64_t start, std::int64_t length) {
    SetLock(m_fd, F_UNLCK, start, length, false);
}

std::int64_t LockedFile::Size() const {
    struct stat st {};
    if (::fstat(m_fd, &st) != 0) {
        throw FileError("Cannot read file " + m_path + ": " + SystemReason());
    }
    return st.st_size;
}

FileStamp LockedFile::Stamp() const {
    struct stat st {};
    if (::fstat(m_fd, &st) != 0) {
        throw FileError("Cannot read file " + m_path + ": " + SystemReason());
    }
    return StampFrom(st);
}

bool LockedFile::IsAt(std::string_view path) const {
    struct stat held {};
    struct stat named {};
    return ::fstat(m_fd, &held) == 0 && ::stat(NativeFileName(path).c_str(), &named) == 0 &&
           held.st_dev == named.st_dev && held.st_ino == named.st_ino;
}

std::string LockedFile::ReadAll() const {
    return ReadAt(0, static_cast<std::size_t>(Size()));
}

std::string LockedFile::ReadAt(std::int64_t offset, std::size_t length) const {
    std::string out(length, '\0');
    std::size_t done = 0;
    while (done < length) {
        const ssize_t n = ::pread(m_fd, out.data() + done, length - done, offset + static_cast<std::int64_t>(done));
        if (n < 0) {
            if (errno == EINTR) {
                continue;
            }
            throw FileError("Cannot read file " + m_path + ": " + SystemReason());
        }
        if (n == 0) {
            break;
        }
        done += static_cast<std::size_t>(n);
    }
    out.resize(done);
    return out;
}

void LockedFile::WriteAt(std::int64_t offset, std::string_view bytes) {
    std::size_t done = 0;
    while (done < bytes.size()) {
        const ssize_t n =
            ::pwrite(m_fd, bytes.data() + done, bytes.size() - done, offset + static_cast<std::int64_t>(done));
        if (n < 0) {
            if (errno == EINTR) {
                continue;
            }
            throw FileError("Cannot write file " + m_path + ": " + SystemReason());
        }
        done += static_cast<std::size_t>(n);
    }
}

void LockedFile::Rewrite(std::string_view bytes) {
    WriteAt(0, bytes);
    Truncate(static_cast<std::int64_t>(bytes.size()));
}

void LockedFile::Truncate(std::int64_t size) {
    if (::ftruncate(m_fd, size) != 0) {
        throw FileError("Cannot write file " + m_path + ": " + SystemReason());
    }
}

void LockedFile::Sync() {
    if (::fsync(m_fd) != 0) {
        throw FileError("Cannot write file " + m_path + ": " + SystemReason());
    }
}

} // namespace pelgo::core
