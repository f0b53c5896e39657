// The computer view of the main window over a real installation whose archive was loaded from collector files
// by the archive update: the view-tree adapter, the archive page of a computer and of a department with the
// page a selection opens, the current-configuration page with its loading rule, amnesty, and the changes page.
#include <QAbstractItemModelTester>
#include <QClipboard>
#include <QComboBox>
#include <QFile>
#include <QFont>
#include <QGuiApplication>
#include <QLabel>
#include <QMenu>
#include <QProgressBar>
#include <QSignalSpy>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QTest>
#include <QTreeView>
#include <vector>

#include "archive/archive_update.h"
#include "collector_file_generator.h"
#include "gui/archive/view_tree_model.h"
#include "gui/main/main_window.h"
#include "gui/structure/structure_tree_model.h"
#include "gui_test_suites.h"
#include "gui_test_support.h"
#include "session/archive_run.h"

namespace pelgo::testing {
namespace {

using platform::Answer;
using session::Command;

QString U(const char* utf8) {
    return QString::fromUtf8(utf8);
}

// Every line of a view's model in pre-order.
QStringList Lines(const QAbstractItemModel& model, const QModelIndex& parent = {}) {
    QStringList lines;
    for (int row = 0; row < model.rowCount(parent); ++row) {
        const QModelIndex index = model.index(row, 0, parent);
        lines << index.data().toString() << Lines(model, index);
    }
    return lines;
}

const QStringList kPc1File = {"[Info]",
                              "MAC_Addr=00AA00000001",
                              "MAC_Addr2=00AA000000F1",
                              "Computer_Name=WS1",
                              "[Computer]",
                              "CPU=Intel Pentium III",
                              "CPU_Freq_in_MHz=450",
                              "Memory_in_Mb=256",
                              "Total_HDD_in_Mb=40000",
                              "[Config_changes]",
                              "Change_1=Memory added",
                              "[Remote_Access]",
                              "Session_1=admin",
                              "[Post_Accounts]",
                              "Account_1=ws1@example.org"};

// "Бухгалтерия" holds an employee, PC-1 with two address nodes (the file of the first lies in the collector
// folder), PC-2 (no file anywhere) and a monitor.
struct ViewFiles {
    ViewFiles() {
        WriteCp1251Lines(installation.QPath("BASE/struct"),
                         {"Неоприходованная техника", "Бухгалтерия", "\tИванов И.И.", "\tPC-1", "\t\t00AA00000001",
                          "\t\t00AA000000F1", "\tPC-2", "\t\t00AA00000002", "\tМонитор"});
        WriteCp1251Lines(installation.QPath("BASE/image"),
                         {"1 ; AAAAAAAAAAAA ;", "1 ; BBBBBBBBBBBB ;", "2 ; CCCCCCCCCCCC ;", "3 ; DDDDDDDDDDDD ;",
                          "4 ; EEEEEEEEEEEE ;", "4 ; EEEEEEEEEEEF ;", "3 ; FFFFFFFFFFFF ;", "4 ; GGGGGGGGGGGG ;",
                          "5 ; HHHHHHHHHHHH ;"});
        WriteCp1251Lines(FilePath(), kPc1File);
    }
    QString FilePath() const { return collect.filePath(QStringLiteral("00AA00000001.ini")); }
    Installation installation;
    QTemporaryDir collect;
};

// A started window whose archive holds PC-1 loaded from the collector folder, which the directory box names.
struct ViewWindow : ViewFiles, StartedWindow {
    ViewWindow() : StartedWindow(installation) {
        const std::string directory = core::Utf8ToCp1251(collect.path().toStdString());
        state.Settings().SetText(shell::Key::INIpath, directory);
        window->findChild<QLineEdit*>(QStringLiteral("ConfigDirectory"))->setText(collect.path());
        session::ArchiveReferences references(state);
        archive::ArchiveUpdate update(session::MakeUpdateContext(state, references, dialog, progress));
        update.AddNew(directory, {"00AA00000001.ini"}, archive::UpdateOptions{}, *state.Tree().First());
        state.SetExclusive(false);
        pages = window->findChild<QTabWidget*>(QStringLiteral("PageControl"));
        dialog.messages.clear();
    }

