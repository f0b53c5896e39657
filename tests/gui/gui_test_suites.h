// The window test classes; gui_tests runs them one after another in one offscreen application.
#pragma once

#include <QObject>
#include <memory>

namespace pelgo::testing {

std::unique_ptr<QObject> MakeAddNodeDialogTest();
std::unique_ptr<QObject> MakeAdditionalPageTest();
std::unique_ptr<QObject> MakeArchiveCommandsTest();
std::unique_ptr<QObject> MakeComputerViewTest();
std::unique_ptr<QObject> MakeInventoryNumDialogTest();
std::unique_ptr<QObject> MakeNumberProgressWindowTest();
std::unique_ptr<QObject> MakeInventorySheetDialogTest();
std::unique_ptr<QObject> MakeMainWindowTest();
std::unique_ptr<QObject> MakeWindowTranslationTest();
std::unique_ptr<QObject> MakeQtUserDialogTest();
std::unique_ptr<QObject> MakeReportCommandsTest();
std::unique_ptr<QObject> MakeReportWindowTest();
std::unique_ptr<QObject> MakeReportsSetupWindowTest();
std::unique_ptr<QObject> MakeRevisionCommandTest();
std::unique_ptr<QObject> MakeScanletDialogTest();
std::unique_ptr<QObject> MakeSentinoxDialogTest();
std::unique_ptr<QObject> MakeSplashScreenTest();
std::unique_ptr<QObject> MakeStructureTreeModelTest();
std::unique_ptr<QObject> MakeTerminationSignalsTest();
std::unique_ptr<QObject> MakeTopLevelErrorsTest();
std::unique_ptr<QObject> MakeTreeEditingTest();
std::unique_ptr<QObject> MakeUpdateWindowTest();

} // namespace pelgo::testing
