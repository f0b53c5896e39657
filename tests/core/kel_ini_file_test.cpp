// TKelIniFile: load-time normalisation, duplicate sections, reads and writes in memory, the write-back image
// and the writer lock between instances and processes.
#include "core/kel_ini_file.h"

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include "core/cp1251.h"
#include "core/errors.h"
#include "core/file.h"

namespace pelgo::core {
namespace {

class KelIniFileTest : public ::testing::Test {
protected:
    void SetUp() override {
        std::string pattern = (std::filesystem::temp_directory_path() / "kel_ini_XXXXXX").string();
        ASSERT_NE(::mkdtemp(pattern.data()), nullptr);
        m_dir = pattern;
    }
    void TearDown() override { std::filesystem::remove_all(m_dir); }

    std::string PathOf(const std::string& name) const { return m_dir + "/" + name; }
    std::string WriteFile(const std::string& name, const std::string& bytes) const {
        const std::string path = PathOf(name);
        WriteFileAtomically(path, bytes);
        return path;
    }

    std::string m_dir;
};

StringList ImageOf(const TKelIniFile& ini) {
    StringList lines;
    ini.GetFileLines(lines);
    return lines;
}

TEST_F(KelIniFileTest, LoadingNormalisesLines) {
    struct Case {
        const char* what;
        std::string bytes;
        StringList image;
    };
    const Case cases[] = {
        {"LF alone ends no line", "[A]\nk=v\n", {}},
        {"LF vanishes inside a CR line", "[A]\r\nk=v\nx=y\n", {"[A]", "k=vx=y", ""}},
        {"lone CR ends a line", "[A]\rk=v\r", {"[A]", "k=v", ""}},
        {"headers are taken untrimmed",
         "[ A ]\r\nk=1\r\n[B] \r\nm=2\r\n[]\r\nn=3\r\n",
         {"[ A ]", "k=1", "m=2", "", "[]", "n=3", ""}},
        {"blanks at the first = and at the end",
         "[S]\r\nkey \t= \tvalue  \t\x01\r\n key2 = a = b\r\n  = v\r\n",
         {"[S]", "key=value", " key2=a = b", "= v", ""}},
        {"quotes",
         "[S]\r\na=\"x y\"\r\nb='q'\r\nc='m\"\r\nd=\"\"\r\ne=\"\r\nf= \"z\" \r\n=\"g\"\r\n",
         {"[S]", "a=x y", "b=q", "c='m\"", "d=", "e=\"", "f=z", "=\"g\"", ""}},
        {"0x1A line is empty",
         "[S]\r\na=1\r\n\x1A\r\n\x1A"
         "b=2\r\n\x1A",
         {"[S]", "a=1",
          "\x1A"
          "b=2",
          ""}},
        {"comments only at the first character",
         ";top\r\n[S]\r\n;c=1\r\na=1;x\r\n ;c=2\r\n;[X]\r\nb=2\r\n",
         {"[S]", "a=1;x", " ;c=2", "b=2", ""}},
        {"keys only", "[S]\r\nplain\r\n=v\r\n\r\n   \r\nk=\r\n", {"[S]", "=v", "k=", ""}},
        {"lines before the first header are dropped", "a=1\r\n[S]\r\nb=2\r\n", {"[S]", "b=2", ""}},
        {"sections without lines are not written", "[E]\r\n[S]\r\nb=2\r\n[F]\r\n", {"[S]", "b=2", ""}},
    };
    for (const Case& c : cases) {
        const TKelIniFile ini(WriteFile("case.ini", c.bytes), true);
        EXPECT_EQ(ImageOf(ini), c.image) << c.what;
    }
}

TEST_F(KelIniFileTest, EachOptionSwitchesOffItsOwnRule) {
    struct Case {
        const char* what;
        bool trimRight, stripQuotes, stripBlanksAtEquals, keysOnly, skipComments;
        StringList lines;
    };
    const Case cases[] = {
        {"all on", true, true, true, true, true, {"k=v"}},
        {"trim right off", false, true, true, true, true, {"k='v' "}},
        {"strip quotes off", true, false, true, true, true, {"k='v'"}},
        {"strip blanks at = off", true, true, false, true, true, {"k = 'v'"}},
        {"keys only off", true, true, true, false, true, {"k=v", "plain"}},
        {"skip comments off", true, true, true, true, false, {";c=1", "k=v"}},
    };
    const std::string path = WriteFile("options.ini", "[S]\r\n;c=1\r\nk = 'v' \r\nplain\r\n");
    for (const Case& c : cases) {
        const TKelIniFile ini(path, c.trimRight, c.stripQuotes, c.stripBlanksAtEquals, c.keysOnly, c.skipComments,
                              true);
        StringList expected{"[S]"};
        expected.insert(expected.end(), c.lines.begin(), c.lines.end());
        expected.push_back("");
        EXPECT_EQ(ImageOf(ini), expected) << c.what;
    }
}

TEST_F(KelIniFileTest, DuplicateSectionsKeepTheFirstByDefault) {
    const std::string path =
        WriteFile("dup.ini", "[Info]\r\na=1\r\n[Other]\r\nx=1\r\n[INFO]\r\na=2\r\nb=2\r\n[info]\r\nc=3\r\n");
    {
        TKelIniFile ini(path, false);
        StringList names;
        ini.ReadSections(names);
        EXPECT_EQ(names, (StringList{"Info", "Other"}));
        EXPECT_EQ(ini.ReadString("INFO", "a", "-"), "1");
        EXPECT_EQ(ini.ReadString("info", "b", "-"), "-");
        EXPECT_FALSE(ini.Modified()) << "a merge alone is no change";
        ini.WriteString("Other", "y", "1");
    }
    EXPECT_EQ(ReadFileBytes(path), "[Info]\r\na=1\r\n\r\n[Other]\r\nx=1\r\ny=1\r\n\r\n");
}

TEST_F(KelIniFileTest, DuplicateSectionHandlerCanKeepTheLaterOne) {
    const std::string path =
        WriteFile("dup.ini", "[Info]\r\na=1\r\n[Other]\r\nx=1\r\n[INFO]\r\na=2\r\nb=2\r\n[info]\r\nc=3\r\n");
    StringList calls;
    // Keeps whichever of a pair has more lines, the earlier one on a tie.
    const auto preferLonger = [&calls](const std::string& name, const StringList& earlier, const StringList& later) {
        calls.push_back(name + ":" + std::to_string(earlier.size()) + ":" + std::to_string(later.size()));
        return earlier.size() >= later.size();
    };
    TKelIniFile ini(path, true, preferLonger);
    EXPECT_EQ(calls, (StringList{"Info:1:2", "INFO:2:1"}));
    StringList names;
    ini.ReadSections(names);
    EXPECT_EQ(names, (StringList{"Other", "INFO"}));
    EXPECT_EQ(ini.ReadString("Info", "a", "-"), "2");
    EXPECT_EQ(ini.ReadString("Info", "c", "-"), "-") << "lines of discarded sections are not merged";
}

TEST_F(KelIniFileTest, ReadIntegerAndReadBool) {
    const std::string path = WriteFile("num.ini", "[N]\r\nhex0x=0x1F\r\nhexX=0X1f\r\nhex$=$1F\r\nbare=1F\r\nempty=\r\n"
                                                  "neg=-5\r\nover=2147483648\r\nzero=0\r\nword=yes\r\n");
    TKelIniFile ini(path, true);
    const std::pair<const char*, int> integers[] = {{"hex0x", 31}, {"hexX", 31},  {"hex$", 31},
                                                    {"bare", 77},  {"empty", 77}, {"neg", -5},
                                                    {"over", 77},  {"zero", 0},   {"missing", 77}};
    for (const auto& [key, expected] : integers) {
        EXPECT_EQ(ini.ReadInteger("N", key, 77), expected) << key;
    }
    EXPECT_TRUE(ini.ReadBool("N", "neg", false));
    EXPECT_FALSE(ini.ReadBool("N", "zero", true));
    EXPECT_TRUE(ini.ReadBool("N", "word", true));
    EXPECT_FALSE(ini.ReadBool("N", "word", false));
    EXPECT_EQ(ini.ReadString("N", "empty", "default"), "") << "a present empty value is not the default";
}

TEST_F(KelIniFileTest, LookupsIgnoreCyrillicCaseAndWrapAround) {
    std::string bytes;
    for (int i = 0; i < 5; ++i) {
        bytes +=
            Utf8ToCp1251("[Диск ") + std::to_string(i) + "]\r\n" + Utf8ToCp1251("Имя=") + std::to_string(i) + "\r\n";
    }
    TKelIniFile ini(WriteFile("cyr.ini", bytes), true);
    for (const int i : {0, 1, 2, 3, 4, 4, 3, 0, 2, 1, 3}) {
        EXPECT_EQ(ini.ReadString(Utf8ToCp1251("ДИСК ") + std::to_string(i), Utf8ToCp1251("иМЯ"), "-"),
                  std::to_string(i));
    }
    EXPECT_EQ(ini.ReadString(Utf8ToCp1251("Диск 9"), Utf8ToCp1251("Имя"), "-"), "-");
}

// The reference for key lookups: a section's lines walked from the top, the first line with the key counting.
class LineByLineSection {
public:
    explicit LineByLineSection(StringList lines) : m_lines(std::move(lines)) {}

