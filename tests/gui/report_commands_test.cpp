// The built-in reports of the main window's reports menu on a small installation: the passport and the account
// card of the selected computer, a journal report through the filter dialog, the move request of two moves
// made in the tree with its clearing question, and the summaries.
#include <QAction>
#include <QApplication>
#include <QDialogButtonBox>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>
#include <QTimer>
#include <QTreeView>
#include <QTreeWidget>
#include <functional>

#include "archive/computer_view.h"
#include "core/file.h"
#include "gui/common/theme_icons.h"
#include "gui/reports/journal_filter_dialog.h"
#include "gui/reports/report_window.h"
#include "gui/structure/structure_tree_model.h"
#include "gui_test_suites.h"
#include "gui_test_support.h"
#include "reports/computer_documents.h"
#include "reports/rtf_writer.h"
#include "structure/node_queries.h"

namespace pelgo::testing {
namespace {

using platform::Answer;
using session::Command;

QString U(const char* utf8) {
    return QString::fromUtf8(utf8);
}

QStringList Paragraphs(const reports::RichText& text) {
    QStringList lines;
    for (const reports::Paragraph& paragraph : text.paragraphs) {
        lines << (paragraph.pageBreakBefore ? QStringLiteral("^") : QString()) +
                     QString::fromStdString(reports::ParagraphUtf8(paragraph));
    }
    return lines;
}

// Every line of a model in pre-order.
QStringList Lines(const QAbstractItemModel& model, const QModelIndex& parent = {}) {
    QStringList lines;
    for (int row = 0; row < model.rowCount(parent); ++row) {
        const QModelIndex index = model.index(row, 0, parent);
        lines << index.data().toString() << Lines(model, index);
    }
    return lines;
}

reports::Paragraph Line(const char* utf8) {
    reports::Paragraph paragraph;
    reports::AppendText(paragraph, core::Utf8ToCp1251(utf8), {});
    return paragraph;
}

const QString kToday = U("10.03.2026");

// "Бухгалтерия" holds the employee "Иванов И.И." with PC-1 (archived, with additional data and journal entries)
// and a monitor; "Склад" holds PC-2. A journal of the settings, "Поверки", follows the two built-in ones.
struct ReportsInstallation {
    ReportsInstallation() {
        WriteCp1251Lines(installation.QPath("BASE/struct"),
                         {"Неоприходованная техника", "Бухгалтерия", "\tИванов И.И.", "\t\tPC-1", "\t\t\t00AA00000001",
                          "\t\tМонитор", "Склад", "\tPC-2", "\t\t00AA00000002"});
        WriteCp1251Lines(installation.QPath("BASE/image"),
                         {"1 ; AAAAAAAAAAAA ;", "1 ; BBBBBBBBBBBB ;", "2 ; CCCCCCCCCCCC ;", "3 ; DDDDDDDDDDDD ;",
                          "4 ; EEEEEEEEEEEE ;", "5 ; HHHHHHHHHHHH ;", "1 ; FFFFFFFFFFFF ;", "3 ; GGGGGGGGGGGG ;",
                          "4 ; IIIIIIIIIIII ;"});
        WriteCp1251Lines(installation.QPath("pelgo.ini"),
                         {"[RepairTree]", "Поверки=40", "[RepairTreeEdit]", "0=Кто", "1=Что", "2=Где", "3=Когда"});
    }
    Installation installation;
};

struct ReportsWindow : ReportsInstallation, StartedWindow {
    ReportsWindow() : StartedWindow(installation) {
        platform::DbfTable& device = *state.DeviceTable().table;
        device.Append({"00AA00000001", "Computer", "CPU", "Intel Pentium III"});
        device.Append({"00AA00000001", "Computer", "Memory_in_Mb", "256"});
        device.Append({"00AA00000001", "Info", "Computer_Name", "WS1"});
        platform::DbfTable& other = *state.OtherTable().table;
        other.Append({"DDDDDDDDDDDD", "Main", "aInumber", "INV-7"});
        for (const auto& [group, text] :
             {std::pair{"0;10.03.2026 замена", "Сервис-центр"}, std::pair{"0;01.02.2026 чистка", "Своими силами"},
              std::pair{"1;10.03.2026 память", "Отдел АСУ"}}) {
            other.Append({"DDDDDDDDDDDD", core::Utf8ToCp1251(group), "Edit1", core::Utf8ToCp1251(text)});
        }
        window->show();
        window->Tree()->expandAll();
        QTest::qWait(80); // the activation's selection settles
    }

