// The template editor: composing a template with the marker controls and GET buttons, scope and types, saving
// it with its start and end lines and reading it back; the close question; the move-request template mode;
// left indent, search and printing.
#include "gui/reports/reports_setup_window.h"

#include <QAction>
#include <QComboBox>
#include <QFile>
#include <QGroupBox>
#include <QImage>
#include <QListWidget>
#include <QPrinter>
#include <QPushButton>
#include <QRadioButton>
#include <QTemporaryDir>
#include <QTest>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextEdit>

#include "gui_test_suites.h"
#include "report_test_dialog.h"
#include "reports/report_template.h"
#include "reports/rtf_reader.h"
#include "reports/rtf_writer.h"
#include "structure/node_types.h"

namespace pelgo::testing {
namespace {

using platform::Answer;

QString U(const char* utf8) {
    return QString::fromUtf8(utf8);
}

QStringList Paragraphs(const reports::RichText& text) {
    QStringList lines;
    for (const reports::Paragraph& paragraph : text.paragraphs) {
        lines << QString::fromStdString(reports::ParagraphUtf8(paragraph));
    }
    return lines;
}

// An editor over the built-in node types and fixed archive pick lists, shown.
struct Editor {
    Editor() {
        window.SetTypeNames(reports::IncludedTypeNames(structure::NodeTypes({})));
        window.SetPickListSource([] {
            return archive::PickLists{{"Computer", "Current_Config"}, {"CPU", "MotherBoard"}};
        });
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
    }
    void Show() {
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
    }
    template <class T> T* Child(const char* name) const { return window.findChild<T*>(QLatin1String(name)); }
    QString Selected() const { return window.Editor()->textCursor().selectedText(); }
    // Chooses kind, group and name entry (or types a name), presses "<< Добавить" and gives what the editor
    // then has selected; the text goes on after a blank.
    QString AddMarker(int kind, int group, const QString& name) {
        Child<QComboBox>("KindBox")->setCurrentIndex(kind);
        Child<QComboBox>("GroupBox")->setCurrentIndex(group);
        Child<QComboBox>("NameBox")->setCurrentText(name);
        QTest::mouseClick(Child<QPushButton>("AddButton"), Qt::LeftButton);
        const QString selected = Selected();
        GoOn();
        return selected;
    }
    void GoOn() {
        window.Editor()->moveCursor(QTextCursor::End);
        window.Editor()->insertPlainText(QStringLiteral(" "));
    }
    void DoubleClickType(int row) {
        QListWidget* list = Child<QListWidget>("TypeList");
        const QPoint point = list->visualItemRect(list->item(row)).center();
        QTest::mouseClick(list->viewport(), Qt::LeftButton, Qt::NoModifier, point);
        QTest::mouseDClick(list->viewport(), Qt::LeftButton, Qt::NoModifier, point);
    }
    // On the button's indicator: a radio button takes clicks on its indicator and text only.
    void ClickScope(int scope) {
        auto* button = window.findChild<QRadioButton*>(QStringLiteral("Scope%1").arg(scope));
        QTest::mouseClick(button, Qt::LeftButton, Qt::NoModifier, QPoint(6, button->height() / 2));
    }
    QString Path(const char* name) const { return dir.filePath(QLatin1String(name)); }
    std::string NativePath(const char* name) const { return core::Utf8ToCp1251(Path(name).toStdString()); }