    std::string Read(const std::string& key) {
        const auto line = Find(key);
        return line == m_lines.end() ? "-" : line->substr(line->find('=') + 1);
    }
    void Write(const std::string& key, const std::string& value) {
        const auto line = Find(key);
        if (line == m_lines.end()) {
            m_lines.push_back(key + "=" + value);
        } else {
            *line = key + "=" + value;
        }
    }
    void Delete(const std::string& key) {
        if (const auto line = Find(key); line != m_lines.end()) {
            m_lines.erase(line);
        }
    }
    const StringList& Lines() const { return m_lines; }

private:
    StringList::iterator Find(std::string_view key) {
        return std::find_if(m_lines.begin(), m_lines.end(),
                            [key](std::string_view line) { return SameText(line.substr(0, line.find('=')), key); });
    }

    StringList m_lines;
};

TEST_F(KelIniFileTest, ABigSectionReadsAndWritesAsALineByLineSearch) {
    constexpr int kKeys = 1000;
    // Keys from kKeys on are new. kVisited is prime to 3 and 4, so each key meets every operation and every
    // spelling below.
    constexpr int kVisited = 1201;
    const std::string spellings[] = {Utf8ToCp1251("Ключ"), Utf8ToCp1251("КЛЮЧ"), Utf8ToCp1251("ключ")};
    // Every fifth key is repeated further down in another spelling: its first line is the one that counts,
    // until that line is deleted.
    StringList lines;
    for (int n = 0; n < kKeys; ++n) {
        lines.push_back(spellings[0] + std::to_string(n) + "=" + std::to_string(n));
    }
    for (int n = 0; n < kKeys; n += 5) {
        lines.push_back(spellings[1] + std::to_string(n) + "=repeated " + std::to_string(n));
    }
    std::string bytes = "[Big]\r\n";
    for (const std::string& line : lines) {
        bytes += line + "\r\n";
    }
    TKelIniFile ini(WriteFile("big.ini", bytes), false);

    // Merged into a list that repeats a key itself: the list's first line with the key takes each value, the
    // section's repeated keys included.
    StringList merged{"other=1", spellings[2] + "5=old", spellings[0] + "5=older"};
    LineByLineSection expectedMerge(merged);
    for (const std::string& line : lines) {
        const std::size_t equals = line.find('=');
        expectedMerge.Write(line.substr(0, equals), line.substr(equals + 1));
    }
    ini.ReadSectionValues("big", merged);
    EXPECT_EQ(merged, expectedMerge.Lines());

    LineByLineSection expected(lines);
    for (int step = 0; step < 4 * kVisited; ++step) {
        const std::string key = spellings[step % 3] + std::to_string(step * 7919 % kVisited);
        switch (step % 4) {
        case 0: // a read alone
            break;
        case 1:
            ini.WriteString("Big", key, "written " + std::to_string(step));
            expected.Write(key, "written " + std::to_string(step));
            break;
        case 2:
            ini.DeleteKey("BIG", key);
            expected.Delete(key);
            break;
        case 3: // the same value under another spelling, or a new line with "-"
            ini.WriteString("big", key, expected.Read(key));
            expected.Write(key, expected.Read(key));
            break;
        }
        ASSERT_EQ(ini.ReadString("Big", key, "-"), expected.Read(key)) << "step " << step;
    }
    for (int n = 0; n < kVisited; ++n) {
        const std::string key = spellings[2] + std::to_string(n);
        ASSERT_EQ(ini.ReadString("Big", key, "-"), expected.Read(key)) << n;
    }
    StringList image{"[Big]"};
    image.insert(image.end(), expected.Lines().begin(), expected.Lines().end());
    image.push_back("");
    EXPECT_EQ(ImageOf(ini), image);
}

TEST_F(KelIniFileTest, SectionListings) {
    TKelIniFile ini(WriteFile("list.ini", "[S]\r\nA=1\r\nb=2\r\n[Empty]\r\n[T]\r\nx=9\r\n"), true);
    StringList keys{"kept"};
    ini.ReadSection("s", keys);
    ini.ReadSection("missing", keys);
    EXPECT_EQ(keys, (StringList{"kept", "A", "b"}));

    StringList names{"replaced"};
    ini.ReadSections(names);
    EXPECT_EQ(names, (StringList{"S", "Empty", "T"}));

    StringList values{"a=old", "c=3"};
    ini.ReadSectionValues("S", values);
    EXPECT_EQ(values, (StringList{"A=1", "c=3", "b=2"}));
}

TEST_F(KelIniFileTest, UnchangedWriteLeavesTheFileAlone) {
    const std::string original = "; agent output\r\n[S]\r\nk = \"v\"\r\n";
    const std::string path = WriteFile("same.ini", original);
    {
        TKelIniFile ini(path, false);
        ini.WriteString("S", "k", "v");
        EXPECT_FALSE(ini.Modified());
    }
    EXPECT_EQ(ReadFileBytes(path), original);
    {
        TKelIniFile ini(path, false);
        ini.WriteString("s", "K", "v");
        EXPECT_TRUE(ini.Modified()) << "the key's letter case counts when writing";
    }
    EXPECT_EQ(ReadFileBytes(path), "[S]\r\nK=v\r\n\r\n");
}

TEST_F(KelIniFileTest, WriteBackImageByteForByte) {
    const std::string path = WriteFile("image.ini", "[Info]\r\nName=PC1\r\nOld=1\r\n[Gone]\r\ng=1\r\n[Emptied]\r\n"
                                                    "e=1\r\n[Disk 1]\r\nSize=10\r\n; a long comment that makes the "
                                                    "original longer than the result\r\n");
    {
        TKelIniFile ini(path, false);
        ini.WriteString("Info", "Name", "PC2");
        ini.WriteString("Info", "New", " spaced ");
        ini.DeleteKey("Info", "Old");
        ini.EraseSection("Gone");
        ini.DeleteKey("Emptied", "e");
        ini.DeleteKey("Never", "x");
        ini.WriteInteger(Utf8ToCp1251("Память"), "Total", -512);
        ini.WriteBool("Disk 1", "Smart", true);
        ini.WriteString("Disk 1", "", "x");
    }
    EXPECT_EQ(ReadFileBytes(path),
              "[Info]\r\nName=PC2\r\nNew= spaced \r\n\r\n[" + Utf8ToCp1251("Память") + "]\r\nTotal=-512\r\n\r\n");
}

TEST_F(KelIniFileTest, EmptyKeyAndSectionFlushWithoutClosing) {
    const std::string path = PathOf("flush.ini");
    TKelIniFile ini(path, false);
    ini.WriteString("S", "k", "v");
    EXPECT_FALSE(FileExists(path));
    ini.WriteString("", "", "");
    EXPECT_FALSE(ini.Modified());
    EXPECT_EQ(ReadFileBytes(path), "[S]\r\nk=v\r\n\r\n");
}

TEST_F(KelIniFileTest, ChangesOfReadOnlyOrNamelessInstancesAreDropped) {
    const std::string original = "[S]\r\nk=v\r\n";
    const std::string path = WriteFile("ro.ini", original);
    {
        TKelIniFile ini(path, true);
        ini.WriteString("S", "k", "changed");
        EXPECT_TRUE(ini.Modified());
        ini.UpdateFile();
        EXPECT_FALSE(ini.Modified());
    }
    EXPECT_EQ(ReadFileBytes(path), original);

    TKelIniFile nameless("", false);
    nameless.WriteString("S", "k", "v");
    nameless.UpdateFile();
    EXPECT_FALSE(nameless.Modified());
}

TEST_F(KelIniFileTest, MissingFileAndFoldersAreCreatedOnWriteBack) {
    const std::string path = PathOf("a/b/c/new.ini");
    {
        TKelIniFile ini(path, false);
        EXPECT_FALSE(FileExists(path));
        ini.WriteString("S", "k", "v");
    }
    EXPECT_EQ(ReadFileBytes(path), "[S]\r\nk=v\r\n\r\n");
}

TEST_F(KelIniFileTest, SetFileNameWritesTheOldFileAndReleasesIt) {
    const std::string first = WriteFile("first.ini", "[S]\r\nk=1\r\n");
    const std::string second = WriteFile("second.ini", "[T]\r\nm=2\r\n");
    TKelIniFile ini(first, false);
    ini.WriteString("S", "k", "changed");
    ini.SetFileName(second);
    EXPECT_EQ(ini.FileName(), second);
    EXPECT_FALSE(ini.Modified());
    EXPECT_EQ(ReadFileBytes(first), "[S]\r\nk=changed\r\n\r\n");
    EXPECT_EQ(ini.ReadString("T", "m", "-"), "2");
    EXPECT_EQ(ini.ReadString("S", "k", "-"), "-");
    EXPECT_NO_THROW(TKelIniFile(first, false));
    EXPECT_THROW(TKelIniFile(second, false), CannotOpenFile);
}

TEST_F(KelIniFileTest, OneWriterPerFileWithinAProcess) {
    const std::string path = WriteFile("locked.ini", "[S]\r\nk=v\r\n");
    {
        TKelIniFile writer(path, false);
        try {
            TKelIniFile second(path, false);
            ADD_FAILURE() << "a second writer opened the file";
        } catch (const CannotOpenFile& e) {
            EXPECT_EQ(std::string(e.what()), "Cannot open file " + path);
        }
        TKelIniFile reader(path, true);
        EXPECT_EQ(reader.ReadString("S", "k", "-"), "v");
    }
    EXPECT_NO_THROW(TKelIniFile(path, false));
}

TEST_F(KelIniFileTest, WriterOfAMissingFileLosesTheRaceToCreateIt) {
    const std::string path = PathOf("race.ini");
    TKelIniFile first(path, false);
    TKelIniFile second(path, false);
    first.WriteString("S", "who", "first");
    first.UpdateFile();
    second.WriteString("S", "who", "second");
    second.UpdateFile();
    EXPECT_FALSE(second.Modified());
    EXPECT_EQ(ReadFileBytes(path), "[S]\r\nwho=first\r\n\r\n");
}

// A writable instance in a child process, held until the parent lets it go. Each side closes the pipe ends
// it does not use, so that either one sees the other's end of file instead of waiting forever.
class WriterInChild {
public:
    explicit WriterInChild(const std::string& path) {
        int ready[2];
        int release[2];
        if (::pipe(ready) != 0 || ::pipe(release) != 0) {
            return;
        }
        m_pid = ::fork();
        if (m_pid == 0) {
            ::close(ready[0]);
            ::close(release[1]);
            char status = 'E';
            try {
                TKelIniFile writer(path, false);
                status = 'H';
                if (::write(ready[1], &status, 1) == 1) {
                    ::read(release[0], &status, 1);
                }
            } catch (const CannotOpenFile&) {
                ::write(ready[1], &status, 1);
            }
            ::_exit(0);
        }
        ::close(ready[1]);
        ::close(release[0]);
        m_release = release[1];
        char status = 0;
        m_holding = m_pid > 0 && ::read(ready[0], &status, 1) == 1 && status == 'H';
        ::close(ready[0]);
    }
    ~WriterInChild() {
        ::close(m_release);
        if (m_pid > 0) {
            ::waitpid(m_pid, nullptr, 0);
        }
    }
    bool Holding() const { return m_holding; }

private:
    pid_t m_pid = -1;
    int m_release = -1;
    bool m_holding = false;
};

TEST_F(KelIniFileTest, WriterInAnotherProcessKeepsWritersOutButNotReaders) {
    const std::string path = WriteFile("shared.ini", "[S]\r\nk=v\r\n");
    {
        WriterInChild child(path);
        ASSERT_TRUE(child.Holding());
        EXPECT_THROW(TKelIniFile(path, false), CannotOpenFile);
        TKelIniFile reader(path, true);
        EXPECT_EQ(reader.ReadString("S", "k", "-"), "v");
    }
    EXPECT_NO_THROW(TKelIniFile(path, false));
}

} // namespace
} // namespace pelgo::core