    structure::TreeNode* Node(const char* utf8Text) {
        for (int i = 0; i < state.Tree().Count(); ++i) {
            if (state.Tree().NodeAt(i)->Text() == core::Utf8ToCp1251(utf8Text)) {
                return state.Tree().NodeAt(i);
            }
        }
        return nullptr;
    }
    QPoint Centre(const char* utf8Text) {
        return window->Tree()->visualRect(window->TreeModel().IndexOf(Node(utf8Text))).center();
    }
    void Select(const char* utf8Text) {
        window->Tree()->setCurrentIndex(window->TreeModel().IndexOf(Node(utf8Text)));
        QTest::qWait(120); // past the selection's settling time
    }
    QList<gui::ReportWindow*> Reports() const { return window->findChildren<gui::ReportWindow*>(); }
    // The one report window open, closed after its text and kind are taken; none gives an empty text.
    QStringList TakeReport(int kind) {
        const QList<gui::ReportWindow*> reports = Reports();
        if (reports.size() != 1 || !reports.front()->isVisible() || reports.front()->Kind() != kind) {
            return {};
        }
        const QStringList text = Paragraphs(reports.front()->Text());
        reports.front()->close();
        return text;
    }
    // A move as the user makes it: the node marked from the menu, then a double click on the target.
    void Move(const char* node, const char* target) {
        Select(node);
        window->Action(Command::MoveNode)->trigger();
        dialog.answers = {Answer::Yes};
        QWidget* viewport = window->Tree()->viewport();
        QTest::mouseClick(viewport, Qt::LeftButton, Qt::NoModifier, Centre(target));
        QTest::mouseDClick(viewport, Qt::LeftButton, Qt::NoModifier, Centre(target));
    }
};

// Acts on the journal filter dialog once it is up, within the modal loop that waits for it; `act` answers it.
void OnFilterDialog(const std::function<void(gui::JournalFilterDialog&)>& act) {
    QTimer::singleShot(0, [act] {
        for (QWidget* widget : QApplication::topLevelWidgets()) {
            if (auto* filter = qobject_cast<gui::JournalFilterDialog*>(widget); filter && filter->isVisible()) {
                act(*filter);
                return;
            }
        }
    });
}

template <class T> T* Child(QWidget& parent, const char* name) {
    return parent.findChild<T*>(QLatin1String(name));
}

void Press(gui::JournalFilterDialog& filter, QDialogButtonBox::StandardButton button) {
    filter.findChild<QDialogButtonBox*>()->button(button)->click();
}

class ReportCommandsTest : public QObject {
    Q_OBJECT

private slots:
    void passportAndCardOfTheSelectedComputer() {
        ReportsWindow f;
        QVERIFY(f.started);
        f.Select("Монитор");
        QVERIFY(!f.window->Action(Command::Passport)->isEnabled());
        QVERIFY(!f.window->Action(Command::AccountCard)->isEnabled());
        f.Select("PC-1");
        f.state.Editor()->SetComments(*f.Node("PC-1"), {core::Utf8ToCp1251("Гарантия до 2027")});
        // Archived after the archive page showed the computer: the passport reads the archive, not the page.
        f.state.DeviceTable().table->Append({"00AA00000001", "Computer", "Video", "Matrox G400"});
        QVERIFY(!Lines(*f.window->findChild<QTreeView*>(QStringLiteral("ArchiveTree"))->model())
                     .join(u'\n')
                     .contains(QStringLiteral("Matrox G400")));

        QAction* passport = f.window->Action(Command::Passport);
        QVERIFY(passport->isEnabled());
        passport->trigger();
        const QStringList text = f.TakeReport(0);
        QCOMPARE(text.value(1), U("Паспорт компьютера"));
        const QString path = f.window->findChild<QLabel*>(QStringLiteral("PathLabel"))->text();
        QCOMPARE(path, U("\\\\Бухгалтерия\\Иванов И.И.\\PC-1"));
        QVERIFY(text.contains(path));
        QVERIFY(text.join(u'\n').contains(QStringLiteral("Matrox G400")));
        QVERIFY(text.contains(U("Гарантия до 2027")));
        QCOMPARE(text.last(), U("Дата составления : ") + kToday);
        // Exactly the document of the computer's archive tree as the view engine builds it.
        const archive::ComputerView view =
            archive::ViewOfComputer(*f.state.DeviceTable().table, *f.state.OtherTable().table, "00AA00000001",
                                    f.state.Smart(), archive::ViewTexts::Translated());
        QCOMPARE(text, Paragraphs(reports::ComputerPassport(view.archive, structure::GetPath(f.Node("PC-1")),
                                                            {core::Utf8ToCp1251("Гарантия до 2027")},
                                                            core::Utf8ToCp1251(kToday.toStdString()))));
        QTRY_COMPARE(f.Reports().size(), 0);

        f.window->Action(Command::AccountCard)->trigger();
        const QStringList card = f.TakeReport(4);
        QCOMPARE(card.value(0), U("Учетная карточка технических средств"));
        for (const QString& line : {U("Подразделение\tБухгалтерия"), U("Ф.И.О.\t\tИванов И.И."),
                                    U("Процессор \tIntel Pentium III"), U("Память    \t256 Мб"), U("Имя комп.  \tWS1"),
                                    U("Инвентарн.№\tINV-7"), U("Дополнительно\tГарантия до 2027"), U("Монитор")}) {
            QVERIFY2(card.contains(line), qPrintable(line));
        }
        QVERIFY(!card.contains(QStringLiteral("PC-2")));
        QVERIFY(f.dialog.messages.isEmpty());
    }

