// The collector settings dialog: a file's values reach the controls, edits enable "Записать", closing and
// switching files ask before writing, values the lists cannot show survive a save, MapNetDisk follows
// OutputDir, and the page of additional programs warns while module Additional is off.
#include "gui/companions/scanlet_dialog.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSpinBox>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <fstream>
#include <iterator>

#include "gui_test_suites.h"
#include "gui_test_support.h"

namespace pelgo::testing {
namespace {

std::string ReadFile(const QString& path) {
    std::ifstream in(path.toStdString(), std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

bool Contains(const std::string& cp1251, const char* utf8) {
    return cp1251.find(core::Utf8ToCp1251(utf8)) != std::string::npos;
}

const QStringList kScanletIni{
    "; written by hand",
    "[Program]",
    "Program=Scanlet v.1.31 на сервере",
    "OutputDir=\\\\srv\\cfg",
    "MapNetDisk=x:",
    "MaxConfigChanges=14",
    "DOSFileName=0",
    "MaxNameLength=20",
    "MACaddrToFileName=4",
    "RemoveSharedDirs=7",
    "Unknown=keep me",
    "[HardDisk]",
    "min_drv=3",
    "max_drv=30",
    "[Modules]",
    "Additional=0",
    "S.M.A.R.T.=2",
    "[Additional_Software]",
    "DayOfWeek=7_once",
    "EXEfile=C:\\tools\\inv.exe",
    "Extra = value",
};

// Three known entries: a directory written with a trailing separator, a directory without scanlet.ini and
// a file named in upper case.
struct Fixture {
    Fixture() {
        QDir root(dir.path());
        for (const char* name : {"a", "b", "c"}) {
            root.mkpath(QLatin1String(name));
        }
        WriteCp1251Lines(Ini(), kScanletIni);
        WriteCp1251Lines(dir.filePath(QStringLiteral("c/SCANLET.INI")),
                         {"[Program]", "OutputDir=C:\\out", "[Modules]", "Additional=1"});
        settings.scanletPatches = {Entry("a/"), Entry("b"), Entry("c/SCANLET.INI")};
    }
    std::string Entry(const char* relative) const { return dir.path().toStdString() + "/" + relative; }
    QString Ini() const { return dir.filePath(QStringLiteral("a/scanlet.ini")); }
    template <typename T> T* Find(const char* name) const {
        T* widget = dialog.findChild<T*>(QLatin1String(name));
        if (widget == nullptr) {
            qFatal("no control %s", name);
        }
        return widget;
    }
    bool SaveEnabled() const { return Find<QPushButton>("NeedSave")->isEnabled(); }

    QTemporaryDir dir;
    core::Clock clock;
    core::WorkLog log{dir.path().toStdString() + "/pelgo.log", clock};
    shell::Settings settings{dir.path().toStdString()};
    RecordingDialog answers;
    int settingsWrites = 0;
    gui::ScanletDialog dialog{{settings, log, answers, [this] { ++settingsWrites; }}, nullptr};
};

void Pick(QComboBox* box, int index) {
    box->setCurrentIndex(index);
    emit box->activated(index);
}

class ScanletDialogTest : public QObject {
    Q_OBJECT

private slots:
    void loadsTheFileAndClosingAsksBeforeWriting() {
        Fixture f;
        f.dialog.Reload();
        QCOMPARE(f.Find<QComboBox>("CCPath")->currentText(), QString::fromStdString(f.Entry("a")));
        QCOMPARE(f.Find<QLabel>("Status")->text(), QString::fromUtf8("Scanlet v.1.31 на сервере"));
        QCOMPARE(f.Find<QLineEdit>("OutputDir")->text(), QStringLiteral("\\\\srv\\cfg"));
        QCOMPARE(f.Find<QComboBox>("MapNetDisk")->currentText(), QStringLiteral("X:"));
        QVERIFY(f.Find<QComboBox>("MapNetDisk")->isEnabled());
        QCOMPARE(f.Find<QSpinBox>("MaxConfigChanges")->value(), 14);
        QCOMPARE(f.Find<QSpinBox>("MaxNameLength")->value(), 20);
        QCOMPARE(f.Find<QComboBox>("MACaddrToFileName")->currentIndex(), -1);
        QVERIFY(f.Find<QComboBox>("MACparam")->isHidden());
        QCOMPARE(f.Find<QComboBox>("RemoveSharedDirs")->currentIndex(), -1);
        QCOMPARE(f.Find<QComboBox>("min_drv")->currentText(), QStringLiteral("C:"));
        QCOMPARE(f.Find<QComboBox>("max_drv")->currentIndex(), -1);
        QVERIFY(f.Find<QCheckBox>("Day7")->isChecked() && f.Find<QCheckBox>("Once")->isChecked());
        QVERIFY(!f.Find<QCheckBox>("Day1")->isChecked());
        QCOMPARE(f.Find<QLineEdit>("AddOutputDir")->text(), QStringLiteral("C:\\"));
        QCOMPARE(f.Find<QPlainTextEdit>("FreeLines")->toPlainText(), QStringLiteral("Extra=value"));
        auto* modules = f.Find<QListWidget>("Modules");
        modules->setCurrentRow(1);
        QCOMPARE(f.Find<QComboBox>("ModMode")->currentText(), QString::fromUtf8("Удалить !"));
        QCOMPARE(f.Find<QLabel>("ModHelp")->text(),
                 QString::fromUtf8("Данные выводятся как\n[S.M.A.R.T.]\nДанные о IDE-устройствах"));
        QCOMPARE(f.Find<QTabWidget>("Pages")->currentIndex(), 0);
        QVERIFY(f.answers.messages.isEmpty());
        // Picking again what a list or the mode shows changes nothing.
        auto* runMode = f.Find<QComboBox>("RunMode");
        Pick(runMode, runMode->currentIndex());
        Pick(f.Find<QComboBox>("ModMode"), f.Find<QComboBox>("ModMode")->currentIndex());
        QVERIFY(!f.SaveEnabled());

        // Closing unchanged asks nothing.
        f.dialog.show();
        f.dialog.accept();
        QVERIFY(f.answers.questions.isEmpty());

        // The DOS name box alone is a change worth asking about.
        f.dialog.Reload();
        f.Find<QCheckBox>("DOSFileName")->click();
        QVERIFY(f.SaveEnabled());
        f.answers.answers = {platform::Answer::Yes};
        f.dialog.show();
        f.Find<QPushButton>("ExitButton")->click();
        QVERIFY(f.dialog.isHidden());
        QCOMPARE(f.answers.questions, QStringList{QString::fromStdString(f.Entry("a/scanlet.ini")) +
                                                  QString::fromUtf8("\r\nСохранить изменения конфигурации ?")});
        const std::string written = ReadFile(f.Ini());
        QVERIFY2(written.starts_with("; written by hand\r\n[Program]\r\n"), written.c_str());
        for (const char* line : {"DOSFileName=1\r\n", "MACaddrToFileName=4\r\n", "RemoveSharedDirs=7\r\n",
                                 "Unknown=keep me\r\n", "max_drv=30\r\n", "MapNetDisk=X:\r\n",
                                 "[Additional_Software]\r\nDayOfWeek=7_once\r\nEXEfile=C:\\tools\\inv.exe\r\nExtra = "
                                 "value\r\n"}) {
            QVERIFY2(written.find(line) != std::string::npos, line);
        }
        QVERIFY(Contains(ReadFile(f.dir.filePath(QStringLiteral("pelgo.log"))), "Изменены настройки "));

        // A change declined writes nothing.
        f.dialog.Reload();
        f.Find<QSpinBox>("MaxConfigChanges")->stepUp();
        QVERIFY(f.SaveEnabled());
        f.answers.answers = {platform::Answer::No};
        f.dialog.show();
        f.dialog.reject();
        QCOMPARE(f.answers.questions.size(), 2);
        QCOMPARE(ReadFile(f.Ini()), written);
        QVERIFY(!f.SaveEnabled());
    }

    void netDiskAllowanceAndTheAdditionalPage() {
        Fixture f;
        f.dialog.Reload();
        auto* outputDir = f.Find<QLineEdit>("OutputDir");
        auto* netDisk = f.Find<QComboBox>("MapNetDisk");
        const struct {
            const char* text;
            bool enabled;
        } cases[] = {{"C:\\out", false}, {"\\\\s", false}, {"\\\\srv\\x", true}, {"\\\\", true}, {"D:\\\\x", false}};
        for (const auto& c : cases) {
            Retype(outputDir, QString::fromUtf8(c.text));
            QCOMPARE(outputDir->text(), QString::fromUtf8(c.text));
            QVERIFY2(netDisk->isEnabled() == c.enabled, c.text);
        }
        QVERIFY(f.SaveEnabled());
        f.answers.answers = {platform::Answer::No};
        QVERIFY(f.dialog.Save());
        QVERIFY(!f.SaveEnabled());
        f.dialog.Reload();
        QVERIFY(netDisk->isEnabled());

        // "разрешить" unlocks ClearThisFile without being a change; the guarded boxes lock it again.
        auto* clear = f.Find<QCheckBox>("ClearThisFile");
        auto* allow = f.Find<QCheckBox>("AllowClear");
        QVERIFY(!clear->isEnabled());
        allow->click();
        QVERIFY(clear->isEnabled());
        QVERIFY(!f.SaveEnabled());
        f.Find<QCheckBox>("NoBadMACaddr")->click();
        QVERIFY(!allow->isChecked() && !clear->isEnabled());
        QVERIFY(f.SaveEnabled());

        // The page opens, with a warning, while module Additional is not in mode 1.
        auto* pages = f.Find<QTabWidget>("Pages");
        pages->setCurrentIndex(2);
        QCOMPARE(pages->currentIndex(), 2);
        QCOMPARE(f.answers.messages, QStringList{QString::fromUtf8("Запуск доп.программ запрещен в секции [Модули]!")});
        pages->setCurrentIndex(1);
        auto* modules = f.Find<QListWidget>("Modules");
        modules->setCurrentRow(0);
        Pick(f.Find<QComboBox>("ModMode"), companions::kModuleUpdate);
        QCOMPARE(modules->item(0)->icon().pixmap(34, 16).toImage(),
                 gui::ScanletModuleIcon(0, companions::kModuleUpdate).pixmap(34, 16).toImage());
        QVERIFY(modules->item(0)->icon().pixmap(34, 16).toImage() !=
                gui::ScanletModuleIcon(0, companions::kModuleKeep).pixmap(34, 16).toImage());
        pages->setCurrentIndex(2);
        QCOMPARE(f.answers.messages.size(), 1);

        // The run parameter's list shows only for "Run parametr".
        auto* parameter = f.Find<QComboBox>("MACparam");
        Pick(f.Find<QComboBox>("MACaddrToFileName"), companions::kMacRunParameter);
        QVERIFY(!parameter->isHidden());
        Pick(parameter, 4);
        Pick(f.Find<QComboBox>("MACaddrToFileName"), 1);
        QVERIFY(parameter->isHidden());
        Pick(f.Find<QComboBox>("MACaddrToFileName"), companions::kMacRunParameter);
        QCOMPARE(parameter->currentText(), QStringLiteral("1"));
        Pick(parameter, 4);

        // With Additional on, its section is rewritten and a line without "=" is reported, not written.
        f.Find<QPlainTextEdit>("FreeLines")->setPlainText(QStringLiteral("Extra=1\nbad line\n\nMore = 2"));
        f.answers.answers = {platform::Answer::Yes};
        f.Find<QPushButton>("NeedSave")->click();
        QVERIFY(!f.SaveEnabled());
        QCOMPARE(f.answers.messages.last(), QString::fromUtf8("Неверная строка №2 (нет =)\r\nbad line"));
        const std::string written = ReadFile(f.Ini());
        QVERIFY2(written.find("[Additional_Software]\r\nOS=0\r\nDayOfWeek=7_ONCE\r\nEXEfile=C:\\tools\\inv.exe\r\n"
                              "EXEparam=\r\nOutputDir=C:\\\r\nOutputFile=\r\nExtra=1\r\nMore = 2\r\n") !=
                     std::string::npos,
                 written.c_str());
        QVERIFY(written.find("Additional=1\r\n") != std::string::npos);
        QVERIFY(written.find("NoBadMACaddr=1\r\n") != std::string::npos);
        QVERIFY(written.find("MACaddrToFileName=15\r\n") != std::string::npos);
        QVERIFY2(written.find("OutputDir=\\\\srv\\cfg\r\nMapNetDisk=X:\r\n") != std::string::npos,
                 "the declined edits are gone after the reload");
    }

    void anotherFileIsLoadedOnlyAfterTheQuestion() {
        Fixture f;
        f.dialog.Reload();
        auto* paths = f.Find<QComboBox>("CCPath");
        auto* groups = f.Find<QWidget>("ProgramGroup");

        // The new file is missing, yet the pending edit is asked about first.
        f.Find<QCheckBox>("DOSFileName")->click();
        f.answers.answers = {platform::Answer::Yes};
        Pick(paths, 1);
        QCOMPARE(f.answers.questions.size(), 1);
        QVERIFY(ReadFile(f.Ini()).find("DOSFileName=1\r\n") != std::string::npos);
        const QString missing = QString::fromUtf8("НЕВЕРНО:") + QString::fromStdString(f.Entry("b/scanlet.ini"));
        QCOMPARE(f.Find<QLabel>("Status")->text(), missing);
        QCOMPARE(f.answers.messages, QStringList{missing});
        QVERIFY(!groups->isEnabled() && !f.Find<QWidget>("HardDiskGroup")->isEnabled() &&
                !f.Find<QWidget>("ModulesGroup")->isEnabled());
        QVERIFY(!f.SaveEnabled());

        // "Настроить" replaces the list, keeps the settings written, and loads its first entry after asking.
        Pick(paths, 0);
        QVERIFY(groups->isEnabled());
        f.Find<QCheckBox>("CPUspeedAlarm")->click();
        const std::string before = ReadFile(f.Ini());
        const QString upper = QString::fromStdString(f.Entry("c/SCANLET.INI"));
        QTimer::singleShot(0, [&] {
            QWidget* editor = QApplication::activeModalWidget();
            QVERIFY(editor != nullptr);
            QCOMPARE(editor->findChild<QPlainTextEdit*>(QStringLiteral("PathsText"))->toPlainText(),
                     QString::fromStdString(f.Entry("a/") + "\n" + f.Entry("b") + "\n" + f.Entry("c/SCANLET.INI")));
            editor->findChild<QPlainTextEdit*>(QStringLiteral("PathsText"))->setPlainText(upper + "\n\n  ");
            static_cast<QDialog*>(editor)->accept();
        });
        f.answers.answers = {platform::Answer::No};
        f.Find<QPushButton>("SetupPaths")->click();
        QCOMPARE(f.answers.questions.size(), 2);
        QCOMPARE(ReadFile(f.Ini()), before);
        QCOMPARE(f.settings.scanletPatches, std::vector<std::string>{upper.toStdString()});
        QCOMPARE(f.settingsWrites, 1);
        QCOMPARE(paths->count(), 1);
        QCOMPARE(f.Find<QLineEdit>("OutputDir")->text(), QStringLiteral("C:\\out"));
        QVERIFY(!f.Find<QComboBox>("MapNetDisk")->isEnabled());
        QVERIFY(groups->isEnabled());
    }

    void failedLoadsDisableTheGroups() {
        const struct {
            const char* ini; // null: no known path at all
            const char* status;
            bool told;
        } cases[] = {
            {nullptr, "Укажите путь к файлам Scanlet.ini !", true},
            {"[Program]\r\nOutputDir=C\r\n", "Ошибка чтения или неверный INI-файл", false},
        };
        for (const auto& c : cases) {
            Fixture f;
            if (c.ini == nullptr) {
                f.settings.scanletPatches.clear();
            } else {
                std::ofstream(f.Ini().toStdString(), std::ios::binary | std::ios::trunc) << c.ini;
            }
            f.dialog.Reload();
            QCOMPARE(f.Find<QLabel>("Status")->text(), QString::fromUtf8(c.status));
            QCOMPARE(f.answers.messages, c.told ? QStringList{QString::fromUtf8(c.status)} : QStringList{});
            QVERIFY(!f.Find<QWidget>("ProgramGroup")->isEnabled() && !f.Find<QWidget>("ModulesGroup")->isEnabled());
            // Nothing is open, so nothing on the pages can be edited.
            QVERIFY(!f.Find<QWidget>("EXEfile")->isEnabled() && !f.Find<QWidget>("FreeLines")->isEnabled());
            f.Find<QCheckBox>("Day1")->click();
            QVERIFY(!f.SaveEnabled());
            f.dialog.show();
            f.dialog.accept();
            QVERIFY(f.answers.questions.isEmpty());
        }
    }

    void aFailedWriteKeepsTheEdits() {
        Fixture f;
        f.dialog.Reload();
        f.Find<QCheckBox>("DOSFileName")->click();
        // The folder becomes a plain file: nothing can be written there.
        QVERIFY(QDir(f.dir.filePath(QStringLiteral("a"))).removeRecursively());
        WriteCp1251Lines(f.dir.filePath(QStringLiteral("a")), {"x"});
        f.answers.answers = {platform::Answer::Yes};
        f.dialog.show();
        f.dialog.accept();
        QCOMPARE(f.answers.messages.size(), 1);
        QVERIFY(f.dialog.isVisible());
        QVERIFY(f.SaveEnabled());
        f.answers.answers = {platform::Answer::No};
        f.dialog.accept();
        QVERIFY(f.dialog.isHidden());
        QVERIFY(!f.SaveEnabled());
    }
};

} // namespace

std::unique_ptr<QObject> MakeScanletDialogTest() {
    return std::make_unique<ScanletDialogTest>();
}

} // namespace pelgo::testing

#include "scanlet_dialog_test.moc"
