// The additional-data page driven as a user drives it over a started application state and its real
// other.dbf: inherited employee fields, typing and saving, the save question before the view changes, journal
// entries added, renamed, refused a rename onto another entry's key, and deleted, protection, and documents.
#include "gui/structure/additional_page.h"

#include <QApplication>
#include <QDesktopServices>
#include <QGroupBox>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTabWidget>
#include <QTest>
#include <QTreeWidget>
#include <QUrl>
#include <optional>
#include <utility>

#include "gui/common/qt_text.h"
#include "gui/structure/structure_tree_model.h"
#include "gui_test_suites.h"
#include "gui_test_support.h"
#include "structure/node_records_table.h"

namespace pelgo::testing {
namespace {

using session::Command;

QString U(const char* utf8) {
    return QString::fromUtf8(utf8);
}

std::string Cp(const char* utf8) {
    return core::Utf8ToCp1251(utf8);
}

// Records a document the page asked the desktop to open.
class DocumentOpener : public QObject {
    Q_OBJECT
public slots:
    void open(const QUrl& url) { opened << url; }

public:
    QList<QUrl> opened;
};

// A started application state on a fresh installation with a department, an employee in it and a printer of
// the employee, all with UNOs, and the page over it, shown.
struct PageFixture {
    explicit PageFixture(std::vector<std::string> programArguments = {}) : arguments(std::move(programArguments)) {
        state.Clock().Set({2026, 3, 10, 15, 0, 0});
        started = state.Start([](std::string_view) {}) == session::AppState::StartResult::Running;
        structure::TreeModel& tree = state.Tree();
        department = &tree.AddChild(nullptr, -1, Cp("Бухгалтерия"), structure::kIconDepartment);
        employee = &tree.AddChild(department, -1, Cp("Иванов И.И."), structure::kIconEmployee);
        printer = &tree.AddChild(employee, -1, "HP LaserJet", 6);
        for (structure::TreeNode* node : {department, employee, printer}) {
            state.Identity().NewAddData(*node);
        }
        page.emplace(state, gui::NodeTypeIcons(), dialog, nullptr);
        page->resize(900, 600);
        page->show();
        journal = Find<QTreeWidget>("JournalTree");
        saveButton = Find<QPushButton>("SaveButton");
    }
    ~PageFixture() {
        page.reset();
        state.CloseRequest();
    }

    template <class Widget> Widget* Find(const char* name) const {
        return page->findChild<Widget*>(QLatin1String(name));
    }
    QLineEdit* Edit(const char* name) const { return Find<QLineEdit>(name); }
    void Click(const char* button) const {
        if (auto* found = Find<QPushButton>(button)) {
            QTest::mouseClick(found, Qt::LeftButton);
        }
    }
    bool InBackground(const QLineEdit* edit) const {
        return edit->palette().color(QPalette::Base) == page->palette().color(QPalette::Window);
    }

    void Append(const structure::TreeNode* node, const char* group, const char* name, const char* utf8Text) {
        structure::NodeRecordsTable(*state.OtherTable().table)
            .Append(node->Record()->uno, Cp(group), name, Cp(utf8Text));
    }
    // The node's records as "GROUP|NAME|TEXT", in table order.
    QStringList Records(const structure::TreeNode* node) {
        QStringList lines;
        for (const structure::NodeRecord& record :
             structure::NodeRecordsTable(*state.OtherTable().table).Find(node->Record()->uno)) {
            lines << gui::FromCp1251(record.group + "|" + record.name + "|" + record.text);
        }
        return lines;
    }

    // The journal's entry lines as the tree shows them.
    QStringList EntryLines(int journalLine) const {
        QStringList lines;
        const QTreeWidgetItem* top = journal->topLevelItem(journalLine);
        for (int row = 0; top != nullptr && row < top->childCount(); ++row) {
            lines << top->child(row)->text(0);
        }
        return lines;
    }
    QTreeWidgetItem* EntryLine(int journalLine, int row) const {
        QTreeWidgetItem* top = journal->topLevelItem(journalLine);
        return top != nullptr ? top->child(row) : nullptr;
    }
    // The open in-place editor of a journal line.
    QLineEdit* TitleEditor() const {
        for (QLineEdit* edit : journal->viewport()->findChildren<QLineEdit*>()) {
            if (edit->isVisible()) {
                return edit;
            }
        }
        return nullptr;
    }
    // The selected line's title edited in place as with F2.
    bool RenameSelected(const QString& title) {
        journal->setFocus();
        QTest::keyClick(journal, Qt::Key_F2);
        QLineEdit* editor = TitleEditor();
        if (editor == nullptr) {
            return false;
        }
        Retype(editor, title);
        QTest::keyClick(editor, Qt::Key_Return);
        QCoreApplication::processEvents();
        return true;
    }

