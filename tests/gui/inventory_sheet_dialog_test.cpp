// The inventory sheet's dialog TIVset: the group switches and "Сменить", parameter files saved and loaded back
// to the same state, the filter through the settings dialog, and sheets made as text files.
#include "gui/reports/inventory_sheet_dialog.h"

#include <QCheckBox>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
#include <QTabWidget>
#include <algorithm>

#include "core/file.h"
#include "gui/settings/setup_dialog.h"
#include "gui_test_suites.h"
#include "reports/inventory_sheet.h"
#include "revision_fixture.h"

namespace pelgo::testing {
namespace {

using reports::SheetGroup;

struct SheetDialog : RevisionWindow {
    SheetDialog() {
        sheet.Prepare(types);
        sheet.show();
    }
    // A path below a plain file: nothing can be created there.
    QString Unwritable(const char* name) {
        WriteCp1251Lines(installation.QPath("blocker"), {"x"});
        return installation.QPath("blocker") + u'/' + QLatin1String(name);
    }
    QCheckBox* Box(const char* name) { return Child<QCheckBox>(sheet, name); }
    void Click(const char* name) { Child<QPushButton>(sheet, name)->click(); }
    bool TabShown(const char* page) {
        QTabWidget& pages = *Child<QTabWidget>(sheet, "PageControl");
        return pages.isTabVisible(pages.indexOf(Child<QWidget>(sheet, page)));
    }
    // The ticks of one group's boxes, in column order.
    std::vector<bool> Ticks(SheetGroup group) {
        std::vector<bool> ticks;
        for (const reports::SheetColumn& column : reports::SheetColumns()) {
            if (column.group == group) {
                ticks.push_back(Box(column.name)->isChecked());
            }
        }
        return ticks;
    }
    // The lines of a sheet made as text into `name`, UTF-8.
    QStringList Make(const char* name) {
        const QString path = installation.QPath(name);
        dialog.files = {path};
        Click("MakeButton");
        const std::string bytes = core::ReadFileBytes(core::Utf8ToCp1251(path.toStdString()));
        QStringList lines = QString::fromStdString(core::Cp1251ToUtf8(bytes)).split(QStringLiteral("\r\n"));
        if (!lines.isEmpty() && lines.back().isEmpty()) {
            lines.removeLast();
        }
        return lines;
    }

    structure::NodeTypes types{{}};
    gui::SetupDialog setup{state, dialog};
    gui::InventorySheetDialog sheet{state, dialog, setup};
};

class InventorySheetDialogTest : public QObject {
    Q_OBJECT

private slots:
    void groupSwitchesAndInverting() {
        SheetDialog f;
        QVERIFY(f.started);
        QCOMPARE(f.sheet.windowTitle(), U("Параметры Инвентарной ведомости"));
        QCOMPARE(f.Ticks(SheetGroup::Node), std::vector<bool>(6, true));
        QVERIFY(!f.Box("Name")->isEnabled());
        struct Case {
            const char* groupBox;
            const char* invert;
            SheetGroup group;
            const char* member;
        };
        const Case cases[] = {{"ComputerGroupBox", "InvertComputerButton", SheetGroup::Computer, "CPU"},
                              {"AdditionalGroupBox", "InvertAdditionalButton", SheetGroup::Additional, "FIO"}};
        for (const Case& c : cases) {
            QCheckBox* group = f.Box(c.groupBox);
            QVERIFY(!group->isChecked());
            QVERIFY(!f.Box(c.member)->isEnabled());
            QVERIFY(!Child<QPushButton>(f.sheet, c.invert)->isEnabled());
            group->setChecked(true);
            QVERIFY(f.Box(c.member)->isEnabled());
            f.Box(c.member)->setChecked(true);
            const std::vector<bool> before = f.Ticks(c.group);
            const std::vector<bool> nodeBefore = f.Ticks(SheetGroup::Node);
            f.Click(c.invert);
            const std::vector<bool> after = f.Ticks(c.group);
            QCOMPARE(after.size(), before.size());
            for (std::size_t i = 0; i < after.size(); ++i) {
                QCOMPARE(after[i], !before[i]);
            }
            QVERIFY(!f.Box(c.member)->isChecked());
            QCOMPARE(f.Ticks(SheetGroup::Node), nodeBefore);
            group->setChecked(false);
            QVERIFY(!f.Box(c.member)->isEnabled());
        }
        // The computer group carries the user columns' switch and their page.
        QVERIFY(!f.TabShown("TabSheet4"));
        QVERIFY(!f.Box("UserColumnsBox")->isEnabled());
        f.Box("ComputerGroupBox")->setChecked(true);
        QVERIFY(f.TabShown("TabSheet4"));
        QVERIFY(f.Box("UserColumnsBox")->isEnabled());
    }

