// Editing the structure tree in a started main window over a real installation: adding through the add
// dialog and deleting, renaming in place, changing the type, marking and moving by double click, dragging,
// shifting with automatic saving, bookmarks, comments, a reload that ends the move marking, and a protected
// tree that takes no edits. Each flow is checked in the model, the work log, the computer's journal in
// device.dbf and the saved tree files.
#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QDialog>
#include <QDropEvent>
#include <QFont>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QMimeData>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTabWidget>
#include <QTest>
#include <QTimer>
#include <QToolButton>
#include <QTreeView>
#include <functional>
#include <memory>
#include <optional>

#include "gui/common/window_translation.h"
#include "gui/main/main_window.h"
#include "gui/structure/structure_tree_model.h"
#include "gui_test_suites.h"
#include "gui_test_support.h"
#include "structure/tree_storage.h"

namespace pelgo::testing {
namespace {

using platform::Answer;
using session::Command;

const QStringList kTree = {
    "Неоприходованная техника", "Отдел", "\tPC-1", "\t\t00AABBCCDDEE", "\tПринтер", "Склад", "\tСтол"};
const QStringList kImage = {"1 ; AAAAAAAAAAAA ;", "1 ; BBBBBBBBBBBB ;", "3 ; CCCCCCCCCCCC ;", "4 ; DDDDDDDDDDDD ;",
                            "6 ; EEEEEEEEEEEE ;", "1 ; FFFFFFFFFFFF ;", "10 ; GGGGGGGGGGGG ;"};
const QString kMoveHint = QString::fromUtf8("DoubleClick на месте перемещения, Ctrl+LeftMouse для продолжения выборки");

QString U(const char* utf8) {
    return QString::fromUtf8(utf8);
}

// An installation holding the tree above.
struct EditingInstallation {
    EditingInstallation() {
        WriteCp1251Lines(installation.QPath("BASE/struct"), kTree);
        WriteCp1251Lines(installation.QPath("BASE/image"), kImage);
    }
    Installation installation;
};

// A started, activated window shown offscreen with the whole tree expanded, over the tree above.
struct EditingWindow : EditingInstallation, StartedWindow {
    explicit EditingWindow(std::vector<std::string> arguments = {})
        : StartedWindow(installation, std::move(arguments)) {
        window->show();
        Tree()->expandAll();
        QTest::qWait(80); // the activation's selection settles
    }

