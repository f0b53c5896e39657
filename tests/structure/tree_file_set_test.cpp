// The tree files as one set: every crash state of a commit reads and settles to one whole set, the locks
// keep readers and writers apart, and a writer claims its files at once and leaves none behind.
#include "structure/tree_file_set.h"

#include <gtest/gtest.h>
#include <map>

#include "support/temp_dir.h"

namespace pelgo::structure {
namespace {

using testing::ReadBytes;
using testing::WriteBytes;

class TreeFileSetTest : public ::testing::Test {
protected:
    testing::TempDir dir;
    const TreeFilePaths paths{dir / "struct", dir / "image", dir / "add_Data"};

    // Files by suffix of the names in `paths`: "struct", "image.tmp", "struct.commit" ...
    void Lay(const std::map<std::string, std::string>& files) const {
        for (const auto& [name, bytes] : files) {
            WriteBytes(dir / name, bytes);
        }
    }
    static std::string Of(const TreeFileContent& content) {
        return content.exists ? content.bytes.value_or("<unreadable>") : "-";
    }
    static std::string Of(const TreeFileSet& set) { return Of(set.treeText) + Of(set.image) + Of(set.addData); }
    std::string OnDisk() const {
        std::string out;
        for (const std::string& path : paths.All()) {
            out += core::FileExists(path) ? ReadBytes(path) : "-";
        }
        return out;
    }
};

TEST_F(TreeFileSetTest, EveryCrashStateOfACommitGivesOneWholeSet) {
    // `files` laid over `under`: what a case names wins.
    const auto over = [](std::map<std::string, std::string> files, const std::map<std::string, std::string>& under) {
        files.insert(under.begin(), under.end());
        return files;
    };
    const std::map<std::string, std::string> oldSet{{"struct", "S0"}, {"image", "I0"}, {"add_Data", "A0"}};
    const std::map<std::string, std::string> newTemps{
        {"struct.tmp", "S1"}, {"image.tmp", "I1"}, {"add_Data.tmp", "A1"}};
    const std::map<std::string, std::string> marker{{"struct.commit", ""}};
    struct Case {
        const char* name;
        std::map<std::string, std::string> files;
        bool markedWriting; // the lock file says a writer of this program was at work
        Leftovers found;
        const char* set;
    };
    const Case cases[] = {
        {"writing the .tmp files", over({{"struct.tmp", "S1"}, {"image.tmp", "I"}}, oldSet), true,
         Leftovers::DeadWriters, "S0I0A0"},
        {"all .tmp written, no marker", over(newTemps, oldSet), true, Leftovers::DeadWriters, "S0I0A0"},
        {"marker, nothing renamed", over(over(newTemps, marker), oldSet), true, Leftovers::DeadWriters, "S1I1A1"},
        {"marker, one file renamed",
         over({{"struct", "S1"}, {"struct.xxx", "S0"}, {"image.tmp", "I1"}, {"add_Data.tmp", "A1"}},
              over(marker, oldSet)),
         true, Leftovers::DeadWriters, "S1I1A1"},
        {"marker, all renamed",
         over({{"struct", "S1"}, {"image", "I1"}, {"add_Data", "A1"}, {"add_Data.xxx", "A0"}}, marker), true,
         Leftovers::DeadWriters, "S1I1A1"},
        {"first save before its marker", newTemps, true, Leftovers::DeadWriters, "---"},
        {"first save after its marker", over(newTemps, marker), true, Leftovers::DeadWriters, "S1I1A1"},
        {"a writer without a lock between its two renames",
         {{"struct.xxx", "S0"}, {"struct.tmp", "S1"}, {"image", "I0"}, {"add_Data", "A0"}},
         false,
         Leftovers::Foreign,
         "S0I0A0"},
        {"a writer without a lock, its first save", newTemps, false, Leftovers::Foreign, "S1I1A1"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        std::filesystem::remove_all(dir.Path());
        std::filesystem::create_directory(dir.Path());
        Lay(c.files);
        Lay({{"struct.lock", c.markedWriting ? "writing" : ""}});
        ASSERT_TRUE(LeftoversPresent(paths));
        auto lock = TreeSetLock::TryAcquire(paths, TreeSetLock::Mode::Write);
        ASSERT_TRUE(lock);
        ASSERT_EQ(FindLeftovers(paths, *lock), c.found);
        if (c.found == Leftovers::Foreign) {
            // Read only when the user ignores the writer: whatever holds a tree is read, never a first run.
            EXPECT_EQ(Of(ReadTreeFiles(paths, true)), c.set);
            continue;
        }
        EXPECT_EQ(Of(ReadTreeFiles(paths)), c.set) << "read before settling";
        SettleLeftovers(paths, *lock);
        EXPECT_EQ(OnDisk(), c.set);
        EXPECT_EQ(FindLeftovers(paths, *lock), Leftovers::None);
        for (const std::string& path : paths.All()) {
            EXPECT_FALSE(core::FileExists(path + ".xxx")) << path;
        }
        EXPECT_EQ(Of(ReadTreeFiles(paths)), c.set) << "read after settling";
    }
}

TEST_F(TreeFileSetTest, WritersExcludeEveryoneAndReadersExcludeWriters) {
    using Mode = TreeSetLock::Mode;
    Lay({{"struct", "S0"}});
    {
        const auto reader = TreeSetLock::TryAcquire(paths, Mode::Read);
        ASSERT_TRUE(reader);
        EXPECT_FALSE(reader->Held()) << "no lock file: no writer has been here";
        EXPECT_TRUE(ReadTreeFilesUnlocked(paths));
    }
    {
        const auto writer = TreeSetLock::TryAcquire(paths, Mode::Write);
        ASSERT_TRUE(writer && writer->Held());
        EXPECT_FALSE(TreeSetLock::TryAcquire(paths, Mode::Write));
        EXPECT_FALSE(TreeSetLock::TryAcquire(paths, Mode::Read));
    }
    const auto reader = TreeSetLock::TryAcquire(paths, Mode::Read);
    ASSERT_TRUE(reader && reader->Held());
    EXPECT_TRUE(TreeSetLock::TryAcquire(paths, Mode::Read));
    EXPECT_FALSE(TreeSetLock::TryAcquire(paths, Mode::Write));
}

TEST_F(TreeFileSetTest, WriterClaimsItsFilesAtOnceAndLeavesNoneUncommitted) {
    Lay({{"struct", "S0"}, {"image", "I0"}, {"image.tmp", "a writer without a lock"}});
    auto lock = TreeSetLock::TryAcquire(paths, TreeSetLock::Mode::Write);
    ASSERT_TRUE(lock);
    EXPECT_FALSE(TreeSetWriter::Claim(paths, *lock));
    EXPECT_FALSE(core::FileExists(dir / "struct.tmp")) << "what it claimed before the clash is given back";
    EXPECT_EQ(ReadBytes(dir / "image.tmp"), "a writer without a lock");
    EXPECT_EQ(FindLeftovers(paths, *lock), Leftovers::Foreign) << "and the mark with it";
    core::RemoveFile(dir / "image.tmp");

    {
        auto unfinished = TreeSetWriter::Claim(paths, *lock);
        ASSERT_TRUE(unfinished);
        EXPECT_TRUE(lock->WriterWasAtWork());
    }
    EXPECT_EQ(FindLeftovers(paths, *lock), Leftovers::None)
        << "a save that never reached its commit takes its files along";
    {
        auto committed = TreeSetWriter::Claim(paths, *lock);
        ASSERT_TRUE(committed);
        committed->Write("S9", "I9", "A9");
        EXPECT_TRUE(committed->Committed()); // and then the process dies before its renames
    }
    EXPECT_EQ(FindLeftovers(paths, *lock), Leftovers::DeadWriters);
    SettleLeftovers(paths, *lock);
    EXPECT_EQ(OnDisk(), "S9I9A9");

    auto writer = TreeSetWriter::Claim(paths, *lock);
    ASSERT_TRUE(writer);
    writer->Write("S1", "I1", "A1");
    writer->Commit();
    EXPECT_EQ(OnDisk(), "S1I1A1");
    EXPECT_EQ(FindLeftovers(paths, *lock), Leftovers::None);
}

} // namespace
} // namespace pelgo::structure