    Installation installation;
    RecordingDialog dialog;
    QuietProgress progress;
    std::vector<std::string> arguments;
    session::AppState state{
        {installation.Folder(), installation.Path("pelgo"), arguments, "IVANOV", "WS-01"}, dialog, progress};
    bool started = false;
    structure::TreeNode* department = nullptr;
    structure::TreeNode* employee = nullptr;
    structure::TreeNode* printer = nullptr;
    std::optional<gui::AdditionalPage> page;
    QTreeWidget* journal = nullptr;
    QPushButton* saveButton = nullptr;
};

class AdditionalPageTest : public QObject {
    Q_OBJECT

private slots:
    void employeeShowsInheritedRoomAndSavesOnlyWhatWasTyped() {
        PageFixture f;
        QVERIFY(f.started);
        f.Append(f.department, "Main", "aRoom", "215");

        f.page->ShowNode(f.employee);
        QLineEdit* room = f.Edit("aRoomEdit");
        QLineEdit* phone = f.Edit("aPhoneEdit");
        QLineEdit* model = f.Edit("aModelEdit");
        QVERIFY(room && phone && model);
        QCOMPARE(room->text(), QStringLiteral("215"));
        QVERIFY(f.InBackground(room));
        QCOMPARE(room->toolTip(), U("Бухгалтерия"));
        QVERIFY(room->isEnabled());
        QVERIFY2(!model->isEnabled() && model->text().isEmpty() && f.InBackground(model),
                 "equipment fields are not kept by an employee");
        QVERIFY(!f.InBackground(phone));
        QCOMPARE(f.Find<QGroupBox>("EquipmentGroup")->title(), U("       Дополнительно"));
        QCOMPARE(f.Find<QLabel>("aPhoneLabel")->text(), U("Телефон"));
        QVERIFY(!f.saveButton->isEnabled());

        Type(phone, QStringLiteral("2-15-15"));
        QVERIFY(f.saveButton->isEnabled());
        f.Click("SaveButton");
        QCOMPARE(f.Records(f.employee), QStringList{U("Main|aPhone|2-15-15")});
        QVERIFY(!f.saveButton->isEnabled());
        QVERIFY(f.dialog.questions.isEmpty());

        f.Click("CancelButton");
        QCOMPARE(phone->text(), QStringLiteral("2-15-15"));
        QVERIFY(!f.InBackground(phone));
        QCOMPARE(room->text(), QStringLiteral("215"));
        QVERIFY(f.InBackground(room));

        // Typing over the inherited value makes it the employee's own.
        Retype(room, QStringLiteral("301"));
        QVERIFY(!f.InBackground(room));
        QVERIFY(room->toolTip().isEmpty());
        f.Click("SaveButton");
        QCOMPARE(f.Records(f.employee), (QStringList{U("Main|aRoom|301"), U("Main|aPhone|2-15-15")}));

        // A printer: its type names the first group, and it inherits from the employee first.
        f.page->ShowNode(f.printer);
        QCOMPARE(f.Find<QGroupBox>("EquipmentGroup")->title(), U("       Принтер"));
        QVERIFY(!f.Find<QLabel>("TypePicture")->pixmap().isNull());
        QVERIFY(model->isEnabled());
        QCOMPARE(room->text(), QStringLiteral("301"));
        QCOMPARE(room->toolTip(), U("Иванов И.И."));
        QCOMPARE(phone->text(), QStringLiteral("2-15-15"));
    }

    void changesAreSavedOrDroppedBeforeTheViewChanges() {
        PageFixture f;
        QVERIFY(f.started);
        const QString question = U("Записать изменения\r\nдополнительной информации ?");

        f.page->ShowNode(f.printer);
        Type(f.Edit("aModelEdit"), QStringLiteral("1100"));
        f.dialog.answers = {platform::Answer::No};
        f.page->ShowNode(f.employee);
        QCOMPARE(f.dialog.questions, QStringList{question});
        QVERIFY(f.Records(f.printer).isEmpty());
        QVERIFY(!f.saveButton->isEnabled());

        f.page->ShowNode(f.printer);
        QVERIFY(f.Edit("aModelEdit")->text().isEmpty());
        Type(f.Edit("aModelEdit"), QStringLiteral("1100"));
        f.dialog.answers = {platform::Answer::Yes};
        f.page->ShowNode(f.employee);
        QCOMPARE(f.Records(f.printer), QStringList{U("Main|aModel|1100")});

        // With automatic saving ticked nothing is asked.
        f.state.SetAutoSave(true);
        f.page->ShowNode(f.printer);
        Type(f.Edit("DocumentEdit"), QStringLiteral("  /srv/docs/invoice.pdf "));
        f.page->ShowNode(f.department);
        QCOMPARE(f.dialog.questions.size(), 2);
        QCOMPARE(f.Records(f.printer), (QStringList{U("Main|aModel|1100"), U("Main|File_1|/srv/docs/invoice.pdf")}));
    }