    template <class T> T* Child(const char* name) const { return window->findChild<T*>(QLatin1String(name)); }
    QString Field(int field) const {
        return Child<QLineEdit>(qPrintable(QStringLiteral("SummaryField%1").arg(field)))->text();
    }
    QStringList TreeLines(const char* name) const { return Lines(*Child<QTreeView>(name)->model()); }
    QString PageShown() const { return pages->currentWidget()->objectName(); }
    void Select(const char* utf8Text) {
        for (int i = 0; i < state.Tree().Count(); ++i) {
            if (state.Tree().NodeAt(i)->Text() == core::Utf8ToCp1251(utf8Text)) {
                window->Tree()->setCurrentIndex(window->TreeModel().IndexOf(state.Tree().NodeAt(i)));
            }
        }
        QTest::qWait(120); // past the selection's settling time
    }
    void Open(const char* page) { pages->setCurrentWidget(Child<QWidget>(page)); }
    QString File() const {
        QFile file(FilePath());
        return file.open(QIODevice::ReadOnly) ? QString::fromLatin1(file.readAll()) : QString();
    }
    void Rewrite(const QString& from, const QString& to) {
        QStringList lines = kPc1File;
        lines.replaceInStrings(from, to);
        WriteCp1251Lines(FilePath(), lines);
    }
    QStringList Journal() {
        QStringList texts;
        platform::DbfTable& device = *state.DeviceTable().table;
        device.Walk([&](const platform::DbfRecord& record) {
            if (record.values[0] == "00AA00000001" && record.values[1] == "_Config_log_") {
                texts << QString::fromStdString(core::Cp1251ToUtf8(record.values[3]));
            }
        });
        return texts;
    }

    QTabWidget* pages = nullptr;
};

class ComputerViewTest : public QObject {
    Q_OBJECT

private slots:
    void viewTreeModelPresentsItsLines() {
        std::vector<int> asked;
        gui::ViewTreeModel model([&](int icon) {
            asked.push_back(icon);
            return QIcon();
        });
        QAbstractItemModelTester tester(&model, QAbstractItemModelTester::FailureReportingMode::QtTest);
        archive::ViewTree tree;
        const int section = tree.Add(archive::ViewTree::kTop, core::Utf8ToCp1251("Сеть"), 3);
        tree.Add(section, "Net card", 1);
        tree.Line(tree.Add(section, "Net card (Disabl.)", 1)).greyed = true;
        const int date = tree.Add(archive::ViewTree::kTop, "10.03.2026", 42);
        tree.Line(date).stateMark = 1;
        tree.Line(tree.Add(date, "15:00 plain", 38)).stateMark = 0;
        tree.Line(tree.Add(date, "15:01 marked", 38)).stateMark = 2;

        QSignalSpy resets(&model, &QAbstractItemModel::modelReset);
        QSignalSpy inserts(&model, &QAbstractItemModel::rowsInserted);
        model.SetTree(tree);
        QCOMPARE(resets.size(), 1);
        QCOMPARE(inserts.size(), 0);
        QCOMPARE(Lines(model), (QStringList{U("Сеть"), "Net card", "Net card (Disabl.)", "10.03.2026", "15:00 plain",
                                            "15:01 marked"}));
        const QModelIndex first = model.index(0, 0);
        const QModelIndex greyed = model.index(1, 0, first);
        QCOMPARE(model.parent(greyed), first);
        QCOMPARE(greyed.data(Qt::ForegroundRole).value<QBrush>().color(),
                 QGuiApplication::palette().color(QPalette::Disabled, QPalette::Text));
        QVERIFY(!model.index(0, 0, first).data(Qt::ForegroundRole).isValid());
        model.index(1, 0).data(Qt::DecorationRole);
        QCOMPARE(asked.back(), 42);
        const QModelIndex dateLine = model.index(1, 0);
        QVERIFY(dateLine.data(Qt::FontRole).value<QFont>().bold());
        QVERIFY(!model.index(0, 0, dateLine).data(Qt::FontRole).isValid());
        const QModelIndex marked = model.index(1, 0, dateLine);
        QVERIFY(marked.data(Qt::FontRole).value<QFont>().bold());
        QCOMPARE(marked.data(Qt::ForegroundRole).value<QBrush>().color(), QColor(Qt::red));

        model.Clear();
        QCOMPARE(resets.size(), 2);
        QCOMPARE(model.rowCount(), 0);
    }

