// The three tree files as one set shared by several instances: the lock, reading, and the commit that
// replaces the set so that a crash at any moment leaves the complete old or the complete new set.
//
// A writer holds an exclusive lock on the set's lock file (the tree text file + ".lock", never removed) from
// claiming its ".tmp" files to the end of the commit; a reader holds it shared while it reads. The locks are
// open-file-description locks, so a writer that dies leaves its files behind but not its lock: whoever takes
// the lock next knows that what it finds is a dead writer's and settles it.
//
// Commit: the three ".tmp" files are written and synced, then the commit marker (the tree text file +
// ".commit") is made durable: from that moment the new set is the tree. Each ".tmp" is then renamed over its
// file (the previous content kept as F.xxx until the end) and the marker is removed last. A marker found
// later means "finish the renames"; ".tmp" files without one are a write that never reached its commit and
// are dropped. Programs that know no marker still see ".tmp" files and wait, as they always did.
#pragma once

#include <array>
#include <optional>
#include <string>
#include <string_view>

#include "core/errors.h"
#include "core/file.h"
#include "structure/tree_files.h"

namespace pelgo::structure {

inline constexpr std::string_view kTempExtension = ".tmp";     // the new content; its presence is the lock
inline constexpr std::string_view kPreviousExtension = ".xxx"; // the previous content during the commit
inline constexpr std::string_view kLockExtension = ".lock";
inline constexpr std::string_view kCommitExtension = ".commit";

bool AnyTempFilePresent(const TreeFilePaths& paths);

struct TreeFileContent {
    bool exists = false;
    std::optional<std::string> bytes; // empty when the file is missing or cannot be read
};
struct TreeFileSet {
    TreeFileContent treeText;
    TreeFileContent image;
    TreeFileContent addData;
    // The tree text file as read: the stamp it has on disk once any pending commit is finished.
    std::optional<core::FileStamp> treeTextStamp;
};

class TreeSetLock {
public:
    enum class Mode { Read, Write };
    // Empty while another instance holds the set against `mode`. A user who can neither create nor write the
    // lock file still reads: no writer can have touched the set while the lock file did not exist.
    static std::optional<TreeSetLock> TryAcquire(const TreeFilePaths& paths, Mode mode);

    // Whether the lock really is held (false for a reader without a lock file).
    bool Held() const { return m_file.IsOpen(); }

private:
    explicit TreeSetLock(core::LockedFile file) : m_file(std::move(file)) {}
    core::LockedFile m_file;
};

// The stamp of the tree text file as ReadTreeFiles would read it; empty when there is none.
std::optional<core::FileStamp> TreeTextStamp(const TreeFilePaths& paths);

// Whether a dead writer left anything: ".tmp" files, a commit marker, or a file whose previous content is
// only in F.xxx.
bool LeftoversPresent(const TreeFilePaths& paths);
// Finishes a dead writer's commit or drops its unfinished write. The caller holds the lock for writing.
// Throws core::FileError when the folder refuses a rename or removal.
void SettleLeftovers(const TreeFilePaths& paths);

// The set as the last commit left it, whether or not its leftovers could be settled. The caller holds the
// lock (for a reading without a lock file, ReadTreeFilesUnlocked).
TreeFileSet ReadTreeFiles(const TreeFilePaths& paths);
// Empty when a writer appeared while the set was read without a lock file.
std::optional<TreeFileSet> ReadTreeFilesUnlocked(const TreeFilePaths& paths);
// The set as it is on disk, whatever a live writer is doing (after the user chose to ignore its lock).
TreeFileSet ReadTreeFilesAsTheyAre(const TreeFilePaths& paths);

// One save of the set. The caller holds the lock for writing and has settled any leftovers.
class TreeSetWriter {
public:
    // Empty when a ".tmp" file exists: a writer that knows no lock is at work.
    static std::optional<TreeSetWriter> Claim(const TreeFilePaths& paths);
    TreeSetWriter(TreeSetWriter&& other) noexcept;
    TreeSetWriter& operator=(TreeSetWriter&& other) noexcept;
    TreeSetWriter(const TreeSetWriter&) = delete;
    TreeSetWriter& operator=(const TreeSetWriter&) = delete;
    // Removes the ".tmp" files of a save that did not reach its commit.
    ~TreeSetWriter();

    // Writes and syncs the new content, then makes the commit marker durable. Throws core::FileError; the
    // ".tmp" files go with the writer.
    void Write(std::string_view treeText, std::string_view image, std::string_view addData);
    // Puts the written set in place. Throws core::FileError when a rename fails; the marker then stays, so
    // that every reader reads the new set and the next writer finishes the renames.
    void Commit();
    // Whether the commit marker is written: the new set is the tree from then on.
    bool Committed() const { return m_committed; }

private:
    TreeSetWriter(TreeFilePaths paths, std::array<core::LockedFile, 3> files);
    void RemoveUncommitted();

    TreeFilePaths m_paths;
    std::array<core::LockedFile, 3> m_files;
    bool m_committed = false;
};

} // namespace pelgo::structure