    void journalReportThroughTheFilterDialog() {
        ReportsWindow f;
        QVERIFY(f.started);
        f.Select("PC-1");
        QAction* repairs = f.window->findChild<QAction*>(QStringLiteral("N_Journal0"));
        QCOMPARE(repairs->text(), U("Ремонты"));
        QVERIFY(repairs->isEnabled());
        const auto run = [&](const std::function<void(gui::JournalFilterDialog&)>& act) {
            OnFilterDialog(act);
            repairs->trigger();
            return f.TakeReport(100);
        };

        // The first showing: every entry is the default and the text gets today's date.
        QString shownText;
        bool allByDefault = false;
        QStringList text = run([&](gui::JournalFilterDialog& filter) {
            QCOMPARE(filter.windowTitle(), U("Фильтр журнала"));
            shownText = Child<QLineEdit>(filter, "FilterText")->text();
            allByDefault = Child<QRadioButton>(filter, "AllEntries")->isChecked();
            Child<QRadioButton>(filter, "OnlyFor")->setChecked(true);
            Press(filter, QDialogButtonBox::Ok);
        });
        QCOMPARE(shownText, kToday);
        QVERIFY(allByDefault);
        QCOMPARE(text.value(0), U("Журнал Ремонты"));
        QVERIFY(text.contains(U("Запись 10.03.2026 замена")));
        QVERIFY(text.contains(U("Ремонтирующая организация : Сервис-центр")));
        QVERIFY(!text.join(u'\n').contains(U("Своими силами")));
        QVERIFY(!text.join(u'\n').contains(U("Отдел АСУ"))); // an entry of another journal
        QTRY_COMPARE(f.Reports().size(), 0);

        // Cancel builds nothing; a text shorter than 3 characters gives way to the date at the next showing.
        text = run([](gui::JournalFilterDialog& filter) {
            Child<QLineEdit>(filter, "FilterText")->setText(QStringLiteral("01"));
            Press(filter, QDialogButtonBox::Cancel);
        });
        QCOMPARE(text, QStringList());
        QCOMPARE(f.Reports().size(), 0);
        text = run([&](gui::JournalFilterDialog& filter) {
            shownText = Child<QLineEdit>(filter, "FilterText")->text();
            Child<QLineEdit>(filter, "FilterText")->setText(QStringLiteral("01.02.2026"));
            Press(filter, QDialogButtonBox::Ok);
        });
        QCOMPARE(shownText, kToday);
        QVERIFY(text.contains(U("Ремонтирующая организация : Своими силами")));
        QVERIFY(!text.join(u'\n').contains(U("Сервис-центр")));
        QTRY_COMPARE(f.Reports().size(), 0);

        // A longer text stays; every entry again.
        text = run([&](gui::JournalFilterDialog& filter) {
            shownText = Child<QLineEdit>(filter, "FilterText")->text();
            Child<QRadioButton>(filter, "AllEntries")->setChecked(true);
            Press(filter, QDialogButtonBox::Ok);
        });
        QCOMPARE(shownText, QStringLiteral("01.02.2026"));
        QVERIFY(text.contains(U("Ремонтирующая организация : Сервис-центр")));
        QVERIFY(text.contains(U("Ремонтирующая организация : Своими силами")));
        QTRY_COMPARE(f.Reports().size(), 0);

        // A journal the settings no longer keep: told, and no filter dialog.
        QAction* checks = f.window->findChild<QAction*>(QStringLiteral("N_Journal2"));
        QCOMPARE(checks->text(), U("Поверки"));
        f.state.Settings().journalTypes.clear();
        bool filterShown = false;
        OnFilterDialog([&](gui::JournalFilterDialog& filter) {
            filterShown = true;
            filter.reject();
        });
        checks->trigger();
        QCOMPARE(f.dialog.messages, QStringList{U("Данный журнал более не ведется")});
        QVERIFY(!filterShown);
        QCOMPARE(f.Reports().size(), 0);
    }

