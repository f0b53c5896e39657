// The report window: a user report generated through its reports-menu item on a small installation, saving a
// report as RTF, spreadsheet import, plain text and PDF, searching it, printing it, editing only when the
// settings allow it, and the tree of a summary.
#include "gui/reports/report_window.h"

#include <QAction>
#include <QApplication>
#include <QFile>
#include <QListWidget>
#include <QPrinter>
#include <QTemporaryDir>
#include <QTest>
#include <QTextEdit>
#include <QTimer>
#include <QToolBar>
#include <QTreeWidget>
#include <functional>

#include "core/date_time.h"
#include "gui/reports/reports_setup_window.h"
#include "gui_test_suites.h"
#include "gui_test_support.h"
#include "report_test_dialog.h"
#include "reports/report_export.h"
#include "reports/report_template.h"
#include "reports/rtf_reader.h"
#include "reports/rtf_writer.h"

namespace pelgo::testing {
namespace {

QString U(const char* utf8) {
    return QString::fromUtf8(utf8);
}

reports::Paragraph Line(const char* utf8, reports::Alignment alignment = reports::Alignment::Left,
                        bool bullet = false) {
    reports::Paragraph paragraph;
    paragraph.alignment = alignment;
    paragraph.bullet = bullet;
    reports::AppendText(paragraph, core::Utf8ToCp1251(utf8), {});
    return paragraph;
}

QStringList Paragraphs(const reports::RichText& text) {
    QStringList lines;
    for (const reports::Paragraph& paragraph : text.paragraphs) {
        lines << QString::fromStdString(reports::ParagraphUtf8(paragraph));
    }
    return lines;
}

QByteArray Bytes(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

QByteArray Cp1251(const char* utf8) {
    return QByteArray::fromStdString(core::Utf8ToCp1251(utf8));
}

// A heading, a label and two list items: what the spreadsheet export reads.
reports::RichText Inventory() {
    reports::RichText text;
    text.paragraphs = {Line("Компьютеры", reports::Alignment::Center), Line("PC-1"),
                       Line("CPU 450", reports::Alignment::Left, true),
                       Line("RAM 256", reports::Alignment::Left, true)};
    return text;
}

// Runs `act` on the separator dialog once it is up (within the modal loop that waits for it).
void OnSeparatorDialog(const std::function<void(gui::SeparatorDialog&)>& act) {
    QTimer::singleShot(0, [act] {
        for (QWidget* widget : QApplication::topLevelWidgets()) {
            if (auto* dialog = qobject_cast<gui::SeparatorDialog*>(widget); dialog != nullptr && dialog->isVisible()) {
                act(*dialog);
                return;
            }
        }
        QFAIL("no separator dialog");
    });
}

// A report template in the installation folder and the tree it runs over: scope A over the computers.
struct ReportInstallation {
    ReportInstallation() {
        WriteCp1251Lines(installation.QPath("BASE/struct"),
                         {"Неоприходованная техника", "Бухгалтерия", "\tИванов И.И.", "\tPC-1", "\t\t00AA00000001",
                          "\tPC-2", "\t\t00AA00000002", "\tМонитор"});
        WriteCp1251Lines(installation.QPath("BASE/image"),
                         {"1 ; AAAAAAAAAAAA ;", "1 ; BBBBBBBBBBBB ;", "2 ; CCCCCCCCCCCC ;", "3 ; DDDDDDDDDDDD ;",
                          "4 ; EEEEEEEEEEEE ;", "3 ; FFFFFFFFFFFF ;", "4 ; GGGGGGGGGGGG ;", "5 ; HHHHHHHHHHHH ;"});
        WriteCp1251Lines(installation.QPath("pelgo.ini"), {"[Reports]", "Старый=old.rtf", "Инвентарь=inv.rtf"});
        reports::RichText text;
        text.paragraphs = {Line("Опись на [GET|CurrDate]", reports::Alignment::Center),
                           Line("<DETAIL_START><A><2> Do not Delete this string ! ---"),
                           Line("[GET|DevName]: [OTHER|Main|aInumber] / [DEVICE|Computer|CPU]"), Line("<DETAIL_END>"),
                           Line("Итого")};
        reports::WriteRtfFile(installation.Path("inv.rtf"), text);
    }
    Installation installation;
};

struct ReportMainWindow : ReportInstallation, StartedWindow {
    ReportMainWindow() : StartedWindow(installation) {
        state.DeviceTable().table->Append({"00AA00000001", "Computer", "CPU", "Intel Pentium III"});
        state.DeviceTable().table->Append({"00AA00000002", "Computer", "CPU", "AMD K6"});
        state.OtherTable().table->Append({"DDDDDDDDDDDD", "Main", "aInumber", "INV-7"});
    }
    QList<gui::ReportWindow*> Reports() const { return window->findChildren<gui::ReportWindow*>(); }
};

class ReportWindowTest : public QObject {
    Q_OBJECT

private slots:
    void userReportMenuItemGeneratesTheTemplate() {
        ReportMainWindow main;
        QVERIFY(main.started);
        QAction* item = main.window->findChild<QAction*>(QStringLiteral("N_Report1"));
        QVERIFY(item != nullptr);
        QCOMPARE(item->text(), U("Инвентарь"));
        QVERIFY(item->isEnabled());
        item->trigger();
        QCOMPARE(main.dialog.messages, QStringList());
        QCOMPARE(main.Reports().size(), 1);
        gui::ReportWindow* report = main.Reports().front();
        QVERIFY(report->isVisible());
        QCOMPARE(report->windowTitle(), U("Отчетные формы"));
        QCOMPARE(report->Kind(), 201);
        const QString date = QString::fromStdString(core::DateFormats().ShortDate({2026, 3, 10, 15, 0, 0}));
        QCOMPARE(Paragraphs(report->Text()), (QStringList{U("Опись на ") + date, U("PC-1: INV-7 / Intel Pentium III"),
                                                          U("PC-2:  / AMD K6"), U("Итого")}));
        QVERIFY(report->Editor()->isReadOnly());
        QVERIFY(!report->findChild<QToolBar*>(QStringLiteral("FormatBar"))->isVisibleTo(report));

        // The editor holds the template until the report is closed.
        auto* editor = main.window->findChild<gui::ReportsSetupWindow*>();
        QCOMPARE(editor->CurrentFile(), main.installation.Path("inv.rtf"));
        report->close();
        QTRY_COMPARE(main.Reports().size(), 0);
        QCOMPARE(Paragraphs(editor->Template().text), QStringList{QString()});

        // A report taken out of the settings since the menu was made.
        main.state.Settings().reports.pop_back();
        item->trigger();
        QCOMPARE(main.dialog.messages, QStringList{U("Данный отчет более не ведется")});
        QCOMPARE(main.Reports().size(), 0);
    }

    void editableReportsShowTheFormatting() {
        ReportTestDialog dialog;
        gui::ReportWindow report(dialog, true);
        report.ShowReport(0, Inventory());
        QVERIFY(!report.Editor()->isReadOnly());
        QVERIFY(report.findChild<QToolBar*>(QStringLiteral("FormatBar"))->isVisibleTo(&report));
        QCOMPARE(report.Editor()->document()->defaultFont().pixelSize(), 12);
    }

    void savesInEachFormatUnderTheChosenFilter() {
        QTemporaryDir dir;
        const struct {
            std::size_t filter;
            const char* chosen;
            const char* written;
        } cases[] = {
            {0, "rep", "rep.rtf"}, {0, "named.rtf", "named.rtf.rtf"}, {2, "rep", "rep.txt"}, {3, "rep", "rep.pdf"}};
        for (const auto& saved : cases) {
            ReportTestDialog dialog;
            gui::ReportWindow report(dialog, false);
            report.ShowReport(0, Inventory());
            dialog.files << ReportTestDialog::File{dir.filePath(QLatin1String(saved.chosen)), saved.filter};
            report.Save();
            QCOMPARE(dialog.choices.size(), 1);
            QCOMPARE(dialog.choices[0].initialPath, std::string("pasport"));
            QCOMPARE(dialog.messages, QStringList());
            QVERIFY2(QFile::exists(dir.filePath(QLatin1String(saved.written))), saved.written);
        }
        const reports::RichText rtf = reports::ReadRtfFile(dir.filePath(QStringLiteral("rep.rtf")).toStdString());
        QCOMPARE(Paragraphs(rtf), Paragraphs(Inventory()));
        QVERIFY(rtf.paragraphs[2].bullet && rtf.paragraphs[3].bullet && !rtf.paragraphs[1].bullet);
        QCOMPARE(rtf.paragraphs[0].alignment, reports::Alignment::Center);
        QCOMPARE(Bytes(dir.filePath(QStringLiteral("rep.txt"))),
                 Cp1251("Компьютеры\r\nPC-1\r\nCPU 450\r\nRAM 256\r\n"));
        QVERIFY(Bytes(dir.filePath(QStringLiteral("rep.pdf"))).startsWith("%PDF"));

        // The file written is the name plus the extension: replacing one that exists is asked for.
        for (const platform::Answer answer : {platform::Answer::No, platform::Answer::Yes}) {
            ReportTestDialog dialog;
            gui::ReportWindow report(dialog, false);
            report.ShowReport(0, reports::RichText{{Line("new")}});
            dialog.answers << answer;
            dialog.files << ReportTestDialog::File{dir.filePath(QStringLiteral("rep")), 2};
            report.Save();
            QCOMPARE(dialog.questions.size(), 1);
            QVERIFY(dialog.questions[0].contains(QStringLiteral("rep.txt")));
            QCOMPARE(Bytes(dir.filePath(QStringLiteral("rep.txt"))).startsWith("new"), answer == platform::Answer::Yes);
        }
    }

    void spreadsheetExportAsksForTheSeparator() {
        QTemporaryDir dir;
        ReportTestDialog dialog;
        gui::ReportWindow report(dialog, false);
        report.ShowReport(0, Inventory());

        dialog.files << ReportTestDialog::File{dir.filePath(QStringLiteral("cancelled")), 1};
        OnSeparatorDialog([](gui::SeparatorDialog& separators) { separators.reject(); });
        report.Save();
        QVERIFY(!QFile::exists(dir.filePath(QStringLiteral("cancelled.imp"))));

        dialog.files << ReportTestDialog::File{dir.filePath(QStringLiteral("sheet")), 1};
        QStringList offered;
        OnSeparatorDialog([&offered](gui::SeparatorDialog& separators) {
            auto* list = separators.findChild<QListWidget*>();
            for (int row = 0; row < list->count(); ++row) {
                offered << list->item(row)->text();
            }
            offered << QString::number(list->currentRow());
            list->setCurrentRow(2);
            separators.accept();
        });
        report.Save();
        QCOMPARE(offered, (QStringList{U("_ Пробел"), U(", Запятая"), U("; Точка с запятой"), U("\\ Слэш "),
                                       U("Табуляция"), QStringLiteral("0")}));
        QCOMPARE(Bytes(dir.filePath(QStringLiteral("sheet.imp"))),
                 Cp1251("0\tКомпьютеры\t\r\n0\tКомпьютеры\tPC-1\r\n1\tКомпьютеры\tPC-1\t;CPU 450;RAM 256\r\n"));
    }

    void findAndPrint() {
        QTemporaryDir dir;
        ReportTestDialog dialog;
        gui::ReportWindow report(dialog, false);
        report.ShowReport(0, Inventory());
        const auto caretLine = [&] { return report.Editor()->textCursor().blockNumber(); };
        dialog.inputs << QStringLiteral("5");
        report.Find(false);
        QCOMPARE(caretLine(), 2);
        report.Find(true);
        QCOMPARE(caretLine(), 3);
        report.Find(true);
        QCOMPARE(dialog.messages, QStringList{U("Контекст не найден")});
        QVERIFY(dialog.prompts[0].startsWith(U("Найти ...|")));

        QPrinter printer;
        printer.setOutputFormat(QPrinter::PdfFormat);
        printer.setOutputFileName(dir.filePath(QStringLiteral("printed.pdf")));
        report.Print(printer);
        QCOMPARE(printer.docName(), QStringLiteral("Pelgo_2"));
        QVERIFY(Bytes(dir.filePath(QStringLiteral("printed.pdf"))).startsWith("%PDF"));
    }

    void treeReportsSaveAsTextSearchCaptionsAndDoNotPrint() {
        QTemporaryDir dir;
        ReportTestDialog dialog;
        gui::ReportWindow report(dialog, true);
        report.ShowTree(
            6,
            {{0, core::Utf8ToCp1251("Программы")}, {1, "Office"}, {2, "PC-1"}, {2, "PC-2"}, {1, "Games"}, {2, "PC-2"}});
        QVERIFY(report.ShowsTree());
        QVERIFY(!report.findChild<QToolBar*>(QStringLiteral("FormatBar"))->isVisibleTo(&report));

        report.PrintCommand();
        QCOMPARE(dialog.messages, QStringList{U("Извините, распечатать не могу...")});

        dialog.files << ReportTestDialog::File{dir.filePath(QStringLiteral("tree")), 0}; // the RTF filter
        report.Save();
        QVERIFY(!QFile::exists(dir.filePath(QStringLiteral("tree.rtf"))));
        QCOMPARE(Bytes(dir.filePath(QStringLiteral("tree.txt"))),
                 Cp1251("Программы\r\n\tOffice\r\n\t\tPC-1\r\n\t\tPC-2\r\n\tGames\r\n\t\tPC-2\r\n"));

        const auto selected = [&] {
            const QTreeWidgetItem* item = report.Tree()->currentItem();
            return item == nullptr ? QString() : item->parent()->text(0) + QLatin1Char('/') + item->text(0);
        };
        dialog.inputs << QStringLiteral("PC-2");
        report.Find(false);
        QCOMPARE(selected(), QStringLiteral("Office/PC-2"));
        report.Find(true);
        QCOMPARE(selected(), QStringLiteral("Games/PC-2"));
        report.Find(true);
        QCOMPARE(dialog.messages.size(), 2);
        QCOMPARE(dialog.messages.back(), U("Контекст не найден"));
    }
};

} // namespace

std::unique_ptr<QObject> MakeReportWindowTest() {
    return std::make_unique<ReportWindowTest>();
}

} // namespace pelgo::testing

#include "report_window_test.moc"
