// The work log: markers, the node prefix, switching off, and appends from two processes.
#include "core/work_log.h"

#include <gtest/gtest.h>
#include <sstream>
#include <sys/wait.h>
#include <unistd.h>

#include "core/cp1251.h"
#include "support/temp_dir.h"

namespace pelgo::core {
namespace {

using pelgo::testing::ReadBytes;

std::vector<std::string> Lines(const std::string& bytes) {
    std::vector<std::string> lines;
    std::size_t start = 0;
    for (std::size_t end; (end = bytes.find("\r\n", start)) != std::string::npos; start = end + 2) {
        lines.push_back(bytes.substr(start, end - start));
    }
    EXPECT_EQ(start, bytes.size()) << "every line ends with CR LF";
    return lines;
}

TEST(WorkLog, LinesCarryStampUserAndMarkers) {
    pelgo::testing::TempDir dir;
    Clock clock;
    clock.Set({2026, 3, 7, 9, 5, 4});
    {
        WorkLog log(dir / "pelgo.log", clock);
        log.SetIdentity("IVANOV", "WS-01");
        log.LogEvent(Utf8ToCp1251("начал работу"));
        log.LogClose();
        log.LogEvent("again");
    }
    const auto lines = Lines(ReadBytes(dir / "pelgo.log"));
    const std::vector<std::string> expected = {
        "07.03.2026 09:05:04 --- LOG File is open for WS-01",
        "07.03.2026 09:05:04 IVANOV " + Utf8ToCp1251("начал работу"),
        "07.03.2026 09:05:04 --- LOG File is closed for WS-01",
        "07.03.2026 09:05:04 --- LOG File is open for WS-01",
        "07.03.2026 09:05:04 IVANOV again",
    };
    EXPECT_EQ(lines, expected);
}

TEST(WorkLog, SizeZeroSilencesEventsButNotTheCloseMarkers) {
    pelgo::testing::TempDir dir;
    Clock clock;
    WorkLog log(dir / "pelgo.log", clock);
    log.SetMovingSize(0);
    log.LogEvent("dropped");
    EXPECT_FALSE(log.IsOpen());
    log.LogClose();
    const auto lines = Lines(ReadBytes(dir / "pelgo.log"));
    ASSERT_EQ(lines.size(), 2u);
    EXPECT_NE(lines[0].find("--- LOG File is open for UNKNOWN"), std::string::npos);
    EXPECT_NE(lines[1].find("--- LOG File is closed for UNKNOWN"), std::string::npos);
}

TEST(WorkLog, NodePrefixUnlessTheMessageNamesTheType) {
    struct Case {
        const char* type;
        const char* message;
        const char* expected;
    };
    const Case cases[] = {
        {"Компьютер", "БУХ-1 добавлен", "Компьютер БУХ-1 добавлен"},
        {"Компьютер", "компьютер БУХ-1 добавлен", "компьютер БУХ-1 добавлен"}, // lower-case Cyrillic still seen
        {"Компьютер", "Отдел/КОМПЬЮТЕР X", "Отдел/КОМПЬЮТЕР X"},
        {"Компьютер", "Компьютер", "Компьютер Компьютер"}, // the name must be followed by a blank
        {"", "x", "? x"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(Cp1251ToUtf8(WithNodePrefix(Utf8ToCp1251(c.type), Utf8ToCp1251(c.message))), c.expected);
    }
}

TEST(WorkLog, TwoProcessesAppendWholeLines) {
    pelgo::testing::TempDir dir;
    const std::string path = dir / "pelgo.log";
    constexpr int kLines = 2000;
    const auto writeLines = [&](const char* who) {
        Clock clock;
        WorkLog log(path, clock);
        log.SetIdentity(who, "WS");
        for (int i = 0; i < kLines; ++i) {
            log.LogEvent("line " + std::to_string(i) + std::string(40, 'x'));
        }
    };
    const pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        writeLines("CHILD");
        ::_exit(0);
    }
    writeLines("PARENT");
    int status = 0;
    ::waitpid(child, &status, 0);
    ASSERT_EQ(status, 0);

    int parent = 0;
    int fromChild = 0;
    for (const auto& line : Lines(ReadBytes(path))) {
        if (line.find("--- LOG File is open") != std::string::npos) {
            continue;
        }
        ASSERT_EQ(line.substr(line.size() - 40), std::string(40, 'x')) << line;
        (line.find(" PARENT line ") != std::string::npos ? parent : fromChild) += 1;
    }
    EXPECT_EQ(parent, kLines);
    EXPECT_EQ(fromChild, kLines);
}

} // namespace
} // namespace pelgo::core