    QTreeView* Tree() const { return window->Tree(); }
    gui::StructureTreeModel& Model() const { return window->TreeModel(); }
    structure::TreeNode* Node(const char* utf8Text) {
        for (int i = 0; i < state.Tree().Count(); ++i) {
            if (state.Tree().NodeAt(i)->Text() == core::Utf8ToCp1251(utf8Text)) {
                return state.Tree().NodeAt(i);
            }
        }
        return nullptr;
    }
    QModelIndex Index(const char* utf8Text) { return Model().IndexOf(Node(utf8Text)); }
    QPoint Centre(const char* utf8Text) { return Tree()->visualRect(Index(utf8Text)).center(); }
    void Select(const char* utf8Text) { Tree()->setCurrentIndex(Index(utf8Text)); }
    QString Selected() const { return Tree()->currentIndex().data().toString(); }
    // The texts of a node's children (null: the top level).
    QStringList Children(const char* utf8Parent) {
        const QModelIndex parent = utf8Parent != nullptr ? Index(utf8Parent) : QModelIndex();
        QStringList texts;
        for (int row = 0; row < Model().rowCount(parent); ++row) {
            texts << Model().index(row, 0, parent).data().toString();
        }
        return texts;
    }
    bool Bold(const char* utf8Text) { return Index(utf8Text).data(Qt::FontRole).value<QFont>().bold(); }
    QString Log() const { return Read(installation.Path("pelgo.log")); }
    // The tree files the settings name.
    structure::TreeFilePaths TreeFiles() { return structure::TreeFilePathsOf(state.Settings()); }
    static QString Read(const std::string& path) {
        return QString::fromStdString(core::Cp1251ToUtf8(core::ReadFileBytes(path)));
    }
    // The computer journal's records: MAC_ADR|GROUP|NAME|TEXT.
    QStringList Journal() const {
        QStringList records;
        platform::DbfTable::Open(installation.Path("BASE/device.dbf"), platform::DbfOpenMode::ReadOnly, core::Clock())
            .Walk([&](const platform::DbfRecord& record) {
                QStringList fields;
                for (const std::string& value : record.values) {
                    fields << QString::fromStdString(core::Cp1251ToUtf8(value));
                }
                records << fields.join(u'|');
            });
        return records;
    }
    QLabel* StatusLabel() const { return window->findChild<QLabel*>(QStringLiteral("StatusLabel")); }
    // Runs `drive` on the next modal dialog once it is on screen.
    void OnNextModal(const std::function<void(QDialog&)>& drive) {
        auto* poll = new QTimer(&*window);
        QObject::connect(poll, &QTimer::timeout, poll, [poll, drive] {
            if (auto* modal = qobject_cast<QDialog*>(QApplication::activeModalWidget())) {
                poll->stop();
                poll->deleteLater();
                drive(*modal);
            }
        });
        poll->start(10);
    }

};

void ChooseItem(QDialog& dialog, const char* utf8Caption) {
    auto* list = dialog.findChild<QListWidget*>(QStringLiteral("TypeList"));
    QVERIFY(list != nullptr);
    const QList<QListWidgetItem*> items = list->findItems(U(utf8Caption), Qt::MatchExactly);
    QCOMPARE(items.size(), 1);
    list->setCurrentItem(items.front());
}

// Drags the node onto the target's centre and drops it there, as the view receives a drag.
void Drop(EditingWindow& f, const char* utf8Node, const char* utf8Target) {
    const std::unique_ptr<QMimeData> data(f.Model().mimeData({f.Index(utf8Node)}));
    const QPoint at = f.Centre(utf8Target);
    QDragEnterEvent enter(at, Qt::MoveAction, data.get(), Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(f.Tree()->viewport(), &enter);
    QDragMoveEvent move(at, Qt::MoveAction, data.get(), Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(f.Tree()->viewport(), &move);
    QDropEvent drop(at, Qt::MoveAction, data.get(), Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(f.Tree()->viewport(), &drop);
}

class TreeEditingTest : public QObject {
    Q_OBJECT

private slots:
    void addingThroughTheDialogAndDeleting() {
        EditingWindow f;
        QVERIFY(f.started);
        f.Select("Отдел");
        f.OnNextModal([](QDialog& dialog) {
            ChooseItem(dialog, "Компьютер");
            dialog.findChild<QLineEdit*>(QStringLiteral("NodeText"))->setText(QStringLiteral("PC-9"));
            QTest::mouseClick(dialog.findChild<QPushButton*>(QStringLiteral("AddButton")), Qt::LeftButton);
        });
        f.window->Action(Command::AddNode)->trigger();
        QCOMPARE(f.Children("Отдел"), (QStringList{"PC-1", U("Принтер"), "PC-9"}));
        QCOMPARE(f.Selected(), QStringLiteral("PC-9"));
        QCOMPARE(f.Node("PC-9")->Icon(), 3);
        QVERIFY(f.Log().contains(U("Компьютер \\\\Отдел\\PC-9 добавлен")));

        // Saved: the three tree files hold the new node.
        QVERIFY(!core::FileExists(f.TreeFiles().addData));
        f.window->Action(Command::Save)->trigger();
        QVERIFY(f.Read(f.TreeFiles().treeText).contains(U("\tПринтер\r\n\tPC-9\r\nСклад")));
        QVERIFY(f.Read(f.TreeFiles().image)
                    .contains(U("\r\n3 ; ") + QString::fromStdString(f.Node("PC-9")->Record()->uno) +
                              QStringLiteral(" ;PC-9\r\n")));
        QVERIFY(core::FileExists(f.TreeFiles().addData));

        // Deleting selects the node before it.
        f.dialog.answers = {Answer::Yes};
        f.window->Action(Command::DeleteNode)->trigger();
        QCOMPARE(f.dialog.questions, QStringList{U("Удалить запись \"PC-9\"")});
        QCOMPARE(f.Children("Отдел"), (QStringList{"PC-1", U("Принтер")}));
        QCOMPARE(f.Selected(), U("Принтер"));
        QVERIFY(f.Log().contains(U("Компьютер \\\\Отдел\\PC-9 Удалено !")));
    }

    void renamingInPlaceShowsTheEnginesTextAndJournalsTheComputer() {
        EditingWindow f;
        QVERIFY(f.started);
        f.Select("PC-1");
        f.window->Action(Command::Rename)->trigger();
        auto* editor = f.Tree()->viewport()->findChild<QLineEdit*>();
        QVERIFY(editor != nullptr);
        editor->setText(QStringLiteral("  PC-2"));
        QTest::keyClick(editor, Qt::Key_Return);
        // The engine drops the leading blanks; the view shows its text.
        QTRY_COMPARE(f.Selected(), QStringLiteral("PC-2"));
        QVERIFY(f.state.TreeStorage()->TreeModified());
        QCOMPARE(f.Journal(), QStringList{U("00AABBCCDDEE|_Config_log_|10.03.2026 15:00:00|"
                                            "Изменено IVANOV с PC-1 на PC-2")});
        QVERIFY(f.Log().contains(U("PC-1 Изменено  на PC-2")));

        // While the tree reacts to nothing (a long run walks it), a confirmed edit changes nothing.
        f.state.SetTreeReactionsOn(false);
        QVERIFY(!f.Model().setData(f.Index("PC-2"), QStringLiteral("PC-3")));
        QCOMPARE(f.Selected(), QStringLiteral("PC-2"));
    }

    void changingTheTypeThroughItsDialog() {
        EditingWindow f;
        QVERIFY(f.started);
        f.Select("Принтер");
        f.OnNextModal([](QDialog& dialog) {
            ChooseItem(dialog, "Сканер");
            QTest::mouseClick(dialog.findChild<QPushButton*>(QStringLiteral("ChangeButton")), Qt::LeftButton);
        });
        f.window->Action(Command::ChangeType)->trigger();
        QCOMPARE(f.Node("Принтер")->Icon(), 7);
        f.window->Action(Command::Save)->trigger();
        QVERIFY(f.Read(f.TreeFiles().image).contains(U("\r\n7 ; EEEEEEEEEEEE ;Принтер\r\n")));
    }

    void markingTwoNodesAndMovingThemByDoubleClick() {
        EditingWindow f;
        QVERIFY(f.started);
        QWidget* viewport = f.Tree()->viewport();
        f.Select("PC-1");
        f.window->Action(Command::MoveNode)->trigger();
        QVERIFY(f.Bold("PC-1"));
        QVERIFY(!f.Bold("Принтер"));
        QCOMPARE(viewport->cursor().shape(), Qt::DragMoveCursor);
        QCOMPARE(f.Tree()->toolTip(), QStringLiteral("PC-1"));
        QCOMPARE(f.StatusLabel()->text(), kMoveHint);
        QVERIFY(f.StatusLabel()->isVisible());

        f.dialog.answers = {Answer::Yes};
        QTest::mouseClick(viewport, Qt::LeftButton, Qt::ControlModifier, f.Centre("Принтер"));
        QCOMPARE(f.dialog.questions, QStringList{U("Добавить Принтер\r\nв выборку для перемещения ?")});
        QVERIFY(f.Bold("Принтер"));
        QCOMPARE(f.Tree()->toolTip(), U("Принтер"));

        f.dialog.questions.clear();
        f.dialog.answers = {Answer::Yes};
        // A double click as the window system reports it: a click, then the double click.
        QTest::mouseClick(viewport, Qt::LeftButton, Qt::NoModifier, f.Centre("Склад"));
        QTest::mouseDClick(viewport, Qt::LeftButton, Qt::NoModifier, f.Centre("Склад"));
        QCOMPARE(f.dialog.questions, QStringList{U("Переместить :\r\n- PC-1\r\n- Принтер\r\nв Склад")});
        QCOMPARE(f.Children("Склад"), (QStringList{U("Стол"), "PC-1", U("Принтер")}));
        QCOMPARE(f.Children("PC-1"), QStringList{"00AABBCCDDEE"});
        QCOMPARE(f.Children("Отдел"), QStringList());
        // The move has ended: nothing bold, the normal cursor, no hint, the status label hidden.
        QVERIFY(!f.Bold("PC-1"));
        QVERIFY(!f.Bold("Принтер"));
        QCOMPARE(viewport->cursor().shape(), Qt::ArrowCursor);
        QCOMPARE(f.Tree()->toolTip(), QString());
        QVERIFY(!f.StatusLabel()->isVisible());
        QCOMPARE(f.Journal(), QStringList{U("00AABBCCDDEE|_Config_log_|10.03.2026 15:00:00|"
                                            "Перемещено IVANOV в Склад из \\\\Отдел")});
        const QString log = f.Log();
        QVERIFY(log.contains(U("PC-1 перемещен из \\\\Отдел в \\\\Склад")));
        QVERIFY(log.contains(U("Принтер перемещен из \\\\Отдел в \\\\Склад")));
        f.window->Action(Command::Save)->trigger();
        QVERIFY(f.Read(f.TreeFiles().treeText)
                    .contains(U("Отдел\r\nСклад\r\n\tСтол\r\n\tPC-1\r\n\t\t00AABBCCDDEE\r\n\tПринтер")));
    }

    void draggingANodeBeforeAnother() {
        EditingWindow f;
        QVERIFY(f.started);
        f.dialog.answers = {Answer::Yes};
        Drop(f, "PC-1", "Стол");
        // The engine moves it once the drop is over; the view moves nothing itself.
        QCOMPARE(f.Children("Склад"), QStringList{U("Стол")});
        QTRY_COMPARE(f.Children("Склад"), (QStringList{"PC-1", U("Стол")}));
        QCOMPARE(f.dialog.questions, QStringList{U("Переместить :\r\nPC-1\r\nперед Стол")});
        QCOMPARE(f.Children("Отдел"), QStringList{U("Принтер")});
        QCOMPARE(f.Children("PC-1"), QStringList{"00AABBCCDDEE"});
        QCOMPARE(f.Journal(), QStringList{U("00AABBCCDDEE|_Config_log_|10.03.2026 15:00:00|"
                                            "Перемещено IVANOV в \\\\Склад из \\\\Отдел")});
        QVERIFY(f.Log().contains(U("PC-1 перемещен из \\\\Отдел в \\\\Склад")));
    }

    void shiftingKeepsTheNodeSelectedAndAutomaticSavingSavesAtTheNextSelection() {
        EditingWindow f;
        QVERIFY(f.started);
        f.window->findChild<QCheckBox*>(QStringLiteral("AutoSaveBox"))->click();
        QVERIFY(f.state.AutoSave());
        f.Select("Принтер");
        f.window->Action(Command::ShiftUp)->trigger();
        QCOMPARE(f.Children("Отдел"), (QStringList{U("Принтер"), "PC-1"}));
        QCOMPARE(f.Selected(), U("Принтер"));
        f.window->Action(Command::ShiftDown)->trigger();
        f.window->Action(Command::ShiftDown)->trigger(); // the last one stays
        QCOMPARE(f.Children("Отдел"), (QStringList{"PC-1", U("Принтер")}));
        f.window->Action(Command::ShiftUp)->trigger();
        QCOMPARE(f.Selected(), U("Принтер"));
        QVERIFY(f.state.TreeStorage()->TreeModified());

        f.Select("Склад");
        QTRY_VERIFY(!f.state.TreeStorage()->TreeModified());
        QVERIFY(f.Read(f.TreeFiles().treeText).contains(U("Отдел\r\n\tПринтер\r\n\tPC-1\r\n")));
        QVERIFY(f.Log().contains(U("АвтоЗапись >> On")));
    }

    void bookmarksShowTheirNodesAndSelectThem() {
        EditingWindow f;
        QVERIFY(f.started);
        auto* bar = f.window->findChild<QWidget*>(QStringLiteral("BookmarkBar"));
        auto* first = f.window->findChild<QToolButton*>(QStringLiteral("Bookmark1"));
        QVERIFY(!bar->isVisible());
        f.Select("Принтер");
        f.window->Action(Command::MakeBookmark)->trigger();
        QVERIFY(bar->isVisible());
        QCOMPARE(first->text(), U("Принтер"));
        QCOMPARE(first->toolTip(), U("\\\\Отдел\\Принтер"));
        QCOMPARE(first->icon().pixmap(16, 16).toImage(),
                 f.Index("Принтер").data(Qt::DecorationRole).value<QIcon>().pixmap(16, 16).toImage());
        f.Select("Склад");
        f.window->Action(Command::TreeMakeBookmark)->trigger();
        QCOMPARE(f.window->findChild<QToolButton*>(QStringLiteral("Bookmark2"))->text(), U("Склад"));

        QTest::mouseClick(first, Qt::LeftButton);
        QCOMPARE(f.Selected(), U("Принтер"));
        // A renamed node keeps its bookmark under the new caption.
        QVERIFY(f.Model().setData(f.Index("Принтер"), U("Принтер-2")));
        QCOMPARE(first->text(), U("Принтер-2"));

        f.window->Action(Command::ToggleBookmarks)->trigger();
        QVERIFY(!bar->isVisible());
        f.window->Action(Command::BarToggleBookmarks)->trigger();
        QVERIFY(bar->isVisible());
        f.window->Action(Command::DeleteBookmark)->trigger();
        QCOMPARE(first->text(), U("Склад"));
        f.Select("Склад");
        f.window->Action(Command::TreeDeleteBookmark)->trigger();
        QVERIFY(!bar->isVisible());
    }

    void commentsLiveInThePanelOfTheArchivePage() {
        EditingWindow f;
        QVERIFY(f.started);
        auto* panel = f.window->findChild<QWidget*>(QStringLiteral("CommentPanel"));
        auto* editor = f.window->findChild<QPlainTextEdit*>(QStringLiteral("CommentEditor"));
        auto* pages = f.window->findChild<QTabWidget*>(QStringLiteral("PageControl"));
        pages->setCurrentIndex(2);
        f.Select("PC-1");
        QTest::qWait(80);
        QVERIFY(!panel->isVisibleTo(&*f.window));

        f.window->Action(Command::AddComment)->trigger();
        QCOMPARE(pages->currentWidget()->objectName(), QStringLiteral("ArchivePage"));
        QVERIFY(panel->isVisible());
        QCOMPARE(f.window->focusWidget(), editor);
        QVERIFY(!editor->isReadOnly());
        QTest::keyClicks(editor, QStringLiteral("one"));
        QCOMPARE(*f.Node("PC-1")->Record()->comments, std::vector<std::string>{"one"});
        QCOMPARE(editor->verticalScrollBarPolicy(), Qt::ScrollBarAsNeeded);
        editor->setPlainText(QStringLiteral("1\n2\n3\n4\n5\n"));
        QCOMPARE(*f.Node("PC-1")->Record()->comments, (std::vector<std::string>{"1", "2", "3", "4", "5"}));
        QCOMPARE(editor->verticalScrollBarPolicy(), Qt::ScrollBarAlwaysOn);
        f.window->Action(Command::Save)->trigger();
        QVERIFY(f.Read(f.TreeFiles().addData).contains(QStringLiteral("2;Comment;4\r\n2;Comment;5\r\n")));

        // Another node without comments hides the panel; coming back shows the list again.
        f.Select("Склад");
        QTRY_VERIFY(!panel->isVisible());
        f.Select("PC-1");
        QTRY_VERIFY(panel->isVisible());
        QCOMPARE(editor->toPlainText(), QStringLiteral("1\n2\n3\n4\n5"));

        f.dialog.answers = {Answer::Yes};
        f.window->Action(Command::TreeDeleteComment)->trigger();
        QCOMPARE(f.dialog.questions, QStringList{U("Удалить комментарий для PC-1 ?")});
        QVERIFY(!panel->isVisible());
        QVERIFY(!f.Node("PC-1")->Record()->comments.has_value());
    }

    void aReloadOfTheTreeEndsTheMoveMarking() {
        EditingWindow f;
        QVERIFY(f.started);
        f.Select("PC-1");
        f.window->Action(Command::MoveNode)->trigger();
        QVERIFY(f.state.Editor()->Marking());
        // Another instance saves the tree; the next check is due and the user loads it.
        WriteCp1251Lines(f.installation.QPath("BASE/struct"), kTree + QStringList{"Гараж"});
        WriteCp1251Lines(f.installation.QPath("BASE/image"), kImage + QStringList{"1 ; HHHHHHHHHHHH ;"});
        f.state.Clock().Advance(20);
        f.dialog.answers = {Answer::Yes};
        emit f.window->Menu(Command::ReportsMenu)->aboutToShow();
        QCOMPARE(f.Children(nullptr), (QStringList{U("Неоприходованная техника"), U("Отдел"), U("Склад"), U("Гараж")}));
        QVERIFY(!f.state.Editor()->Marking());
        QVERIFY(!f.Bold("PC-1"));
        QCOMPARE(f.Tree()->viewport()->cursor().shape(), Qt::ArrowCursor);
        QCOMPARE(f.Tree()->toolTip(), QString());
        QCOMPARE(f.StatusLabel()->text(), U("Многопользовательский доступ"));
        QCOMPARE(f.Selected(), QStringLiteral("PC-1"));
    }

    void aProtectedTreeTakesNoEditsInPlaceNorDrops() {
        EditingWindow f({"/R"});
        QVERIFY(f.started);
        QVERIFY(f.state.ProtectData());
        f.dialog.messages.clear();
        for (const Command command : {Command::Rename, Command::AddNode, Command::DeleteNode, Command::MoveNode,
                                      Command::ShiftUp, Command::ChangeType, Command::AddComment}) {
            QVERIFY2(!f.window->Action(command)->isEnabled(), session::InfoOf(command).name);
        }
        const QModelIndex pc = f.Index("PC-1");
        QVERIFY(!(f.Model().flags(pc) & (Qt::ItemIsEditable | Qt::ItemIsDragEnabled | Qt::ItemIsDropEnabled)));
        QTest::ignoreMessage(QtWarningMsg, "edit: editing failed");
        f.Tree()->edit(pc);
        QVERIFY(f.Tree()->viewport()->findChild<QLineEdit*>() == nullptr);
        QVERIFY(!f.Model().setData(pc, QStringLiteral("PC-2")));
        // Ctrl+left click selects without marking.
        QTest::mouseClick(f.Tree()->viewport(), Qt::LeftButton, Qt::ControlModifier, f.Centre("Принтер"));
        QCOMPARE(f.Selected(), U("Принтер"));
        QVERIFY(!f.state.Editor()->Marking());
        Drop(f, "PC-1", "Стол");
        QTest::qWait(20);
        QCOMPARE(f.Children("Склад"), QStringList{U("Стол")});
        QCOMPARE(f.Selected(), U("Принтер"));
        QCOMPARE(f.dialog.questions, QStringList());
        QCOMPARE(f.dialog.messages, QStringList());
        QCOMPARE(f.Journal(), QStringList());
    }
};

} // namespace

std::unique_ptr<QObject> MakeTreeEditingTest() {
    return std::make_unique<TreeEditingTest>();
}

} // namespace pelgo::testing

#include "tree_editing_test.moc"
