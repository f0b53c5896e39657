// The main window: every command of the table as a named action with its caption, shortcut and text id in
// its menu; the command states applied to the actions; the change of language and the title's version;
// the write timer's period; the selection debounce; the tree-change check; the multi-user icon; the user's
// node-type icons; exit through the close request.
#include "gui/main/main_window.h"

#include <QAction>
#include <QCheckBox>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QSignalSpy>
#include <QTest>
#include <QTimer>
#include <QToolButton>
#include <QTreeView>
#include <functional>
#include <optional>

#include "gui/common/theme_icons.h"
#include "gui/common/window_translation.h"
#include "gui/structure/structure_tree_model.h"
#include "gui_test_suites.h"
#include "gui_test_support.h"
#include "structure/multi_user.h"

namespace pelgo::testing {
namespace {

using session::Command;

// A window over an application state that was not started: its tables are closed, so it is protected.
struct WindowFixture {
    Installation installation;
    RecordingDialog dialog;
    QuietProgress progress;
    session::AppState state{
        {installation.Folder(), installation.Path("pelgo"), {}, "IVANOV", "WS-01"}, dialog, progress};
    gui::WindowTranslation translation{state.Translator()};
    gui::MainWindow window{state, dialog, translation};

    void SetLanguageDirectory(const QString& directory) {
        state.Translator().SetDirectory(directory.toStdString() + "/");
    }
};

void AppendOther(const Installation& installation, const std::vector<std::string>& values) {
    platform::DbfTable::Open(installation.Path("BASE/other.dbf"), platform::DbfOpenMode::Shared, core::Clock())
        .Append(values);
}

QImage Image(const QIcon& icon) {
    return icon.pixmap(16, 16).toImage();
}

class MainWindowTest : public QObject {
    Q_OBJECT

private slots:
    void everyCommandIsANamedActionInItsMenu() {
        WindowFixture f;
        // The commands whose caption the state sets (these always have one) are checked with the states.
        session::CommandStates states;
        states.Update({}, {});
        for (const session::CommandInfo& info : session::CommandTable()) {
            const QString name = QLatin1String(info.name);
            QAction* action = f.window.findChild<QAction*>(name);
            QVERIFY2(action != nullptr, info.name);
            QCOMPARE(action, f.window.Action(info.command));
            if (states.State(info.command).caption.empty()) {
                QCOMPARE(action->text(), QString::fromUtf8(info.caption));
            }
            QCOMPARE(action->property(gui::kTagProperty).toInt(), info.textId);
            if (info.parent != Command::Count) {
                QVERIFY2(f.window.Menu(info.parent)->actions().contains(action), info.name);
            }
            if (info.shortcut == 0) {
                QVERIFY2(action->shortcut().isEmpty(), info.name);
            }
        }
        const std::pair<const char*, const char*> shortcuts[] = {
            {"N_Save", "Ctrl+S"},
            {"N_Rename", "F2"},
            {"N_Find", "F7"},
            {"N_Add", "Ins"},
            {"N_Delete", "Ctrl+Del"},
            {"N_ChangeType", "Ctrl+T"},
            {"N_Move", "Ctrl+M"},
            {"N_ShiftUp", "Ctrl+A"},
            {"N_ShiftDown", "Ctrl+Z"},
            {"N_Expand", "F4"},
            {"N_Collapse", "F5"},
            {"N_ExpandAll", "Ctrl+F4"},
            {"N_CollapseAll", "Ctrl+F5"},
            {"N_Spravki", "F1"},
            {"N_MakeBookmark", "F9"},
            {"N_DeleteBookmark", "Ctrl+F9"},
            {"N_ToggleBookmarks", "F10"},
            {"P_Find", "Ctrl+F"},
        };
        for (const auto& [name, keys] : shortcuts) {
            QCOMPARE(f.window.findChild<QAction*>(QLatin1String(name))->shortcut(), QKeySequence(QLatin1String(keys)));
        }
        QStringList menuBar;
        for (QAction* menu : f.window.menuBar()->actions()) {
            menuBar << menu->objectName();
        }
        QCOMPARE(menuBar, (QStringList{"N_File", "N_Navigation", "N_Bookmarks", "N_Reports", "N_Help"}));
        // One item per journal type under the journals menu, known once the start has run; the two built-in
        // ones are named by text id.
        QCOMPARE(f.state.Start([](std::string_view) {}), session::AppState::StartResult::Running);
        const gui::MainWindow started(f.state, f.dialog, f.translation);
        const QList<QAction*> journals = started.Menu(Command::JournalsMenu)->actions();
        QCOMPARE(journals.size(), static_cast<qsizetype>(f.state.JournalTypes().size()));
        QCOMPARE(journals.value(0)->property(gui::kTagProperty).toInt(), 1030);
        QCOMPARE(journals.value(1)->property(gui::kTagProperty).toInt(), 1031);
        f.state.CloseRequest();
    }

