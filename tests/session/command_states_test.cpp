// The command rules for protected and unprotected data and for the selection.
#include "session/command_states.h"

#include <gtest/gtest.h>

#include "core/cp1251.h"

namespace pelgo::session {
namespace {

TEST(CommandStates, EveryCommandIsInTheTableOnceInDisplayOrder) {
    std::vector<bool> seen(static_cast<std::size_t>(Command::Count));
    for (const CommandInfo& info : CommandTable()) {
        EXPECT_FALSE(seen[static_cast<std::size_t>(info.command)]) << info.name;
        seen[static_cast<std::size_t>(info.command)] = true;
        if (info.parent != Command::Count) {
            EXPECT_TRUE(seen[static_cast<std::size_t>(info.parent)]) << info.name << " comes before its menu";
        }
    }
    EXPECT_EQ(InfoOf(Command::Save).shortcut, kCtrl + key::S);
    EXPECT_EQ(InfoOf(Command::DeleteNode).shortcut, 16430);
}

TEST(CommandStates, ProtectionDisablesWritingCommandsOnly) {
    CommandStates states;
    SelectionFacts selection{true, 2, true, false, "X", false, false};
    StateFacts state;
    states.Update(state, selection);
    EXPECT_TRUE(states.State(Command::Save).enabled);
    EXPECT_TRUE(states.State(Command::SaveButton).enabled);
    EXPECT_TRUE(states.State(Command::ScanletSettings).visible);

    state.isProtected = true;
    states.Update(state, selection);
    for (const Command command : {Command::Save, Command::SaveButton, Command::AddButton, Command::AutoSaveBox,
                                  Command::UpdateMenu, Command::TreeRename, Command::ShiftMenu}) {
        EXPECT_FALSE(states.State(command).enabled) << InfoOf(command).name;
    }
    for (const Command command : {Command::Exit, Command::ExpandAll, Command::ReportsMenu, Command::NavigationMenu}) {
        EXPECT_TRUE(states.State(command).enabled) << InfoOf(command).name;
    }
    EXPECT_FALSE(states.State(Command::ScanletSettings).visible);
}

TEST(CommandStates, SelectionAndStateRules) {
    CommandStates states;
    StateFacts state;
    state.sboiFlag = true;
    state.readOnlyStart = true;
    state.languageCount = 2;
    SelectionFacts department{true, 1, true, false, core::Utf8ToCp1251("Бухгалтерия"), false, false};
    states.Update(state, department);
    EXPECT_EQ(states.State(Command::JournalsMenu).caption, core::Utf8ToCp1251("Сводные журналы..."));
    EXPECT_TRUE(states.State(Command::ClearFailure).visible);
    const std::string& clearCaption = states.State(Command::ClearFailure).caption;
    EXPECT_EQ(clearCaption.empty() ? core::Utf8ToCp1251(InfoOf(Command::ClearFailure).caption) : clearCaption,
              core::Utf8ToCp1251("Снять предупреждение \" СБОЙ \""));
    EXPECT_TRUE(states.State(Command::LiftProtection).visible);
    EXPECT_TRUE(states.State(Command::ChangeLanguage).visible);
    EXPECT_EQ(states.State(Command::TreeMakeBookmark).caption, core::Utf8ToCp1251("Сделать закладку \"Бухгалтерия\""));
    EXPECT_FALSE(states.State(Command::CurrentConfigMenu).enabled);

    state = StateFacts{};
    state.userRights = 1;
    state.sboiFlag = true;
    state.readOnlyStart = true;
    states.Update(state, SelectionFacts{true, 2, false, false, "", false, false});
    EXPECT_EQ(states.State(Command::JournalsMenu).caption, core::Utf8ToCp1251("Журналы..."));
    EXPECT_FALSE(states.State(Command::ClearFailure).visible) << "only users with full rights may clear it";
    EXPECT_FALSE(states.State(Command::LiftProtection).visible);
    EXPECT_FALSE(states.State(Command::ChangeLanguage).visible);
}

TEST(CommandStates, AllControlsSwitchAndUnbuiltCommands) {
    CommandStates states;
    StateFacts state;
    state.controlsDisabled = true;
    states.Update(state, SelectionFacts{});
    for (const Command command : {Command::FileMenu, Command::TreePopup, Command::ExitButton, Command::FindButton}) {
        EXPECT_FALSE(states.State(command).enabled) << InfoOf(command).name;
    }
    state.controlsDisabled = false;
    states.Update(state, SelectionFacts{});
    EXPECT_TRUE(states.State(Command::FileMenu).enabled);
    EXPECT_FALSE(states.State(Command::Calculator).enabled) << "the calculator is not built yet";
    EXPECT_FALSE(CommandStates::IsBuilt(Command::Calculator));
    EXPECT_TRUE(CommandStates::IsBuilt(Command::ReportsMenu));
    // Commands the window carries out: left unbuilt, their menu items would stay disabled.
    for (const Command command : {Command::SyncInventory, Command::CheckInventory, Command::ScanletSettings,
                                  Command::SentinoxSettings}) {
        EXPECT_TRUE(CommandStates::IsBuilt(command)) << InfoOf(command).name;
    }
}

TEST(CommandStates, ComputerDocumentsAndMoveRequestRules) {
    struct Case {
        int icon;
        bool hasNextNode;
        bool moveRequestsOn;
        bool documents;
    };
    const Case cases[] = {
        {3, true, true, true},    // a computer with a node after it
        {3, false, false, false}, // the last node of the tree
        {4, true, false, false},  // its address node
        {1, true, true, false},   // a department
    };
    for (const Case& c : cases) {
        CommandStates states;
        StateFacts state;
        state.moveRequestsOn = c.moveRequestsOn;
        state.isProtected = true; // reports only read: protection leaves them alone
        states.Update(state, SelectionFacts{true, c.icon, c.hasNextNode, c.icon == 3, "PC", false, false});
        EXPECT_EQ(states.State(Command::Passport).enabled, c.documents) << c.icon;
        EXPECT_EQ(states.State(Command::AccountCard).enabled, c.documents) << c.icon;
        EXPECT_EQ(states.State(Command::MoveRequest).enabled, c.moveRequestsOn) << c.icon;
    }
}

} // namespace
} // namespace pelgo::session