    void enterpriseDepartmentAndOwnersSummaries() {
        ReportsWindow f;
        QVERIFY(f.started);
        f.Select("PC-1");
        QVERIFY(!f.window->Action(Command::SummaryDepartment)->isEnabled());
        struct Case {
            Command command;
            const char* selected;
            int kind;
            QStringList heading; // the first lines
            QStringList present;
            QStringList absent;
        };
        const Case cases[] = {
            {Command::SummaryEnterprise,
             "PC-1",
             2,
             {U("Сводные данные по предприятию"), QString(), U("На 10.03.2026 учтено компьютеров - 2")},
             {U("Intel Pentium III - 1 шт."), U("Компьютеров с ошибочной конфигурацией записей - 1 шт. Список :"),
              U("Склад\\PC-2 MAC addr:00AA00000002"), U("Отделов - 3"), U("Компьютеров - 2"), U("Мониторов - 1")},
             {}},
            // Started on the last department: only its subtree.
            {Command::SummaryDepartment,
             "Склад",
             7,
             {U("Сводные данные по подразделению"), U("\\\\Склад"), QString(),
              U("На 10.03.2026 учтено компьютеров - 1")},
             {U("Отделов - 1"), U("Компьютеров - 1"), U("Склад\\PC-2 MAC addr:00AA00000002")},
             {U("Intel Pentium III - 1 шт."), U("Мониторов - 1")}},
            {Command::SummaryOwners,
             "PC-1",
             5,
             {U("Сводные данные по владельцам")},
             {U("Бухгалтерия\\Иванов И.И."), U("Монитор"), U("Склад")},
             {}},
        };
        for (const Case& c : cases) {
            f.Select(c.selected);
            QAction* action = f.window->Action(c.command);
            QVERIFY2(action->isEnabled(), qPrintable(action->text()));
            action->trigger();
            const QStringList text = f.TakeReport(c.kind);
            QCOMPARE(text.mid(0, c.heading.size()), c.heading);
            for (const QString& line : c.present) {
                QVERIFY2(text.contains(line), qPrintable(action->text() + QStringLiteral(": ") + line));
            }
            for (const QString& line : c.absent) {
                QVERIFY2(!text.contains(line), qPrintable(action->text() + QStringLiteral(": ") + line));
            }
            QVERIFY(f.state.TreeReactionsOn());
            QTRY_COMPARE(f.Reports().size(), 0);
        }
        QVERIFY(f.dialog.messages.isEmpty());

        // The counted values offered as CSV; the owners summary counts nothing and has no such choice.
        f.window->Action(Command::SummaryEnterprise)->trigger();
        QCOMPARE(f.Reports().size(), 1);
        f.dialog.files = {QString::fromStdString(f.installation.Path("summary"))};
        f.dialog.filterPicks = {4};
        f.Reports().front()->Save();
        QVERIFY(f.dialog.filters.last().endsWith(QStringLiteral("|CSV|*.csv")));
        const std::string csv = core::ReadFileBytes(f.installation.Path("summary.csv"));
        QVERIFY(csv.starts_with("\xEF\xBB\xBFsection;value;count\r\n"));
        QVERIFY(QString::fromStdString(csv).contains(U("Список процессоров;Intel Pentium III;1\r\n")));
        f.Reports().front()->close();
        QTRY_COMPARE(f.Reports().size(), 0);
        f.window->Action(Command::SummaryOwners)->trigger();
        QCOMPARE(f.Reports().size(), 1);
        f.Reports().front()->Save();
        QVERIFY(!f.dialog.filters.last().contains(QStringLiteral("CSV")));
        f.Reports().front()->close();
        QTRY_COMPARE(f.Reports().size(), 0);
    }