    void selectingNodesFillsTheArchivePageAndOpensTheirPage() {
        ViewWindow f;
        QVERIFY(f.started);
        f.Open("CurrentConfigPage");
        f.Select("PC-1");
        QCOMPARE(f.PageShown(), QStringLiteral("ArchivePage"));
        QVERIFY(f.Child<QWidget>("SummaryPanel")->isVisibleTo(&*f.window));
        QCOMPARE(f.Field(1), QStringLiteral("WS1"));
        QCOMPARE(f.Field(8), QStringLiteral("Intel Pentium III"));
        QCOMPARE(f.Field(9), QStringLiteral("450"));
        auto* macs = f.Child<QComboBox>("SummaryList3");
        QVERIFY(macs->isVisibleTo(&*f.window));
        QCOMPARE(macs->count(), 2);
        QCOMPARE(macs->currentText(), QStringLiteral("00AA00000001"));
        QCOMPARE(macs->itemText(1), QStringLiteral("00AA000000F1"));
        QVERIFY(!f.Child<QComboBox>("SummaryList13")->isVisibleTo(&*f.window));
        QCOMPARE(f.Child<QProgressBar>("Gauge1")->value(), 36); // 450 MHz against 200/500
        QCOMPARE(f.Child<QLabel>("FileNameLabel")->text(), QStringLiteral("00AA00000001.ini"));
        const QStringList archiveLines = f.TreeLines("ArchiveTree");
        QVERIFY2(archiveLines.contains(QStringLiteral("_Config_log_")), qPrintable(archiveLines.join(u'|')));
        QVERIFY(!f.Child<QTreeView>("AlarmTree")->isVisibleTo(&*f.window));
        QCOMPARE(f.Child<QTreeView>("ArchiveTree")->currentIndex().row(), 0);

        // A right click on a field offers its text for copying.
        auto* name = f.Child<QLineEdit>("SummaryField1");
        emit name->customContextMenuRequested(QPoint(2, 2));
        f.window->Action(Command::CopyText)->trigger();
        f.window->Menu(Command::CopyPopup)->close();
        QCOMPARE(QGuiApplication::clipboard()->text(), QStringLiteral("WS1"));

        f.Select("Бухгалтерия");
        QCOMPARE(f.PageShown(), QStringLiteral("ArchivePage"));
        QVERIFY(!f.Child<QWidget>("SummaryPanel")->isVisibleTo(&*f.window));
        QVERIFY(f.Field(1).isEmpty());
        const QStringList summary = f.TreeLines("ArchiveTree");
        QVERIFY2(summary.value(0).startsWith(U("Сводка по ")), qPrintable(summary.join(u'|')));

        // Employees and other equipment have their data on the additional page; the archive page keeps the
        // department for the monitor.
        f.Select("Иванов И.И.");
        QCOMPARE(f.PageShown(), QStringLiteral("AdditionalPage"));
        f.Select("PC-1");
        f.Select("Монитор");
        QCOMPARE(f.PageShown(), QStringLiteral("AdditionalPage"));
        QCOMPARE(f.Field(1), QStringLiteral("WS1"));

        // Without AutoViewSelect the page stays.
        f.state.Settings().SetBool(shell::Key::AutoViewSelect, false);
        f.Select("PC-1");
        QCOMPARE(f.PageShown(), QStringLiteral("AdditionalPage"));
    }

