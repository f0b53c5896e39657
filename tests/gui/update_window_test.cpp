// The archive-update window opened from a started main window: a run over hand-written collector files, checked
// in the counters, the new computers under the first node, their records in device.dbf, Update.log and the kept
// settings; and a run refused for an empty directory list.
#include "gui/archive/update_window.h"

#include <QAction>
#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <map>

#include "gui_test_suites.h"
#include "gui_test_support.h"

namespace pelgo::testing {
namespace {

using platform::Answer;
using session::Command;

const char* const kAddresses[] = {"00AA00000001", "00AA00000002", "00AA00000003"};

struct Folders {
    Installation installation;
    QTemporaryDir collectors;
    QTemporaryDir scratch;
};

// A started window whose [UpdPatches] names one folder with a collector file for each address above, with the
// update window opened.
struct UpdateFixture : Folders, StartedWindow {
    UpdateFixture() : StartedWindow(installation) {
        for (const char* address : kAddresses) {
            WriteCp1251Lines(collectors.filePath(QStringLiteral("%1.ini").arg(QLatin1String(address))),
                             {"[Info]", QStringLiteral("MAC_Addr=%1").arg(QLatin1String(address)), "Computer_Name=WS",
                              "[Computer]", "CPU=Pentium"});
        }
        state.Settings().updPatches = {CollectorFolder()};
        window->Action(Command::UpdateEnterprise)->trigger();
        update = window->findChild<gui::UpdateWindow*>(QStringLiteral("TUpdateInf"));
    }

    std::string CollectorFolder() const { return core::Utf8ToCp1251(collectors.path().toStdString()); }
    template <typename Widget> Widget* Child(const char* name) const {
        return update->findChild<Widget*>(QLatin1String(name));
    }
    QString Counter(const char* name) const { return Child<QLabel>(name)->text(); }

    gui::UpdateWindow* update = nullptr;
};

class UpdateWindowTest : public QObject {
    Q_OBJECT

private slots:
    void runLoadsTheListedFolder() {
        UpdateFixture f;
        QVERIFY(f.started);
        QVERIFY(f.update != nullptr && f.update->isVisible());
        QCOMPARE(f.Child<QListWidget>("PatchList")->count(), 1);
        QCOMPARE(f.Child<QListWidget>("PatchList")->item(0)->checkState(), Qt::Checked);
        // Copying into a working folder that is not there yet: created on Yes; the placement is declined.
        const QString workDir = f.scratch.filePath(QStringLiteral("work"));
        f.Child<QCheckBox>("CopyBox")->setChecked(true);
        f.Child<QLineEdit>("WorkDirEdit")->setText(workDir + QLatin1Char('/'));
        f.dialog.answers = {Answer::Yes, Answer::No};
        QTest::mouseClick(f.Child<QPushButton>("StartButton"), Qt::LeftButton);

        QCOMPARE(f.dialog.questions.size(), 2);
        QCOMPARE(f.dialog.questions[0], QString::fromUtf8("Создать каталог\r\n") + workDir);
        QCOMPARE(f.dialog.questions[1], QString::fromUtf8("Попытаться распределить неучтенные компьютеры ?"));
        QVERIFY(QDir(workDir).exists());
        QVERIFY(f.dialog.messages.isEmpty());
        for (const auto& [name, value] : {std::pair{"DirectoriesCount", "1"},
                                          {"FilesCount", "3"},
                                          {"ConfigurationsCount", "3"},
                                          {"NewConfigurationsCount", "3"},
                                          {"PlacedCount", "0"}}) {
            QCOMPARE(f.Counter(name), QLatin1String(value));
        }

        // Each computer under the first node, with its address node.
        const structure::TreeNode* first = f.state.Tree().First();
        QCOMPARE(first->ChildCount(), 3);
        for (int row = 0; row < 3; ++row) {
            const structure::TreeNode* computer = first->Child(row);
            QCOMPARE(computer->Icon(), 3);
            QCOMPARE(QString::fromStdString(core::Cp1251ToUtf8(computer->Text())), QString::fromUtf8("Компьютер"));
            QCOMPARE(computer->ChildCount(), 1);
            QCOMPARE(computer->Child(0)->Icon(), 4);
            QCOMPARE(computer->Child(0)->Text(), std::string(kAddresses[row]));
        }
        QVERIFY(f.state.TreeStorage()->TreeModified());
        QVERIFY(f.state.TreeReactionsOn());

        // The archive as another reader finds it on disk.
        const core::Clock clock;
        platform::DbfTable device =
            platform::DbfTable::Open(f.installation.Path("BASE/device.dbf"), platform::DbfOpenMode::ReadOnly, clock);
        std::map<std::string, std::map<std::string, std::string>> loaded; // address -> name -> text
        device.Walk([&](const platform::DbfRecord& record) {
            const std::string group = record.values[1];
            loaded[record.values[0]][group == "_Config_log_" ? group : record.values[2]] = record.values[3];
        });
        QCOMPARE(loaded.size(), std::size_t{3});
        for (const char* address : kAddresses) {
            auto& records = loaded[address];
            QCOMPARE(records["MAC_Addr"], std::string(address));
            QCOMPARE(records["CPU"], std::string("Pentium"));
            QCOMPARE(records[""], std::string(address) + ".ini"); // File_Name
            QCOMPARE(core::Cp1251ToUtf8(records["_Config_log_"]),
                     "Загружено IVANOV из " + core::Cp1251ToUtf8(f.CollectorFolder()));
        }

        const QString log =
            QString::fromStdString(core::Cp1251ToUtf8(core::ReadFileBytes(f.installation.Path("Update.log"))));
        QVERIFY(log.contains(QString::fromUtf8("Новый МАС-адрес 00AA00000002\r\n")));
        QVERIFY(log.contains(QString::fromUtf8("Обработано файлов конфигураций : 3\r\n")));
        QVERIFY(log.endsWith(QLatin1String("====<< END >>====\r\n")));

        // Finished: only leaving and the details remain; the settings keep what the run used.
        QCOMPARE(f.Child<QPushButton>("CancelButton")->text(), QString::fromUtf8("Выход"));
        QVERIFY(f.Child<QPushButton>("StartButton")->isHidden());
        QVERIFY(!f.Child<QPushButton>("DetailsButton")->isHidden());
        const shell::Settings& settings = f.state.Settings();
        QCOMPARE(settings.updPatches, std::vector<std::string>{f.CollectorFolder()});
        QCOMPARE(settings.FilePath(shell::Key::WorkDir), core::Utf8ToCp1251(workDir.toStdString()));
        QVERIFY(settings.Bool(shell::Key::UseWorkDir));
        QVERIFY(settings.Text(shell::Key::DBFLastUpdate).ends_with(" IVANOV (only new)"));
        QVERIFY(settings.Text(shell::Key::DBFLastUpdate).starts_with("10.03.2026"));
    }