    void programsSummaryIsATreeSavedAsText() {
        ReportsWindow f;
        QVERIFY(f.started);
        platform::DbfTable& device = *f.state.DeviceTable().table;
        device.Append({"00AA00000001", "Windows_Soft", "1", "Far Manager"});
        device.Append({"00AA00000001", "Windows_Soft", "2", "7-Zip"});
        device.Append({"00AA00000002", "Windows_Soft", "1", "Far Manager"});
        f.window->Action(Command::SummaryPrograms)->trigger();
        const QList<gui::ReportWindow*> reports = f.Reports();
        QCOMPARE(reports.size(), 1);
        gui::ReportWindow& report = *reports.front();
        QVERIFY(report.isVisible());
        QCOMPARE(report.Kind(), 6);
        QVERIFY(report.ShowsTree());
        QCOMPARE(report.windowTitle(), U("Свод по программам "));
        QTreeWidget& tree = *report.Tree();
        QCOMPARE(tree.topLevelItemCount(), 2);
        QCOMPARE(tree.currentItem(), tree.topLevelItem(0));
        const QTreeWidgetItem& far = *tree.topLevelItem(1);
        QCOMPARE(far.text(0), U("Far Manager [2 польз.]"));
        QCOMPARE(far.childCount(), 2);
        QCOMPARE(far.icon(0).cacheKey(), gui::NodeTypeIcon(2).cacheKey());
        QCOMPARE(far.child(1)->icon(0).cacheKey(), gui::NodeTypeIcon(4).cacheKey());

        report.PrintCommand();
        QCOMPARE(f.dialog.messages, QStringList{U("Извините, распечатать не могу...")});
        f.dialog.files = {QString::fromStdString(f.installation.Path("programs"))};
        report.Save();
        QCOMPARE(QString::fromStdString(core::Cp1251ToUtf8(core::ReadFileBytes(f.installation.Path("programs.txt")))),
                 U("7-Zip [1 польз.]\r\n\t\\\\Бухгалтерия\\Иванов И.И.\\PC-1\r\n"
                   "Far Manager [2 польз.]\r\n\t\\\\Бухгалтерия\\Иванов И.И.\\PC-1\r\n\t\\\\Склад\\PC-2\r\n"));
        report.close();
        QTRY_COMPARE(f.Reports().size(), 0);
    }