    void commandStatesDecideEnabledVisibleAndCaption() {
        WindowFixture f;
        struct Case {
            bool isProtected;
            bool sboi;
            int selectedIcon;
            bool saveEnabled;
            bool clearFailureVisible;
            bool scanletVisible;
            const char* journalsCaption;
        };
        const Case cases[] = {
            {false, false, 3, true, false, true, "Журналы..."},
            {true, true, 1, false, true, false, "Сводные журналы..."},
        };
        for (const Case& c : cases) {
            session::StateFacts state;
            state.isProtected = c.isProtected;
            state.sboiFlag = c.sboi;
            state.languageCount = 2;
            session::SelectionFacts selection;
            selection.hasSelection = true;
            selection.icon = c.selectedIcon;
            selection.text = "PC-1";
            session::CommandStates states;
            states.Update(state, selection);
            f.window.ApplyCommandStates(states);

            QCOMPARE(f.window.Action(Command::Save)->isEnabled(), c.saveEnabled);
            QCOMPARE(f.window.Action(Command::SaveButton)->isEnabled(), c.saveEnabled);
            QCOMPARE(f.window.Action(Command::ClearFailure)->isVisible(), c.clearFailureVisible);
            QCOMPARE(f.window.Action(Command::ClearFailure)->text(),
                     QString::fromUtf8("Снять предупреждение \" СБОЙ \""));
            QCOMPARE(f.window.Action(Command::ScanletSettings)->isVisible(), c.scanletVisible);
            QCOMPARE(f.window.Action(Command::JournalsMenu)->text(), QString::fromUtf8(c.journalsCaption));
            QCOMPARE(f.window.Action(Command::TreeMakeBookmark)->text(),
                     QString::fromUtf8("Сделать закладку \"PC-1\""));
            // The automatic-saving box shows its command's state.
            const auto* autoSave = f.window.findChild<QCheckBox*>(QStringLiteral("AutoSaveBox"));
            QCOMPARE(autoSave->isEnabled(), states.State(Command::AutoSaveBox).enabled);
            QCOMPARE(autoSave->isVisibleTo(&f.window), states.State(Command::AutoSaveBox).visible);
            // Commands whose function is not built yet stay disabled whatever the state; built writing ones
            // follow the protection.
            QVERIFY(!f.window.Action(Command::Calculator)->isEnabled());
            QCOMPARE(f.window.Action(Command::AddNode)->isEnabled(), !c.isProtected);
        }
        // A state caption that goes away gives the table caption back.
        session::CommandStates states;
        states.Update({}, {});
        f.window.ApplyCommandStates(states);
        QCOMPARE(f.window.Action(Command::JournalsMenu)->text(), QString::fromUtf8("Журналы..."));
    }

    void aCheckedAutoSaveBoxIsClearedWhenItIsDisabled() {
        WindowFixture f;
        auto* box = f.window.findChild<QCheckBox*>(QStringLiteral("AutoSaveBox"));
        box->setChecked(true);
        QVERIFY(f.window.Action(Command::AutoSaveBox)->isChecked());
        session::StateFacts protectedState;
        protectedState.isProtected = true;
        session::CommandStates states;
        states.Update(protectedState, {});
        f.window.ApplyCommandStates(states);
        QVERIFY(!box->isChecked());
        QVERIFY(!box->isEnabled());
    }

