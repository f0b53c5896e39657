// The table engine: format, records, index, sharing between processes, pack, check and repair.
#include "platform/dbf_table.h"

#include <algorithm>
#include <cstring>
#include <filesystem>
#include <functional>
#include <gtest/gtest.h>
#include <map>
#include <optional>
#include <ostream>
#include <span>
#include <sys/wait.h>
#include <unistd.h>

#include "core/cp1251.h"
#include "core/file.h"

namespace pelgo::platform {
namespace {

using Rows = std::vector<std::vector<std::string>>;

std::string U(const char* utf8) {
    return core::Utf8ToCp1251(utf8);
}

Rows ValuesOf(const std::vector<DbfRecord>& records) {
    Rows rows;
    for (const DbfRecord& record : records) {
        rows.push_back(record.values);
    }
    return rows;
}

Rows WalkValues(DbfTable& table) {
    Rows rows;
    table.Walk([&](const DbfRecord& record) { rows.push_back(record.values); });
    return rows;
}

std::uint32_t Le32(const std::string& bytes, std::size_t at) {
    return static_cast<unsigned char>(bytes[at]) | static_cast<unsigned char>(bytes[at + 1]) << 8 |
           static_cast<unsigned char>(bytes[at + 2]) << 16 |
           static_cast<std::uint32_t>(static_cast<unsigned char>(bytes[at + 3])) << 24;
}

struct ForeignField {
    const char* name;
    char type;
    int length;
};

// A dBase III table as another writer makes it; each record is given whole, its deletion mark first.
std::string ForeignTableBytes(std::span<const ForeignField> fields, std::uint8_t languageDriver,
                              const std::vector<std::string>& records, std::string_view descriptorsEnd = "\x0D") {
    const std::size_t headerLength = 32 + 32 * fields.size() + descriptorsEnd.size();
    std::size_t recordLength = 1;
    for (const ForeignField& field : fields) {
        recordLength += static_cast<std::size_t>(field.length);
    }
    std::string bytes(32, '\0');
    bytes[0] = 0x03;
    bytes[1] = 99;
    bytes[2] = 12;
    bytes[3] = 31;
    bytes[4] = static_cast<char>(records.size());
    bytes[8] = static_cast<char>(headerLength);
    bytes[9] = static_cast<char>(headerLength >> 8);
    bytes[10] = static_cast<char>(recordLength);
    bytes[29] = static_cast<char>(languageDriver);
    for (const ForeignField& field : fields) {
        std::string descriptor(32, '\0');
        descriptor.replace(0, std::strlen(field.name), field.name);
        descriptor[11] = field.type;
        descriptor[16] = static_cast<char>(field.length);
        bytes += descriptor;
    }
    bytes += descriptorsEnd;
    for (const std::string& record : records) {
        bytes += record;
    }
    return bytes + '\x1A';
}

void SetRecordCount(const std::string& path, std::uint32_t count) {
    auto file = core::LockedFile::Open(path, core::LockedFile::Access::ReadWrite, false);
    const char bytes[4] = {static_cast<char>(count), static_cast<char>(count >> 8), static_cast<char>(count >> 16),
                           static_cast<char>(count >> 24)};
    file->WriteAt(4, std::string_view(bytes, 4));
}

// A child process that opens the table in a mode and keeps it open until the holder is destroyed.
class ChildHolder {
public:
    ChildHolder(const std::string& path, DbfOpenMode mode) {
        int ready[2];
        int release[2];
        EXPECT_EQ(pipe(ready), 0);
        EXPECT_EQ(pipe(release), 0);
        m_pid = fork();
        if (m_pid == 0) {
            close(ready[0]);
            close(release[1]);
            const core::Clock clock;
            std::optional<DbfTable> table;
            char status = 'r';
            try {
                table.emplace(DbfTable::Open(path, mode, clock));
            } catch (const std::exception&) {
                status = 'e';
            }
            char ignored = 0;
            if (write(ready[1], &status, 1) != 1 || read(release[0], &ignored, 1) < 0) {
                _exit(2);
            }
            _exit(0);
        }
        close(ready[1]);
        close(release[0]);
        m_release = release[1];
        char status = 0;
        EXPECT_EQ(read(ready[0], &status, 1), 1);
        close(ready[0]);
        EXPECT_EQ(status, 'r') << "the child could not open the table";
    }
    ~ChildHolder() {
        close(m_release);
        waitpid(m_pid, nullptr, 0);
    }
    ChildHolder(const ChildHolder&) = delete;
    ChildHolder& operator=(const ChildHolder&) = delete;

private:
    pid_t m_pid = -1;
    int m_release = -1;
};

class DbfTableTest : public ::testing::Test {
protected:
    void SetUp() override {
        std::string pattern = ::testing::TempDir() + "dbf_table_XXXXXX";
        ASSERT_NE(mkdtemp(pattern.data()), nullptr);
        m_dir = pattern;
        m_clock.Set({2024, 3, 15, 10, 30, 0});
    }
    void TearDown() override { std::filesystem::remove_all(m_dir); }

    std::string PathOf(const std::string& name) const { return m_dir + "/" + name; }