    QTemporaryDir dir;
    ReportTestDialog dialog;
    gui::ReportsSetupWindow window{dialog};
};

class ReportsSetupWindowTest : public QObject {
    Q_OBJECT

private slots:
    void composedTemplateSavesItsLinesAndReadsBackTheSame() {
        Editor editor;
        editor.dialog.answers << Answer::No; // no example for the missing file: an empty template
        editor.window.LoadReportsFromFile(editor.NativePath("missing.rtf"));
        QCOMPARE(editor.dialog.questions.size(), 1);
        QVERIFY(editor.dialog.questions[0].contains(U("Создать пример шаблона отчета ?")));
        QVERIFY(editor.window.windowTitle().startsWith(U("Настройка отчета [")));
        QVERIFY(!editor.window.Modified());

        editor.window.Editor()->insertPlainText(QStringLiteral("Detail "));
        QCOMPARE(editor.AddMarker(0, 0, QStringLiteral("CPU")), QStringLiteral("[DEVICE|Computer|CPU]"));
        QVERIFY(editor.window.Editor()->hasFocus());
        QCOMPARE(editor.AddMarker(0, 1, U("? Intel")), QStringLiteral("[DEVICE|Current_Config|? Intel]"));
        QCOMPARE(editor.AddMarker(1, 0, U("Модель")), QStringLiteral("[OTHER|Main|aModel]"));
        QCOMPARE(editor.AddMarker(1, 0, U("? текст для поиска")), U("[OTHER|Main|? текст для поиска]"));
        editor.Child<QAction>("CurrHDD")->trigger();
        QCOMPARE(editor.Selected(), QStringLiteral("[GET|CurrHDD]"));
        editor.GoOn();

        editor.ClickScope(0);
        editor.DoubleClickType(0); // department: off by default
        editor.DoubleClickType(2); // computer: on by default
        QVERIFY(editor.window.Modified());
        std::vector<bool> expected = reports::DefaultIncludedTypes(editor.Child<QListWidget>("TypeList")->count());
        expected[0] = true;
        expected[2] = false;
        QCOMPARE(editor.Child<QListWidget>("TypeList")->item(0)->checkState(), Qt::Checked);

        editor.dialog.files << ReportTestDialog::File{editor.Path("tpl")};
        QVERIFY(editor.window.Save());
        QCOMPARE(editor.dialog.choices.back().initialPath, reports::kNewTemplateName);
        QVERIFY(!editor.window.Modified());
        QCOMPARE(editor.window.CurrentFile(), editor.NativePath("tpl.rtf"));

        reports::ReportTemplate written;
        written.scope = reports::ReportScope::Enterprise;
        written.included = expected;
        const QStringList lines = Paragraphs(reports::ReadRtfFile(editor.NativePath("tpl.rtf")));
        QCOMPARE(lines.size(), 3);
        QCOMPARE(lines[0], QString::fromStdString(reports::StartLineText(written)));
        QVERIFY(lines[0].startsWith(QStringLiteral("<DETAIL_START><A><0><4>")));
        QCOMPARE(lines[1], U("Detail [DEVICE|Computer|CPU] [DEVICE|Current_Config|? Intel] [OTHER|Main|aModel] "
                             "[OTHER|Main|? текст для поиска] [GET|CurrHDD] "));
        QCOMPARE(lines[2], QStringLiteral("<DETAIL_END>"));

        Editor reopened;
        reopened.window.LoadReportsFromFile(editor.NativePath("tpl.rtf"));
        QVERIFY(reopened.dialog.questions.isEmpty());
        const reports::ReportTemplate back = reopened.window.Template();
        QCOMPARE(back.scope, reports::ReportScope::Enterprise);
        QCOMPARE(back.included, expected);
        QVERIFY(reopened.Child<QRadioButton>("Scope0")->isChecked());
        QCOMPARE(reopened.window.windowTitle(), U("Настройка отчета [") + editor.Path("tpl.rtf") + QLatin1Char(']'));
    }

    void savingAgainKeepsOneStartLineAndOneEndLine() {
        Editor editor;
        editor.dialog.answers << Answer::Yes; // the example: start and end line already there
        editor.window.LoadReportsFromFile(editor.NativePath("missing.rtf"));
        editor.ClickScope(1);
        editor.dialog.files << ReportTestDialog::File{editor.Path("example.rtf")};
        QVERIFY(editor.window.Save());
        QVERIFY(!QFile::exists(editor.Path("example.rtf.rtf")));
        const QStringList lines = Paragraphs(reports::ReadRtfFile(editor.NativePath("example.rtf")));
        QCOMPARE(lines.filter(QStringLiteral("<DETAIL_START>")).size(), 1);
        QCOMPARE(lines.filter(QStringLiteral("<DETAIL_END>")).size(), 1);
        reports::ReportTemplate written;
        written.scope = reports::ReportScope::Department;
        written.included.assign(static_cast<std::size_t>(editor.Child<QListWidget>("TypeList")->count()), false);
        written.included[2] = true; // the example's computers
        QCOMPARE(lines.filter(QStringLiteral("<DETAIL_START>"))[0],
                 QString::fromStdString(reports::StartLineText(written)));
        QCOMPARE(lines.last(), QStringLiteral("Place here text of FOOTER"));
    }

