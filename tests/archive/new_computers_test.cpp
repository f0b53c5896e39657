// Naming a new computer and placing unplaced computers under their employees.
#include "archive/new_computers.h"

#include <gtest/gtest.h>
#include <map>

#include "core/cp1251.h"
#include "structure/node_types.h"
#include "support/scripted_dialog.h"
#include "support/temp_dir.h"

namespace pelgo::archive {
namespace {

using platform::Answer;

std::string Cp(const char* utf8) {
    return core::Utf8ToCp1251(utf8);
}

TEST(NewComputerNameTest, InventoryNumberFirstThenTheBaseNameWithItsAppendedValue) {
    const std::map<std::string, std::string> file = {{"InventoryNumber", " INV-7 "}, {"Param_1", "Petrov"},
                                                     {"Computer_Name", "WS-12"}};
    const std::map<std::string, std::string> bare = {{"Computer_Name", "WS-12"}};
    const auto reader = [](const std::map<std::string, std::string>& values) {
        return [&values](std::string_view section, std::string_view key) {
            EXPECT_EQ(section, "Info");
            const auto found = values.find(std::string(key));
            return found != values.end() ? found->second : std::string();
        };
    };
    struct Case {
        const char* ncnEdit;
        int ncn1;
        int ncn23;
        const std::map<std::string, std::string>* values;
        const char* name;
    };
    const Case cases[] = {
        {"Компьютер", 0, 1001, &file, "INV-7"},           // the defaults: the inventory number wins
        {"Компьютер", 0, 1001, &bare, "Компьютер"},       // none: the base name
        {"^ПК", 100, 1, &file, "ПК Petrov"},              // inventory off; Param_1 appended
        {"^ПК", 100, 105, &bare, "ПК WS-12"},             // Param_1 empty: the fallback, Computer_Name
        {"^ПК", 100, 5, &bare, "ПК"},                     // no fallback: the blank goes with the trim
        {"ПК", 142, 0, &file, "ПК"},                      // an index edited by hand names no key
        {"^\tПК\tнов", 0, 0, &file, "ПК нов"},            // a node text holds no TAB
    };
    for (const Case& c : cases) {
        shell::Settings settings("/");
        settings.SetText(shell::Key::NCNedit, Cp(c.ncnEdit));
        settings.SetInt(shell::Key::NCN1, c.ncn1);
        settings.SetInt(shell::Key::NCN23, c.ncn23);
        EXPECT_EQ(core::Cp1251ToUtf8(GetNewName(NamingRule::From(settings), reader(*c.values))), c.name)
            << c.ncnEdit << " " << c.ncn1 << " " << c.ncn23;
    }
}

TEST(PlacementPatternTest, NamePartsWithLetterRangesDotAndCase) {
    const SourceValues values = {"WS-12", Cp("Иванов"), Cp("Иван"), Cp("Иванович"), "ivanov", "WS-12"};
    struct Case {
        int value3, value4, value5, value6;
        int nc5;
        int nc4;
        const char* pattern;
    };
    const Case cases[] = {
        {0, 0, 0, 0, 11, 13, "Иванов Иван Иванович"},
        {1, 1, 1, 1, 11, 13, "Иванов И.И."},
        {1, 1, 0, 0, 11, 13, "Иванов И. Иванович"},
        {1, 1, 1, 1, 1, 13, "Иванов И И"},          // no dot: a blank after each initial, trimmed at the end
        {0, 0, 0, 0, 10, 13, "ИВАНОВ ИВАН ИВАНОВИЧ"}, // letter case ignored
        {0, 0, 0, 0, 11, 3, "Иванов Иван"},           // the patronymic switched off
        {2, 1, 0, 0, 11, 113, "Иванов в. Иванович"},  // an upper number below the lower is raised; 113 is 13
    };
    for (const Case& c : cases) {
        shell::Settings settings("/");
        settings.SetInt(shell::Key::Value3, c.value3);
        settings.SetInt(shell::Key::Value4, c.value4);
        settings.SetInt(shell::Key::Value5, c.value5);
        settings.SetInt(shell::Key::Value6, c.value6);
        settings.SetInt(shell::Key::NC5, c.nc5);
        settings.SetInt(shell::Key::NC4, c.nc4);
        EXPECT_EQ(core::Cp1251ToUtf8(SearchPattern(PlacementRule::From(settings), values)), c.pattern)
            << c.value3 << c.value4 << c.value5 << c.value6 << " " << c.nc5 << " " << c.nc4;
    }
}

class PlacementTest : public ::testing::Test {
protected:
    PlacementTest() {
        platform::DbfTable::Create(dir / "device.dbf", platform::kDeviceTableFields, clock);
        device.emplace(platform::DbfTable::Open(dir / "device.dbf", platform::DbfOpenMode::Shared, clock));
        device->SetIndex("MAC_ADR");
    }