    std::string CreateOther(const std::string& name = "other.dbf") {
        const std::string path = PathOf(name);
        DbfTable::Create(path, kOtherTableFields, m_clock);
        return path;
    }

    DbfTable Open(const std::string& path, DbfOpenMode mode = DbfOpenMode::Shared) {
        return DbfTable::Open(path, mode, m_clock);
    }

    std::string m_dir;
    core::Clock m_clock;
};

TEST_F(DbfTableTest, NewTableHasTheDbaseIIIHeaderAndRoundTripsCyrillic) {
    const std::string path = CreateOther();
    const Rows written = {{"AAAAAAAAAAAB", "Main", U("Модель"), U("Ноутбук «Эльбрус» ёЁ")},
                          {"_Multi_User_", "", U("Рабочее место"), "x"}};
    {
        DbfTable table = Open(path);
        for (const auto& row : written) {
            table.Append(row);
        }
    }
    const std::string bytes = core::ReadFileBytes(path);
    const std::size_t headerLength = 32 + 4 * 32 + 1;
    const std::size_t recordLength = 1 + 12 + 32 + 32 + 254;
    EXPECT_EQ(bytes[0], 0x03);
    EXPECT_EQ(bytes.substr(1, 3), std::string({124, 3, 15}));
    EXPECT_EQ(Le32(bytes, 4), 2u);
    EXPECT_EQ(static_cast<unsigned char>(bytes[8]) | static_cast<unsigned char>(bytes[9]) << 8, headerLength);
    EXPECT_EQ(static_cast<unsigned char>(bytes[10]) | static_cast<unsigned char>(bytes[11]) << 8, recordLength);
    EXPECT_EQ(bytes[28], 0);
    EXPECT_EQ(static_cast<unsigned char>(bytes[29]), 0xC9);
    EXPECT_EQ(bytes.substr(30, 2), std::string(2, '\0'));
    EXPECT_EQ(bytes.substr(32, 11), std::string("UNO\0\0\0\0\0\0\0\0", 11));
    EXPECT_EQ(bytes[32 + 11], 'C');
    EXPECT_EQ(bytes[headerLength - 1], 0x0D);
    ASSERT_EQ(bytes.size(), headerLength + 2 * recordLength + 1);
    EXPECT_EQ(bytes.back(), 0x1A);
    EXPECT_EQ(bytes.substr(headerLength, 13), " AAAAAAAAAAAB");

    DbfTable reopened = Open(path, DbfOpenMode::ReadOnly);
    ASSERT_EQ(reopened.Fields().size(), kOtherTableFields.size());
    for (std::size_t i = 0; i < kOtherTableFields.size(); ++i) {
        EXPECT_EQ(reopened.Fields()[i].name, kOtherTableFields[i].name);
        EXPECT_EQ(reopened.Fields()[i].length, kOtherTableFields[i].width);
    }
    EXPECT_EQ(WalkValues(reopened), written);
}

TEST_F(DbfTableTest, AppendEditDeleteAndWalkSkippingDeleted) {
    const std::string path = CreateOther();
    DbfTable table = Open(path);
    const RecordNumber first = table.Append({"K1", "Main", "A", "one"});
    const RecordNumber second = table.Append({"K2", "Main", "B"});
    table.Append({"K3"});
    table.Append({"K4", "Gone", "D", "four"});
    EXPECT_EQ(second, first + 1);
    EXPECT_THROW(table.Append({"K5", "G", "N", "T", "extra"}), TableError);

    table.SetField(second, "text", U("правка"));
    table.Delete(first);
    table.Delete(first); // a second deletion changes nothing
    EXPECT_THROW(table.SetField(first, "TEXT", "x"), TableError);
    table.Walk([&](const DbfRecord& record) {
        if (record.values[1] == "Gone") {
            table.Delete(record.number);
        }
    });

    EXPECT_EQ(table.RecordCount(), 4u);
    EXPECT_EQ(WalkValues(table), (Rows{{"K2", "Main", "B", U("правка")}, {"K3", "", "", ""}}));
    DbfTable readOnly = Open(path, DbfOpenMode::ReadOnly);
    EXPECT_EQ(WalkValues(readOnly), WalkValues(table));
    EXPECT_THROW(readOnly.Append({"K6"}), TableError);
    EXPECT_THROW(readOnly.Delete(second), TableError);
}

TEST_F(DbfTableTest, ValuesLongerThanTheirFieldAreCut) {
    DbfTable table = Open(CreateOther());
    const std::string longText(300, 'x');
    table.Append({"ABCDEFGHIJKLMNOP", "Main", std::string(40, U("Ж")[0]), longText});
    EXPECT_EQ(WalkValues(table),
              (Rows{{"ABCDEFGHIJKL", "Main", std::string(32, U("Ж")[0]), longText.substr(0, kDbfMaxCharacterWidth)}}));
}

TEST_F(DbfTableTest, IndexFindsAKeysRecordsInInsertionOrder) {
    DbfTable table = Open(CreateOther());
    table.SetIndex("UNO");
    const std::vector<std::string> keys = {"AAA", "BBB", "AAA", "aaa", U("Ягода"), "AAA", "CCC", "AAAAAAAAAAAAXY"};
    for (std::size_t i = 0; i < keys.size(); ++i) {
        table.Append({keys[i], "G", std::to_string(i)});
    }
    const auto numbers = [&](std::string_view key) {
        std::vector<std::string> out;
        for (const DbfRecord& record : table.Find(key)) {
            out.push_back(record.values[2]);
        }
        return out;
    };
    EXPECT_EQ(numbers("AAA"), (std::vector<std::string>{"0", "2", "5"}));
    EXPECT_EQ(numbers("AAA    "), numbers("AAA")) << "trailing blanks are padding";
    EXPECT_EQ(numbers("aaa"), std::vector<std::string>{"3"}) << "lookups are case-sensitive";
    EXPECT_TRUE(numbers(" AAA").empty());
    EXPECT_TRUE(numbers("ZZZ").empty());
    EXPECT_EQ(numbers("AAAAAAAAAAAAZZ"), std::vector<std::string>{"7"}) << "a long key is cut to the field";

    const RecordNumber moved = table.Find("CCC").front().number;
    table.SetField(moved, "UNO", "AAA");
    table.Delete(table.Find("AAA").front().number);
    EXPECT_EQ(numbers("AAA"), (std::vector<std::string>{"2", "5", "6"}));
    EXPECT_TRUE(numbers("CCC").empty());

    std::vector<std::string> order;
    table.WalkByIndex([&](const DbfRecord& record) { order.push_back(record.values[2]); });
    EXPECT_EQ(order, (std::vector<std::string>{"2", "5", "6", "7", "1", "3", "4"}));

    EXPECT_THROW(table.SetIndex("NOSUCH"), TableError);
    table.SetIndex("");
    EXPECT_THROW(table.Find("AAA"), TableError);
}

TEST_F(DbfTableTest, ForeignTableReadsOtherTypesAsTextAndStartsRecordsAtTheHeaderLength) {
    // A writer that pads the header with 0x00 after 0x0D, a code page 866 driver byte and non-character fields.
    const ForeignField fields[] = {{"NAME", 'C', 10}, {"QTY", 'N', 5}, {"BORN", 'D', 8}, {"OK", 'L', 1}};
    const int recordLength = 1 + 10 + 5 + 8 + 1;
    const int headerLength = 32 + 4 * 32 + 2;
    const std::string path = PathOf("foreign.dbf");
    core::WriteFileAtomically(path, ForeignTableBytes(fields, 0x26,
                                                      {" \x88\xA2\xA0\xAD      " // "Иван" in cp866
                                                       "   4220240131T",
                                                       "*\x93\xA4\xA0\xAB\xF1\xAD    " // "Удалён"
                                                       "    720230101F",
                                                       " Petr        -3.        ?"},
                                                      std::string_view("\x0D\x00", 2)));

    DbfTable table = Open(path);
    EXPECT_EQ(table.Fields()[1].type, 'N');
    EXPECT_EQ(WalkValues(table), (Rows{{U("Иван"), "42", "20240131", "T"}, {"Petr", "-3.", "", "?"}}));
    table.Append({"Anna", "5", "20200229", "F"});
    table.SetIndex("QTY");
    EXPECT_EQ(ValuesOf(table.Find("5")), (Rows{{"Anna", "5", "20200229", "F"}}));
    EXPECT_TRUE(DbfTable::Inspect(path).Problems().empty());
    const std::string after = core::ReadFileBytes(path);
    EXPECT_EQ(after.substr(headerLength + 3 * recordLength, recordLength + 1), " Anna          520200229F\x1A");
}

TEST_F(DbfTableTest, FieldValuesAreConvertedFromAndToTheCodePageOfTheLanguageDriver) {
    // How each code page stores "Ёлка" followed by byte 0xC4 (box drawing in cp866, "Д" in cp1251) and the
    // value "Ель № 7 •", and what the cp1251 engines see of them.
    struct Spelling {
        std::string stored;
        const char* read;
        std::string written;
        const char* readBack;
    };
    const Spelling cp866{"\xF0\xAB\xAA\xA0\xC4", "Ёлка?", "\x85\xAB\xEC \xFC 7 ?", "Ель № 7 ?"};
    const Spelling cp1251{"\xA8\xEB\xEA\xE0\xC4", "ЁлкаД", "\xC5\xEB\xFC \xB9 7 \x95", "Ель № 7 •"};
    const std::pair<std::uint8_t, const Spelling*> cases[] = {
        {0x26, &cp866}, {0x65, &cp866}, {0xC9, &cp1251}, {0x00, &cp1251}, {0x57, &cp1251}};
    const ForeignField fields[] = {{"KEY", 'C', 2}, {"NAME", 'C', 10}};
    const auto pad = [](const std::string& value) { return value + std::string(10 - value.size(), ' '); };
    for (const auto& [driver, spelling] : cases) {
        SCOPED_TRACE(driver);
        const std::string path = PathOf("driver" + std::to_string(driver) + ".dbf");
        core::WriteFileAtomically(path, ForeignTableBytes(fields, driver, {" K1" + pad(spelling->stored)}));
        DbfTable table = Open(path);
        EXPECT_EQ(WalkValues(table), (Rows{{"K1", U(spelling->read)}}));

        table.Append({"K2", U("Ель № 7 •")});
        table.SetField(0, "NAME", U("Ель № 7 •"));
        const std::string bytes = core::ReadFileBytes(path);
        const std::size_t headerLength = 32 + 2 * 32 + 1;
        EXPECT_EQ(bytes.substr(headerLength), " K1" + pad(spelling->written) + " K2" + pad(spelling->written) + "\x1A");
        EXPECT_EQ(static_cast<unsigned char>(bytes[29]), driver) << "the table keeps its code page";

        table.SetIndex("NAME");
        EXPECT_EQ(table.Find(U("Ель № 7 •")).size(), 2u) << "the key finds what storing it produced";
        EXPECT_EQ(table.Find(U(spelling->readBack)).size(), 2u);
        EXPECT_EQ(WalkValues(table), (Rows{{"K1", U(spelling->readBack)}, {"K2", U(spelling->readBack)}}));
    }
}

struct ModeCase {
    DbfOpenMode holder;
    DbfOpenMode opener;
    bool opens;
};

const char* ModeName(DbfOpenMode mode) {
    return mode == DbfOpenMode::Shared ? "shared" : mode == DbfOpenMode::Exclusive ? "exclusive" : "read-only";
}

void PrintTo(const ModeCase& mode, std::ostream* out) {
    *out << ModeName(mode.holder) << "-held-" << ModeName(mode.opener) << "-open";
}

class DbfModeConflictTest : public DbfTableTest, public ::testing::WithParamInterface<ModeCase> {};

TEST_P(DbfModeConflictTest, ModesAreEnforcedBetweenProcessesAndBetweenOpens) {
    const ModeCase mode = GetParam();
    const std::string path = CreateOther();
    const auto tryOpen = [&] {
        if (mode.opens) {
            EXPECT_NO_THROW(Open(path, mode.opener));
        } else {
            EXPECT_THROW(Open(path, mode.opener), TableLocked);
        }
    };
    {
        ChildHolder child(path, mode.holder);
        tryOpen();
    }
    {
        DbfTable holder = Open(path, mode.holder);
        tryOpen();
    }
    EXPECT_NO_THROW(Open(path, DbfOpenMode::Exclusive)) << "the holder's lock ends with its table";
}

using M = DbfOpenMode;
INSTANTIATE_TEST_SUITE_P(
    AllPairs, DbfModeConflictTest,
    ::testing::Values(ModeCase{M::Shared, M::Shared, true}, ModeCase{M::Shared, M::ReadOnly, true},
                      ModeCase{M::Shared, M::Exclusive, false}, ModeCase{M::ReadOnly, M::Shared, true},
                      ModeCase{M::ReadOnly, M::ReadOnly, true}, ModeCase{M::ReadOnly, M::Exclusive, false},
                      ModeCase{M::Exclusive, M::Shared, false}, ModeCase{M::Exclusive, M::ReadOnly, false},
                      ModeCase{M::Exclusive, M::Exclusive, false}));

TEST_F(DbfTableTest, IndexFollowsWhatAnotherHandleAppendsEditsAndDeletes) {
    const std::string path = CreateOther();
    DbfTable mine = Open(path);
    mine.SetIndex("UNO");
    mine.Append({"KEY", "G", "1"});
    mine.Append({"OTHER", "G", "2"});
    DbfTable theirs = Open(path);

    theirs.Append({"KEY", "G", "3"});
    EXPECT_EQ(ValuesOf(mine.Find("KEY")), (Rows{{"KEY", "G", "1", ""}, {"KEY", "G", "3", ""}}));

    theirs.SetField(1, "UNO", "KEY");
    theirs.SetField(0, "TEXT", U("новое"));
    EXPECT_EQ(ValuesOf(mine.Find("KEY")),
              (Rows{{"KEY", "G", "1", U("новое")}, {"KEY", "G", "2", ""}, {"KEY", "G", "3", ""}}));
    EXPECT_TRUE(mine.Find("OTHER").empty());

    theirs.Delete(0);
    theirs.Append({"KEY", "G", "4"});
    EXPECT_EQ(ValuesOf(mine.Find("KEY")), (Rows{{"KEY", "G", "2", ""}, {"KEY", "G", "3", ""}, {"KEY", "G", "4", ""}}));

    mine.Append({"KEY", "G", "5"});
    EXPECT_EQ(mine.Find("KEY").back().number, 4u) << "our append goes after theirs";
}

TEST_F(DbfTableTest, BatchesOfAppendsAndDeletionsAreSeenAsTheSingleOnesWouldBe) {
    const std::string path = CreateOther();
    DbfTable mine = Open(path);
    mine.SetIndex("UNO");
    mine.Append({"KEY", "G", "1"});
    DbfTable theirs = Open(path);
    theirs.SetIndex("UNO");
    EXPECT_EQ(theirs.AppendRecords({{"KEY", "G", "2"}, {"OTHER", "G", "3"}, {"KEY", "G", "4"}}), 1u);
    EXPECT_EQ(theirs.AppendRecords({}), 4u) << "nothing to append writes nothing";
    EXPECT_EQ(ValuesOf(mine.Find("KEY")), (Rows{{"KEY", "G", "1", ""}, {"KEY", "G", "2", ""}, {"KEY", "G", "4", ""}}));
    mine.DeleteRecords({0, 3, 3});
    EXPECT_EQ(ValuesOf(theirs.Find("KEY")), (Rows{{"KEY", "G", "2", ""}}));
    EXPECT_EQ(ValuesOf(theirs.Find("OTHER")), (Rows{{"OTHER", "G", "3", ""}}));
    EXPECT_TRUE(DbfTable::Inspect(path).Problems().empty());
}

TEST_F(DbfTableTest, AppendsFromTwoProcessesAreNeitherLostNorInterleaved) {
    constexpr int kPerProcess = 3000;
    const std::string path = CreateOther();
    const auto keyOf = [](int process, int i) { return "P" + std::to_string(process) + "K" + std::to_string(i % 40); };
    const auto textOf = [](int process, int i) {
        return std::string(150 + i % 100, static_cast<char>('a' + (i + process) % 26)) + std::to_string(i);
    };
    DbfTable watcher = Open(path);
    watcher.SetIndex("UNO");

    int start[2];
    ASSERT_EQ(pipe(start), 0);
    pid_t children[2];
    for (int process = 0; process < 2; ++process) {
        children[process] = fork();
        if (children[process] == 0) {
            close(start[1]);
            char ignored = 0;
            int code = read(start[0], &ignored, 1) == 0 ? 0 : 3; // both start when the pipe closes
            try {
                const core::Clock clock;
                DbfTable table = DbfTable::Open(path, DbfOpenMode::Shared, clock);
                for (int i = 0; i < kPerProcess; ++i) {
                    table.Append(
                        {keyOf(process, i), "P" + std::to_string(process), std::to_string(i), textOf(process, i)});
                }
            } catch (const std::exception&) {
                code = 1;
            }
            _exit(code);
        }
    }
    close(start[0]);
    close(start[1]);
    for (const pid_t child : children) {
        int status = 0;
        ASSERT_EQ(waitpid(child, &status, 0), child);
        ASSERT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
    }

    std::map<std::pair<std::string, int>, int> seen;
    std::map<std::string, int> lastOfProcess;
    DbfTable table = Open(path, DbfOpenMode::ReadOnly);
    table.Walk([&](const DbfRecord& record) {
        const std::string& process = record.values[1];
        const int i = std::stoi(record.values[2]);
        const int p = process == "P1" ? 1 : 0;
        EXPECT_EQ(record.values[0], keyOf(p, i));
        EXPECT_EQ(record.values[3], textOf(p, i));
        EXPECT_GT(i, lastOfProcess.contains(process) ? lastOfProcess[process] : -1);
        lastOfProcess[process] = i;
        ++seen[{process, i}];
    });
    EXPECT_EQ(seen.size(), 2u * kPerProcess);
    EXPECT_TRUE(std::all_of(seen.begin(), seen.end(), [](const auto& entry) { return entry.second == 1; }));
    EXPECT_EQ(table.RecordCount(), 2u * kPerProcess);
    EXPECT_TRUE(DbfTable::Inspect(path).Problems().empty());

    const std::vector<DbfRecord> found = watcher.Find(keyOf(1, 7));
    ASSERT_EQ(found.size(), static_cast<std::size_t>(kPerProcess / 40));
    for (std::size_t i = 0; i < found.size(); ++i) {
        EXPECT_EQ(found[i].values[2], std::to_string(7 + 40 * i));
    }
}

TEST_F(DbfTableTest, PackNeedsExclusiveUseAndRemovesDeletedRecords) {
    const std::string path = CreateOther();
    DbfTable table = Open(path);
    table.SetIndex("UNO");
    for (int i = 0; i < 6; ++i) {
        table.Append({i % 2 == 0 ? "EVEN" : "ODD", "G", std::to_string(i)});
    }
    table.Delete(0);
    table.Delete(3);
    {
        DbfTable other = Open(path, DbfOpenMode::ReadOnly);
        const std::string before = core::ReadFileBytes(path);
        EXPECT_THROW(table.Pack(), TableLocked);
        EXPECT_EQ(core::ReadFileBytes(path), before);
        EXPECT_EQ(table.Mode(), DbfOpenMode::Shared);
    }
    table.Pack();
    EXPECT_EQ(table.Mode(), DbfOpenMode::Shared);
    EXPECT_FALSE(core::FileExists(path + ".pack~"));
    EXPECT_EQ(table.RecordCount(), 4u);
    EXPECT_EQ(core::ReadFileBytes(path).size(), 161u + 4 * 331 + 1);
    EXPECT_EQ(ValuesOf(table.Find("EVEN")), (Rows{{"EVEN", "G", "2", ""}, {"EVEN", "G", "4", ""}}));
    EXPECT_EQ(table.Find("ODD").front().number, 0u);
    EXPECT_TRUE(DbfTable::Inspect(path).Problems().empty());

    EXPECT_THROW(Open(path, DbfOpenMode::Exclusive), TableLocked) << "the packed table is still held shared";
    DbfTable later = Open(path, DbfOpenMode::ReadOnly);
    later.SetIndex("UNO");
    EXPECT_EQ(WalkValues(later), WalkValues(table));
    table.Append({"ODD", "G", "6"});
    EXPECT_EQ(later.Find("ODD").size(), 3u);
}

TEST_F(DbfTableTest, RebuildIndexesNeedsExclusiveUseAndASoundTable) {
    const std::string path = CreateOther();
    DbfTable table = Open(path);
    table.SetIndex("UNO");
    table.Append({"KEY", "G", "1"});
    {
        ChildHolder other(path, DbfOpenMode::Shared);
        EXPECT_THROW(table.RebuildIndexes(), TableLocked);
    }
    table.RebuildIndexes();
    EXPECT_EQ(table.Find("KEY").size(), 1u);
    SetRecordCount(path, 2);
    EXPECT_THROW(table.RebuildIndexes(), TableDamaged);
}

struct DamageCase {
    const char* name;
    std::function<void(const std::string& path, std::int64_t size)> damage;
    DbfHealth found; // only the counts, the damaged marks, the partial and trailing bytes and the marker are compared
    std::size_t repairs;
    bool writesRefused;
};

TEST_F(DbfTableTest, CheckFindsAndRepairsWhatACrashLeaves) {
    const auto truncate = [](const std::string& path, std::int64_t size) {
        core::LockedFile::Open(path, core::LockedFile::Access::ReadWrite, false)->Truncate(size);
    };
    const auto append = [](const std::string& path, std::int64_t at, const std::string& bytes) {
        core::LockedFile::Open(path, core::LockedFile::Access::ReadWrite, false)->WriteAt(at, bytes);
    };
    const auto health = [](std::uint32_t counted, std::uint32_t inFile, std::uint32_t partial, bool marker,
                           std::uint32_t trailing = 0, std::uint32_t damagedMarks = 0) {
        DbfHealth h;
        h.headerCount = counted;
        h.recordsInFile = inFile;
        h.partialBytes = partial;
        h.endMarker = marker;
        h.trailingBytes = trailing;
        h.damagedMarks = damagedMarks;
        return h;
    };
    // Longer than a record and starting like one, so that only its place after the records gives it away.
    const std::string junk = " KEY9" + std::string(395, 'J');
    const DamageCase cases[] = {
        {"sound", [](const std::string&, std::int64_t) {}, health(3, 3, 0, true), 0, false},
        {"count too high", [](const std::string& path, std::int64_t) { SetRecordCount(path, 5); },
         health(5, 3, 0, true), 1, true},
        {"partial record",
         [&](const std::string& path, std::int64_t size) {
             truncate(path, size - 1);
             append(path, size - 1, " KEY4       Par");
         },
         health(3, 3, 15, false), 2, true},
        {"missing end marker", [&](const std::string& path, std::int64_t size) { truncate(path, size - 1); },
         health(3, 3, 0, false), 1, false},
        {"junk in place of the end marker",
         [&](const std::string& path, std::int64_t size) { append(path, size - 1, std::string(400, '\0')); },
         health(3, 3, 0, false, 400), 2, true},
        {"junk after the end marker and a count that takes it for a record",
         [&](const std::string& path, std::int64_t size) {
             append(path, size, junk);
             SetRecordCount(path, 4);
         },
         health(4, 3, 0, true, 400), 2, true},
        {"a damaged mark within the count: the record is kept, not cut off with those after it",
         [&](const std::string& path, std::int64_t) { append(path, 161 + 331, "X"); }, health(3, 3, 0, true, 0, 1), 1,
         false},
        {"a mark damaged into the end marker within the count",
         [&](const std::string& path, std::int64_t) { append(path, 161 + 331, "\x1A"); }, health(3, 3, 0, true, 0, 1),
         1, false},
    };
    for (const DamageCase& damage : cases) {
        SCOPED_TRACE(damage.name);
        const std::string path = CreateOther(std::string(damage.name) + ".dbf");
        {
            DbfTable table = Open(path);
            for (const char* key : {"KEY1", "KEY2", "KEY3"}) {
                table.Append({key, "G", "N", "T"});
            }
        }
        damage.damage(path, static_cast<std::int64_t>(core::ReadFileBytes(path).size()));

        const DbfHealth found = DbfTable::Inspect(path);
        EXPECT_EQ(found.headerCount, damage.found.headerCount);
        EXPECT_EQ(found.recordsInFile, damage.found.recordsInFile);
        EXPECT_EQ(found.partialBytes, damage.found.partialBytes);
        EXPECT_EQ(found.endMarker, damage.found.endMarker);
        EXPECT_EQ(found.trailingBytes, damage.found.trailingBytes);
        EXPECT_EQ(found.damagedMarks, damage.found.damagedMarks);
        EXPECT_EQ(found.Problems().empty(), damage.repairs == 0);
        if (damage.writesRefused) {
            EXPECT_THROW(Open(path).Append({"KEY9"}), TableDamaged);
        }

        EXPECT_EQ(DbfTable::Repair(path, m_clock).size(), damage.repairs);
        EXPECT_TRUE(DbfTable::Inspect(path).Problems().empty());
        const std::string bytes = core::ReadFileBytes(path);
        EXPECT_EQ(bytes.size(), 161u + 3 * 331 + 1);
        for (std::size_t record = 0; record < 3; ++record) {
            EXPECT_EQ(bytes[161 + record * 331], ' ') << "other programs read every record only when all are marked";
        }
        DbfTable repaired = Open(path);
        EXPECT_EQ(repaired.RecordCount(), 3u);
        EXPECT_EQ(WalkValues(repaired),
                  (Rows{{"KEY1", "G", "N", "T"}, {"KEY2", "G", "N", "T"}, {"KEY3", "G", "N", "T"}}));
        repaired.Append({"KEY4", "G", "N", "T"});
        repaired.SetIndex("UNO");
        EXPECT_EQ(WalkValues(repaired).size(), 4u);
        EXPECT_EQ(repaired.Find("KEY4").size(), 1u);
    }
}

// An append writes its records behind an end marker, then the first one's mark, its commit, then the count.
// Stopped before the mark, it leaves bytes after the marker that are no part of the table and that the next
// append writes over; stopped after it, records the count does not hold yet, which the next write counts in.
TEST_F(DbfTableTest, WhatAStoppedAppendLeavesIsSettledByTheNextWrite) {
    const std::string record = " KEY9" + std::string(8, ' ') + std::string(318, 'x'); // UNO "KEY9", 331 bytes
    const struct {
        const char* name;
        std::string tail;                   // in place of the end marker after the two counted records
        std::vector<std::string> keysAfter; // of the records after the next append of KEY3
    } cases[] = {
        {"stopped while writing the records",
         "\x1A" + record.substr(1) + record + record.substr(0, 100),
         {"KEY1", "KEY2", "KEY3"}},
        {"stopped before writing the count", record + record + "\x1A", {"KEY1", "KEY2", "KEY9", "KEY9", "KEY3"}},
    };
    for (const auto& stopped : cases) {
        SCOPED_TRACE(stopped.name);
        const std::string path = CreateOther(std::string(stopped.name) + ".dbf");
        {
            DbfTable table = Open(path);
            table.Append({"KEY1", "G", "N", "T"});
            table.Append({"KEY2", "G", "N", "T"});
        }
        core::LockedFile::Open(path, core::LockedFile::Access::ReadWrite, false)->WriteAt(161 + 2 * 331, stopped.tail);

        const DbfHealth found = DbfTable::Inspect(path);
        EXPECT_TRUE(found.Problems().empty());
        EXPECT_EQ(found.Notes().size(), 1u);

        DbfTable table = Open(path);
        table.SetIndex("UNO");
        EXPECT_EQ(WalkValues(table).size(), 2u) << "the count decides until a write settles the table";
        table.Append({"KEY3", "G", "N", "T"});
        std::vector<std::string> keys;
        for (const std::vector<std::string>& row : WalkValues(table)) {
            keys.push_back(row[0]);
        }
        EXPECT_EQ(keys, stopped.keysAfter);
        EXPECT_EQ(core::ReadFileBytes(path).size(), 161u + stopped.keysAfter.size() * 331 + 1);
        EXPECT_EQ(table.Find("KEY3").size(), 1u);
        const DbfHealth after = DbfTable::Inspect(path);
        EXPECT_TRUE(after.Problems().empty());
        EXPECT_TRUE(after.Notes().empty());
    }
}

TEST_F(DbfTableTest, NoWriteCutsRecordsAfterTheCountThatAreNotAStoppedAppend) {
    const std::string path = CreateOther();
    {
        DbfTable table = Open(path);
        table.Append({"KEY1", "G", "N", "T"});
        table.Append({"KEY2", "G", "N", "T"});
    }
    // A whole record past the count, then a slot that is no record, then the marker.
    const std::string record = " KEY9" + std::string(326, 'x');
    core::LockedFile::Open(path, core::LockedFile::Access::ReadWrite, false)
        ->WriteAt(161 + 2 * 331, record + std::string(331, 'J') + "\x1A");
    EXPECT_FALSE(DbfTable::Inspect(path).Problems().empty());
    const std::string before = core::ReadFileBytes(path);
    EXPECT_THROW(Open(path).Append({"KEY3"}), TableDamaged);
    EXPECT_EQ(core::ReadFileBytes(path), before);
}

TEST_F(DbfTableTest, ADamagedHeaderIsReportedAndNotRepaired) {
    const std::string path = CreateOther();
    auto file = core::LockedFile::Open(path, core::LockedFile::Access::ReadWrite, false);
    file->WriteAt(10, std::string("\x10\x00", 2)); // record length 16: the fields need 331
    file.reset();
    EXPECT_FALSE(DbfTable::Inspect(path).headerProblem.empty());
    EXPECT_THROW(Open(path), TableDamaged);
    EXPECT_THROW(DbfTable::Repair(path, m_clock), TableDamaged);
}

TEST_F(DbfTableTest, ProductionIndexFlagIsReadAndClearedUnderExclusiveUse) {
    const std::string path = CreateOther();
    core::LockedFile::Open(path, core::LockedFile::Access::ReadWrite, false)->WriteAt(28, "\x01");
    EXPECT_TRUE(DbfTable::HasProductionIndexFlag(path));
    {
        ChildHolder other(path, DbfOpenMode::ReadOnly);
        EXPECT_THROW(DbfTable::ClearProductionIndexFlag(path), TableLocked);
    }
    DbfTable::ClearProductionIndexFlag(path);
    EXPECT_FALSE(DbfTable::HasProductionIndexFlag(path));
}

TEST_F(DbfTableTest, EveryWriteClearsTheProductionIndexFlagAndReadingLeavesTheFileAlone) {
    const std::pair<const char*, std::function<void(const std::string&)>> writes[] = {
        {"append", [&](const std::string& path) { Open(path).Append({"K3"}); }},
        {"edit", [&](const std::string& path) { Open(path).SetField(0, "TEXT", "x"); }},
        {"delete", [&](const std::string& path) { Open(path).Delete(1); }},
        {"pack", [&](const std::string& path) { Open(path).Pack(); }},
        {"repair",
         [&](const std::string& path) {
             SetRecordCount(path, 1);
             DbfTable::Repair(path, m_clock);
         }},
    };
    for (const auto& [name, write] : writes) {
        SCOPED_TRACE(name);
        const std::string path = CreateOther(std::string(name) + ".dbf");
        {
            DbfTable table = Open(path);
            table.Append({"K1"});
            table.Append({"K2"});
        }
        core::LockedFile::Open(path, core::LockedFile::Access::ReadWrite, false)->WriteAt(28, "\x01");
        const std::string before = core::ReadFileBytes(path);
        for (const DbfOpenMode mode : {DbfOpenMode::ReadOnly, DbfOpenMode::Shared, DbfOpenMode::Exclusive}) {
            DbfTable table = Open(path, mode);
            table.SetIndex("UNO");
            EXPECT_EQ(table.Find("K2").size(), 1u);
            EXPECT_EQ(WalkValues(table).size(), 2u);
        }
        EXPECT_TRUE(DbfTable::Inspect(path).Problems().empty());
        EXPECT_EQ(core::ReadFileBytes(path), before);

        write(path);
        EXPECT_FALSE(DbfTable::HasProductionIndexFlag(path));
    }
}

TEST_F(DbfTableTest, CreateReplacesATableNobodyHoldsAndRefusesBadFields) {
    const std::string path = CreateOther();
    Open(path).Append({"KEY"});
    {
        DbfTable holder = Open(path, DbfOpenMode::ReadOnly);
        EXPECT_THROW(DbfTable::Create(path, kDeviceTableFields, m_clock), TableLocked);
    }
    DbfTable::Create(path, kDeviceTableFields, m_clock);
    DbfTable table = Open(path);
    EXPECT_EQ(table.RecordCount(), 0u);
    EXPECT_EQ(table.Fields()[0].name, "MAC_ADR");

    const DbfFieldSpec invalid[][1] = {{{"", 5}}, {{"TOO_LONG_NAME", 5}}, {{"A B", 5}}, {{"WIDE", 255}}, {{"NONE", 0}}};
    for (const auto& fields : invalid) {
        EXPECT_THROW(DbfTable::Create(PathOf("bad.dbf"), fields, m_clock), TableError) << fields[0].name;
    }
    const DbfFieldSpec twice[] = {{"NAME", 5}, {"name", 5}};
    EXPECT_THROW(DbfTable::Create(PathOf("bad.dbf"), twice, m_clock), TableError);
}

TEST_F(DbfTableTest, AWholeExportTableReplacesTheOldFileOrLeavesItAlone) {
    const std::string path = PathOf("export.dbf");
    const DbfFieldSpec fields[] = {{"UNO", 12}, {"OVNER", 150}};
    const Rows records = {{"INDEX", U("Ревизия")}, {"ABCDEFGHIJKLMNOP", std::string(200, 'x')}, {"SHORT"}};
    DbfTable::WriteWhole(path, fields, {{"OLD", "old"}}, m_clock);
    DbfTable::WriteWhole(path, fields, records, m_clock);
    {
        DbfTable table = Open(path, DbfOpenMode::ReadOnly);
        EXPECT_EQ(table.RecordCount(), 3u);
        EXPECT_EQ(WalkValues(table),
                  (Rows{{"INDEX", U("Ревизия")}, {"ABCDEFGHIJKL", std::string(150, 'x')}, {"SHORT", ""}}));
    }
    const std::string before = core::ReadFileBytes(path);
    EXPECT_THROW(DbfTable::WriteWhole(path, fields, {{"A", "B", "C"}}, m_clock), TableError);
    const DbfFieldSpec invalid[] = {{"A B", 5}};
    EXPECT_THROW(DbfTable::WriteWhole(path, invalid, {}, m_clock), TableError);
    EXPECT_EQ(core::ReadFileBytes(path), before);
    EXPECT_EQ(Open(path).RecordCount(), 3u); // it is a sound table for the engine's own writes too
}

} // namespace
} // namespace pelgo::platform