    // The cancel button, pressed while the first file is being loaded, stops before the next one; the run still
    // ends as usual and keeps its protocol.
    void cancelledRunStopsAfterTheFileAtHand() {
        UpdateFixture f;
        f.Child<QCheckBox>("CopyBox")->setChecked(false);
        f.dialog.answers = {Answer::Yes, Answer::No};
        QTimer::singleShot(0, f.update,
                           [&f] { QTest::mouseClick(f.Child<QPushButton>("CancelButton"), Qt::LeftButton); });
        QTest::mouseClick(f.Child<QPushButton>("StartButton"), Qt::LeftButton);

        QCOMPARE(f.dialog.questions.value(0), QString::fromUtf8("Отмена ???"));
        QCOMPARE(f.Counter("FilesCount"), QStringLiteral("1"));
        QCOMPARE(f.state.Tree().First()->ChildCount(), 1);
        const QString log =
            QString::fromStdString(core::Cp1251ToUtf8(core::ReadFileBytes(f.installation.Path("Update.log"))));
        QVERIFY(log.contains(QString::fromUtf8("===<<Отмена >>===\r\n")));
        QVERIFY(log.contains(QString::fromUtf8("Упаковка базы данных..\r\n")));
        QVERIFY(log.endsWith(QLatin1String("====<< END >>====\r\n")));
        QCOMPARE(f.Child<QPushButton>("CancelButton")->text(), QString::fromUtf8("Выход"));
    }

    void emptyListIsRefused() {
        UpdateFixture f;
        auto* list = f.Child<QListWidget>("PatchList");
        list->setCurrentRow(0);
        QTest::mouseClick(f.Child<QPushButton>("DeleteButton"), Qt::LeftButton);
        QCOMPARE(list->count(), 0);
        QTest::mouseClick(f.Child<QPushButton>("StartButton"), Qt::LeftButton);
        QCOMPARE(f.dialog.messages,
                 QStringList{QString::fromUtf8("Кнопками \"Добавить\"-\"Удалить\"\r\nзаполните перечень каталогов !")});
        QVERIFY(f.dialog.questions.isEmpty());
        QVERIFY(!core::FileExists(f.installation.Path("Update.log")));
        QCOMPARE(f.state.Tree().Count(), 1);
        QVERIFY(!f.Child<QPushButton>("StartButton")->isHidden());
    }
};

} // namespace

std::unique_ptr<QObject> MakeUpdateWindowTest() {
    return std::make_unique<UpdateWindowTest>();
}

} // namespace pelgo::testing

#include "update_window_test.moc"
