// A termination signal arrives in the event loop as a request to close, and the default returns after.
#include "gui/common/termination_signals.h"

#include <QSignalSpy>
#include <QTest>
#include <csignal>

#include "gui_test_suites.h"

namespace pelgo::testing {
namespace {

class TerminationSignalsTest : public QObject {
    Q_OBJECT

private slots:
    void sigtermAndSighupBecomeACloseRequest() {
        for (const int signal : {SIGTERM, SIGHUP}) {
            gui::TerminationSignals termination;
            QSignalSpy requested(&termination, &gui::TerminationSignals::terminationRequested);
            QCOMPARE(std::raise(signal), 0);
            QVERIFY(requested.wait(1000));
        }
        struct sigaction current {};
        ::sigaction(SIGTERM, nullptr, &current);
        QVERIFY(current.sa_handler == SIG_DFL);
    }
};

} // namespace

std::unique_ptr<QObject> MakeTerminationSignalsTest() {
    return std::make_unique<TerminationSignalsTest>();
}

} // namespace pelgo::testing

#include "termination_signals_test.moc"