    void closingAsksOnlyAfterChangesAndEmptiesTheEditor() {
        Editor editor;
        editor.dialog.answers << Answer::Yes;
        editor.window.LoadReportsFromFile(editor.NativePath("missing.rtf"));
        editor.dialog.questions.clear();
        editor.window.close();
        QVERIFY(editor.dialog.questions.isEmpty());

        editor.dialog.answers << Answer::Yes;
        editor.window.LoadReportsFromFile(editor.NativePath("missing.rtf"));
        editor.dialog.questions.clear();
        editor.Show();
        editor.DoubleClickType(5);
        editor.dialog.answers << Answer::No;
        editor.window.close();
        QCOMPARE(editor.dialog.questions,
                 QStringList{U("Сохранить изменения в \n") + QString::fromLatin1(reports::kNewTemplateName)});
        QVERIFY(editor.dialog.choices.isEmpty()); // No saves nothing
        QCOMPARE(Paragraphs(editor.window.Template().text), QStringList{QString()});

        // Yes goes through the save.
        editor.Show();
        editor.window.Editor()->insertPlainText(QStringLiteral("text"));
        editor.dialog.answers << Answer::Yes;
        editor.dialog.files << ReportTestDialog::File{editor.Path("closed")};
        editor.window.close();
        QVERIFY(QFile::exists(editor.Path("closed.rtf")));
        QCOMPARE(Paragraphs(editor.window.Template().text), QStringList{QString()});

        // Cancel, a cancelled file choice and a failed write all keep the window and its text.
        QVERIFY(QDir(editor.Path("")).mkdir(QStringLiteral("folder.rtf")));
        editor.Show();
        editor.window.Editor()->insertPlainText(QStringLiteral("kept"));
        editor.dialog.answers << Answer::Cancel << Answer::Yes << Answer::Yes;
        editor.dialog.files << ReportTestDialog::File{editor.Path("folder")};
        editor.dialog.messages.clear();
        for (int attempt = 0; attempt < 3; ++attempt) {
            editor.window.close();
            QVERIFY(editor.window.isVisible());
            QCOMPARE(Paragraphs(editor.window.Template().text), QStringList{QStringLiteral("kept")});
        }
        QCOMPARE(editor.dialog.messages.size(), 1); // the failed write is told
    }

    void moveRequestModeFixesScopeAndTypesAndOffersTpMarkers() {
        Editor editor;
        editor.window.SetMoveRequestMode(true);
        QVERIFY(!editor.Child<QGroupBox>("ScopeGroup")->isEnabled());
        QVERIFY(!editor.Child<QListWidget>("TypeList")->isEnabled());
        auto* kinds = editor.Child<QComboBox>("KindBox");
        QCOMPARE(kinds->currentIndex(), 2);
        QCOMPARE(kinds->itemText(2), U("Требование на перемещение(TP)"));
        auto* groups = editor.Child<QComboBox>("GroupBox");
        QCOMPARE(groups->count(), 3);
        auto* names = editor.Child<QComboBox>("NameBox");
        QVERIFY(!names->isEditable());
        QCOMPARE(names->count(), 4 + 15);
        QCOMPARE(names->itemText(0), U("Владелец оргтехники"));

        QCOMPARE(editor.AddMarker(2, 2, U("Счетчик строк")), QStringLiteral("[TP|Detail|Get_Counter]"));
        QCOMPARE(editor.AddMarker(2, 1, U("МатОтв")), QStringLiteral("[TP|To|aFIO]"));

        editor.window.Clear();
        QVERIFY(editor.Child<QGroupBox>("ScopeGroup")->isEnabled());
        QVERIFY(editor.Child<QListWidget>("TypeList")->isEnabled());
    }

    void leftMarginTakesWholePointsOnly() {
        Editor editor;
        editor.window.Editor()->setPlainText(QStringLiteral("one\ntwo"));
        editor.window.Editor()->moveCursor(QTextCursor::End);
        editor.dialog.inputs << QStringLiteral("abc") << QStringLiteral("20");
        QAction* margin = editor.Child<QAction>("LeftMarginButton");
        margin->trigger();
        QCOMPARE(editor.dialog.messages, QStringList{U("Неверное значение")});
        QCOMPARE(editor.window.Template().text.paragraphs[1].leftIndent, 0);
        margin->trigger();
        QCOMPARE(editor.dialog.prompts, QStringList(2, U("Левая граница текста|Введите значение,кратное 10 :|0")));
        QCOMPARE(editor.window.Template().text.paragraphs[1].leftIndent, 400); // 20 pt in twips
        QCOMPARE(editor.window.Template().text.paragraphs[0].leftIndent, 0);
    }

