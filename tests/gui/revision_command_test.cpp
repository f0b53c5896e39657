// The revision through the settings dialog: the rules and replacements edited on the revision pages, "Записать"
// storing them for the user and building the report of the picked lines; "Отменить" building nothing and
// dropping the edits; the table option without a numbered rule; rule files saved and loaded.
#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QStackedWidget>
#include <QTreeWidget>

#include "core/profile_file.h"
#include "gui/reports/report_window.h"
#include "gui/settings/setup_dialog.h"
#include "gui_test_suites.h"
#include "reports/rich_text.h"
#include "revision_fixture.h"
#include "settings/revision_rules.h"

namespace pelgo::testing {
namespace {

using session::Command;

QStringList Paragraphs(const reports::RichText& text) {
    QStringList lines;
    for (const reports::Paragraph& paragraph : text.paragraphs) {
        lines << QString::fromStdString(reports::ParagraphUtf8(paragraph));
    }
    return lines;
}

// The visible entries of the navigation tree, headings with their items indented.
QStringList Navigation(const QTreeWidget& tree) {
    QStringList entries;
    for (int i = 0; i < tree.topLevelItemCount(); ++i) {
        const QTreeWidgetItem* heading = tree.topLevelItem(i);
        if (heading->isHidden()) {
            continue;
        }
        entries << heading->text(0);
        for (int child = 0; child < heading->childCount(); ++child) {
            if (!heading->child(child)->isHidden()) {
                entries << QStringLiteral("  ") + heading->child(child)->text(0);
            }
        }
    }
    return entries;
}

QStringList Section(const std::string& iniPath, const char* section) {
    core::ProfileFile file(iniPath);
    core::StringList values;
    file.ReadSectionValues(core::Utf8ToCp1251(section), values);
    QStringList lines;
    for (const std::string& value : values) {
        lines << QString::fromStdString(core::Cp1251ToUtf8(value));
    }
    return lines;
}

struct RevisionRun : RevisionWindow {
    QList<gui::ReportWindow*> Reports() const { return window->findChildren<gui::ReportWindow*>(); }
    // Triggers the revision with `act` working the settings dialog; the report's lines, or none.
    QStringList Run(const std::function<void(gui::SetupDialog&)>& act) {
        OnModal<gui::SetupDialog>(act);
        window->Action(Command::Revision)->trigger();
        const QList<gui::ReportWindow*> reports = Reports();
        if (reports.size() != 1 || reports.front()->Kind() != 1 || !reports.front()->isVisible()) {
            return {};
        }
        QStringList text = Paragraphs(reports.front()->Text());
        reports.front()->close();
        return text;
    }
};

// The entries the cell's editor offers.
QStringList PickList(gui::RuleTable& table, int row, int column) {
    table.setCurrentCell(row, column);
    table.edit(table.currentIndex());
    QStringList entries;
    for (const QComboBox* box : table.viewport()->findChildren<QComboBox*>()) {
        for (int i = 0; box->isVisible() && i < box->count(); ++i) {
            entries << box->itemText(i);
        }
    }
    return entries;
}

void Press(gui::SetupDialog& setup, const char* button) {
    Child<QPushButton>(setup, button)->click();
}

class RevisionCommandTest : public QObject {
    Q_OBJECT

private slots:
    void rulesEditedSavedAndReported() {
        RevisionRun f;
        QVERIFY(f.started);
        f.Select("PC-1");
        QStringList navigation;
        QString help;
        QStringList typWords;
        QStringList groups;
        bool tinted = false;
        const QStringList text = f.Run([&](gui::SetupDialog& setup) {
            navigation = Navigation(*Child<QTreeWidget>(setup, "NavigationTree"));
            help = Child<QLabel>(setup, "HelpLabel")->text();
            gui::RuleTable& rules = *setup.RulesTable();
            AppendRow(rules, {"Computer", "CPU", U("Есть"), ""});
            AppendRow(rules, {"HDD", "Model", U("Нет"), ""});
            typWords = PickList(rules, 0, 2);
            groups = PickList(rules, 0, 0);
            tinted = rules.Rows().size() == 2 && rules.item(1, 0)->background() != rules.item(0, 0)->background();
            Child<QRadioButton>(setup, "ScopeAll")->setChecked(true);
            Child<QCheckBox>(setup, "SkipEmptyBox")->setChecked(false);

            QTreeWidget& tree = *Child<QTreeWidget>(setup, "NavigationTree");
            tree.setCurrentItem(tree.topLevelItem(0)->child(1));
            AppendRow(*setup.ReplacementsTable(), {"Intel", U("Процессор Intel")});
            Child<QCheckBox>(setup, "ReplaceBox")->setChecked(true);
            Press(setup, "SaveButton");
        });
        QCOMPARE(navigation, (QStringList{U(" Ревизия"), U("  Выборка"), U("  Замена")}));
        QCOMPARE(help, U("Настройка параметров выборки данных для \"Отчеты - Ревизия\""));
        QCOMPARE(typWords, (QStringList{U("Есть"), U("+Есть"), "<", ">", U("Нет")}));
        QCOMPARE(groups, (QStringList{U("<любая>"), "Computer", "HDD"}));
        QVERIFY(tinted);

        QCOMPARE(text.value(0), U("Общая ревизия оргтехники на 10.03.2026"));
        for (const QString& line : {U("CPU:Процессор Intel"), U("CPU:AMD Athlon")}) {
            QVERIFY2(text.contains(line), qPrintable(line));
        }
        for (const QString& line : {U("Memory_in_Mb:256"), U("Model:ST380011A"), U("CPU:Intel Pentium III")}) {
            QVERIFY2(!text.contains(line), qPrintable(line));
        }
        QVERIFY(text.contains(U("Монитор"))); // every heading, the empty ones too
        QVERIFY(f.state.TreeReactionsOn());
        QVERIFY(!f.state.Settings().Bool(shell::Key::SkipEmptyInReports));
        // The exclusion first, as the settings keep the rules.
        const QStringList stored{U("HDD|Model|Нет|"), U("Computer|CPU|Есть|")};
        QStringList inSettings;
        for (const std::string& row : f.state.Settings().reportRows) {
            inSettings << QString::fromStdString(core::Cp1251ToUtf8(row));
        }
        QCOMPARE(inSettings, stored);
        const std::string ini = f.state.SettingsFile().Path();
        QCOMPARE(Section(ini, "Reports_IVANOV"), (QStringList{U("0=") + stored[0], U("1=") + stored[1]}));
        QCOMPARE(Section(ini, "Replace_IVANOV"), QStringList{U("Intel=Процессор Intel")});
        // The revision mode writes the two rule sections and nothing else; the option waits for the next full
        // writing of the settings.
        QVERIFY(core::ProfileFile(ini).ReadString("Setup", "SkipEmptyInReports", "") != "0");
        QVERIFY(f.dialog.messages.isEmpty());
    }

