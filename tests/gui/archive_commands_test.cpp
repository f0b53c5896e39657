// The main window's archive commands over a real installation whose archive was loaded from collector files:
// "Компьютер" reloads the selected computer's file from the INIpath folder (and refuses, changing nothing,
// after a declined Exclusive warning or without the file), "Только выбранного отдела" reloads exactly the
// computers of the department's range, and "Распределить неучтенные компьютеры" moves a computer of the first
// node under the employee its file names, keeping the protocol as move.log.
#include <QAction>
#include <QFile>
#include <QLabel>
#include <QTemporaryDir>
#include <QTest>
#include <QTreeView>
#include <string_view>
#include <vector>

#include "archive/archive_update.h"
#include "gui/main/main_window.h"
#include "gui/structure/structure_tree_model.h"
#include "gui_test_suites.h"
#include "gui_test_support.h"
#include "session/archive_run.h"
#include "structure/multi_user.h"

namespace pelgo::testing {
namespace {

using platform::Answer;
using session::Command;

QString U(const char* utf8) {
    return QString::fromUtf8(utf8);
}

const char* const kUnplaced = "00AA00000009";

// The collecting node holds one unplaced computer; the department's range runs from "Бухгалтерия" to "Склад".
struct ArchiveInstallation {
    ArchiveInstallation() {
        WriteCp1251Lines(installation.QPath("BASE/struct"),
                         {"Неоприходованная техника", "\tPC-NEW", "\t\t00AA00000009", "Бухгалтерия",
                          "\tИванов Иван Иванович", "\tPC-1", "\t\t00AA00000001", "\tPC-2", "\t\t00AA00000002", "Склад",
                          "\tPC-3", "\t\t00AA00000003"});
        QStringList image;
        const int icons[] = {1, 3, 4, 1, 2, 3, 4, 3, 4, 1, 3, 4};
        char uno = 'A';
        for (const int icon : icons) {
            image << QStringLiteral("%1 ; %2 ;").arg(icon).arg(QString(12, QLatin1Char(uno++)));
        }
        WriteCp1251Lines(installation.QPath("BASE/image"), image);
    }
    Installation installation;
    QTemporaryDir previous; // the files of the last whole update
    QTemporaryDir current;  // INIpath: the files the collector wrote since
    QTemporaryDir work;     // the working directory the copies pass through
};

// A started window whose archive holds every computer loaded from `previous` (CPU "Old"), while INIpath names
// `current`, where each computer's file says CPU "New". The unplaced computer's file names Иванов Иван
// Иванович and was written on its own machine.
struct ArchiveWindow : ArchiveInstallation, StartedWindow {
    ArchiveWindow() : StartedWindow(installation) {
        std::vector<std::string> names;
        for (const char* address : {"00AA00000001", "00AA00000002", "00AA00000003", kUnplaced}) {
            WriteFile(previous, address, "Old");
            WriteFile(current, address, "New");
            names.push_back(std::string(address) + ".ini");
        }
        shell::Settings& settings = state.Settings();
        settings.SetText(shell::Key::INIpath, Native(current));
        window->findChild<QLineEdit*>(QStringLiteral("ConfigDirectory"))->setText(current.path());
        settings.SetFilePath(shell::Key::WorkDir, Native(work));
        settings.SetBool(shell::Key::UseWorkDir, true);
        session::ArchiveReferences references(state);
        archive::ArchiveUpdate update(session::MakeUpdateContext(state, references, dialog, progress));
        update.AddNew(Native(previous), names, archive::UpdateOptions{}, *state.Tree().First());
        state.SetExclusive(false);
    }

    static std::string Native(const QTemporaryDir& dir) { return core::Utf8ToCp1251(dir.path().toStdString()); }
    static void WriteFile(const QTemporaryDir& dir, const char* address, const char* cpu) {
        QStringList lines = {"[Info]", QStringLiteral("MAC_Addr=%1").arg(QLatin1String(address))};
        if (std::string_view(address) == kUnplaced) {
            lines << "Computer_Name=WS9"
                  << "Param_1=WS9" << U("Param_2=Иванов") << U("Param_3=Иван") << U("Param_4=Иванович");
        }
        lines << "[Computer]" << QStringLiteral("CPU=%1").arg(QLatin1String(cpu));
        WriteCp1251Lines(dir.filePath(QStringLiteral("%1.ini").arg(QLatin1String(address))), lines);
    }

    structure::TreeNode* Node(const char* utf8Text) {
        for (int i = 0; i < state.Tree().Count(); ++i) {
            if (state.Tree().NodeAt(i)->Text() == core::Utf8ToCp1251(utf8Text)) {
                return state.Tree().NodeAt(i);
            }
        }
        return nullptr;
    }
    void Select(const char* utf8Text) {
        window->Tree()->setCurrentIndex(window->TreeModel().IndexOf(Node(utf8Text)));
        window->ApplyCommandStates();
    }

