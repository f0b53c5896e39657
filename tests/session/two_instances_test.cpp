// Two instances on one base folder, in two processes: presence, the Exclusive marker and its warning, the
// tree saved by one and detected by the other, and one closing while the other holds the tables.
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include "core/cp1251.h"
#include "core/file.h"
#include "platform/dbf_table.h"
#include "session/app_state.h"
#include "support/installation.h"
#include "support/scripted_dialog.h"
#include "support/temp_dir.h"

namespace pelgo::session {
namespace {

using testing::ReadBytes;
using testing::WriteBytes;

// The second instance's dialog: it answers every question with Yes and notes nothing.
class AgreeingDialog : public platform::UserDialog {
public:
    platform::Answer Ask(platform::MessageKind, std::string_view, platform::Buttons) override {
        return platform::Answer::Yes;
    }
    void Inform(platform::MessageKind, std::string_view) override {}
    std::optional<std::string> ChooseFile(const platform::FileChoice&) override { return std::nullopt; }
    std::optional<std::string> InputText(std::string_view, std::string_view, std::string_view) override {
        return std::nullopt;
    }
};

void Send(int fd, char signal) {
    ASSERT_EQ(::write(fd, &signal, 1), 1);
}

char Receive(int fd) {
    char signal = 0;
    return ::read(fd, &signal, 1) == 1 ? signal : '\0';
}

// The other instance: starts, takes the marker, and on a signal adds a node and saves the tree.
int RunOtherInstance(const std::string& home, int toParent, int fromParent) {
    AgreeingDialog dialog;
    testing::RecordingProgress progress;
    AppState other(StartOptions{home, home + "/pelgo", {}, "PETROV", "WS-02"}, dialog, progress);
    if (other.Start([](std::string_view) {}) != AppState::StartResult::Running) {
        return 1;
    }
    other.Activate();
    other.MultiUser().MultiUserExclusive(*other.OtherTable().table, true, "PETROV");
    char ready = 'r';
    if (::write(toParent, &ready, 1) != 1 || Receive(fromParent) != 's') {
        return 2;
    }
    other.Tree().AddChild(nullptr, -1, core::Utf8ToCp1251("Склад"), 1);
    other.SaveAll();
    other.CloseRequest();
    char done = 'd';
    return ::write(toParent, &done, 1) == 1 ? 0 : 3;
}

// The first instance alone: it packs the node-record table at its close unless another instance holds it.
int RunFirstInstance(const std::string& home, int toParent, int fromParent) {
    AgreeingDialog dialog;
    testing::RecordingProgress progress;
    AppState first(StartOptions{home, home + "/pelgo", {}, "PETROV", "WS-02"}, dialog, progress);
    if (first.Start([](std::string_view) {}) != AppState::StartResult::Running || first.Flags().multiUserAccess) {
        return 1;
    }
    first.Activate();
    char ready = 'r';
    if (::write(toParent, &ready, 1) != 1 || Receive(fromParent) != 'c') {
        return 2;
    }
    first.CloseRequest();
    return first.Flags().sboiFlag ? 3 : 0;
}

// Another instance in a process of its own, made before this one exists (one translator per process), and the
// two ends of the pipes to and from it.
struct OtherProcess {
    pid_t pid = -1;
    int from = -1;
    int to = -1;
};

OtherProcess StartOther(int (*run)(const std::string& home, int toParent, int fromParent), const std::string& home) {
    int toParent[2];
    int toChild[2];
    if (::pipe(toParent) != 0 || ::pipe(toChild) != 0) {
        return {};
    }
    const pid_t pid = ::fork();
    if (pid == 0) {
        ::_exit(run(home, toParent[1], toChild[0]));
    }
    return {pid, toParent[0], toChild[1]};
}

TEST(TwoInstances, SeeEachOtherThroughPresenceMarkerAndTree) {
    testing::TempDir dir;
    testing::MakeInstallation(dir, core::Clock(), "Неоприходованная техника\r\n", "1 ; AAAAAAAAAAAA ;x\r\n");

    const OtherProcess other = StartOther(RunOtherInstance, dir.Path());
    ASSERT_GT(other.pid, 0);
    ASSERT_EQ(Receive(other.from), 'r');

    testing::ScriptedDialog dialog;
    testing::RecordingProgress progress;
    AppState mine(StartOptions{dir.Path(), dir / "pelgo", {}, "IVANOV", "WS-01"}, dialog, progress);
    mine.Clock().Set({2026, 3, 10, 15, 0, 0});
    ASSERT_EQ(mine.Start([](std::string_view) {}), AppState::StartResult::Running);
    mine.Activate();
    EXPECT_TRUE(mine.Flags().multiUserAccess) << "the other instance held the tables: no exclusive rebuild";

    mine.RefreshMultiUserStatus();
    EXPECT_EQ(mine.MultiUser().Entries().size(), 2u);
    EXPECT_EQ(mine.MultiUser().Status(), 1);
    dialog.ExpectQuestion("В данный момент выполняется обновление", platform::Answer::No);
    EXPECT_FALSE(mine.MultiUser().MultiUserWarningOk(dialog, mine.Log()));

    Send(other.to, 's');
    ASSERT_EQ(Receive(other.from), 'd');
    int status = -1;
    ASSERT_EQ(::waitpid(other.pid, &status, 0), other.pid);
    ASSERT_EQ(status, 0) << "the other instance failed at step " << WEXITSTATUS(status);

    mine.Clock().Advance(20);
    dialog.ExpectQuestion("Данные о структуре предприятия обновились !", platform::Answer::No);
    EXPECT_EQ(mine.CheckCurrentConfig(), AppState::TreeCheck::Declined);
    EXPECT_TRUE(mine.ProtectData());
    mine.CloseRequest();
    const std::string log = core::Cp1251ToUtf8(ReadBytes(dir / "pelgo.log"));
    EXPECT_NE(log.find("Protect data flags : NetWork(TableReadOnly) "), std::string::npos);
    EXPECT_NE(log.find("IVANOV Изменено :Включена защита данных. Компьютер WS-01"), std::string::npos);
    EXPECT_NE(core::Cp1251ToUtf8(ReadBytes(dir / "BASE/struct")).find("Склад"), std::string::npos)
        << "the declined tree stays as the other instance saved it";
}

TEST(TwoInstances, ClosingWhileTheOtherHoldsTheTablesIsNoFailure) {
    testing::TempDir dir;
    testing::MakeInstallation(dir, core::Clock(), "Неоприходованная техника\r\n", "1 ; AAAAAAAAAAAA ;x\r\n");
    const OtherProcess first = StartOther(RunFirstInstance, dir.Path());
    ASSERT_GT(first.pid, 0);
    ASSERT_EQ(Receive(first.from), 'r');
    {
        testing::ScriptedDialog dialog;
        testing::RecordingProgress progress;
        AppState second(StartOptions{dir.Path(), dir / "pelgo", {}, "IVANOV", "WS-01"}, dialog, progress);
        // The first instance saves the tree as it closes; a clock that stands still keeps this one's
        // tree-change check from asking about it at its own close, which is not what this test is about.
        second.Clock().Set({2026, 3, 10, 15, 0, 0});
        ASSERT_EQ(second.Start([](std::string_view) {}), AppState::StartResult::Running);
        second.Activate();
        Send(first.to, 'c');
        int status = -1;
        ASSERT_EQ(::waitpid(first.pid, &status, 0), first.pid);
        EXPECT_EQ(status, 0) << "the first instance failed at step " << WEXITSTATUS(status);
        second.RefreshMultiUserStatus();
        EXPECT_EQ(second.MultiUser().Entries().size(), 1u) << "the second instance's presence stays";
        EXPECT_FALSE(second.ProtectData());
        second.CloseRequest();
    }
    EXPECT_EQ(core::Cp1251ToUtf8(ReadBytes(dir / "pelgo.ini")).find("ProtectData_SBOI=1"), std::string::npos);
    EXPECT_NE(core::Cp1251ToUtf8(ReadBytes(dir / "pelgo.log")).find("PETROV Многопользовательский доступ - no pack: "),
              std::string::npos);

    testing::ScriptedDialog dialog;
    testing::RecordingProgress progress;
    AppState next(StartOptions{dir.Path(), dir / "pelgo", {}, "IVANOV", "WS-01"}, dialog, progress);
    ASSERT_EQ(next.Start([](std::string_view) {}), AppState::StartResult::Running);
    EXPECT_FALSE(next.ProtectData()) << "the next start of the healthy installation is not a failure";
    next.CloseRequest();
}

} // namespace
} // namespace pelgo::session
