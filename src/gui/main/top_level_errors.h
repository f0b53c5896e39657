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

    // `handler` gets the error's text (cp1251). Without a handler errors pass on.
    void SetErrorHandler(std::function<void(const std::string& text)> handler) { m_errorHandler = std::move(handler); }

    bool notify(QObject* receiver, QEvent* event) override;

private:
    std::function<void(const std::string&)> m_errorHandler;
    bool m_handling = false;
};

// The text of the exception being handled; call it in a catch block only.
std::string CurrentErrorText();

// Shows the error, logs it and ends the run through the close request, which runs once: an error thrown by
// the close request itself does not start it again, and the log is closed all the same.
void ReportTopLevelError(platform::UserDialog& dialog, session::AppState& state, std::string_view text);

} // namespace pelgo::gui
