// The inventory-number jobs from the main window's menu: the synchronisation's question, its conflict dialog
// (the stored number chosen changes the caption), the export, the check's message, the progress window closing
// itself; and the indicator that other jobs step.
#include "gui/inventory/number_progress_window.h"

#include <QAction>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QTest>
#include <QTimer>

#include "gui/inventory/number_choice_dialog.h"
#include "gui/structure/structure_tree_model.h"
#include "gui_test_suites.h"
#include "gui_test_support.h"
#include "structure/multi_user.h"

namespace pelgo::testing {
namespace {

using session::Command;

// A printer whose caption and stored numbers differ, a monitor with a stored number only and a computer with
// a caption number only and no UNO yet.
void WriteNumberedTree(const Installation& installation) {
    WriteCp1251Lines(installation.QPath("BASE/struct"),
                     {"Неоприходованная техника", "\tПринтер №12", "\tМонитор", "\tСистемный блок №7"});
    WriteCp1251Lines(installation.QPath("BASE/image"),
                     {"1 ; AAAAAAAAAAAA ;", "6 ; PPPPPPPPPPPP ;", "5 ; MMMMMMMMMMMM ;", "3 ;"});
    const core::Clock clock;
    auto other = platform::DbfTable::Open(installation.Path("BASE/other.dbf"), platform::DbfOpenMode::Shared, clock);
    other.Append({"PPPPPPPPPPPP", "Main", "aInumber", "13"});
    other.Append({"MMMMMMMMMMMM", "Main", "aInumber", "45"});
}

QString Utf8File(const std::string& path) {
    return QString::fromStdString(core::Cp1251ToUtf8(core::ReadFileBytes(path)));
}

class NumberProgressWindowTest : public QObject {
    Q_OBJECT

private slots:
    void synchronisingSettlesTheConflictAndExports() {
        Installation installation;
        WriteNumberedTree(installation);
        // Another instance present, without a marker: the write timer's ticks then reach the marker.
        platform::DbfTable::Open(installation.Path("BASE/other.dbf"), platform::DbfOpenMode::Shared, core::Clock())
            .Append({structure::kMultiUserUno, "", structure::MultiUser::MakeInstanceId("PETROV", "WS-02"),
                     "PETROV [ 10.03.2026 ]"});
        StartedWindow f(installation);
        QVERIFY(f.started);
        auto* progress = f.window->findChild<gui::NumberProgressWindow*>(QStringLiteral("TInvVedom"));
        QVERIFY(progress != nullptr);
        structure::TreeNode* printer = f.state.Tree().NodeAt(1);
        const structure::TreeNode* monitor = f.state.Tree().NodeAt(2);

        // Refused, nothing happens.
        f.dialog.answers = {platform::Answer::No};
        f.window->Action(Command::SyncInventory)->trigger();
        QCOMPARE(f.dialog.questions.size(), 1);
        QVERIFY(f.dialog.questions[0].startsWith(QString::fromUtf8("Синхронизировать инвентарные номера")));
        QCOMPARE(QString::fromStdString(core::Cp1251ToUtf8(printer->Text())), QString::fromUtf8("Принтер №12"));

        QStringList seen;
        QTimer chooser;
        connect(&chooser, &QTimer::timeout, this, [&] {
            auto* choice = qobject_cast<gui::NumberChoiceDialog*>(QApplication::activeModalWidget());
            if (choice == nullptr) {
                return;
            }
            const auto* bar = progress->findChild<QProgressBar*>(QStringLiteral("ProgressBar"));
            seen << choice->windowTitle() << choice->findChild<QLabel*>(QStringLiteral("CaptionLabel"))->text()
                 << choice->findChild<QLabel*>(QStringLiteral("TreeNumber"))->text()
                 << choice->findChild<QPushButton*>(QStringLiteral("StoredButton"))->text()
                 << QString::number(bar->maximum()) << QString::number(progress->isVisible());
            // The run holds the Exclusive marker, and the write timer leaves it while the run is on screen.
            QMetaObject::invokeMethod(&f.window->WriteTimer(), "timeout", Qt::DirectConnection);
            seen << QString::number(f.state.MultiUser().Status());
            QTest::mouseClick(choice->findChild<QPushButton*>(QStringLiteral("StoredButton")), Qt::LeftButton);
        });
        chooser.start(10);
        const QString exported = QString::fromStdString(installation.Path("numbers.txt"));
        f.dialog.answers = {platform::Answer::Yes};
        f.dialog.files = {exported};
        f.window->Action(Command::SyncInventory)->trigger();
        chooser.stop();

        QCOMPARE(seen, (QStringList{QString::fromUtf8("Выберите номер"), QString::fromUtf8("Принтер №12"),
                                    QStringLiteral("12"), QStringLiteral("13"), QStringLiteral("4"),
                                    QStringLiteral("1"), QStringLiteral("2")}));
        QVERIFY(!progress->isVisible());
        QCOMPARE(progress->CurrentMode(), gui::NumberProgressWindow::Mode::Indicator);
        QCOMPARE(QString::fromStdString(core::Cp1251ToUtf8(printer->Text())), QString::fromUtf8("Принтер №13"));
        QCOMPARE(QString::fromStdString(core::Cp1251ToUtf8(monitor->Text())), QString::fromUtf8("Монитор №45"));
        // The tree shows the new captions.
        const QModelIndex printerIndex = f.window->TreeModel().IndexOf(printer);
        QCOMPARE(printerIndex.data().toString(), QString::fromUtf8("Принтер №13"));
        const std::string computerUno = f.state.Tree().NodeAt(3)->Record()->uno;
        QCOMPARE(Utf8File(exported.toStdString()),
                 QString::fromUtf8("Index\tИнвентарный\tRemark\r\nPPPPPPPPPPPP\t13\tПринтер №13\r\n"
                                   "MMMMMMMMMMMM\t45\tМонитор №45\r\n") +
                     QString::fromStdString(computerUno) + QString::fromUtf8("\t7\tСистемный блок №7\r\n"));
        // The tree on disk carries the captions and the UNO the new record points at.
        QVERIFY(Utf8File(installation.Path("BASE/struct")).contains(QString::fromUtf8("Монитор №45")));
        QVERIFY(Utf8File(installation.Path("BASE/image")).contains(QString::fromStdString(computerUno)));
    }