    void repairEntryIsAddedFilledRenamedAndSaved() {
        PageFixture f;
        QVERIFY(f.started);
        f.page->ShowNode(f.printer);
        QCOMPARE(f.journal->topLevelItemCount(), 2);
        QCOMPARE(f.journal->topLevelItem(0)->text(0), U("Ремонты"));
        QVERIFY(!f.journal->topLevelItem(0)->icon(0).isNull());
        QCOMPARE(f.Find<QLabel>("Edit1Label")->text(), U("Ремонтирующая организация"));
        QVERIFY2(!f.Edit("Edit1")->isEnabled(), "a journal line has no fields of its own");

        f.dialog.answers = {platform::Answer::Yes};
        f.Click("AddEntryButton");
        QCOMPARE(f.dialog.questions, QStringList{U("Создать новую запись в журнале \"Ремонты\" ?")});
        QCOMPARE(f.EntryLines(0), QStringList{U("1 , 10.03.2026")});
        QCOMPARE(f.journal->currentItem(), f.EntryLine(0, 0));
        QLineEdit* editor = f.TitleEditor();
        QVERIFY2(editor != nullptr, "the new entry's title is edited at once");
        QTest::keyClick(editor, Qt::Key_Escape);
        QVERIFY(f.Edit("Edit1")->isEnabled());
        QVERIFY(f.saveButton->isEnabled());

        Type(f.Edit("Edit1"), U("ООО Сервис"));
        Type(f.Edit("Edit3"), QStringLiteral("1500"));
        f.Click("SaveButton");
        QCOMPARE(f.Records(f.printer),
                 (QStringList{U("0;1 , 10.03.2026|Edit1|ООО Сервис"), U("0;1 , 10.03.2026|Edit3|1500")}));

        QVERIFY(f.RenameSelected(U("Замена блока питания 1")));
        QCOMPARE(f.EntryLines(0), QStringList{U("Замена блока питания 1")});
        QVERIFY2(f.Records(f.printer).isEmpty(), "a rename removes the records under the old key at once");
        f.Click("SaveButton");
        const QStringList renamed{U("0;Замена блока питания 1|Edit1|ООО Сервис"),
                                  U("0;Замена блока питания 1|Edit3|1500")};
        QCOMPARE(f.Records(f.printer), renamed);

        f.Click("CancelButton");
        QCOMPARE(f.EntryLines(0), QStringList{U("Замена блока питания 1")});
        f.journal->setCurrentItem(f.EntryLine(0, 0));
        QCOMPARE(f.Edit("Edit1")->text(), U("ООО Сервис"));
        QCOMPARE(f.Edit("Edit2")->text(), QString());
        QCOMPARE(f.Edit("Edit3")->text(), QStringLiteral("1500"));

        // A second entry may not take a title whose first 22 characters are the first one's.
        f.dialog.answers = {platform::Answer::Yes};
        f.Click("AddEntryButton");
        if (QLineEdit* open = f.TitleEditor()) {
            QTest::keyClick(open, Qt::Key_Escape);
        }
        Type(f.Edit("Edit2"), U("не включается"));
        f.Click("SaveButton");
        QCOMPARE(f.journal->currentItem(), f.EntryLine(0, 1));
        f.dialog.messages.clear();
        QVERIFY(f.RenameSelected(U("Замена блока питания 1 и 2")));
        QCOMPARE(f.dialog.messages.size(), 1);
        QVERIFY(f.dialog.messages.front().contains(U("\"Замена блока питания 1 и 2\"")));
        QVERIFY(f.dialog.messages.front().contains(U("\"Замена блока питания 1\"")));
        QCOMPARE(f.EntryLines(0), (QStringList{U("Замена блока питания 1"), U("2 , 10.03.2026")}));
        QVERIFY(!f.saveButton->isEnabled());
        QCOMPARE(f.Records(f.printer), renamed + QStringList{U("0;2 , 10.03.2026|Edit2|не включается")});

        // The entry's labels follow the selected line's journal.
        f.journal->setCurrentItem(f.journal->topLevelItem(1));
        QCOMPARE(f.Find<QLabel>("Edit1Label")->text(), U("Модернизируемый блок"));
        QVERIFY(!f.Edit("Edit1")->isEnabled());
        QVERIFY(f.InBackground(f.Edit("Edit1")));
    }