    void changingTheLanguageTranslatesAndShowsTheVersionOnce() {
        WindowFixture f;
        const QTemporaryDir languages;
        WriteCp1251Lines(languages.filePath(QStringLiteral("a.lng")),
                         {"[Strings]", "LanguageName=Alpha", "200=Rename by id", "1000=Journals", "[TMain]",
                          "Self=Alpha title", "N_Save=Save by name"});
        WriteCp1251Lines(languages.filePath(QStringLiteral("b.lng")),
                         {"[Strings]", "LanguageName=Beta", "[TMain]", "Self=Beta title"});
        f.window.show();
        QCOMPARE(f.window.windowTitle(), QString::fromUtf8("Распределение оргтехники"));
        // Choosing the directory chooses its first language: the title takes the version.
        f.SetLanguageDirectory(languages.path());
        QCOMPARE(f.window.windowTitle(), QStringLiteral("Alpha title  2.22.05"));
        QCOMPARE(f.window.Action(Command::Rename)->text(), QStringLiteral("Rename by id"));
        QCOMPARE(f.window.Action(Command::JournalsMenu)->text(), QStringLiteral("Journals"));

        QAction* change = f.window.Action(Command::ChangeLanguage);
        change->trigger();
        QCOMPARE(f.window.windowTitle(), QStringLiteral("Beta title  2.22.05"));
        QCOMPARE(f.window.Action(Command::Rename)->text(), QString::fromUtf8("Переименовать"));
        QCOMPARE(f.window.Action(Command::Save)->text(), QString::fromUtf8("Сохранить ..."));
        QCOMPARE(f.window.Action(Command::JournalsMenu)->text(), QString::fromUtf8("Журналы..."));
        QCOMPARE(f.state.Settings().Int(shell::Key::Language), 1);

        change->trigger();
        QCOMPARE(f.window.windowTitle(), QStringLiteral("Alpha title  2.22.05"));
        QCOMPARE(f.window.Action(Command::Save)->text(), QStringLiteral("Save by name"));
        QCOMPARE(f.state.Settings().Int(shell::Key::Language), 0);
        QCOMPARE(f.dialog.messages, QStringList());
    }

    void changeLanguageWithoutLanguageFilesSaysSoAndDisablesItself() {
        WindowFixture f;
        const QTemporaryDir empty;
        f.SetLanguageDirectory(empty.path());
        QAction* change = f.window.Action(Command::ChangeLanguage);
        // The menu set-up hides the command without languages, so its handler is reached directly.
        emit change->triggered();
        QCOMPARE(f.dialog.messages, QStringList{empty.path() + QStringLiteral("/*.lng file(s) not found !")});
        session::StateFacts state;
        state.languageCount = 2;
        session::CommandStates states;
        states.Update(state, {});
        f.window.ApplyCommandStates(states);
        QVERIFY(change->isVisible());
        QVERIFY(!change->isEnabled());
    }

    void theWriteTimerRunsOnlyForPeriodsOverATenthOfASecond() {
        const std::pair<const char*, int> cases[] = {{"20", 20000}, {"0", 0}};
        for (const auto& [seconds, periodMs] : cases) {
            WindowFixture f;
            f.state.Settings().SetText(shell::Key::Timer_sec, seconds);
            f.window.Activate();
            QCOMPARE(f.window.WriteTimer().isActive(), periodMs > 0);
            if (periodMs > 0) {
                QCOMPARE(f.window.WriteTimer().interval(), periodMs);
            }
        }
    }

    void rapidSelectionChangesSettleOnce() {
        WindowFixture f;
        for (const char* text : {"a", "b", "c"}) {
            f.state.Tree().AddChild(nullptr, -1, text, 3);
        }
        f.state.Tree().AddChild(nullptr, -1, "d", 1);
        const QAbstractItemModel& model = f.window.TreeModel();
        QSignalSpy settled(&f.window, &gui::MainWindow::nodeSelectionSettled);
        for (int row = 0; row < 4; ++row) {
            f.window.Tree()->setCurrentIndex(model.index(row, 0));
        }
        QVERIFY(settled.wait(1000));
        QTest::qWait(120);
        QCOMPARE(settled.size(), 1);
        QCOMPARE(settled.front().front().value<QModelIndex>().row(), 3);
        QCOMPARE(f.state.SelectedIndex(), 3);
        QCOMPARE(f.window.findChild<QLabel*>(QStringLiteral("PathLabel"))->text(), QStringLiteral("\\\\d"));
        // The settled node is a department, and the commands know it.
        QCOMPARE(f.window.Action(Command::JournalsMenu)->text(), QString::fromUtf8("Сводные журналы..."));
    }