    void moveRequestOfTwoMovesAndItsClearing() {
        ReportsWindow f;
        QVERIFY(f.started);
        QAction* request = f.window->Action(Command::MoveRequest);
        QVERIFY(!request->isEnabled());
        f.state.Settings().SetBool(shell::Key::TP_Create, true);
        f.window->ApplyCommandStates();
        QVERIFY(request->isEnabled());
        request->trigger();
        QCOMPARE(f.dialog.messages, QStringList{U("Нет данных о перемещениях")});
        QCOMPARE(f.Reports().size(), 0);

        f.Move("Монитор", "Склад");
        f.Move("PC-2", "Бухгалтерия");
        QCOMPARE(f.Node("PC-2")->Parent(), f.Node("Бухгалтерия"));
        QCOMPARE(f.state.Editor()->Lists().destinations.size(), std::size_t{2});
        // Marked but not moved yet: no destination, so no document for it.
        f.Select("PC-1");
        f.window->Action(Command::MoveNode)->trigger();

        const std::string templatePath = f.installation.Path("BASE/move.rtf");
        reports::RichText moveTemplate;
        moveTemplate.paragraphs = {Line("[TP|From|Get_Name] -> [TP|To|Get_Name]"), Line("<DETAIL_START>"),
                                   Line("[TP|Detail|Get_Counter]. [TP|Detail|Get_Name]"), Line("<DETAIL_END>"),
                                   Line("Итого")};
        reports::WriteRtfFile(templatePath, moveTemplate);
        f.dialog.messages.clear();
        f.dialog.questions.clear();
        f.dialog.answers = {Answer::No};
        request->trigger();
        QCOMPARE(f.TakeReport(3), (QStringList{U("Иванов И.И. -> Склад"), U("1. Монитор"), U("Итого"),
                                               U("^Склад -> Бухгалтерия"), "1. PC-2", U("Итого")}));
        QTRY_COMPARE(f.dialog.questions, QStringList{U("Очистить требование на перемещение ?")});
        QCOMPARE(f.state.Editor()->Lists().destinations.size(), std::size_t{2});
        QTRY_COMPARE(f.Reports().size(), 0);

        // Without the template: said so, and neither a window nor the question.
        QFile::remove(QString::fromStdString(templatePath));
        f.dialog.questions.clear();
        request->trigger();
        QCOMPARE(f.dialog.messages, QStringList{U("Файл не найден ") + QString::fromStdString(templatePath)});
        QCOMPARE(f.Reports().size(), 0);

        reports::WriteRtfFile(templatePath, moveTemplate);
        f.dialog.answers = {Answer::Yes};
        request->trigger();
        QCOMPARE(f.TakeReport(3).size(), 6);
        QTRY_COMPARE(f.dialog.questions, QStringList{U("Очистить требование на перемещение ?")});
        QVERIFY(f.state.Editor()->Lists().moved.empty());
        QVERIFY(f.state.Editor()->Lists().destinations.empty());
        QTRY_COMPARE(f.Reports().size(), 0);
        // Nodes marked across the clearing (PC-1 still is) enter the lists when they move, each with its own
        // source and the destination it went to.
        f.dialog.answers = {Answer::Yes};
        f.Select("Монитор");
        f.window->Action(Command::MoveNode)->trigger();
        QVERIFY(f.state.Editor()->Lists().moved.empty());
        f.dialog.messages.clear();
        request->trigger();
        QCOMPARE(f.dialog.messages, QStringList{U("Нет данных о перемещениях")});
        QCOMPARE(f.Reports().size(), 0);
        f.Select("PC-2");
        f.dialog.answers = {Answer::Yes}; // into the selection
        f.window->Action(Command::MoveNode)->trigger();
        f.Move("PC-2", "Склад");
        QCOMPARE(f.state.Editor()->Lists().destinations.size(), std::size_t{3});
        f.dialog.answers = {Answer::No};
        request->trigger();
        // The monitor was in the store already: a move onto its own place makes no document.
        QCOMPARE(f.TakeReport(3),
                 (QStringList{U("Иванов И.И. -> Склад"), "1. PC-1", U("Итого"), "^ERROR in TpNodeFrom or TpNodeTo",
                              U("^Бухгалтерия -> Склад"), "1. PC-2", U("Итого")}));
    }
};

} // namespace

std::unique_ptr<QObject> MakeReportCommandsTest() {
    return std::make_unique<ReportCommandsTest>();
}

} // namespace pelgo::testing

#include "report_commands_test.moc"