    void deletingAnEntryLeavesTheRest() {
        PageFixture f;
        QVERIFY(f.started);
        f.Append(f.printer, "Main", "aModel", "1100");
        f.Append(f.printer, "0;Картридж", "Edit1", "A");
        f.Append(f.printer, "1;Память", "Edit1", "B");
        f.Append(f.printer, "0;Ролик", "Edit2", "C");
        f.page->ShowNode(f.printer);
        QCOMPARE(f.EntryLines(0), (QStringList{U("Картридж"), U("Ролик")}));
        QCOMPARE(f.EntryLines(1), QStringList{U("Память")});

        f.journal->setCurrentItem(f.EntryLine(0, 1));
        f.dialog.answers = {platform::Answer::No};
        f.page->DeleteEntry();
        QCOMPARE(f.EntryLines(0).size(), 2);

        f.dialog.answers = {platform::Answer::Yes};
        f.Click("DeleteEntryButton");
        QCOMPARE(f.dialog.questions.last(), U("Удалить записи для\r\nРемонты : Ролик"));
        QCOMPARE(f.EntryLines(0), QStringList{U("Картридж")});
        QCOMPARE(f.journal->currentItem(), f.EntryLine(0, 0));
        QCOMPARE(f.Records(f.printer),
                 (QStringList{U("Main|aModel|1100"), U("0;Картридж|Edit1|A"), U("1;Память|Edit1|B")}));
    }

    void protectedDataIsNeitherMarkedNorWritten() {
        PageFixture f({"/R"});
        QVERIFY(f.started);
        QVERIFY(f.state.ProtectData());
        f.page->ShowNode(f.printer);
        Type(f.Edit("aModelEdit"), QStringLiteral("1100"));
        QVERIFY(!f.saveButton->isEnabled());
        QVERIFY(!f.page->Save(false));
        f.page->AddEntry();
        QVERIFY(f.dialog.questions.isEmpty());
        QVERIFY(f.EntryLines(0).isEmpty());
        f.page->ShowNode(f.employee);
        QVERIFY(f.dialog.questions.isEmpty());
        QVERIFY(f.Records(f.printer).isEmpty());
    }

    void documentsOpenWhenTheyExist() {
        PageFixture f;
        QVERIFY(f.started);
        DocumentOpener opener;
        QDesktopServices::setUrlHandler(QStringLiteral("file"), &opener, "open");
        const QString existing = f.installation.QPath("invoice.txt");
        WriteCp1251Lines(existing, {"paid"});
        f.page->ShowNode(f.printer);
        QLineEdit* document = f.Edit("DocumentEdit");

        document->setText(QStringLiteral("\"") + existing + QStringLiteral("\" "));
        f.Click("OpenDocumentButton");
        document->setText(QStringLiteral(" \"x\""));
        f.Click("OpenDocumentButton");
        document->setText(QStringLiteral("\"/nowhere/act 5.pdf\""));
        f.Click("OpenDocumentButton");
        QDesktopServices::unsetUrlHandler(QStringLiteral("file"));

        QCOMPARE(opener.opened, QList<QUrl>{QUrl::fromLocalFile(existing)});
        QCOMPARE(f.dialog.messages, QStringList{U("Файл не найден : /nowhere/act 5.pdf")});
    }