    // The live records of device.dbf as another reader finds them on disk, each as MAC_ADR, GROUP, NAME, TEXT.
    std::vector<std::vector<std::string>> Archive() const {
        platform::DbfTable device = platform::DbfTable::Open(installation.Path("BASE/device.dbf"),
                                                             platform::DbfOpenMode::ReadOnly, core::Clock());
        std::vector<std::vector<std::string>> records;
        device.Walk([&](const platform::DbfRecord& record) { records.push_back(record.values); });
        return records;
    }
    std::string Cpu(const char* address) const {
        std::string cpu;
        for (const std::vector<std::string>& record : Archive()) {
            if (record[0] == address && record[2] == "CPU") {
                cpu += record[3];
            }
        }
        return cpu;
    }
    QStringList Journal(const char* address) const {
        QStringList texts;
        for (const std::vector<std::string>& record : Archive()) {
            if (record[0] == address && record[1] == "_Config_log_") {
                texts << QString::fromStdString(core::Cp1251ToUtf8(record[3]));
            }
        }
        return texts;
    }
    QString Loaded(const QTemporaryDir& dir) const { return U("Загружено IVANOV из ") + dir.path(); }
};

class ArchiveCommandsTest : public QObject {
    Q_OBJECT

private slots:
    void computerCommandReloadsTheSelectedComputersFile() {
        ArchiveWindow f;
        QVERIFY(f.started);
        QAction* command = f.window->Action(Command::UpdateComputer);
        f.Select("Бухгалтерия");
        QVERIFY(!command->isEnabled());
        QCOMPARE(command->text(), U("Компьютер"));
        f.Select("PC-2");
        QVERIFY(command->isEnabled());
        QCOMPARE(command->text(), QStringLiteral("PC-2"));

        f.dialog.messages.clear();
        command->trigger();
        QCOMPARE(f.dialog.messages, QStringList{U("PC-2 -\r\nданные в архиве обновлены !")});
        QVERIFY(f.dialog.questions.isEmpty());
        QCOMPARE(f.Cpu("00AA00000002"), std::string("New"));
        QCOMPARE(f.Journal("00AA00000002"), (QStringList{f.Loaded(f.previous), f.Loaded(f.current)}));
        for (const char* untouched : {"00AA00000001", "00AA00000003", kUnplaced}) {
            QCOMPARE(f.Cpu(untouched), std::string("Old"));
        }
    }

    // A declined Exclusive warning and a file that is not in the folder leave the archive as it was.
    void computerCommandRefusalsChangeNothing() {
        ArchiveWindow f;
        QVERIFY(QFile::remove(f.current.filePath(QStringLiteral("00AA00000001.ini"))));
        f.state.OtherTable().table->Append({structure::kMultiUserUno, structure::kExclusiveGroup,
                                            structure::MultiUser::MakeInstanceId("PETROV", "WS-02"),
                                            "PETROV [ 10.03.2026 ]"});
        f.window->RefreshPresence();
        f.Select("PC-1");
        const std::vector<std::vector<std::string>> before = f.Archive();
        const QString warning = U("В данный момент выполняется обновление\r\nданных другим пользователем "
                                  "программы.\r\n\nВы настаиваете на запуске ?");
        f.dialog.messages.clear();

        f.dialog.answers = {Answer::No};
        f.window->Action(Command::UpdateComputer)->trigger();
        QCOMPARE(f.dialog.questions, QStringList{warning});
        QVERIFY(f.dialog.messages.isEmpty());

        f.dialog.answers = {Answer::Yes};
        f.window->Action(Command::UpdateComputer)->trigger();
        QCOMPARE(f.dialog.questions, (QStringList{warning, warning}));
        QCOMPARE(f.dialog.messages, QStringList{U("PC-1  :\r\nНе найден файл конфигурации\r\n") +
                                                f.current.filePath(QStringLiteral("00AA00000001.ini"))});
        QVERIFY(f.Archive() == before);
    }

    void departmentCommandReloadsTheComputersOfItsRange() {
        ArchiveWindow f;
        f.Select("PC-1"); // the department is found upwards
        f.dialog.messages.clear();
        f.dialog.answers = {Answer::Yes};
        f.window->Action(Command::UpdateDepartment)->trigger();
        QCOMPARE(f.dialog.questions, QStringList{U("Обновить архив :\r\nс Бухгалтерия\r\nпо Склад ?")});
        QCOMPARE(f.dialog.messages, QStringList{U("PC-1\r\nPC-2 - данные в архиве обновлены !")});
        for (const auto& [address, cpu] :
             {std::pair{"00AA00000001", "New"}, {"00AA00000002", "New"}, {"00AA00000003", "Old"}, {kUnplaced, "Old"}}) {
            QCOMPARE(f.Cpu(address), std::string(cpu));
        }
        QVERIFY(f.window->findChild<QLabel*>(QStringLiteral("StatusLabel"))->text() != U(" Обновление данных"));
    }

    void placementMovesTheComputerUnderItsEmployee() {
        ArchiveWindow f;
        f.dialog.answers = {Answer::Yes};
        f.window->Action(Command::PlaceNewComputers)->trigger();
        QCOMPARE(f.dialog.questions, QStringList{U("Попытаться распределить неучтенные компьютеры ?")});
        const structure::TreeNode* computer = f.Node("PC-NEW");
        QCOMPARE(computer->Parent(), f.Node("Иванов Иван Иванович"));
        QCOMPARE(computer->Child(0)->Text(), std::string(kUnplaced));
        QCOMPARE(f.state.Tree().First()->ChildCount(), 0);
        QVERIFY(f.state.TreeStorage()->TreeModified());
        const QString log =
            QString::fromStdString(core::Cp1251ToUtf8(core::ReadFileBytes(f.installation.Path("move.log"))));
        QVERIFY2(log.contains(U("Компьютер 00AA00000009 закреплен за Иванов Иван Иванович\r\n")), qPrintable(log));
    }
};

} // namespace

std::unique_ptr<QObject> MakeArchiveCommandsTest() {
    return std::make_unique<ArchiveCommandsTest>();
}

} // namespace pelgo::testing

#include "archive_commands_test.moc"