    void picturesGoInAsGroupsTheRtfKeeps() {
        Editor editor;
        QImage image(4, 3, QImage::Format_RGB32);
        image.fill(Qt::red);
        QVERIFY(image.save(editor.Path("red.bmp"), "BMP"));
        QFile metafile(editor.Path("logo.wmf"));
        QVERIFY(metafile.open(QIODevice::WriteOnly));
        metafile.write("\xd7\xcd\xc6\x9a", 4);
        metafile.close();
        QFile broken(editor.Path("broken.gif"));
        QVERIFY(broken.open(QIODevice::WriteOnly));
        broken.write("GIF?");
        broken.close();

        editor.window.Editor()->setPlainText(QStringLiteral("ab"));
        editor.window.Editor()->moveCursor(QTextCursor::End);
        editor.dialog.files << ReportTestDialog::File{editor.Path("red.bmp")}
                            << ReportTestDialog::File{editor.Path("logo.wmf")}
                            << ReportTestDialog::File{editor.Path("broken.gif")};
        for (int i = 0; i < 3; ++i) {
            editor.Child<QAction>("PictureButton")->trigger();
        }
        const reports::Paragraph paragraph = editor.window.Template().text.paragraphs.at(0);
        QCOMPARE(paragraph.content.size(), std::size_t{3}); // the text and two pictures; the broken file is left out
        const auto* png = std::get_if<reports::Picture>(&paragraph.content[1]);
        const auto* wmf = std::get_if<reports::Picture>(&paragraph.content[2]);
        QVERIFY(png != nullptr && wmf != nullptr);
        QVERIFY(png->rtf.starts_with("{\\pict\\pngblip\\picw4\\pich3\\picwgoal60\\pichgoal45\n89504e47"));
        QVERIFY(wmf->rtf.starts_with("{\\pict\\wmetafile8"));
        QVERIFY(wmf->rtf.ends_with("\nd7cdc69a}"));
        // What a save writes and a load reads gives the same pictures.
        const reports::RichText back = reports::ReadRtf(reports::WriteRtf(editor.window.Template().text));
        QCOMPARE(back.paragraphs.at(0).content, paragraph.content);
    }

    void findGoesFromLineToLineCaseSensitive() {
        Editor editor;
        editor.window.Editor()->setPlainText(QStringLiteral("alpha\nbeta Detail\ngamma\ndelta Detail"));
        const auto caretLine = [&] { return editor.window.Editor()->textCursor().blockNumber(); };
        editor.dialog.inputs << QStringLiteral("Detail");
        editor.window.Find(false);
        QCOMPARE(caretLine(), 1);
        QCOMPARE(editor.window.Editor()->textCursor().positionInBlock(), 0);
        editor.window.Find(true);
        QCOMPARE(caretLine(), 3);
        editor.window.Find(true);
        QCOMPARE(editor.dialog.messages, QStringList{U("Контекст не найден")});
        // A new search starts at the first line again.
        editor.dialog.inputs << QStringLiteral("Detail") << QStringLiteral("detail");
        editor.window.Find(false);
        QCOMPARE(caretLine(), 1);
        editor.window.Find(false);
        QCOMPARE(editor.dialog.messages.size(), 2);
    }

    void printsUnderItsCaption() {
        Editor editor;
        editor.window.Editor()->setPlainText(QStringLiteral("printed text"));
        QPrinter printer;
        printer.setOutputFormat(QPrinter::PdfFormat);
        printer.setOutputFileName(editor.Path("printed.pdf"));
        editor.window.Print(printer);
        QCOMPARE(printer.docName(), editor.window.windowTitle());
        QFile pdf(editor.Path("printed.pdf"));
        QVERIFY(pdf.open(QIODevice::ReadOnly));
        QVERIFY(pdf.readAll().startsWith("%PDF"));
    }
};

} // namespace

std::unique_ptr<QObject> MakeReportsSetupWindowTest() {
    return std::make_unique<ReportsSetupWindowTest>();
}

} // namespace pelgo::testing

#include "reports_setup_window_test.moc"