    void theMainWindowShowsTheSelectedNodesDataAndSavesBeforeLeavingIt() {
        Installation installation;
        WriteCp1251Lines(installation.QPath("BASE/struct"), {"Бухгалтерия", "\tИванов И.И."});
        WriteCp1251Lines(installation.QPath("BASE/image"), {"1 ; AAAAAAAAAAAA ;", "2 ; BBBBBBBBBBBB ;"});
        StartedWindow w(installation);
        QVERIFY(w.started);
        w.state.Settings().SetBool(shell::Key::AutoViewSelect, false); // the page stays open for the department
        w.window->show();
        QVERIFY(QTest::qWaitForWindowActive(&*w.window));
        structure::NodeRecordsTable(*w.state.OtherTable().table).Append("AAAAAAAAAAAA", "Main", "aRoom", "215");
        structure::TreeNode* department = w.state.Tree().NodeAt(0);
        structure::TreeNode* employee = w.state.Tree().NodeAt(1);
        const auto select = [&](structure::TreeNode* node) {
            w.window->Tree()->setCurrentIndex(w.window->TreeModel().IndexOf(node));
            QTest::qWait(120); // past the selection's settling time
        };
        auto* pages = w.window->findChild<QTabWidget*>(QStringLiteral("PageControl"));
        auto* page = w.window->findChild<gui::AdditionalPage*>(QStringLiteral("AdditionalPage"));
        QVERIFY(pages && page);

        select(employee);
        pages->setCurrentWidget(page);
        QLineEdit* room = page->findChild<QLineEdit*>(QStringLiteral("aRoomEdit"));
        QLineEdit* phone = page->findChild<QLineEdit*>(QStringLiteral("aPhoneEdit"));
        QCOMPARE(room->text(), QStringLiteral("215"));
        Type(phone, QStringLiteral("2-15-15"));
        w.dialog.answers << platform::Answer::Yes;
        select(department);
        QVERIFY(w.dialog.questions.last().startsWith(U("Записать изменения")));
        QCOMPARE(room->text(), QStringLiteral("215")); // now the department's own
        const auto stored = [&](const char* uno) {
            QStringList lines;
            for (const auto& record : structure::NodeRecordsTable(*w.state.OtherTable().table).Find(uno)) {
                lines << gui::FromCp1251(record.group + "|" + record.name + "|" + record.text);
            }
            return lines;
        };
        QCOMPARE(stored("BBBBBBBBBBBB"), QStringList{QStringLiteral("Main|aPhone|2-15-15")});

        // With the journals in focus, the add command adds an entry there, not a node.
        auto* journal = page->findChild<QTreeWidget*>(QStringLiteral("JournalTree"));
        journal->setFocus();
        QVERIFY(page->JournalHasFocus()); // else the command would open the add-node dialog
        const int nodes = w.state.Tree().Count();
        w.dialog.answers << platform::Answer::Yes;
        w.window->Action(Command::AddNode)->trigger();
        QVERIFY(w.dialog.questions.last().startsWith(U("Создать новую запись в журнале")));
        QCOMPARE(w.state.Tree().Count(), nodes);
        QCOMPARE(journal->topLevelItem(0)->childCount(), 1);
        Type(page->findChild<QLineEdit*>(QStringLiteral("Edit1")), U("Сервис"));
        w.window->Action(Command::Save)->trigger(); // the window's save writes the page's edits too
        QVERIFY(stored("AAAAAAAAAAAA").contains(U("0;1 , 10.03.2026|Edit1|Сервис")));

        // Another instance saves the tree while the employee's phone is being edited: the reload makes new
        // nodes, and the edit is still written to the employee.
        select(employee);
        Retype(phone, QStringLiteral("3-33-33"));
        WriteCp1251Lines(installation.QPath("BASE/struct"), {"Бухгалтерия", "\tИванов И.И.", "Склад"});
        WriteCp1251Lines(installation.QPath("BASE/image"),
                         {"1 ; AAAAAAAAAAAA ;", "2 ; BBBBBBBBBBBB ;", "1 ; CCCCCCCCCCCC ;"});
        w.state.Clock().Advance(3600);
        w.dialog.answers << platform::Answer::Yes << platform::Answer::Yes;
        QCOMPARE(w.state.CheckCurrentConfig(), session::AppState::TreeCheck::Reloaded);
        QCoreApplication::processEvents();
        page->Save(false);
        QCOMPARE(stored("BBBBBBBBBBBB"), QStringList{QStringLiteral("Main|aPhone|3-33-33")});

        // "Отменить" drops what was typed.
        select(w.state.Tree().NodeAt(1));
        Retype(phone, QStringLiteral("4-44-44"));
        QTest::mouseClick(page->findChild<QPushButton*>(QStringLiteral("CancelButton")), Qt::LeftButton);
        QCOMPARE(phone->text(), QStringLiteral("3-33-33"));
        QCOMPARE(stored("BBBBBBBBBBBB"), QStringList{QStringLiteral("Main|aPhone|3-33-33")});
    }
};

} // namespace

std::unique_ptr<QObject> MakeAdditionalPageTest() {
    return std::make_unique<AdditionalPageTest>();
}

} // namespace pelgo::testing

#include "additional_page_test.moc"
