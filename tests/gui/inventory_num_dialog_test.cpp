// The inventory-number dialog opened from a started main window by "Проставить номера !": its list taken from
// the update's directories, a run over a folder with one collector file, the keys in the file, the selection
// on the computer's address and the cancel button reading "Готово!".
#include "gui/inventory/inventory_num_dialog.h"

#include <QAction>
#include <QLineEdit>
#include <QListWidget>
#include <QProgressBar>
#include <QPushButton>
#include <QTest>
#include <QTreeView>

#include "gui/structure/structure_tree_model.h"
#include "gui_test_suites.h"
#include "gui_test_support.h"

namespace pelgo::testing {
namespace {

using session::Command;

class InventoryNumDialogTest : public QObject {
    Q_OBJECT

private slots:
    void runWritesTheNumberIntoTheFile() {
        Installation installation;
        QTemporaryDir collectors;
        const QString file = collectors.filePath(QStringLiteral("pc.ini"));
        WriteCp1251Lines(file, {"[Info]", "MAC_Addr=00AA00000007", "Computer_Name=WS"});
        StartedWindow f(installation);
        QVERIFY(f.started);
        structure::TreeNode* first = f.state.Tree().First();
        structure::TreeNode& computer = f.state.Tree().AddChild(first, -1, core::Utf8ToCp1251("Системный блок №7"), 3);
        const structure::TreeNode& address = f.state.Tree().AddChild(&computer, -1, "00AA00000007", 4);
        const std::string folder = core::Utf8ToCp1251(collectors.path().toStdString());
        f.state.Settings().updPatches = {folder};

        QVERIFY(f.window->Action(Command::AssignInventory)->isEnabled());
        f.window->Action(Command::AssignInventory)->trigger();
        auto* dialog = f.window->findChild<gui::InventoryNumDialog*>(QStringLiteral("TInventoryNum"));
        QVERIFY(dialog != nullptr && dialog->isVisible());
        QCOMPARE(dialog->windowTitle(), QString::fromUtf8("Простановка инвентарных номеров"));
        auto* list = dialog->findChild<QListWidget*>(QStringLiteral("DirectoryList"));
        QCOMPARE(list->count(), 1);
        QCOMPARE(list->item(0)->text(), collectors.path());
        auto* cancel = dialog->findChild<QPushButton*>(QStringLiteral("CancelButton"));
        QCOMPARE(cancel->text(), QString::fromUtf8("Отмена"));

        QTest::mouseClick(dialog->findChild<QPushButton*>(QStringLiteral("StartButton")), Qt::LeftButton);

        const QString written = QString::fromStdString(core::Cp1251ToUtf8(core::ReadFileBytes(folder + "/pc.ini")));
        QVERIFY2(written.contains(QString::fromUtf8("[Info]\r\nMAC_Addr=00AA00000007\r\nComputer_Name=WS\r\n"
                                                    "InventoryNumber=Системный блок №7\r\n")),
                 qPrintable(written));
        QVERIFY2(written.contains(QString::fromUtf8("[InventoryData]\r\nInventoryNumber=Системный блок №7\r\n"
                                                    "Ovner=Неоприходованная техника\r\n"
                                                    "Location=Неоприходованная техника\r\n"
                                                    "InventoryDate=10.03.2026 15:00:00 (IVANOV)\r\n")),
                 qPrintable(written));
        const QString log = QString::fromUtf8(installation.Path("inventory.log").c_str());
        QCOMPARE(f.dialog.messages, QStringList{QString::fromUtf8("Обработано файлов - 1\r\nпротокол инвентаризации "
                                                                  "сохранен в\r\n") +
                                                log});
        QCOMPARE(QString::fromStdString(core::Cp1251ToUtf8(core::ReadFileBytes(installation.Path("inventory.log")))),
                 QString::fromUtf8("Простановка инвентарных номеров 10.03.2026 15:00:00\r\n") + collectors.path() +
                     QString::fromUtf8("\r\nСистемный блок №7 \tНеоприходованная техника\r\n"));
        QCOMPARE(cancel->text(), QString::fromUtf8("Готово!"));
        for (const char* name : {"FilesProgress", "DirectoriesProgress"}) {
            const auto* bar = dialog->findChild<QProgressBar*>(QLatin1String(name));
            QVERIFY(bar->isVisible());
            QCOMPARE(bar->value(), bar->maximum());
        }
        QCOMPARE(f.state.SelectedNode(), &address);
        QCOMPARE(f.window->TreeModel().NodeOf(f.window->Tree()->currentIndex()), &address);
        QVERIFY(f.state.TreeReactionsOn());

        // The list stays as the user left it for the next opening.
        dialog->findChild<QLineEdit*>(QStringLiteral("IniDir"))->setText(QStringLiteral("/elsewhere"));
        QTest::mouseClick(dialog->findChild<QPushButton*>(QStringLiteral("AddButton")), Qt::LeftButton);
        QTest::mouseClick(cancel, Qt::LeftButton);
        QVERIFY(!dialog->isVisible());
        f.window->Action(Command::AssignInventory)->trigger();
        QCOMPARE(list->count(), 2);
        QCOMPARE(cancel->text(), QString::fromUtf8("Отмена"));
        dialog->close();
    }
};

} // namespace

std::unique_ptr<QObject> MakeInventoryNumDialogTest() {
    return std::make_unique<InventoryNumDialogTest>();
}

} // namespace pelgo::testing

#include "inventory_num_dialog_test.moc"