    void checkReportsDuplicatesAndClosesItself() {
        Installation installation;
        WriteCp1251Lines(installation.QPath("BASE/struct"),
                         {"Отдел", "\tПринтер №7", "\tПринтер №7", "\tСистемный блок №7"});
        WriteCp1251Lines(installation.QPath("BASE/image"),
                         {"1 ; AAAAAAAAAAAA ;", "6 ; BBBBBBBBBBBB ;", "6 ; CCCCCCCCCCCC ;", "3 ; DDDDDDDDDDDD ;"});
        StartedWindow f(installation);
        QVERIFY(f.started);
        auto* progress = f.window->findChild<gui::NumberProgressWindow*>(QStringLiteral("TInvVedom"));
        f.window->Action(Command::CheckInventory)->trigger();

        const QString log = QString::fromStdString(installation.Path("error.log"));
        QCOMPARE(f.dialog.messages, QStringList{QString::fromUtf8("Обнаружены дублирующиеся инвентарные номера !\r\n"
                                                                  "Подробности смотри в \r\n") +
                                                log});
        QVERIFY(Utf8File(log.toStdString())
                    .endsWith(QString::fromUtf8("\r\n\r\n1.Инв.№ \\\\Отдел\\Принтер №7 дублируется с :\r\n"
                                                "- \\\\Отдел\\Принтер №7\r\n")));
        QVERIFY(!progress->isVisible());
        const auto* bar = progress->findChild<QProgressBar*>(QStringLiteral("ProgressBar"));
        QCOMPARE(bar->value(), 4);
        QCOMPARE(bar->maximum(), 4);
    }

    void indicatorStepsBackAndForth() {
        Installation installation;
        StartedWindow f(installation);
        gui::NumberProgressWindow window(f.state, f.dialog, nullptr);
        window.SetCircle(64);
        QCOMPARE(window.size(), QSize(64, 64));
        // Every second call moves it: 50 calls make 25 units, 20 up and 5 back down.
        for (int call = 0; call < 50; ++call) {
            window.Step(1);
        }
        QVERIFY(window.isVisible());
        QCOMPARE(window.IndicatorValue(), 15);
        window.EndIndicator();
        QVERIFY(!window.isVisible());
        window.SetCircle(0);
        QCOMPARE(window.size(), QSize(485, 26));
    }
};

} // namespace

std::unique_ptr<QObject> MakeNumberProgressWindowTest() {
    return std::make_unique<NumberProgressWindowTest>();
}

} // namespace pelgo::testing

#include "number_progress_window_test.moc"
