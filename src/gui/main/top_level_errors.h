// Errors that reach the window program's top level: thrown by an event handler, by the start or by the set-up
// of the main window. The user is told, the log keeps the reason, and the run ends through the close request
// instead of ending the process where it stands.
#pragma once

#include <QApplication>
#include <functional>
#include <string>
#include <string_view>

namespace pelgo::platform {
class UserDialog;
}

namespace pelgo::session {
class AppState;
}

namespace pelgo::gui {

// The window program's application object: an error thrown by an event handler goes to the error handler
// instead of unwinding through Qt's event dispatch, which Qt does not survive.
class GuardedApplication : public QApplication {
public:
    using QApplication::QApplication;

    // `handler` gets the error's text (cp1251) and whether it is the first error of the run; errors thrown
    // while the first is being reported come as later ones. Without a handler errors pass on.
    void SetErrorHandler(std::function<void(const std::string& text, bool first)> handler) {
        m_errorHandler = std::move(handler);
    }
    bool ErrorReported() const { return m_reported; }

    bool notify(QObject* receiver, QEvent* event) override;

private:
    std::function<void(const std::string&, bool)> m_errorHandler;
    bool m_reported = false;
};

// The text of the exception being handled; call it in a catch block only.
std::string CurrentErrorText();

// Logs the error and shows it with the note that the run ends. The run ends in EndRun, once the stack that
// threw has unwound: a close request run from inside an event handler would close the tables and the log
// under code that still goes on.
void ReportTopLevelError(platform::UserDialog& dialog, session::AppState& state, std::string_view text);
// The close request, once (an error it throws is logged), then the log closed.
void EndRun(session::AppState& state);

} // namespace pelgo::gui
