// The set's lock, reading, settling a dead writer's leftovers, and the commit.
#include "structure/tree_file_set.h"

#include <algorithm>
#include <sys/stat.h>
#include <vector>

namespace pelgo::structure {
namespace {

constexpr std::string_view kWritingMark = "writing";

std::string TempName(const std::string& file) {
    return file + std::string(kTempExtension);
}

std::string PreviousName(const std::string& file) {
    return file + std::string(kPreviousExtension);
}

std::string LockName(const TreeFilePaths& paths) {
    return paths.treeText + std::string(kLockExtension);
}

std::string MarkerName(const TreeFilePaths& paths) {
    return paths.treeText + std::string(kCommitExtension);
}

// The folders of the three files (one, as a rule) with the entries made, renamed or removed in them.
void SyncFolders(const TreeFilePaths& paths) {
    std::vector<std::string> synced;
    for (const std::string& path : paths.All()) {
        const std::string folder = core::DirectoryOf(path);
        if (std::find(synced.begin(), synced.end(), folder) != synced.end()) {
            continue;
        }
        if (!core::SyncDirectory(folder)) {
            throw core::FileError("Cannot write folder " + folder + ": " + core::SystemReason());
        }
        synced.push_back(folder);
    }
}

// The lock file, never through a link (another user of the folder could plant one that leads to any file of
// ours) and only a plain file. One this call makes gets the folder's read and write permissions rather than its
// maker's umask, so that every user who may write the folder can take the lock for writing.
std::optional<core::LockedFile> OpenLockFile(const std::string& path, core::LockedFile::Access access) {
    std::optional<core::LockedFile> file;
    if (access == core::LockedFile::Access::ReadWrite) {
        file = core::LockedFile::CreateNew(path);
        struct stat folder {};
        if (file && ::stat(core::NativeFileName(core::DirectoryOf(path)).c_str(), &folder) == 0) {
            ::fchmod(file->Descriptor(), (folder.st_mode & 0666) | 0600);
        }
    }
    if (!file) {
        file = core::LockedFile::OpenNoLink(path, access);
    }
    struct stat own {};
    if (file && (::fstat(file->Descriptor(), &own) != 0 || !S_ISREG(own.st_mode))) {
        file.reset();
    }
    return file;
}

// Where the content of `file` stands: a committed ".tmp" is the file, and a file missing beside its F.xxx (a
// commit interrupted between two renames by a program that knows no marker) is F.xxx. With `orTemp`, a file
// that exists only as ".tmp" is that. Empty when the file does not exist at all.
std::optional<std::string> ResolvedName(const std::string& file, bool committed, bool orTemp = false) {
    if (committed && core::FileExists(TempName(file))) {
        return TempName(file);
    }
    if (core::FileExists(file)) {
        return file;
    }
    if (!committed && core::FileExists(PreviousName(file))) {
        return PreviousName(file);
    }
    if (orTemp && core::FileExists(TempName(file))) {
        return TempName(file);
    }
    return std::nullopt;
}

TreeFileContent ReadResolved(const std::optional<std::string>& name, std::optional<core::FileStamp>* stamp) {
    if (!name) {
        return {};
    }
    TreeFileContent content{true, std::nullopt};
    if (auto file = core::LockedFile::Open(*name, core::LockedFile::Access::Read, false)) {
        try {
            content.bytes = file->ReadAll();
            if (stamp != nullptr) {
                *stamp = file->Stamp();
            }
        } catch (const core::FileError&) {
            content.bytes.reset();
        }
    }
    return content;
}

void Rename(const std::string& from, const std::string& to) {
    if (!core::RenameFile(from, to)) {
        throw core::FileError("Cannot replace " + to + " by " + from + ": " + core::SystemReason());
    }
}

void Remove(const std::string& path) {
    if (!core::RemoveFile(path) && core::FileExists(path)) {
        throw core::FileError("Cannot remove " + path + ": " + core::SystemReason());
    }
}

// What a reader without a lock compares before and after reading: every name the set can be read from.
std::array<std::optional<core::FileStamp>, 10> SetStamps(const TreeFilePaths& paths) {
    std::array<std::optional<core::FileStamp>, 10> stamps;
    std::size_t i = 0;
    for (const std::string& path : paths.All()) {
        stamps[i++] = core::StampOf(path);
        stamps[i++] = core::StampOf(TempName(path));
        stamps[i++] = core::StampOf(PreviousName(path));
    }
    stamps[i] = core::StampOf(MarkerName(paths));
    return stamps;
}

} // namespace

bool AnyTempFilePresent(const TreeFilePaths& paths) {
    for (const std::string& path : paths.All()) {
        if (core::FileExists(TempName(path))) {
            return true;
        }
    }
    return false;
}

std::optional<TreeSetLock> TreeSetLock::TryAcquire(const TreeFilePaths& paths, Mode mode) {
    const std::string name = LockName(paths);
    if (mode == Mode::Write) {
        auto file = OpenLockFile(name, core::LockedFile::Access::ReadWrite);
        if (!file) {
            throw core::FileError("Cannot open file " + name + " for writing: " + core::SystemReason() +
                                  ". It must be a plain file that every user who saves the structure tree may write.");
        }
        if (!file->TryLock(core::LockedFile::LockKind::Exclusive)) {
            return std::nullopt;
        }
        return TreeSetLock(std::move(*file));
    }
    auto file = OpenLockFile(name, core::LockedFile::Access::Read);
    if (!file) {
        return TreeSetLock(core::LockedFile());
    }
    try {
        if (!file->TryLock(core::LockedFile::LockKind::Shared)) {
            return std::nullopt;
        }
    } catch (const core::FileError&) {
        return TreeSetLock(core::LockedFile()); // a share without locks: read and compare stamps
    }
    return TreeSetLock(std::move(*file));
}

bool TreeSetLock::WriterWasAtWork() const {
    return Held() && m_file.ReadAt(0, kWritingMark.size()) == kWritingMark;
}

void TreeSetLock::MarkWriting(bool writing) {
    m_file.Rewrite(writing ? kWritingMark : std::string_view());
    m_file.Sync();
}

bool LeftoversPresent(const TreeFilePaths& paths) {
    if (AnyTempFilePresent(paths) || core::FileExists(MarkerName(paths))) {
        return true;
    }
    for (const std::string& path : paths.All()) {
        if (!core::FileExists(path) && core::FileExists(PreviousName(path))) {
            return true;
        }
    }
    return false;
}

Leftovers FindLeftovers(const TreeFilePaths& paths, const TreeSetLock& lock) {
    // Only this program writes a marker, and only under its lock.
    const bool foreign = AnyTempFilePresent(paths) && !core::FileExists(MarkerName(paths)) && !lock.WriterWasAtWork();
    if (foreign) {
        return Leftovers::Foreign;
    }
    return LeftoversPresent(paths) || lock.WriterWasAtWork() ? Leftovers::DeadWriters : Leftovers::None;
}

void SettleLeftovers(const TreeFilePaths& paths, TreeSetLock& lock) {
    const bool committed = core::FileExists(MarkerName(paths));
    for (const std::string& path : paths.All()) {
        if (committed) {
            if (core::FileExists(TempName(path))) {
                Rename(TempName(path), path);
            }
        } else {
            Remove(TempName(path));
            if (!core::FileExists(path) && core::FileExists(PreviousName(path))) {
                Rename(PreviousName(path), path);
            }
        }
    }
    SyncFolders(paths);
    for (const std::string& path : paths.All()) {
        core::RemoveFile(PreviousName(path));
    }
    // A marker that outlived its commit would make the next unfinished write look committed.
    Remove(MarkerName(paths));
    lock.MarkWriting(false);
}

std::optional<core::FileStamp> TreeTextStamp(const TreeFilePaths& paths) {
    const auto name = ResolvedName(paths.treeText, core::FileExists(MarkerName(paths)));
    return name ? core::StampOf(*name) : std::nullopt;
}

TreeFileSet ReadTreeFiles(const TreeFilePaths& paths, bool orTemp) {
    const bool committed = core::FileExists(MarkerName(paths));
    TreeFileSet set;
    set.treeText = ReadResolved(ResolvedName(paths.treeText, committed, orTemp), &set.treeTextStamp);
    set.image = ReadResolved(ResolvedName(paths.image, committed, orTemp), nullptr);
    set.addData = ReadResolved(ResolvedName(paths.addData, committed, orTemp), nullptr);
    return set;
}

std::optional<TreeFileSet> ReadTreeFilesUnlocked(const TreeFilePaths& paths) {
    const auto before = SetStamps(paths);
    TreeFileSet set = ReadTreeFiles(paths);
    if (SetStamps(paths) != before) {
        return std::nullopt;
    }
    return set;
}

std::optional<TreeSetWriter> TreeSetWriter::Claim(const TreeFilePaths& paths, TreeSetLock& lock) {
    lock.MarkWriting(true);
    std::array<core::LockedFile, 3> files;
    const auto names = paths.All();
    for (std::size_t i = 0; i < names.size(); ++i) {
        auto file = core::LockedFile::CreateNew(TempName(names[i]));
        if (!file) {
            const std::string reason = core::SystemReason();
            const bool foreignWriter = core::FileExists(TempName(names[i]));
            for (std::size_t made = 0; made < i; ++made) {
                files[made].Close();
                core::RemoveFile(TempName(names[made]));
            }
            lock.MarkWriting(false);
            if (foreignWriter) {
                return std::nullopt;
            }
            throw core::FileError("Cannot create file " + TempName(names[i]) + ": " + reason);
        }
        files[i] = std::move(*file);
    }
    return TreeSetWriter(paths, lock, std::move(files));
}

TreeSetWriter::TreeSetWriter(TreeFilePaths paths, TreeSetLock& lock, std::array<core::LockedFile, 3> files)
    : m_paths(std::move(paths)), m_lock(&lock), m_files(std::move(files)) {
}

TreeSetWriter::TreeSetWriter(TreeSetWriter&& other) noexcept
    : m_paths(other.m_paths), m_lock(other.m_lock), m_files(std::move(other.m_files)), m_committed(other.m_committed) {
}

TreeSetWriter& TreeSetWriter::operator=(TreeSetWriter&& other) noexcept {
    if (this != &other) {
        RemoveUncommitted();
        m_paths = other.m_paths;
        m_lock = other.m_lock;
        m_files = std::move(other.m_files);
        m_committed = other.m_committed;
    }
    return *this;
}

TreeSetWriter::~TreeSetWriter() {
    RemoveUncommitted();
}

void TreeSetWriter::RemoveUncommitted() {
    if (m_committed) {
        return;
    }
    const auto names = m_paths.All();
    bool owned = false;
    for (std::size_t i = 0; i < m_files.size(); ++i) {
        if (m_files[i].IsOpen()) { // a moved-from writer owns no files
            owned = true;
            m_files[i].Close();
            core::RemoveFile(TempName(names[i]));
        }
    }
    if (owned) {
        try {
            m_lock->MarkWriting(false);
        } catch (const core::FileError&) {
            // The mark stays; the next writer finds no ".tmp" files to settle and clears it.
        }
    }
}

void TreeSetWriter::Write(std::string_view treeText, std::string_view image, std::string_view addData) {
    const std::array<std::string_view, 3> contents{treeText, image, addData};
    for (std::size_t i = 0; i < m_files.size(); ++i) {
        m_files[i].Rewrite(contents[i]);
        m_files[i].Sync();
    }
    SyncFolders(m_paths);
    auto marker = core::LockedFile::CreateNew(MarkerName(m_paths));
    if (!marker) {
        throw core::FileError("Cannot create file " + MarkerName(m_paths) + ": " + core::SystemReason());
    }
    m_committed = true;
    marker->Close();
    SyncFolders(m_paths);
}

void TreeSetWriter::Commit() {
    for (core::LockedFile& file : m_files) {
        file.Close();
    }
    for (const std::string& path : m_paths.All()) {
        core::RemoveFile(PreviousName(path));
        if (core::FileExists(path)) {
            core::LinkFile(path, PreviousName(path)); // a courtesy where links exist; the marker is the guarantee
        }
        Rename(TempName(path), path);
    }
    SyncFolders(m_paths);
    core::RemoveFile(MarkerName(m_paths));
    for (const std::string& path : m_paths.All()) {
        core::RemoveFile(PreviousName(path));
    }
    try {
        m_lock->MarkWriting(false);
    } catch (const core::FileError&) {
        // The set is committed; a mark left without files is cleared by the next writer.
    }
}

} // namespace pelgo::structure
