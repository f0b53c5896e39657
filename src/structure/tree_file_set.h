// The three tree files as one set shared by several instances: the lock, reading, and the commit that
// replaces the set so that a crash at any moment leaves the complete old or the complete new set.
//
// A writer holds an exclusive lock on the set's lock file (the tree text file + ".lock", never removed) from
// claiming its ".tmp" files to the end of the commit; a reader holds it shared while it reads. The locks are
// open-file-description locks, so a writer that dies leaves its files behind but not its lock. While it writes,
// the lock file holds a mark: whoever takes the lock next and finds the mark knows that the ".tmp" files are a
// dead writer's and settles them. ".tmp" files without the mark belong to a program that knows no lock file:
// they are waited for, as every writer's ".tmp" files always were.
//
// Commit: the three ".tmp" files are written and synced, then the commit marker (the tree text file +
// ".commit") is made durable: from that moment the new set is the tree. Each ".tmp" is then renamed over its
// file (the previous content kept as F.xxx until the end) and the marker removed last. A marker found later
// means "finish the renames"; ".tmp" files of a dead writer without one are a write that never reached its
// commit and are dropped.
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

enum class Leftovers {
    None,
    DeadWriters, // what a writer of this program left when it died: settle it
    Foreign,     // ".tmp" files of a writer that knows no lock file: wait for them
};
class TreeSetLock {
public:
    enum class Mode { Read, Write };
    // Empty while another instance holds the set against `mode`. For writing, throws core::FileError when
    // the lock file cannot be made, written or locked. For reading, a lock file that is missing (no writer has
    // been here), that this user cannot read or that cannot be locked gives a lock that is not held: read with
    // ReadTreeFilesUnlocked.
    static std::optional<TreeSetLock> TryAcquire(const TreeFilePaths& paths, Mode mode);

    bool Held() const { return m_file.IsOpen(); }
    // Whether a writer of this program was at work when it last held the lock for writing.
    bool WriterWasAtWork() const;

private:
    friend class TreeSetWriter;
    friend void SettleLeftovers(const TreeFilePaths& paths, TreeSetLock& lock);

    explicit TreeSetLock(core::LockedFile file) : m_file(std::move(file)) {}
    // Sets or clears the mark of a writer at work; needs the lock for writing.
    void MarkWriting(bool writing);

    core::LockedFile m_file;
};

// Whether anything lies beside the three files that a writer leaves only while it writes.
bool LeftoversPresent(const TreeFilePaths& paths);
// What lies beside the set besides the three files. The caller holds the lock.
Leftovers FindLeftovers(const TreeFilePaths& paths, const TreeSetLock& lock);
// Finishes a dead writer's commit or drops its unfinished write. The caller holds the lock for writing.
// Throws core::FileError when the folder refuses a rename or removal.
void SettleLeftovers(const TreeFilePaths& paths, TreeSetLock& lock);

// The stamp of the tree text file as ReadTreeFiles would read it; empty when there is none.
std::optional<core::FileStamp> TreeTextStamp(const TreeFilePaths& paths);

// The set as the last commit left it, whether or not a dead writer's leftovers were settled. The caller
// holds the lock. `orTemp`, for a set read despite a live writer: a file that exists only as ".tmp" is read so.
TreeFileSet ReadTreeFiles(const TreeFilePaths& paths, bool orTemp = false);
// The set read without a lock; empty when the set changed while it was read.
std::optional<TreeFileSet> ReadTreeFilesUnlocked(const TreeFilePaths& paths);

// One save of the set, made under the lock for writing with no leftovers about.
class TreeSetWriter {
public:
    // Marks the lock file and creates the ".tmp" files; empty when a ".tmp" file exists already (a writer
    // that knows no lock is at work).
    static std::optional<TreeSetWriter> Claim(const TreeFilePaths& paths, TreeSetLock& lock);
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
    TreeSetWriter(TreeFilePaths paths, TreeSetLock& lock, std::array<core::LockedFile, 3> files);
    void RemoveUncommitted();

    TreeFilePaths m_paths;
    TreeSetLock* m_lock;
    std::array<core::LockedFile, 3> m_files;
    bool m_committed = false;
};

} // namespace pelgo::structure
