// Runs every window test class in one application (offscreen under ctest), the window program's own.
#include <QTest>
#include <functional>

#include "gui/main/top_level_errors.h"
#include "gui_test_suites.h"

int main(int argc, char** argv) {
    pelgo::gui::GuardedApplication application(argc, argv);
    using Factory = std::function<std::unique_ptr<QObject>()>;
    const Factory suites[] = {
        pelgo::testing::MakeMainWindowTest,           pelgo::testing::MakeWindowTranslationTest,
        pelgo::testing::MakeQtUserDialogTest,         pelgo::testing::MakeSplashScreenTest,
        pelgo::testing::MakeStructureTreeModelTest,   pelgo::testing::MakeTerminationSignalsTest,
        pelgo::testing::MakeTopLevelErrorsTest,       pelgo::testing::MakeAddNodeDialogTest,
        pelgo::testing::MakeTreeEditingTest,          pelgo::testing::MakeUpdateWindowTest,
        pelgo::testing::MakeArchiveCommandsTest,      pelgo::testing::MakeAdditionalPageTest,
        pelgo::testing::MakeComputerViewTest,         pelgo::testing::MakeSentinoxDialogTest,
        pelgo::testing::MakeScanletDialogTest,        pelgo::testing::MakeInventoryNumDialogTest,
        pelgo::testing::MakeReportsSetupWindowTest,   pelgo::testing::MakeReportWindowTest,
        pelgo::testing::MakeReportCommandsTest,       pelgo::testing::MakeRevisionCommandTest,
        pelgo::testing::MakeInventorySheetDialogTest, pelgo::testing::MakeNumberProgressWindowTest};
    int failed = 0;
    for (const Factory& make : suites) {
        const std::unique_ptr<QObject> suite = make();
        failed += QTest::qExec(suite.get(), argc, argv);
    }
    return failed == 0 ? 0 : 1;
}
