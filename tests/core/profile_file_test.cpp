// Profile files: parsing and lookups, writes that leave the rest of the file as it was, the read cache and
// concurrent writers in separate processes.
#include "core/profile_file.h"

#include <csignal>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <functional>
#include <gtest/gtest.h>
#include <stdlib.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include "core/cp1251.h"
#include "core/errors.h"
#include "support/unprivileged.h"

namespace pelgo::core {
namespace {

std::string Cp(const char* utf8) {
    return Utf8ToCp1251(utf8);
}

class ProfileFileTest : public ::testing::Test {
protected:
    void SetUp() override {
        std::string pattern = std::filesystem::temp_directory_path() / "profile_test_XXXXXX";
        ASSERT_NE(mkdtemp(pattern.data()), nullptr);
        m_dir = pattern;
        m_path = m_dir + "/pelgo.ini";
    }
    void TearDown() override { std::filesystem::remove_all(m_dir); }

    void Put(const std::string& bytes) const { std::ofstream(m_path, std::ios::binary | std::ios::trunc) << bytes; }
    std::string Content() const { return FileExists(m_path) ? ReadFileBytes(m_path) : "<missing>"; }

    std::string m_dir;
    std::string m_path;
};

TEST_F(ProfileFileTest, ReadStringFollowsTheProfileRules) {
    struct Case {
        const char* file; // UTF-8, converted to cp1251 like the other fields
        const char* section;
        const char* key;
        const char* defaultValue;
        const char* expected;
    };
    const Case cases[] = {
        {"[Setup]\r\nPath=C:\\base\\\r\n", "Setup", "Path", "", "C:\\base\\"},
        {"[A]\r\nK=\"quoted value\"\r\n", "A", "K", "", "quoted value"},
        {"[A]\r\nK='single'\r\n", "A", "K", "", "single"},
        {"[A]\r\nK=\" padded \"\r\n", "A", "K", "", " padded "},
        {"[A]\r\nK=\"\"\"x\"\"\r\n", "A", "K", "", "\"\"x\""},
        {"[A]\r\nK=\"mixed'\r\n", "A", "K", "", "\"mixed'"},
        {"[A]\r\nK=\"open\r\n", "A", "K", "", "\"open"},
        {"[A]\r\nK=\"\r\n", "A", "K", "", "\""},
        {"[A]\r\nK=\"\"\r\n", "A", "K", "d", ""},
        {"[A]\r\nK=\r\n", "A", "K", "default", ""},
        {"[A]\r\n \t Key \t=\t value  with  blanks \t\x1A\r\n", "A", "key", "", "value  with  blanks"},
        {"[A]\r\nK=a=b\r\n", "A", "K", "", "a=b"},
        {"  [ Setup ]  \r\nK=1\r\n", "setup", "K", "", "1"},
        {"[a]b] ; note\r\nK=1\r\n", "a]b", "K", "", "1"},
        {"[A]\r\n[B\r\nK=1\r\n", "A", "K", "", "1"},
        {"[A]\r\n[B=x\r\n", "A", "[B", "", "x"},
        {"[A]\r\n;K=1\r\nK=2\r\n", "A", "K", "", "2"},
        {"[A]\r\n  ; K=1\r\n", "A", "K", "none", "none"},
        {"[A]\r\n#K=1\r\n", "A", "#K", "", "1"},
        {"[A]\r\nK\r\n", "A", "K", "none", "none"},
        {"[A]\r\nK\r\nK=5\r\n", "A", "K", "", "5"},
        {"[A]\r\nK=1\r\nk=2\r\n", "A", "K", "", "1"},
        {"[A]\r\nX=1\r\n[a]\r\nK=2\r\n", "A", "K", "none", "none"},
        {"K=1\r\n[A]\r\n", "A", "K", "none", "none"},
        {"[Настройки]\r\nКлюч=Значение\r\n", "НАСТРОЙКИ", "ключ", "", "Значение"},
        {"[ёлка]\r\nЯ=1\r\n", "ЁЛКА", "я", "", "1"},
        {"[A]\nK=1\nL=2\n", "A", "L", "", "2"},
        {"[A]\rK=1\rL=2", "A", "L", "", "2"},
        {"[A]\r\n\nK=1\n\r\rL=2", "A", "L", "", "2"},
        {"[A]\r\nK=1", "A", "K", "", "1"},
        {"[A]\r\n", "A", "K", "trailing  \t", "trailing"},
        {"[A]\r\n", "B", "K", "  leading", "  leading"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.file);
        Put(Cp(c.file));
        ProfileFile file(m_path);
        EXPECT_EQ(file.ReadString(Cp(c.section), Cp(c.key), Cp(c.defaultValue)), Cp(c.expected));
    }
}

TEST_F(ProfileFileTest, IntegersThatDoNotParseGiveTheDefault) {
    Put("[A]\r\nPlain=42\r\nPadded=  -7  \r\nSuffix=42A\r\nQuoted=\"5\"\r\n");
    ProfileFile file(m_path);
    EXPECT_EQ(file.ReadInteger("A", "Plain", 1), 42);
    EXPECT_EQ(file.ReadInteger("A", "Padded", 1), -7);
    EXPECT_EQ(file.ReadInteger("A", "Suffix", 1), 1);
    EXPECT_EQ(file.ReadInteger("A", "Quoted", 1), 5);
    EXPECT_EQ(file.ReadInteger("A", "Missing", 3), 3);
}

TEST_F(ProfileFileTest, ListsSectionsAndKeysOnceInFileOrder) {
    Put("Lost=1\r\n[Users]\r\nbob=1\r\n; admin=0\r\nAlice='0 Write'\r\nBOB=2\r\nbare\r\n"
        "[Other]\r\nx=1\r\n[users]\r\ncarol=1\r\n");
    ProfileFile file(m_path);

    StringList keys{"kept"};
    file.ReadSection("USERS", keys);
    EXPECT_EQ(keys, (StringList{"kept", "bob", "Alice"}));

    StringList sections{"replaced"};
    file.ReadSections(sections);
    EXPECT_EQ(sections, (StringList{"Users", "Other"}));

    StringList values{"ALICE=old", "dave=2"};
    file.ReadSectionValues("Users", values);
    EXPECT_EQ(values, (StringList{"Alice=0 Write", "dave=2", "bob=1"}));
    StringList every;
    file.ReadEverySectionValues("Users", every);
    EXPECT_EQ(every, (StringList{"bob=1", "Alice=0 Write", "carol=1"}));

    StringList none;
    file.ReadSection("Missing", none);
    EXPECT_TRUE(none.empty());
}

TEST_F(ProfileFileTest, WritesChangeOnlyTheAffectedLines) {
    using Operation = std::function<void(ProfileFile&)>;
    struct Case {
        const char* name;
        const char* before;
        Operation operation;
        const char* after;
    };
    const Case cases[] = {
        {"replace keeps the key as written and every other line",
         "; head\r\n[A]\r\n  Key = old ; c\r\n#x=1\r\n\r\n[B]\r\nKey=b\r\n",
         [](ProfileFile& f) { f.WriteString("a", "KEY", "new"); },
         "; head\r\n[A]\r\nKey=new\r\n#x=1\r\n\r\n[B]\r\nKey=b\r\n"},
        {"replace in the first matching section only", "[A]\r\nK=1\r\n[A]\r\nK=2\r\n",
         [](ProfileFile& f) { f.WriteString("A", "k", "3"); }, "[A]\r\nK=3\r\n[A]\r\nK=2\r\n"},
        {"append after the last key of the first matching section",
         "[A]\r\nx=1\r\nbare\r\n; about B\r\n\r\n[B]\r\ny=2\r\n[a]\r\nz=3\r\n",
         [](ProfileFile& f) { f.WriteString("a", "New", "v"); },
         "[A]\r\nx=1\r\nbare\r\nNew=v\r\n; about B\r\n\r\n[B]\r\ny=2\r\n[a]\r\nz=3\r\n"},
        {"append to a section without keys", "[A]\r\n\r\n[B]\r\n", [](ProfileFile& f) { f.WriteString("A", "k", "v"); },
         "[A]\r\nk=v\r\n\r\n[B]\r\n"},
        {"a key without value is not replaced", "[A]\r\nKey\r\n",
         [](ProfileFile& f) { f.WriteString("A", "Key", "1"); }, "[A]\r\nKey\r\nKey=1\r\n"},
        {"new section at the end", "[A]\r\nx=1", [](ProfileFile& f) { f.WriteString("B", "k", " v "); },
         "[A]\r\nx=1\r\n[B]\r\nk= v \r\n"},
        {"Cyrillic names match any case", "[Отдел]\r\nИмя=старое\r\n",
         [](ProfileFile& f) { f.WriteString(Cp("ОТДЕЛ"), Cp("имя"), Cp("новое")); }, "[Отдел]\r\nИмя=новое\r\n"},
        {"every line keeps its line end", "[A]\nx=1\rK=1\n", [](ProfileFile& f) { f.WriteString("A", "K", "2"); },
         "[A]\nx=1\rK=2\n"},
        {"new lines take the file's line end", "[A]\nx=1\n", [](ProfileFile& f) { f.WriteString("A", "k", "v"); },
         "[A]\nx=1\nk=v\n"},
        {"delete the first matching key", "; c\r\n[A]\r\nK=1\r\nk=2\r\n\r\n[B]\r\nK=3\r\n",
         [](ProfileFile& f) { f.DeleteKey("a", "K"); }, "; c\r\n[A]\r\nk=2\r\n\r\n[B]\r\nK=3\r\n"},
        {"delete of a missing key leaves the file", "[A]\nK=1\n", [](ProfileFile& f) { f.DeleteKey("A", "X"); },
         "[A]\nK=1\n"},
        {"erase every section of the name with its lines",
         "; top\r\n[A]\r\nK=1\r\n; c\r\n\r\n[B]\r\nK=2\r\n[a]\r\nK=3\r\n", [](ProfileFile& f) { f.EraseSection("A"); },
         "; top\r\n[B]\r\nK=2\r\n"},
        {"erase of a missing section leaves the file", "[A]\nK=1\n", [](ProfileFile& f) { f.EraseSection("B"); },
         "[A]\nK=1\n"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Put(Cp(c.before));
        ProfileFile file(m_path);
        c.operation(file);
        EXPECT_EQ(Content(), Cp(c.after));
    }
    // Bytes no code page converts: a byte-order mark stays and hides no header.
    Put("\xEF\xBB\xBF[A]\r\nK=1\r\n");
    ProfileFile(m_path).WriteString("A", "K", "2");
    EXPECT_EQ(Content(), "\xEF\xBB\xBF[A]\r\nK=2\r\n");
}

TEST_F(ProfileFileTest, WriteCreatesTheFileAndItsFolderReadsAndDeletesDoNot) {
    const std::string path = m_dir + Cp("/новая папка/sub/pelgo.ini");
    ProfileFile file(path);
    EXPECT_EQ(file.ReadString("Setup", "Path", "none"), "none");
    file.DeleteKey("Setup", "Path");
    file.EraseSection("Setup");
    EXPECT_FALSE(FileExists(path));

    file.WriteString("Setup", "Path", Cp(".\\БАЗА\\"));
    EXPECT_EQ(ReadFileBytes(path), Cp("[Setup]\r\nPath=.\\БАЗА\\\r\n"));
    EXPECT_EQ(file.ReadString("setup", "path", ""), Cp(".\\БАЗА\\"));
}

TEST_F(ProfileFileTest, WriteFailureNamesTheFile) {
    Put("not a folder");
    ProfileFile file(m_path + "/pelgo.ini");
    try {
        file.WriteString("A", "K", "1");
        FAIL() << "no exception";
    } catch (const FileError& e) {
        EXPECT_NE(std::string(e.what()).find(m_path + "/pelgo.ini"), std::string::npos) << e.what();
    }
}

TEST_F(ProfileFileTest, ReadsReloadOnlyWhenTheFileChanged) {
    Put("[A]\r\nK=1\r\n");
    ProfileFile file(m_path);
    ASSERT_EQ(file.ReadString("A", "K", ""), "1");

    // Same size, inode and modification time: the cached copy is used.
    const auto written = std::filesystem::last_write_time(m_path);
    {
        std::fstream inPlace(m_path, std::ios::in | std::ios::out | std::ios::binary);
        inPlace.seekp(7);
        inPlace << '9';
    }
    std::filesystem::last_write_time(m_path, written);
    EXPECT_EQ(file.ReadString("A", "K", ""), "1");

    std::filesystem::last_write_time(m_path, written + std::chrono::seconds(1));
    EXPECT_EQ(file.ReadString("A", "K", ""), "9");

    Put("[A]\r\nK=another\r\n");
    EXPECT_EQ(file.ReadString("A", "K", ""), "another");

    ProfileFile(m_path).WriteString("A", "K", "from elsewhere");
    EXPECT_EQ(file.ReadString("A", "K", ""), "from elsewhere");

    file.WriteString("A", "K", "own");
    EXPECT_EQ(file.ReadString("A", "K", ""), "own");

    std::filesystem::remove(m_path);
    EXPECT_EQ(file.ReadString("A", "K", "gone"), "gone");
}

TEST_F(ProfileFileTest, ConcurrentWritersInTwoProcessesLoseNothing) {
    constexpr int kWriters = 2;
    constexpr int kKeys = 300;
    Put("; shared\r\n[Common]\r\nKeep=1\r\n");
    pid_t children[kWriters];
    for (int writer = 0; writer < kWriters; ++writer) {
        children[writer] = fork();
        ASSERT_GE(children[writer], 0);
        if (children[writer] == 0) {
            int status = 0;
            try {
                ProfileFile file(m_path);
                for (int i = 0; i < kKeys; ++i) {
                    // Both writers keep adding to the same sections and create new ones.
                    const std::string section = i % 2 == 0 ? "Common" : "S" + std::to_string(i % 7);
                    file.WriteString(section, "W" + std::to_string(writer) + "_" + std::to_string(i),
                                     std::to_string(i));
                }
            } catch (const std::exception& e) {
                std::fprintf(stderr, "writer %d: %s\n", writer, e.what());
                status = 1;
            }
            _exit(status);
        }
    }
    for (pid_t child : children) {
        int status = 0;
        ASSERT_EQ(waitpid(child, &status, 0), child);
        ASSERT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
    }

    ProfileFile file(m_path);
    EXPECT_EQ(file.ReadString("Common", "Keep", ""), "1");
    for (int writer = 0; writer < kWriters; ++writer) {
        for (int i = 0; i < kKeys; ++i) {
            const std::string section = i % 2 == 0 ? "Common" : "S" + std::to_string(i % 7);
            const std::string key = "W" + std::to_string(writer) + "_" + std::to_string(i);
            ASSERT_EQ(file.ReadString(section, key, "lost"), std::to_string(i)) << section << "/" << key;
        }
    }
    StringList sections;
    file.ReadSections(sections);
    EXPECT_EQ(sections.size(), 8u);
}

TEST_F(ProfileFileTest, BatchWritesReachTheFileTogether) {
    Put("; kept\r\n[Setup]\r\nA=1\r\n");
    ProfileFile file(m_path);
    ProfileFile reader(m_path);
    {
        ProfileFile::Batch batch(file);
        file.WriteString("Setup", "A", "2");
        file.WriteString("New", "B", "3");
        EXPECT_EQ(file.ReadString("Setup", "A", ""), "2") << "the batch reads its own writes";
        EXPECT_EQ(reader.ReadString("Setup", "A", ""), "1") << "others see nothing before the commit";
        batch.Commit();
    }
    EXPECT_EQ(Content(), "; kept\r\n[Setup]\r\nA=2\r\n[New]\r\nB=3\r\n");
    {
        ProfileFile::Batch dropped(file);
        file.WriteString("Setup", "A", "lost");
    }
    EXPECT_EQ(file.ReadString("Setup", "A", ""), "2") << "a batch without a commit writes nothing";
    EXPECT_EQ(Content(), "; kept\r\n[Setup]\r\nA=2\r\n[New]\r\nB=3\r\n");
}

TEST_F(ProfileFileTest, WritesKeepTheFileAsTheAdministratorSetItUp) {
    if (::geteuid() != 0) {
        GTEST_SKIP() << "only root can give the files to the administrator and the users' group";
    }
    constexpr gid_t kUsers = 65534; // the group of the unprivileged writer
    struct Case {
        const char* name;
        mode_t folderMode;
    };
    const Case cases[] = {
        {"a folder the users may write", 0775},
        {"a folder only the administrator may write", 0755},
    };
    ASSERT_EQ(::chmod(m_dir.c_str(), 0755), 0);
    const std::string folder = m_dir + "/shared";
    const std::string path = folder + "/pelgo.ini";
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ASSERT_EQ(::mkdir(folder.c_str(), c.folderMode), 0);
        ASSERT_EQ(::chmod(folder.c_str(), c.folderMode), 0);
        ASSERT_EQ(::chown(folder.c_str(), 0, kUsers), 0);
        WriteFileAtomically(path, "[Setup]\r\nA=1\r\n");
        ASSERT_EQ(::chown(path.c_str(), 0, kUsers), 0);
        ASSERT_EQ(::chmod(path.c_str(), 0660), 0);

        EXPECT_TRUE(testing::PassesUnprivileged([&] {
            ProfileFile file(path);
            file.WriteString("Setup", "A", "2");
            ProfileFile::Batch batch(file);
            file.WriteString("Setup", "B", "3");
            batch.Commit();
        }));
        struct stat after {};
        ASSERT_EQ(::stat(path.c_str(), &after), 0);
        EXPECT_EQ(ReadFileBytes(path), "[Setup]\r\nA=2\r\nB=3\r\n");
        EXPECT_EQ(after.st_mode & 07777, 0660u);
        EXPECT_EQ(after.st_gid, kUsers);
        EXPECT_EQ(after.st_uid, 0u) << "the administrator still owns the file";
        EXPECT_EQ(std::distance(std::filesystem::directory_iterator(folder), {}), 1) << "no temporary file left";
        std::filesystem::remove_all(folder);
    }
}

TEST_F(ProfileFileTest, AnInPlaceWriteThatCannotBeCompletedLeavesTheFileAsItWas) {
    if (::geteuid() != 0) {
        GTEST_SKIP() << "only root can give the file to a user in a folder that user may not write";
    }
    ASSERT_EQ(::chmod(m_dir.c_str(), 0755), 0);
    const std::string path = m_dir + "/pelgo.ini";
    const std::string before = "[Setup]\r\nA=1\r\n";
    WriteFileAtomically(path, before);
    ASSERT_EQ(::chown(path.c_str(), 65534, 65534), 0);
    EXPECT_TRUE(testing::PassesUnprivileged([&] {
        std::signal(SIGXFSZ, SIG_IGN);
        const rlimit limit{64, 64}; // the disk is full once the file has 64 bytes
        ::setrlimit(RLIMIT_FSIZE, &limit);
        ProfileFile file(path);
        EXPECT_THROW(file.WriteString("Setup", "B", std::string(200, 'x')), FileError);
    }));
    EXPECT_EQ(ReadFileBytes(path), before);
}

TEST_F(ProfileFileTest, AReaderWaitsForAWriterAtWorkInPlace) {
    const std::string path = m_dir + "/pelgo.ini";
    WriteFileAtomically(path, "[Setup]\r\nA=1\r\n");
    auto writer = LockedFile::Open(path, LockedFile::Access::ReadWrite, false);
    ASSERT_TRUE(writer);
    writer->Lock(LockedFile::LockKind::Exclusive);
    writer->Rewrite("[Setup]\r\nA=2\r\nB=hal"); // half of what is being written
    const pid_t reader = ::fork();
    ASSERT_GE(reader, 0);
    if (reader == 0) {
        ::_exit(ProfileFile(path).ReadString("Setup", "B", "") == "whole" ? 0 : 1);
    }
    ::usleep(200000);
    writer->Rewrite("[Setup]\r\nA=2\r\nB=whole\r\n");
    writer->Unlock();
    int status = 0;
    ASSERT_EQ(::waitpid(reader, &status, 0), reader);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << "the reader saw the half-written file";
}

} // namespace
} // namespace pelgo::core
