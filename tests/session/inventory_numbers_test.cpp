// Synchronising and checking inventory numbers on a started application state: the tree file on disk gets the
// UNOs the new records point at even when no caption changed, protected data are left alone, and the check's
// log in the installation folder.
#include "session/inventory_numbers.h"

#include <gtest/gtest.h>
#include <optional>

#include "core/cp1251.h"
#include "core/file.h"
#include "core/text.h"
#include "platform/dbf_table.h"
#include "structure/tree_files.h"
#include "support/installation.h"
#include "support/scripted_dialog.h"
#include "support/temp_dir.h"

namespace pelgo::session {
namespace {

class InventoryNumbersSessionTest : public ::testing::Test {
protected:
    // Two printers №77 without UNOs on disk (the load gives them UNOs in memory only) and a monitor.
    InventoryNumbersSessionTest() {
        clock.Set({2026, 12, 11, 9, 30, 0});
        testing::MakeInstallation(
            dir, clock, "Неоприходованная техника\r\nОтдел\r\n\tПринтер №77\r\n\tМонитор\r\n\tПринтер №77\r\n",
            "1 ; AAAAAAAAAAAA ;\r\n1 ; BBBBBBBBBBBB ;\r\n6 ;\r\n5 ; CCCCCCCCCCCC ;\r\n6 ;\r\n");
    }
    ~InventoryNumbersSessionTest() override {
        if (state) {
            state->CloseRequest();
        }
    }

    AppState& Start(std::vector<std::string> arguments = {}) {
        state.emplace(StartOptions{dir.Path(), dir / "pelgo", std::move(arguments), "IVANOV", "WS-01"}, dialog,
                      progress);
        state->Clock().Set(clock.Now());
        EXPECT_EQ(state->Start([](std::string_view) {}), AppState::StartResult::Running);
        state->Activate();
        return *state;
    }

    // The UNO field of each line of the image file on disk.
    std::vector<std::string> UnosOnDisk() const {
        std::vector<std::string> unos;
        const std::string image = testing::ReadBytes(dir / "BASE/image");
        for (std::string_view line : core::SplitLines(image)) {
            unos.emplace_back(structure::ParseImageLine(line).uno);
        }
        return unos;
    }

    std::vector<std::vector<std::string>> NumberRecords() const {
        auto dbf = platform::DbfTable::Open(dir / "BASE/other.dbf", platform::DbfOpenMode::ReadOnly, clock);
        std::vector<std::vector<std::string>> records;
        dbf.Walk([&](const platform::DbfRecord& r) {
            if (r.values[2] == "aInumber") {
                records.push_back(r.values);
            }
        });
        return records;
    }

    static inventory::NumberChoice NoConflict(const structure::TreeNode&, const std::string&, const std::string&) {
        ADD_FAILURE() << "no conflict expected";
        return inventory::NumberChoice::Skip;
    }

    testing::TempDir dir;
    core::Clock clock;
    testing::ScriptedDialog dialog;
    testing::RecordingProgress progress;
    std::optional<AppState> state;
};

TEST_F(InventoryNumbersSessionTest, SynchronisingSavesTheUnosItsRecordsPointAt) {
    AppState& app = Start();
    int steps = 0;
    const std::optional<inventory::SyncOutcome> outcome =
        SynchronizeInventoryNumbers(app, dialog, NoConflict, [&] { ++steps; });
    ASSERT_TRUE(outcome);
    EXPECT_EQ(steps, 5);
    EXPECT_TRUE(app.TreeReactionsOn());
    EXPECT_FALSE(app.TreeStorage()->TreeModified()) << "saved by the run itself";

    const std::string first = app.Tree().NodeAt(2)->Record()->uno;
    const std::string second = app.Tree().NodeAt(4)->Record()->uno;
    EXPECT_EQ(UnosOnDisk(), (std::vector<std::string>{"AAAAAAAAAAAA", "BBBBBBBBBBBB", first, "CCCCCCCCCCCC", second}));
    EXPECT_EQ(NumberRecords(), (std::vector<std::vector<std::string>>{{first, "Main", "aInumber", "77"},
                                                                      {second, "Main", "aInumber", "77"}}));
}

// The records point at UNOs given in memory: a tree another instance saved meanwhile, kept instead of this one,
// would leave them pointing at nothing, so none are written.
TEST_F(InventoryNumbersSessionTest, NoRecordsWhenTheTreeCouldNotBeSaved) {
    AppState& app = Start();
    testing::WriteBytes(dir / "BASE/struct", core::Utf8ToCp1251("Неоприходованная техника\r\nОтдел 2\r\n"));
    testing::WriteBytes(dir / "BASE/image", "1 ; AAAAAAAAAAAA ;\r\n1 ; BBBBBBBBBBBB ;\r\n");
    dialog.ExpectQuestion("сохранил другой пользователь", platform::Answer::No);
    EXPECT_FALSE(SynchronizeInventoryNumbers(app, dialog, NoConflict, [] {}));
    EXPECT_TRUE(NumberRecords().empty());
    EXPECT_EQ(core::Cp1251ToUtf8(app.Tree().NodeAt(1)->Text()), "Отдел 2") << "the other instance's tree is loaded";
}

TEST_F(InventoryNumbersSessionTest, ProtectedDataAreLeftAlone) {
    AppState& app = Start({"/R"});
    dialog.ExpectMessage("Включена защита данных");
    EXPECT_FALSE(SynchronizeInventoryNumbers(app, dialog, NoConflict, [] {}));
    EXPECT_TRUE(NumberRecords().empty());
    EXPECT_EQ(UnosOnDisk(), (std::vector<std::string>{"AAAAAAAAAAAA", "BBBBBBBBBBBB", "", "CCCCCCCCCCCC", ""}));
}

TEST_F(InventoryNumbersSessionTest, TheCheckLogsDuplicatesInTheInstallationFolder) {
    AppState& app = Start();
    const NumberCheckReport report = CheckInventoryNumbers(app, [] {});
    EXPECT_EQ(report.logPath, dir / "error.log");
    EXPECT_EQ(core::Cp1251ToUtf8(report.message),
              "Обнаружены дублирующиеся инвентарные номера !\r\nПодробности смотри в \r\n" + dir / "error.log");
    EXPECT_EQ(core::Cp1251ToUtf8(testing::ReadBytes(dir / "error.log")),
              "Результаты проверки инвентарных номеров\r\n11.12.2026 09:30:00\r\n"
              "\r\n1.Инв.№ \\\\Отдел\\Принтер №77 дублируется с :\r\n- \\\\Отдел\\Принтер №77\r\n");

    ASSERT_TRUE(core::RemoveFile(dir / "error.log"));
    app.Tree().SetText(*app.Tree().NodeAt(4), core::Utf8ToCp1251("Принтер №78"));
    const NumberCheckReport passed = CheckInventoryNumbers(app, [] {});
    EXPECT_TRUE(passed.logPath.empty());
    EXPECT_FALSE(core::FileExists(dir / "error.log"));
    EXPECT_EQ(core::Cp1251ToUtf8(passed.message),
              "Проверено 5 записей.\r\nиз них содержат инвентарные номера - 2\r\n\r\nОшибок не обнаружено.");
}

} // namespace
} // namespace pelgo::session