    void parametersSavedAndLoadedBack() {
        SheetDialog f;
        QVERIFY(f.started);
        f.Box("ComputerGroupBox")->setChecked(true);
        f.Box("CPU")->setChecked(true);
        f.Box("Path")->setChecked(false);
        f.Box("UserColumnsBox")->setChecked(true);
        Child<QTabWidget>(f.sheet, "PageControl")->setCurrentWidget(Child<QWidget>(f.sheet, "TabSheet4"));
        AppendRow(*f.sheet.ColumnTable(), {"Computer", "", "Intel"});
        QListWidget& types = *Child<QListWidget>(f.sheet, "TypeList");
        const Qt::CheckState firstType = types.item(0)->checkState();
        emit types.itemDoubleClicked(types.item(0));
        QVERIFY(types.item(0)->checkState() != firstType);
        f.setup.SetSelection({{"Computer", "CPU", "", "AMD"}}, true);
        Child<QRadioButton>(f.sheet, "FilterData")->setChecked(true);
        Child<QRadioButton>(f.sheet, "TableFormat")->setChecked(true);
        const reports::SheetParameters saved = f.sheet.Parameters();
        // What the controls show is the state that is saved.
        reports::SheetParameters expected = reports::DefaultSheetParameters(f.types);
        const auto column = [](const char* name) {
            const std::vector<reports::SheetColumn>& columns = reports::SheetColumns();
            return static_cast<std::size_t>(
                std::find_if(columns.begin(), columns.end(),
                             [name](const reports::SheetColumn& c) { return std::string_view(c.name) == name; }) -
                columns.begin());
        };
        expected.ticked[column("CPU")] = true;
        expected.ticked[column("Path")] = false;
        expected.computerGroup = true;
        expected.userColumnsOn = true;
        expected.userColumns = {{"Computer", "", "Intel"}};
        expected.includedTypes[0] = !expected.includedTypes[0];
        expected.filter = true;
        expected.filterRules = {{"Computer", "CPU", "", "AMD"}};
        expected.filterCaseSensitive = true;
        expected.tableFormat = true;
        QCOMPARE(saved, expected);

        const QString file = f.installation.QPath("sheet.set");
        f.dialog.files = {file};
        f.Click("SaveParamsButton");
        QCOMPARE(f.dialog.messages, QStringList{U("Параметры инвентарной ведомости сохранены!")});
        f.sheet.SetParameters(reports::DefaultSheetParameters(f.types));
        f.setup.SetSelection({}, false);
        QVERIFY(f.sheet.Parameters() != saved);
        f.dialog.files = {file};
        f.Click("LoadParamsButton");
        QCOMPARE(f.sheet.Parameters(), saved);
        QVERIFY(Child<QRadioButton>(f.sheet, "TableFormat")->isChecked());

        // Failures are told; the state stands.
        f.dialog.messages.clear();
        f.dialog.files = {f.Unwritable("sheet.set")};
        f.Click("SaveParamsButton");
        QCOMPARE(f.dialog.messages, QStringList{U("Не могу сохранить данные!")});
        QCOMPARE(f.sheet.Parameters(), saved);
        // Each opening starts with the text format.
        f.sheet.Prepare(f.types);
        QVERIFY(Child<QRadioButton>(f.sheet, "TextFormat")->isChecked());
    }