    void cancelBuildsNothingAndDropsTheEdits() {
        RevisionRun f;
        QVERIFY(f.started);
        f.state.Settings().reportRows = {"Computer|CPU||"};
        int rowsShown = 0;
        QStringList text = f.Run([&](gui::SetupDialog& setup) {
            rowsShown = setup.RulesTable()->rowCount();
            AppendRow(*setup.RulesTable(), {"HDD"});
            Child<QRadioButton>(setup, "ScopeAll")->setChecked(true);
            Child<QCheckBox>(setup, "CaseBox")->setChecked(true);
            Press(setup, "CancelButton");
        });
        QCOMPARE(rowsShown, 1);
        QCOMPARE(text, QStringList());
        QCOMPARE(f.Reports().size(), 0);
        QCOMPARE(f.state.Settings().reportRows, std::vector<std::string>{"Computer|CPU||"});
        QStringList shownAgain;
        bool departmentOnly = false;
        bool caseSensitive = true;
        text = f.Run([&](gui::SetupDialog& setup) {
            shownAgain = Texts(setup.RulesTable()->Rows());
            departmentOnly = Child<QRadioButton>(setup, "ScopeDepartment")->isChecked();
            caseSensitive = Child<QCheckBox>(setup, "CaseBox")->isChecked();
            Press(setup, "CancelButton");
        });
        QCOMPARE(shownAgain, QStringList{"Computer|CPU||"});
        // The options no setting holds are dropped as well.
        QVERIFY(departmentOnly);
        QVERIFY(!caseSensitive);
    }