    void aComputerLoadedFromTheDemosGeneratedFilesFillsThePage() {
        Installation installation;
        QTemporaryDir collect;
        const std::vector<bench::GeneratedFile> files =
            bench::WriteCollectorFiles(collect.path().toStdString(), 3, 1, 8 * 1024);
        StartedWindow window(installation);
        RecordingDialog& dialog = window.dialog;
        session::ArchiveReferences references(window.state);
        archive::ArchiveUpdate update(session::MakeUpdateContext(window.state, references, dialog, window.progress));
        std::vector<std::string> names;
        for (const bench::GeneratedFile& file : files) {
            names.push_back(file.name);
        }
        update.AddNew(collect.path().toStdString(), names, archive::UpdateOptions{}, *window.state.Tree().First());

        const bench::GeneratedFile& generated = files.front();
        const std::size_t at = generated.bytes.find("Computer_Name=");
        QVERIFY(at != std::string::npos);
        const std::string name = generated.bytes.substr(at + 14, generated.bytes.find('\r', at) - at - 14);
        structure::TreeNode* address = nullptr;
        for (int i = 0; i < window.state.Tree().Count(); ++i) {
            if (window.state.Tree().NodeAt(i)->Text() == generated.address) {
                address = window.state.Tree().NodeAt(i);
            }
        }
        QVERIFY(address != nullptr);
        window.window->Tree()->setCurrentIndex(window.window->TreeModel().IndexOf(address->Parent()));
        QTest::qWait(120);
        const auto* field = window.window->findChild<QLineEdit*>(QStringLiteral("SummaryField1"));
        QCOMPARE(field->text(), QString::fromStdString(core::Cp1251ToUtf8(name)));
        const auto* archiveTree = window.window->findChild<QTreeView*>(QStringLiteral("ArchiveTree"));
        const QStringList lines = Lines(*archiveTree->model());
        QVERIFY2(lines.size() > 20, qPrintable(lines.join(u'|')));
        QVERIFY(lines.contains(QStringLiteral("Windows_Devices")));
        QVERIFY(lines.contains(QStringLiteral("_Config_log_")));
    }

    void currentPageLoadsTheFileOnceOrSaysItIsMissing() {
        ViewWindow f;
        f.Select("PC-1");
        f.Open("CurrentConfigPage");
        QStringList lines = f.TreeLines("CurrentConfigTree");
        QCOMPARE(lines.value(0), QStringLiteral("< FileInfo >"));
        QVERIFY2(lines.contains(QStringLiteral("CPU : Intel Pentium III")), qPrintable(lines.join(u'|')));
        QCOMPARE(f.Child<QLabel>("FileNameLabel")->text(), f.FilePath());
        QVERIFY(f.window->Action(Command::Amnesty)->isEnabled());

        // Shown again for the same node, the page keeps what it read; "Перечитать..." reads the file again.
        f.Rewrite(QStringLiteral("CPU=Intel Pentium III"), QStringLiteral("CPU=AMD Athlon"));
        f.Open("ArchivePage");
        f.Open("CurrentConfigPage");
        QVERIFY(f.TreeLines("CurrentConfigTree").contains(QStringLiteral("CPU : Intel Pentium III")));
        f.window->Action(Command::RereadConfig)->trigger();
        QVERIFY(f.TreeLines("CurrentConfigTree").contains(QStringLiteral("CPU : AMD Athlon")));
        QVERIFY(f.window->Action(Command::RereadConfig)->isEnabled());

        f.Select("PC-2");
        QCOMPARE(f.PageShown(), QStringLiteral("ArchivePage"));
        f.Open("CurrentConfigPage");
        QCOMPARE(f.TreeLines("CurrentConfigTree"), QStringList{U("Не найден файл конфигурации !")});

        // An address node shows the file of its own address; a department shows no computer's file.
        WriteCp1251Lines(f.collect.filePath(QStringLiteral("00AA000000F1")), {"[Computer]", "CPU=Second board"});
        f.Select("00AA000000F1");
        f.Open("CurrentConfigPage");
        QVERIFY(f.TreeLines("CurrentConfigTree").contains(QStringLiteral("CPU : Second board")));
        f.Select("Бухгалтерия");
        f.Open("CurrentConfigPage");
        QCOMPARE(f.TreeLines("CurrentConfigTree"), QStringList());
    }

