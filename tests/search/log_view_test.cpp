// The work-log viewer's lines: cutting across blocks, the two filters, the colours and the filters taken from
// the tree.
#include "search/log_view.h"

#include <gtest/gtest.h>
#include <string>
#include <vector>

#include "core/cp1251.h"
#include "structure/node_types.h"
#include "support/temp_dir.h"

namespace pelgo::search {
namespace {

std::string W(const char* utf8) {
    return core::Utf8ToCp1251(utf8);
}

std::vector<std::string> Texts(const std::vector<LogLine>& lines) {
    std::vector<std::string> texts;
    for (const LogLine& line : lines) {
        texts.push_back(core::Cp1251ToUtf8(line.text));
    }
    return texts;
}

TEST(LogViewTest, CutsAtEveryLineEndAcrossBlocks) {
    testing::TempDir dir;
    // A CR LF split by the first block boundary, a line running over the second, lone CRs and LFs, empty lines,
    // and a last line without an end.
    const std::string first(4092, 'a');
    const std::string across = std::string(4190, 'c') + "0123456789";
    const std::string bytes = "x\r\r" + first + "\r\n" + across + "\n\nafter lfs\rafter cr\r\n\r\nlast";
    ASSERT_EQ(bytes.find('\n'), 4096u);
    ASSERT_LT(bytes.find('c'), 8192u);
    ASSERT_GT(bytes.find('c') + across.size(), 8192u);
    testing::WriteBytes(dir / "pelgo.log", bytes);
    EXPECT_EQ(Texts(LoadLog(dir / "pelgo.log", "", "")),
              (std::vector<std::string>{"x", first, across, "after lfs", "after cr", "last"}));
    EXPECT_EQ(Texts(LoadLog(dir / "pelgo.log", "ccc0123", "")), std::vector<std::string>{across});
    EXPECT_EQ(Texts(LoadLog(dir / "pelgo.log", "after lfs\rafter", "")), std::vector<std::string>{})
        << "a filter with a line end spans two lines, which no line holds";
}

TEST(LogViewTest, FiltersFoldedAndTheSecondFilterAsGiven) {
    testing::TempDir dir;
    testing::WriteBytes(dir / "pelgo.log", W("01.03.2026 10:00:00 IVANOV ПК-1 Иванова добавлен\r\n"
                                             "01.03.2026 10:01:00 IVANOV MAC=00AABBCCDDEE замена\r\n"
                                             "02.03.2026 09:00:00 PETROV Чтение pelgo.ini\r\n"
                                             "02.03.2026 09:05:00 PETROV пк-2 Удален\r\n"));
    struct Case {
        const char* filter;
        const char* second;
        std::vector<int> shown;
    } cases[] = {
        {"", "", {0, 1, 2, 3}},
        {"пк-", "", {0, 3}},
        {"ПК-1 ИВАНОВА", "00AABBCCDDEE", {0, 1}},
        {"пк-1 иванова", "", {0}},             // Enter after the viewer opened on the computer: the address is gone
        {"пк-1 иванова", "00aabbccddee", {0}}, // the second filter meets the folded line unfolded
        {"02.03.2026 ", "", {2, 3}},
        {"nobody", "", {}},
    };
    const std::vector<LogLine> all = LoadLog(dir / "pelgo.log", "", "");
    ASSERT_EQ(all.size(), 4u);
    for (const Case& c : cases) {
        std::vector<std::string> expected;
        for (int i : c.shown) {
            expected.push_back(core::Cp1251ToUtf8(all[i].text));
        }
        EXPECT_EQ(Texts(LoadLog(dir / "pelgo.log", W(c.filter), W(c.second))), expected) << c.filter;
    }
}

TEST(LogViewTest, FirstKeywordOfTheTableColoursTheLine) {
    const std::vector<LogKeyword> keywords = LogKeywords();
    ASSERT_EQ(keywords.size(), 10u);
    struct Case {
        const char* line;
        LogColour colour;
    } cases[] = {
        {"Отдел\\Иванов Удалено ! ПК добавлен", LogColour::Green},
        {"Отдел\\Иванов Удалено !", LogColour::Red},
        {"удалено", LogColour::Black}, // keywords keep their case
        {"Чтение C:\\pelgo\\pelgo.ini", LogColour::Olive},
        {"Запись BASE\\tree.txt", LogColour::Maroon},
        {"ПК перемещен из А в Б", LogColour::Purple},
        {"Изменено : 1", LogColour::Blue},
        {"Загружен", LogColour::Navy},
        {"СБОЙ! Ошибка UNO", LogColour::Red},
        {"SENTINOX Alarm : CPU=x", LogColour::Red},
        {"--- LOG File is open for PC", LogColour::Black},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(ColourName(LineColour(W(c.line), keywords)), std::string(ColourName(c.colour))) << c.line;
    }
    testing::TempDir dir;
    testing::WriteBytes(dir / "pelgo.log", W("a\r\nПК добавлен, старый Удален\r\n"));
    const std::vector<LogLine> lines = LoadLog(dir / "pelgo.log", "", "");
    ASSERT_EQ(lines.size(), 2u);
    EXPECT_EQ(lines[0].colour, LogColour::Black);
    EXPECT_EQ(lines[1].colour, LogColour::Green);
}

TEST(LogViewTest, MissingFileAndBatches) {
    testing::TempDir dir;
    const std::vector<LogLine> missing = LoadLog(dir / "pelgo.log", "", "");
    ASSERT_EQ(missing.size(), 1u);
    EXPECT_EQ(missing[0].text, W("Файл не найден ") + dir / "pelgo.log");
    EXPECT_EQ(missing[0].colour, LogColour::Black);

    std::string bytes;
    for (int i = 0; i < 1000; ++i) {
        bytes += "line " + std::to_string(i) + "\r\n";
    }
    testing::WriteBytes(dir / "pelgo.log", bytes);
    std::vector<std::size_t> batches;
    std::vector<LogLine> lines;
    LoadLog(dir / "pelgo.log", "", "", [&](std::vector<LogLine>& batch) {
        batches.push_back(batch.size());
        lines.insert(lines.end(), batch.begin(), batch.end());
    });
    EXPECT_GT(batches.size(), 1u) << "a large log arrives in parts";
    ASSERT_EQ(lines.size(), 1000u);
    EXPECT_EQ(lines[999].text, "line 999");
}

TEST(LogViewTest, FiltersFromTheTreeAndToday) {
    structure::TreeModel tree;
    structure::TreeNode& department = tree.AddChild(nullptr, -1, "Dept", structure::kIconDepartment);
    structure::TreeNode& computer = tree.AddChild(&department, -1, "PC-1", structure::kIconComputer);
    tree.AddChild(&computer, -1, "00AABBCCDDEE", structure::kIconMacAddress);
    structure::TreeNode& bare = tree.AddChild(&department, -1, "PC-2", structure::kIconComputer);
    tree.AddChild(&department, -1, "00FFFFFFFFFF", structure::kIconMacAddress); // follows, but not its own
    struct Case {
        const structure::TreeNode* selected;
        const char* filter;
        const char* second;
    } cases[] = {
        {&computer, "PC-1", "00AABBCCDDEE"},
        {&department, "Dept", ""},
        {&bare, "PC-2", ""},
        {nullptr, "", ""},
    };
    for (const Case& c : cases) {
        const LogFilters filters = FiltersOf(tree, c.selected);
        EXPECT_EQ(filters.filter, c.filter);
        EXPECT_EQ(filters.secondFilter, c.second) << c.filter;
    }
    EXPECT_EQ(TodayFilter({2026, 3, 9, 17, 5, 4}), "09.03.2026 ");
}

} // namespace
} // namespace pelgo::search
