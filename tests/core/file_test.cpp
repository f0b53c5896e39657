// File operations: the hidden names of files written before they replace another, and the lock that must be
// held on the file a path names now, not on one a writer has renamed another over.
#include "core/file.h"

#include <gtest/gtest.h>

#include "support/temp_dir.h"

namespace pelgo::core {
namespace {

using Access = LockedFile::Access;
using LockKind = LockedFile::LockKind;

TEST(FileTest, TemporaryFilesAreHiddenBesideTheirTargetAndLeftOutOfFolderListings) {
    const testing::TempDir dir;
    for (const std::string& path : {dir / "pc.ini", std::string("pc.ini")}) {
        SCOPED_TRACE(path);
        const std::string first = TemporaryNameBeside(path);
        EXPECT_EQ(DirectoryOf(first), DirectoryOf(path));
        EXPECT_EQ(ExtractFileName(first).rfind(".pc.ini.", 0), 0u) << first;
        EXPECT_NE(TemporaryNameBeside(path), first);
    }
    // The archive update loads every file FilesIn lists: a copy or replacement under way must not be one.
    testing::WriteBytes(dir / "pc.ini", "[Info]\r\nMAC_Addr=0050BA1C2D3E\r\n");
    testing::WriteBytes(TemporaryNameBeside(dir / "pc2.ini"), "[Info]\r\nMAC_Addr=00AA00000002\r\n");
    testing::WriteBytes(dir / ".x.tmp", "[Info]\r\nMAC_Addr=00AA00000003\r\n");
    EXPECT_EQ(FilesIn(dir.Path()), std::vector<std::string>{"pc.ini"});

    WriteFileAtomically(dir / "pc.ini", "[Info]\r\nMAC_Addr=0050BA1C2D3F\r\n");
    EXPECT_TRUE(CopyFileKeepingTime(dir / "pc.ini", dir / "copy.ini"));
    EXPECT_EQ(FilesIn(dir.Path()), (std::vector<std::string>{"copy.ini", "pc.ini"}));
}

TEST(FileTest, ALockIsTakenOnTheFileThePathNamesAfterAReplacement) {
    const testing::TempDir dir;
    const std::string path = dir / "pc.ini";
    WriteFileAtomically(path, "old");
    std::optional<LockedFile> stale = LockedFile::Open(path, Access::ReadWrite, false); // a writer about to lock
    ASSERT_TRUE(stale);
    std::optional<LockedFile> writer = LockedFile::OpenLocked(path, Access::ReadWrite, LockKind::Exclusive);
    ASSERT_TRUE(writer);
    EXPECT_TRUE(writer->IsAt(path));
    EXPECT_FALSE(stale->TryLock(LockKind::Exclusive));
    EXPECT_FALSE(LockedFile::OpenLocked(path, Access::ReadWrite, LockKind::Exclusive)) << "the writer holds it";

    WriteFileAtomically(path, "new", &*writer);
    writer->Close();
    // The lock of the replaced file is free, and holding it keeps nobody from the file under the path.
    EXPECT_TRUE(stale->TryLock(LockKind::Exclusive));
    EXPECT_FALSE(stale->IsAt(path));
    std::optional<LockedFile> current = LockedFile::OpenLocked(path, Access::ReadWrite, LockKind::Exclusive);
    ASSERT_TRUE(current);
    EXPECT_TRUE(current->IsAt(path));
    EXPECT_EQ(current->ReadAll(), "new");

    EXPECT_FALSE(LockedFile::OpenLocked(dir / "missing.ini", Access::ReadWrite, LockKind::Exclusive));
    ASSERT_TRUE(RemoveFile(path));
    EXPECT_FALSE(current->IsAt(path)) << "a removed file is under no path";
}

} // namespace
} // namespace pelgo::core