    // With the table asked for and no numbered rule the report still comes, without a table; the window's
    // caption says that it is being built meanwhile.
    void tableWithoutNumberedRuleAndTheBusyCaption() {
        RevisionRun f;
        QVERIFY(f.started);
        f.state.Settings().reportRows = {core::Utf8ToCp1251("HDD|Model|Нет|")};
        QStringList captions;
        f.dialog.onShow = [&] {
            for (const gui::ReportWindow* report : f.Reports()) {
                captions << report->windowTitle();
            }
        };
        const QStringList text = f.Run([](gui::SetupDialog& setup) {
            Child<QCheckBox>(setup, "DbfBox")->setChecked(true);
            Press(setup, "SaveButton");
        });
        QCOMPARE(f.dialog.messages, QStringList{U("Задайте хоть одно \"зеленое\" поле для выборки !")});
        QCOMPARE(captions, QStringList{U("Отчетные формы ( минуточку...)")});
        QVERIFY2(text.value(0).endsWith(U("евизия оргтехники на 10.03.2026")), qPrintable(text.value(0)));
        QVERIFY(!text.join(u'\n').contains(U("ST380011A")));
        QVERIFY(!QFile::exists(f.installation.QPath("revizia.DBF")));
    }

    void normalModeWritesEverySetting() {
        RevisionWindow f;
        QVERIFY(f.started);
        gui::SetupDialog setup(f.state, f.dialog);
        bool saveEnabled = false;
        OnModal<gui::SetupDialog>([&](gui::SetupDialog& shown) {
            saveEnabled = Child<QPushButton>(shown, "SaveButton")->isEnabled();
            Child<QCheckBox>(shown, "ReplaceBox")->setChecked(false);
            AppendRow(*shown.RulesTable(), {"Computer"});
            Press(shown, "SaveButton");
        });
        QVERIFY(setup.Exec());
        QVERIFY(saveEnabled);
        core::ProfileFile ini(f.state.SettingsFile().Path());
        QCOMPARE(ini.ReadString("Setup", "ReplaceLines", ""), "0");
        QCOMPARE(Section(f.state.SettingsFile().Path(), "Reports_IVANOV"), QStringList{"0=Computer|||"});
    }

    void ruleFilesSavedAndLoaded() {
        RevisionWindow f;
        QVERIFY(f.started);
        gui::SetupDialog setup(f.state, f.dialog);
        setup.show();
        AppendRow(*setup.RulesTable(), {"Computer", "CPU", "", "Intel"});
        AppendRow(*setup.RulesTable(), {"", "", U("Нет"), "AMD"});
        const QString file = f.installation.QPath("rules.sav");
        f.dialog.files = {file};
        Press(setup, "SaveRulesButton");
        QStringList saved;
        for (const std::string& line : settings::ReadRuleFile(core::Utf8ToCp1251(file.toStdString()))) {
            saved << QString::fromStdString(core::Cp1251ToUtf8(line));
        }
        QCOMPARE(saved, (QStringList{U("||Нет|AMD"), "Computer|CPU||Intel"}));

        setup.RulesTable()->SetRows({});
        f.dialog.files = {file};
        Press(setup, "LoadRulesButton");
        QCOMPARE(Texts(setup.RulesTable()->Rows()), saved);
        // A file that cannot be read is told and leaves the table.
        f.dialog.files = {f.installation.QPath("missing.sav")};
        Press(setup, "LoadRulesButton");
        QCOMPARE(f.dialog.messages.size(), 1);
        QCOMPARE(Texts(setup.RulesTable()->Rows()), saved);
    }
};

} // namespace

std::unique_ptr<QObject> MakeRevisionCommandTest() {
    return std::make_unique<RevisionCommandTest>();
}

} // namespace pelgo::testing

#include "revision_command_test.moc"