    // A computer with its address under `parent`, and its archive records: the collector's first parameter
    // names the computer the user should sit at.
    structure::TreeNode& Computer(structure::TreeNode* parent, const std::string& address, const char* param1,
                                  const char* computerName, const char* surname) {
        structure::TreeNode& computer = tree.AddChild(parent, -1, Cp("Компьютер"), structure::kIconComputer);
        tree.AddChild(&computer, -1, address, structure::kIconMacAddress);
        for (const auto& [name, value] : std::vector<std::pair<std::string, std::string>>{
                 {"Param_1", param1}, {"Param_2", Cp(surname)}, {"Param_3", Cp("Иван")},
                 {"Computer_Name", computerName}}) {
            device->Append({address, "Info", name, value});
        }
        return computer;
    }
    std::string ParentText(const structure::TreeNode& node) { return core::Cp1251ToUtf8(node.Parent()->Text()); }

    testing::TempDir dir;
    core::Clock clock;
    std::optional<platform::DbfTable> device;
    structure::TreeModel tree{1};
    shell::Settings settings{"/"};
    testing::ScriptedDialog dialog;
    testing::RecordingProgress progress;
};

TEST_F(PlacementTest, ComputersOfTheFirstNodeGoToTheFirstMatchingEmployeeAfterThem) {
    structure::TreeNode& bucket = tree.AddChild(nullptr, -1, Cp("Неоприходованная техника"), 1);
    structure::TreeNode& ivanov = Computer(&bucket, "00AA00000001", "ws-1", "WS-1", "Иванов");
    tree.SetText(*tree.Next(ivanov), "00aa00000001"); // typed in lower case: still the archived computer
    structure::TreeNode& stranger = Computer(&bucket, "00AA00000002", "WS-2", "WS-2", "Сидоров");
    structure::TreeNode& elsewhere = Computer(&bucket, "00AA00000003", "WS-9", "OTHER", "Иванов"); // not his own
    structure::TreeNode& plant = tree.AddChild(nullptr, -1, Cp("Завод"), 1);
    structure::TreeNode& outside = Computer(&plant, "00AA00000004", "WS-4", "WS-4", "Иванов"); // not in the first node
    tree.AddChild(&plant, -1, Cp("Иванов Иван Петрович"), structure::kIconEmployee);
    tree.AddChild(&plant, -1, Cp("Иванов Иван Сергеевич"), structure::kIconEmployee);

    dialog.ExpectQuestion("Попытаться распределить неучтенные компьютеры ?", Answer::Yes);
    int moved = 0;
    EXPECT_EQ(MoveData(tree, *device, PlacementRule::From(settings), dialog, progress, [&] { ++moved; }), 1);
    EXPECT_EQ(moved, 1);
    EXPECT_EQ(ParentText(ivanov), "Иванов Иван Петрович") << "the first after the computer wins";
    EXPECT_EQ(ParentText(stranger), "Неоприходованная техника");
    EXPECT_EQ(ParentText(elsewhere), "Неоприходованная техника");
    EXPECT_EQ(ParentText(outside), "Завод");
    std::vector<std::string> lines;
    for (const std::string& line : progress.lines) {
        lines.push_back(core::Cp1251ToUtf8(line));
    }
    EXPECT_EQ(lines, (std::vector<std::string>{
                         "Распределение неучтенных компьютеров...",
                         "Компьютер 00aa00000001 закреплен за Иванов Иван Петрович",
                         ">>> Не смог автораспределить компьютер 00AA00000002",
                         "шаблон поиска в структуре предприятия - \"Сидоров Иван\"",
                         "сформирован из Param_1=WS-2, Param_2=Сидоров, Param_3=Иван, Param_4=",
                         "Распределено компьютеров 1",
                     }))
        << "the computer skipped by the user check is skipped silently, and each is reported once";

    dialog.ExpectQuestion("Попытаться", Answer::No);
    EXPECT_EQ(MoveData(tree, *device, PlacementRule::From(settings), dialog, progress, [&] { ++moved; }), 0);
    EXPECT_EQ(moved, 1);
}

} // namespace
} // namespace pelgo::archive
