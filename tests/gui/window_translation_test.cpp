// Window translation: name entries before tag entries, page, column and tab lists, translation at show
// and at a change of language, and the built-in texts coming back under a language that lacks them.
#include "gui/common/window_translation.h"

#include <QLabel>
#include <QMenu>
#include <QPushButton>
#include <QTabWidget>
#include <QTest>
#include <QTreeWidget>
#include <QVBoxLayout>

#include "gui_test_suites.h"
#include "gui_test_support.h"

namespace pelgo::testing {
namespace {

class WindowTranslationTest : public QObject {
    Q_OBJECT

    struct TestWindow {
        QWidget window;
        QPushButton* both;
        QPushButton* tagOnly;
        QPushButton* neither;
        QLabel* label;
        QTabWidget* pages;
        QTreeWidget* columns;

        TestWindow() {
            window.setObjectName(QStringLiteral("TTest"));
            window.setWindowTitle(QStringLiteral("Built-in title"));
            auto* layout = new QVBoxLayout(&window);
            both = Button("Both", 77);
            tagOnly = Button("TagOnly", 78);
            neither = Button("Neither", 79);
            label = new QLabel(QStringLiteral("label"), &window);
            label->setObjectName(QStringLiteral("Label"));
            pages = new QTabWidget(&window);
            pages->setObjectName(QStringLiteral("Pages"));
            for (const char* caption : {"p1", "p2", "p3"}) {
                pages->addTab(new QWidget(pages), QLatin1String(caption));
                pages->setTabToolTip(pages->count() - 1, QStringLiteral("built-in hint"));
            }
            columns = new QTreeWidget(&window);
            columns->setObjectName(QStringLiteral("Columns"));
            columns->setHeaderLabels({QStringLiteral("c1"), QStringLiteral("c2"), QStringLiteral("c3")});
            for (QWidget* widget : std::initializer_list<QWidget*>{both, tagOnly, neither, label, pages, columns}) {
                layout->addWidget(widget);
            }
        }

        QPushButton* Button(const char* name, int tag) {
            auto* button = new QPushButton(QStringLiteral("built-in ") + QLatin1String(name), &window);
            button->setObjectName(QLatin1String(name));
            button->setProperty(gui::kTagProperty, tag);
            return button;
        }

        QStringList TabTexts() const {
            QStringList texts;
            for (int i = 0; i < pages->count(); ++i) {
                texts << pages->tabText(i) + u'/' + pages->tabToolTip(i);
            }
            return texts;
        }

        QStringList ColumnTexts() const {
            QStringList texts;
            for (int i = 0; i < columns->columnCount(); ++i) {
                texts << columns->headerItem()->text(i);
            }
            return texts;
        }
    };

    // "Alpha" translates the test window; "Beta" says nothing about it.
    void WriteLanguages() {
        WriteCp1251Lines(m_dir.filePath(QStringLiteral("alpha.lng")),
                         {"[Strings]", "LanguageName=Alpha", "77=By tag", "78=Tag only", "[TTest]",
                          "Self=Alpha title~window hint", "Both=By name~Name hint", "Label=Two||lines",
                          "Pages=One~First hint|Two", "Columns=A||B~ignored"});
        WriteCp1251Lines(m_dir.filePath(QStringLiteral("beta.lng")), {"[Strings]", "LanguageName=Beta"});
    }

    QTemporaryDir m_dir;

private slots:
    void init() { WriteLanguages(); }

    void translatesAWindowWhenItIsShown() {
        core::TKelTranslator translator(m_dir.path().toStdString());
        gui::WindowTranslation translation(translator);
        translator.SetDirectory(m_dir.path().toStdString());
        QCOMPARE(QString::fromStdString(translator.LanguageName()), QStringLiteral("Alpha"));

        TestWindow test;
        QCOMPARE(test.both->text(), QStringLiteral("built-in Both"));
        test.window.show();
        QCOMPARE(test.window.windowTitle(), QStringLiteral("Alpha title"));
        QCOMPARE(test.both->text(), QStringLiteral("By name"));
        QCOMPARE(test.both->toolTip(), QStringLiteral("Name hint"));
        QCOMPARE(test.tagOnly->text(), QStringLiteral("Tag only"));
        QCOMPARE(test.tagOnly->toolTip(), QString());
        QCOMPARE(test.neither->text(), QStringLiteral("built-in Neither"));
        QCOMPARE(test.label->text(), QStringLiteral("Two\nlines"));
        QCOMPARE(test.TabTexts(), (QStringList{"One/First hint", "Two/", "/"}));
        QCOMPARE(test.ColumnTexts(), (QStringList{"A", "B", ""}));
    }

    void aLanguageWithoutEntriesBringsBackTheBuiltInTexts() {
        core::TKelTranslator translator(m_dir.path().toStdString());
        gui::WindowTranslation translation(translator);
        translator.SetDirectory(m_dir.path().toStdString());
        TestWindow test;
        test.window.show();
        int changes = 0;
        connect(&translation, &gui::WindowTranslation::languageChanged, this, [&changes] { ++changes; });

        translator.ChooseNextLanguage();
        QCOMPARE(changes, 1);
        QCOMPARE(test.window.windowTitle(), QStringLiteral("Built-in title"));
        QCOMPARE(test.both->text(), QStringLiteral("built-in Both"));
        QCOMPARE(test.tagOnly->text(), QStringLiteral("built-in TagOnly"));
        QCOMPARE(test.label->text(), QStringLiteral("label"));
        QCOMPARE(test.TabTexts(), (QStringList{"p1/built-in hint", "p2/built-in hint", "p3/built-in hint"}));
        QCOMPARE(test.ColumnTexts(), (QStringList{"c1", "c2", "c3"}));

        translator.ChooseNextLanguage();
        QCOMPARE(test.both->text(), QStringLiteral("By name"));
    }

    void hiddenWindowsAndPopUpsFollowTheirOwner() {
        core::TKelTranslator translator(m_dir.path().toStdString());
        gui::WindowTranslation translation(translator);
        translator.SetDirectory(m_dir.path().toStdString());
        TestWindow test;
        // A dialog owned by the window has a section of its own and is not translated as part of the window.
        QWidget dialog(&test.window, Qt::Dialog);
        dialog.setObjectName(QStringLiteral("TOther"));
        auto* inner = new QPushButton(QStringLiteral("inner"), &dialog);
        inner->setObjectName(QStringLiteral("Both"));
        // A pop-up menu of the window is part of it.
        auto* menu = new QMenu(&test.window);
        QAction* item = menu->addAction(QStringLiteral("item"));
        item->setObjectName(QStringLiteral("Both"));
        test.window.show();
        QCOMPARE(item->text(), QStringLiteral("By name"));
        QCOMPARE(inner->text(), QStringLiteral("inner"));
        dialog.show();
        QCOMPARE(inner->text(), QStringLiteral("inner"));
        QCOMPARE(test.both->text(), QStringLiteral("By name"));
    }
};

} // namespace

std::unique_ptr<QObject> MakeWindowTranslationTest() {
    return std::make_unique<WindowTranslationTest>();
}

} // namespace pelgo::testing

#include "window_translation_test.moc"