    void aTreeLoadRestoresTheBookmarksAndDisablesTheControlsMeanwhile() {
        Installation installation;
        // Two restored slots show the bar.
        WriteCp1251Lines(installation.QPath("BASE/struct"), {"Неоприходованная техника", "Склад"});
        WriteCp1251Lines(installation.QPath("BASE/image"), {"1 ; AAAAAAAAAAAA ;", "1 ; BBBBBBBBBBBB ;"});
        WriteCp1251Lines(installation.QPath("pelgo.ini"), {"[BookMarks]", "BM1=0", "BM2=1"});
        RecordingDialog dialog;
        QuietProgress progress;
        session::AppState state{
            {installation.Folder(), installation.Path("pelgo"), {}, "IVANOV", "WS-01"}, dialog, progress};
        // As the program does: the start (and its load) runs before the window exists.
        QCOMPARE(state.Start([](std::string_view) {}), session::AppState::StartResult::Running);
        gui::WindowTranslation translation{state.Translator()};
        gui::MainWindow window{state, dialog, translation};
        window.show();
        QVERIFY(window.findChild<QWidget*>(QStringLiteral("BookmarkBar"))->isVisible());
        bool disabledWhileLoading = false;
        connect(&window.TreeModel(), &QAbstractItemModel::modelAboutToBeReset, &window,
                [&] { disabledWhileLoading = !window.Action(Command::FileMenu)->isEnabled(); });
        QVERIFY(state.TreeStorage()->SetupTreeNode(structure::TreeStorage::kLoad));
        QVERIFY(disabledWhileLoading);
        QVERIFY(window.Action(Command::FileMenu)->isEnabled());
        QVERIFY(window.findChild<QWidget*>(QStringLiteral("BookmarkBar"))->isVisible());
        QCOMPARE(window.findChild<QToolButton*>(QStringLiteral("Bookmark1"))->text(),
                 QString::fromUtf8("Неоприходованная техника"));
        state.CloseRequest();
    }

    void theTreeChangeCheckRunsAfterANodeViewRefreshAndAtTheMenuSetUp() {
        struct Case {
            const char* name;
            std::function<void(gui::MainWindow&)> trigger;
            platform::Answer answer;
        };
        const Case cases[] = {
            {"node-view refresh",
             [](gui::MainWindow& window) {
                 QSignalSpy settled(&window, &gui::MainWindow::nodeSelectionSettled);
                 window.Tree()->setCurrentIndex(window.TreeModel().index(1, 0));
                 QVERIFY(settled.wait(1000));
             },
             platform::Answer::Yes},
            {"menu set-up", [](gui::MainWindow& window) { emit window.Menu(Command::ReportsMenu)->aboutToShow(); },
             platform::Answer::No},
        };
        for (const Case& c : cases) {
            Installation installation;
            WriteCp1251Lines(installation.QPath("BASE/struct"), {"Неоприходованная техника", "Склад"});
            WriteCp1251Lines(installation.QPath("BASE/image"), {"1 ; AAAAAAAAAAAA ;", "1 ; BBBBBBBBBBBB ;"});
            StartedWindow f(installation);
            QVERIFY(f.started);
            QTest::qWait(100); // the activation's selection has settled before the tree changes
            QCOMPARE(f.dialog.questions, QStringList());
            // Another instance saves the tree; the next check is due.
            WriteCp1251Lines(installation.QPath("BASE/struct"), {"Неоприходованная техника", "Склад", "Гараж"});
            f.state.Clock().Advance(20);
            f.dialog.answers = {c.answer};
            c.trigger(*f.window);
            QVERIFY2(f.dialog.questions ==
                         QStringList{QString::fromUtf8(
                             "Данные о структуре предприятия обновились !\r\nЖелаете загрузить новые данные ?")},
                     c.name);
            if (c.answer == platform::Answer::Yes) {
                QCOMPARE(f.window->TreeModel().rowCount(), 3);
                QCOMPARE(f.window->Tree()->currentIndex().row(), 1);
                QVERIFY(f.state.Flags().multiUserAccess);
            } else {
                QVERIFY(f.state.ProtectData());
                QVERIFY2(!f.window->Action(Command::Save)->isEnabled(), c.name);
            }
        }
    }