    void sheetMadeAsText() {
        SheetDialog f;
        QVERIFY(f.started);
        f.Box("ComputerGroupBox")->setChecked(true);
        f.Box("CPU")->setChecked(true);
        QStringList lines = f.Make("sheet.txt");
        QCOMPARE(f.dialog.messages, QStringList{U("Формирование закончено!")});
        QCOMPARE(lines.value(0), U("Индекс\tНаименование оргтехники\tИнвентарный номер\tТип оргтехники\t"
                                   "Владелец оргтехники\tМесторасположение оргтехники\tНаименование процессора\t"));
        // Departments, employees and addresses are not among the default types.
        QCOMPARE(lines.size(), 4);
        const QString pc1 = lines.filter(QStringLiteral("DDDDDDDDDDDD\tPC-1\t")).value(0);
        QVERIFY2(pc1.endsWith(QStringLiteral("\tIntel Pentium III\t")), qPrintable(pc1));
        for (const QString& line : lines) {
            QCOMPARE(line.count(u'\t'), 7);
        }

        // Filtered by the settings dialog's rules over the whole enterprise: only the computer with a picked line.
        bool optionsHidden = false;
        OnModal<gui::SetupDialog>([&](gui::SetupDialog& setup) {
            optionsHidden = !Child<QCheckBox>(setup, "DbfBox")->isVisible() &&
                            !Child<QCheckBox>(setup, "SkipEmptyBox")->isVisible();
            AppendRow(*setup.RulesTable(), {"Computer", "CPU", "", "AMD"});
            Child<QRadioButton>(setup, "ScopeAll")->setChecked(true);
            Child<QPushButton>(setup, "SaveButton")->click();
        });
        Child<QRadioButton>(f.sheet, "FilterData")->setChecked(true);
        f.Click("FilterSetupButton");
        QVERIFY(optionsHidden);
        QVERIFY(Child<QRadioButton>(f.sheet, "FilterData")->isChecked());
        f.dialog.messages.clear();
        lines = f.Make("filtered.txt");
        QCOMPARE(lines.size(), 2);
        QVERIFY2(lines.value(1).startsWith(QStringLiteral("GGGGGGGGGGGG\tPC-2\t")), qPrintable(lines.value(1)));

        // Cancelling the filter's set-up takes every node again.
        OnModal<gui::SetupDialog>([](gui::SetupDialog& setup) { setup.reject(); });
        f.Click("FilterSetupButton");
        QVERIFY(Child<QRadioButton>(f.sheet, "AllData")->isChecked());

        // An output that cannot be created is told with its name.
        f.dialog.messages.clear();
        const QString bad = f.Unwritable("sheet.txt");
        f.dialog.files = {bad};
        f.Click("MakeButton");
        QCOMPARE(f.dialog.messages, QStringList{U("Ошибка создания") + u'\n' + bad});
    }

    void menuCommandOpensTheDialog() {
        RevisionWindow f;
        QVERIFY(f.started);
        QString title;
        OnModal<gui::InventorySheetDialog>([&](gui::InventorySheetDialog& sheet) {
            title = sheet.windowTitle();
            sheet.reject();
        });
        QAction* command = f.window->Action(session::Command::InventorySheet);
        QVERIFY(command->isEnabled());
        command->trigger();
        QCOMPARE(title, U("Параметры Инвентарной ведомости"));
    }
};

} // namespace

std::unique_ptr<QObject> MakeInventorySheetDialogTest() {
    return std::make_unique<InventorySheetDialogTest>();
}

} // namespace pelgo::testing

#include "inventory_sheet_dialog_test.moc"
