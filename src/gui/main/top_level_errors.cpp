// Reporting the errors that nothing below the window program caught.
#include "gui/main/top_level_errors.h"

#include <exception>

#include "core/translator.h"
#include "platform/user_dialog.h"
#include "session/app_state.h"

namespace pelgo::gui {

bool GuardedApplication::notify(QObject* receiver, QEvent* event) {
    try {
        return QApplication::notify(receiver, event);
    } catch (...) {
        if (!m_errorHandler) {
            throw;
        }
        const bool first = !m_reported;
        m_reported = true;
        try {
            m_errorHandler(CurrentErrorText(), first);
        } catch (...) {
            // The report failed too: nothing is left to tell the user with, and the event loop must go on.
        }
        return false;
    }
}

std::string CurrentErrorText() {
    try {
        throw;
    } catch (const std::exception& error) {
        return error.what();
    } catch (...) {
        return "Unknown error";
    }
}

void ReportTopLevelError(platform::UserDialog& dialog, session::AppState& state, std::string_view text) {
    state.Log().LogEvent("ERROR! " + std::string(text));
    dialog.Inform(platform::MessageKind::Error,
                  std::string(text) + "\r\n" + core::Text(1085, "Работа программы будет завершена !"));
}

void EndRun(session::AppState& state) {
    try {
        state.CloseRequest();
    } catch (...) {
        state.Log().LogEvent("ERROR! " + CurrentErrorText());
    }
    if (state.Log().IsOpen()) {
        state.Log().LogClose();
    }
}

} // namespace pelgo::gui
