// The change monitor's settings dialog: MODE drives M, only real edits enable "Записать", a save writes the
// section whole after asking.
#include "gui/companions/sentinox_dialog.h"

#include <QAbstractItemModelTester>
#include <QCheckBox>
#include <QPushButton>
#include <QSpinBox>
#include <QTableView>
#include <QTemporaryDir>
#include <QTest>
#include <fstream>
#include <iterator>

#include "core/profile_file.h"
#include "gui_test_suites.h"
#include "gui_test_support.h"

namespace pelgo::testing {
namespace {

void WriteFile(const std::string& path, const std::string& bytes) {
    std::ofstream(path, std::ios::binary | std::ios::trunc) << bytes;
}

std::string ReadFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

class NoLauncher : public platform::ProgramLauncher {
public:
    bool Launch(const std::string&, const std::vector<std::string>&, const std::string&) override { return false; }
};

class SentinoxDialogTest : public QObject {
    Q_OBJECT

private slots:
    void modeDrivesTheCodeAndASaveWritesTheSection() {
        QTemporaryDir temporary;
        const std::string folder = temporary.path().toStdString();
        const std::string ini = folder + "/pelgo.ini";
        WriteFile(ini, "[Sentinox]\r\nMaxData=30\r\nText0=Memory\r\nMode0=0\r\nRunSentinox=1\r\nStale=1\r\n");
        core::Clock clock;
        core::WorkLog log(folder + "/pelgo.log", clock);
        shell::Settings settings(folder);
        settings.Paths().SetBaseDirectory(folder + "/BASE");
        settings.updPatches = {"L:\\CFG"};
        RecordingDialog answers;
        NoLauncher launcher;
        companions::SentinoxMonitor monitor(launcher);
        gui::SentinoxDialog dialog(
            {settings, ini, log, answers, monitor,
             [] { return companions::MonitorEnvironment{shell::PathRules("/"), 0, {}, {}, {}, {}}; }},
            nullptr);
        dialog.Reload();
        auto* save = dialog.findChild<QPushButton*>(QStringLiteral("SaveButton"));
        QVERIFY(save != nullptr);
        QVERIFY(!save->isEnabled());

        gui::AnalysisRowsModel& rows = dialog.Rows();
        QAbstractItemModelTester tester(&rows, QAbstractItemModelTester::FailureReportingMode::QtTest);
        dialog.findChild<QTableView*>(QStringLiteral("AnalysisTable"))->setFocus();
        rows.InsertRow(1);
        dialog.findChild<QSpinBox*>(QStringLiteral("MaxLines"))->setValue(40);
        QVERIFY2(!save->isEnabled(), "inserting a row and the spin controls are no change of their own");

        const struct {
            const char* caption;
            int code;
        } choices[] = {{"Отмечать (!)", 1}, {"", 0}, {"Отм", 1}, {"Игнорировать", 0}, {"Отмечать (!)", 1}};
        const QModelIndex mode = rows.index(0, gui::AnalysisRowsModel::ModeColumn);
        for (const auto& choice : choices) {
            QVERIFY(rows.setData(mode, QString::fromUtf8(choice.caption), Qt::EditRole));
            QCOMPARE(rows.index(0, gui::AnalysisRowsModel::CodeColumn).data().toInt(), choice.code);
        }
        QVERIFY(save->isEnabled());

        answers.answers = {platform::Answer::Yes};
        QTest::mouseClick(save, Qt::LeftButton);
        QCOMPARE(answers.questions, QStringList{QString::fromUtf8("Сохранить изменения конфигурации ?")});
        QVERIFY(!save->isEnabled());
        const std::string written = ReadFile(ini);
        QVERIFY2(written.find("[Sentinox]\r\nRunSentinox=1\r\nSnxPath=") == 0, written.c_str());
        QVERIFY2(written.find("\r\nSnxDir0=L:\\CFG\r\n") != std::string::npos, "the archive update's directories");
        QVERIFY2(written.find("MaxLines=40\r\nMaxData=30\r\nText0=Memory\r\nMode0=1\r\n") != std::string::npos,
                 written.c_str());
        QVERIFY2(written.find("Stale") == std::string::npos && written.find("Text1") == std::string::npos,
                 "the section is rewritten whole; the empty inserted row is left out");
        QVERIFY(ReadFile(folder + "/pelgo.log").find(core::Utf8ToCp1251("Изменены настройки Sentinox.exe")) !=
                std::string::npos);

        // A change declined is not written, and unticking the run disables the rest.
        auto* run = dialog.findChild<QCheckBox*>(QStringLiteral("RunSentinox"));
        run->click();
        QVERIFY(save->isEnabled());
        QVERIFY(!dialog.findChild<QTableView*>(QStringLiteral("AnalysisTable"))->isEnabled());
        QVERIFY(!dialog.findChild<QPushButton*>(QStringLiteral("StartButton"))->isEnabled());
        answers.answers = {platform::Answer::No};
        dialog.Save();
        QCOMPARE(ReadFile(ini), written);
    }
};

} // namespace

std::unique_ptr<QObject> MakeSentinoxDialogTest() {
    return std::make_unique<SentinoxDialogTest>();
}

} // namespace pelgo::testing

#include "sentinox_dialog_test.moc"