    void amnestyErasesTheChangeSectionsAndJournalsIt() {
        ViewWindow f;
        f.Select("PC-1");
        f.Open("CurrentConfigPage");
        QVERIFY(f.TreeLines("CurrentConfigTree").contains(QStringLiteral("Config_changes")));

        f.dialog.answers = {Answer::Yes};
        QStringList pageBehindMessages; // the current page as the user sees it behind each message
        f.dialog.onShow = [&] { pageBehindMessages << f.TreeLines("CurrentConfigTree").join(u'|'); };
        f.window->Action(Command::Amnesty)->trigger();
        QCOMPARE(f.dialog.questions,
                 QStringList{U("Удалить секции [Config changes],[Post_Accounts] и [Remote Access] ?")});
        QCOMPARE(f.dialog.messages, QStringList{U("Готово!")});
        QCOMPARE(pageBehindMessages.size(), 2);
        QVERIFY(pageBehindMessages[0].contains(QStringLiteral("Config_changes")));
        QVERIFY2(!pageBehindMessages[1].contains(QStringLiteral("Config_changes")), "refreshed before \"Готово!\"");
        f.dialog.onShow = nullptr;
        const QString file = f.File();
        for (const char* section : {"[Config_changes]", "[Remote_Access]", "[Post_Accounts]"}) {
            QVERIFY2(!file.contains(QLatin1String(section)), qPrintable(file));
        }
        QVERIFY(file.contains(QStringLiteral("CPU=Intel Pentium III")));
        QCOMPARE(f.Journal().last(), QStringLiteral("Section [Config changes],[Post_Accounts] & [Remote Access] "
                                                    "deleted by IVANOV"));
        // Both pages show it at once: the file without the sections, the journal line in the archive tree.
        QVERIFY(!f.TreeLines("CurrentConfigTree").contains(QStringLiteral("Config_changes")));
        QCOMPARE(f.TreeLines("ArchiveTree").filter(QStringLiteral("[Remote Access] deleted by IVANOV")).size(), 1);

        // For a department every computer of its range is done after one question; declined, nothing is.
        WriteCp1251Lines(f.FilePath(), kPc1File);
        f.Select("Бухгалтерия");
        QVERIFY(f.window->Action(Command::Amnesty)->isEnabled());
        const QString caption = f.window->Action(Command::Amnesty)->text();
        QStringList statusShown; // behind each question and message
        f.dialog.onShow = [&] { statusShown << f.Child<QLabel>("StatusLabel")->text(); };
        f.dialog.answers = {Answer::No};
        f.window->Action(Command::Amnesty)->trigger();
        QVERIFY(f.File().contains(QStringLiteral("[Config_changes]")));
        QCOMPARE(statusShown.size(), 1);
        QVERIFY(statusShown.front() != caption);
        statusShown.clear();
        f.dialog.questions.clear();
        f.dialog.messages.clear();
        f.dialog.answers = {Answer::Yes};
        f.window->Action(Command::Amnesty)->trigger();
        QCOMPARE(f.dialog.questions.size(), 1);
        QVERIFY(f.dialog.questions.front().contains(U("с Бухгалтерия")));
        QVERIFY(!f.File().contains(QStringLiteral("[Config_changes]")));
        QCOMPARE(f.dialog.messages.last(), U("Готово!\r\nPC-1\r\nPC-2\r\n"));
        QVERIFY2(statusShown.contains(caption), "the caption while the computers are done");
        QVERIFY(f.Child<QLabel>("StatusLabel")->text() != caption);
        f.dialog.onShow = nullptr;
    }

    void changesPageComparesTheArchiveWithTheFile() {
        ViewWindow f;
        f.Select("PC-1");
        f.Open("ChangesPage");
        QCOMPARE(f.TreeLines("ChangesTree"), QStringList{U("Нет изменений")});

        f.Rewrite(QStringLiteral("CPU=Intel Pentium III"), QStringLiteral("CPU=AMD Athlon"));
        f.Open("ArchivePage");
        f.Open("ChangesPage");
        QCOMPARE(f.TreeLines("ChangesTree"),
                 (QStringList{QStringLiteral("Computer"), QStringLiteral("CPU : Intel Pentium III -> AMD Athlon")}));

        // "Обновить архив !" on the current page loads the file: the pages show the new archive at once.
        f.Open("CurrentConfigPage");
        f.window->Action(Command::UpdateArchive)->trigger();
        QCOMPARE(f.dialog.messages, QStringList{U("PC-1 -\r\nданные в архиве обновлены !")});
        QCOMPARE(f.Field(8), QStringLiteral("AMD Athlon"));
        f.Open("ChangesPage");
        QCOMPARE(f.TreeLines("ChangesTree"), QStringList{U("Нет изменений")});

        f.state.Settings().SetBool(shell::Key::AutoViewSelect, false);
        f.Select("PC-2");
        QCOMPARE(f.TreeLines("ChangesTree"), QStringList{U("Не найден файл конфигурации !")});
    }
};

} // namespace

std::unique_ptr<QObject> MakeComputerViewTest() {
    return std::make_unique<ComputerViewTest>();
}

} // namespace pelgo::testing

#include "computer_view_test.moc"
