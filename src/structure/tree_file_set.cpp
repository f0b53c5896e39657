// The set's lock, reading, settling a dead writer's leftovers, and the commit.
#include "structure/tree_file_set.h"

namespace pelgo::structure {
namespace {

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

void SyncFolderOf(const std::string& path) {
    if (!core::SyncDirectory(core::DirectoryOf(path))) {
        throw core::FileError("Cannot write folder " + core::DirectoryOf(path) + ": " + core::SystemReason());
    }
}

// Where the content of `file` stands while the set is settled or not: a committed ".tmp" is the file, and
// a file missing beside its F.xxx (a commit interrupted between its two renames) is F.xxx. Empty when the
// file does not exist at all.
std::optional<std::string> ResolvedName(const std::string& file, bool committed) {
    if (committed && core::FileExists(TempName(file))) {
        return TempName(file);
    }
    if (core::FileExists(file)) {
        return file;
    }
    if (!committed && core::FileExists(PreviousName(file))) {
        return PreviousName(file);
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

TreeFileSet ReadSet(const TreeFilePaths& paths, bool committed) {
    TreeFileSet set;
    set.treeText = ReadResolved(ResolvedName(paths.treeText, committed), &set.treeTextStamp);
    set.image = ReadResolved(ResolvedName(paths.image, committed), nullptr);
    set.addData = ReadResolved(ResolvedName(paths.addData, committed), nullptr);
    return set;
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
        auto file = core::LockedFile::Open(name, core::LockedFile::Access::ReadWrite, true);
        if (!file) {
            throw core::CannotOpenFile(name);
        }
        if (!file->TryLock(core::LockedFile::LockKind::Exclusive)) {
            return std::nullopt;
        }
        return TreeSetLock(std::move(*file));
    }
    auto file = core::LockedFile::Open(name, core::LockedFile::Access::Read, false);
    if (!file) {
        return TreeSetLock(core::LockedFile());
    }
    if (!file->TryLock(core::LockedFile::LockKind::Shared)) {
        return std::nullopt;
    }
    return TreeSetLock(std::move(*file));
}

std::optional<core::FileStamp> TreeTextStamp(const TreeFilePaths& paths) {
    const auto name = ResolvedName(paths.treeText, core::FileExists(MarkerName(paths)));
    return name ? core::StampOf(*name) : std::nullopt;
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

void SettleLeftovers(const TreeFilePaths& paths) {
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
    SyncFolderOf(paths.treeText);
    for (const std::string& path : paths.All()) {
        core::RemoveFile(PreviousName(path));
    }
    // A marker that outlived its commit would make the next unfinished write look committed.
    Remove(MarkerName(paths));
}

TreeFileSet ReadTreeFiles(const TreeFilePaths& paths) {
    return ReadSet(paths, core::FileExists(MarkerName(paths)));
}

std::optional<TreeFileSet> ReadTreeFilesUnlocked(const TreeFilePaths& paths) {
    TreeFileSet set = ReadTreeFiles(paths);
    // Every writer makes the lock file before it touches the set.
    if (core::FileExists(LockName(paths))) {
        return std::nullopt;
    }
    return set;
}

std::optional<TreeSetWriter> TreeSetWriter::Claim(const TreeFilePaths& paths) {
    if (core::FileExists(MarkerName(paths))) {
        throw core::FileError("Cannot remove " + MarkerName(paths));
    }
    std::array<core::LockedFile, 3> files;
    const auto names = paths.All();
    for (std::size_t i = 0; i < names.size(); ++i) {
        auto file = core::LockedFile::CreateNew(TempName(names[i]));
        if (!file) {
            const bool foreignWriter = core::FileExists(TempName(names[i]));
            for (std::size_t made = 0; made < i; ++made) {
                files[made].Close();
                core::RemoveFile(TempName(names[made]));
            }
            if (foreignWriter) {
                return std::nullopt;
            }
            throw core::CannotOpenFile(TempName(names[i]));
        }
        files[i] = std::move(*file);
    }
    return TreeSetWriter(paths, std::move(files));
}

TreeSetWriter::TreeSetWriter(TreeFilePaths paths, std::array<core::LockedFile, 3> files)
    : m_paths(std::move(paths)), m_files(std::move(files)) {
}

TreeSetWriter::TreeSetWriter(TreeSetWriter&& other) noexcept
    : m_paths(other.m_paths), m_files(std::move(other.m_files)), m_committed(other.m_committed) {
}

TreeSetWriter& TreeSetWriter::operator=(TreeSetWriter&& other) noexcept {
    if (this != &other) {
        RemoveUncommitted();
        m_paths = other.m_paths;
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
    for (std::size_t i = 0; i < m_files.size(); ++i) {
        if (m_files[i].IsOpen()) { // a moved-from writer owns no files
            m_files[i].Close();
            core::RemoveFile(TempName(names[i]));
        }
    }
}

void TreeSetWriter::Write(std::string_view treeText, std::string_view image, std::string_view addData) {
    const std::array<std::string_view, 3> contents{treeText, image, addData};
    for (std::size_t i = 0; i < m_files.size(); ++i) {
        m_files[i].Rewrite(contents[i]);
        m_files[i].Sync();
    }
    SyncFolderOf(m_paths.treeText);
    auto marker = core::LockedFile::CreateNew(MarkerName(m_paths));
    if (!marker) {
        throw core::CannotOpenFile(MarkerName(m_paths));
    }
    m_committed = true;
    marker->Close();
    SyncFolderOf(m_paths.treeText);
}

void TreeSetWriter::Commit() {
    for (core::LockedFile& file : m_files) {
        file.Close();
    }
    for (const std::string& path : m_paths.All()) {
        core::RemoveFile(PreviousName(path));
        if (core::FileExists(path) && !core::LinkFile(path, PreviousName(path))) {
            core::CopyFileKeepingTime(path, PreviousName(path));
        }
        Rename(TempName(path), path);
    }
    SyncFolderOf(m_paths.treeText);
    core::RemoveFile(MarkerName(m_paths));
    for (const std::string& path : m_paths.All()) {
        core::RemoveFile(PreviousName(path));
    }
}

} // namespace pelgo::structure