    void theMultiUserIconShowsEachStatus() {
        Installation installation;
        AppendOther(installation, {structure::kMultiUserUno, structure::kExclusiveGroup,
                                   structure::MultiUser::MakeInstanceId("PETROV", "WS-02"), "PETROV [ 10.03.2026 ]"});
        StartedWindow f(installation);
        QVERIFY(f.started);
        const auto* icon = f.window->findChild<QToolButton*>(QStringLiteral("MultiUserIcon"));
        QVERIFY(icon->isVisibleTo(&*f.window));
        QCOMPARE(f.state.MultiUser().Status(), 1);
        const QImage another = Image(icon->icon());

        platform::DbfTable& other = *f.state.OtherTable().table;
        for (const platform::DbfRecord& record : other.Find(structure::kMultiUserUno)) {
            if (record.values[2] != f.state.MultiUser().InstanceId()) {
                other.SetField(record.number, "GROUP", "");
            }
        }
        f.window->RefreshPresence();
        QCOMPARE(f.state.MultiUser().Status(), 0);
        const QImage nobody = Image(icon->icon());

        f.state.SetExclusive(true);
        f.window->RefreshPresence();
        QCOMPARE(f.state.MultiUser().Status(), 2);
        const QImage mine = Image(icon->icon());
        QVERIFY(another != nobody);
        QVERIFY(mine != nobody);
        QVERIFY(mine != another);
        QVERIFY(icon->isVisibleTo(&*f.window));
    }

    void userNodeTypesShowTheirOwnIconFiles() {
        Installation installation;
        QImage tape(16, 16, QImage::Format_ARGB32);
        tape.fill(Qt::magenta);
        QVERIFY(tape.save(installation.QPath("tape.png")));
        WriteCp1251Lines(installation.QPath("broken.ico"), {"not an icon"});
        WriteCp1251Lines(installation.QPath("pelgo.ini"),
                         {"[Add_Icons]", "Count=3", "1Path=.\\tape.png", "1Name=Стример", "2Path=.\\missing.ico",
                          "2Name=Lost", "3Path=.\\broken.ico", "3Name=Broken"});
        WriteCp1251Lines(installation.QPath("BASE/struct"), {"Неоприходованная техника", "Стример", "Lost", "Broken"});
        WriteCp1251Lines(installation.QPath("BASE/image"),
                         {"1 ; AAAAAAAAAAAA ;", "14 ; BBBBBBBBBBBB ;", "15 ; CCCCCCCCCCCC ;", "16 ; DDDDDDDDDDDD ;"});
        StartedWindow f(installation);
        QVERIFY(f.started);
        const QAbstractItemModel& model = f.window->TreeModel();
        const auto iconAt = [&](int row) {
            return Image(model.data(model.index(row, 0), Qt::DecorationRole).value<QIcon>());
        };
        QCOMPARE(iconAt(1).pixelColor(8, 8), QColor(Qt::magenta));
        // A missing file and one that is no image show the "other" type's icon.
        const QImage other = Image(gui::NodeTypeIcon(structure::kIconOther));
        QCOMPARE(iconAt(2), other);
        QCOMPARE(iconAt(3), other);
    }

    void exitRunsTheCloseRequest() {
        WindowFixture f;
        f.window.show();
        f.window.Action(Command::ExitButton)->trigger();
        QVERIFY(!f.window.isVisible());
        QVERIFY(f.state.Closing());
        QVERIFY(!f.window.Action(Command::ExitButton)->isEnabled());
    }
};

} // namespace

std::unique_ptr<QObject> MakeMainWindowTest() {
    return std::make_unique<MainWindowTest>();
}

} // namespace pelgo::testing

#include "main_window_test.moc"
