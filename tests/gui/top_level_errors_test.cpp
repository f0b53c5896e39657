// An error thrown by an event handler reaches the user as a message box and the log as a line, and the run
// ends through the close request instead of the process ending where it stands.
#include "gui/main/top_level_errors.h"

#include <QMessageBox>
#include <QScopeGuard>
#include <QTest>
#include <QTimer>

#include "core/errors.h"
#include "core/file.h"
#include "gui/common/qt_user_dialog.h"
#include "gui_test_suites.h"
#include "gui_test_support.h"
#include "session/app_state.h"

namespace pelgo::testing {
namespace {

class TopLevelErrorsTest : public QObject {
    Q_OBJECT

private slots:
    void errorThrownByAnEventHandlerIsShownLoggedAndEndsTheRun() {
        auto* application = dynamic_cast<gui::GuardedApplication*>(QCoreApplication::instance());
        QVERIFY2(application != nullptr, "the tests run in the window program's application object");
        const Installation installation;
        gui::QtUserDialog dialog;
        QuietProgress progress;
        session::AppState state({installation.Folder(), installation.Path("pelgo"), {}, "IVANOV", "WS-01"}, dialog,
                                progress);
        QCOMPARE(state.Start([](std::string_view) {}), session::AppState::StartResult::Running);
        state.Activate();
        int later = 0;
        application->SetErrorHandler([&dialog, &state, &later](const std::string& text, bool first) {
            if (first) {
                gui::ReportTopLevelError(dialog, state, text);
            } else {
                ++later;
            }
        });
        const auto noHandler = qScopeGuard([application] { application->SetErrorHandler({}); });
        QString shown;
        QTimer answer;
        QObject::connect(&answer, &QTimer::timeout, [&shown] {
            if (auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget())) {
                shown = box->text();
                box->accept();
            }
        });
        answer.start(10);

        QObject receiver;
        QTimer::singleShot(0, &receiver, [] { throw core::FileError("Cannot write file /data/struct.tmp"); });
        QTRY_VERIFY(!shown.isEmpty());
        QCOMPARE(shown, QString::fromUtf8("Cannot write file /data/struct.tmp\nРабота программы будет завершена !"));
        QVERIFY2(!state.Closing(), "the run ends once the stack has unwound, not from inside the handler");
        QTimer::singleShot(0, &receiver, [] { throw core::FileError("a second error"); });
        QTRY_COMPARE(later, 1);
        gui::EndRun(state);
        QVERIFY(state.Closing());
        const QString log =
            QString::fromStdString(core::Cp1251ToUtf8(core::ReadFileBytes(installation.Path("pelgo.log"))));
        const qsizetype error = log.indexOf(QStringLiteral("IVANOV ERROR! Cannot write file /data/struct.tmp"));
        QVERIFY(error >= 0);
        const qsizetype finished = log.indexOf(QString::fromUtf8("IVANOV закончил работу"), error);
        QVERIFY(finished > error);
        QVERIFY(log.indexOf(QStringLiteral("--- LOG File is closed for WS-01"), finished) > finished);
    }
};

} // namespace

std::unique_ptr<QObject> MakeTopLevelErrorsTest() {
    return std::make_unique<TopLevelErrorsTest>();
}

} // namespace pelgo::testing

#include "top_level_errors_test.moc"
