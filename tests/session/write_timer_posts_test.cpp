// The write timer of a running instance counts every post on either table, whichever code makes it, and
// not the Exclusive marker's own.
#include <functional>
#include <gtest/gtest.h>

#include "core/cp1251.h"
#include "core/file.h"
#include "platform/dbf_table.h"
#include "session/app_state.h"
#include "structure/multi_user.h"
#include "structure/node_records_table.h"
#include "support/installation.h"
#include "support/scripted_dialog.h"
#include "support/temp_dir.h"

namespace pelgo::session {
namespace {

using testing::WriteBytes;

TEST(WriteTimerPosts, EveryKindOfPostOnEitherTableTakesAndReleasesTheMarker) {
    testing::TempDir dir;
    core::Clock clock;
    clock.Set({2026, 3, 10, 15, 0, 0});
    testing::MakeInstallation(dir, clock, "Неоприходованная техника\r\n", "1 ; AAAAAAAAAAAA ;x\r\n");
    // Another instance is present, so the multi-user icon shows and the timer runs.
    platform::DbfTable::Open(dir / "BASE/other.dbf", platform::DbfOpenMode::Shared, clock)
        .Append({structure::kMultiUserUno, "", structure::MultiUser::MakeInstanceId("PETROV", "WS-02"),
                 "PETROV [ 10.03.2026 14:00:00 ]"});

    testing::ScriptedDialog dialog;
    testing::RecordingProgress progress;
    AppState state(StartOptions{dir.Path(), dir / "pelgo", {}, "IVANOV", "WS-01"}, dialog, progress);
    state.Clock().Set(clock.Now());
    ASSERT_EQ(state.Start([](std::string_view) {}), AppState::StartResult::Running);
    state.Activate();
    ASSERT_TRUE(state.MultiUserIconVisible());

    structure::NodeRecordsTable records(*state.OtherTable().table);
    platform::DbfTable& device = *state.DeviceTable().table;
    const auto uno = [](int i) { return "KKU_isOAAAA" + std::string(1, static_cast<char>('A' + i)); };
    struct Case {
        const char* name;
        std::function<void(int post)> post;
    };
    const Case cases[] = {
        {"append to other.dbf", [&](int i) { records.Append(uno(i), "Main", "aModel", "X-1"); }},
        {"append to device.dbf",
         [&](int i) {
             device.Append({"00A0C912345" + std::to_string(i), "_Config_log_"});
         }},
        {"edit in device.dbf", [&](int i) { device.SetField(static_cast<platform::RecordNumber>(i), "TEXT", "new"); }},
        {"delete in other.dbf", [&](int i) { records.DeleteNodeRecords(uno(i)); }},
    };
    for (const Case& c : cases) {
        // Posts before each of four ticks, then a pause: the marker is taken at the pause's first tick and
        // released four ticks later; each tick shows the status it left.
        std::string statuses;
        for (int tick = 0; tick < 9; ++tick) {
            if (tick < 4) {
                c.post(tick);
            }
            state.OnWriteTimer(false);
            statuses += static_cast<char>('0' + state.MultiUser().Status());
        }
        EXPECT_EQ(statuses, "000022220") << c.name;
    }
    state.CloseRequest();
}

} // namespace
} // namespace pelgo::session
