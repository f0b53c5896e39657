// Start, event loop and end of the window program.
#include "gui/main/pelgo_program.h"

#include <QApplication>
#include <QScreen>
#include <QTimer>
#include <cstdio>
#include <cstdlib>
#include <optional>
#include <string>
#include <vector>

#include "gui/common/qt_text.h"
#include "gui/common/qt_user_dialog.h"
#include "gui/common/termination_signals.h"
#include "gui/common/window_translation.h"
#include "gui/main/main_window.h"
#include "gui/main/splash_screen.h"
#include "gui/main/top_level_errors.h"
#include "platform/installation_folder.h"
#include "platform/single_instance.h"
#include "platform/system_identity.h"
#include "session/app_state.h"

namespace pelgo::gui {
namespace {

constexpr int kWrongUse = 64;

struct ProgramArguments {
    std::string home;                   // --home DIR, else $PELGO_HOME; cp1251, empty when neither
    std::vector<std::string> arguments; // the rest ("/R"), cp1251
};

void CentreOnScreen(QWidget& widget) {
    if (const QScreen* screen = widget.screen()) {
        widget.move(screen->availableGeometry().center() - widget.rect().center());
    }
}

// Empty when --home lacks its folder.
std::optional<ProgramArguments> ParseProgramArguments(const QStringList& arguments) {
    ProgramArguments parsed;
    if (const char* home = std::getenv("PELGO_HOME"); home != nullptr) {
        parsed.home = core::Utf8ToCp1251(home);
    }
    for (qsizetype i = 1; i < arguments.size(); ++i) {
        if (arguments[i] == QLatin1String("--home")) {
            if (++i >= arguments.size()) {
                return std::nullopt;
            }
            parsed.home = ToCp1251(arguments[i]);
        } else {
            parsed.arguments.push_back(ToCp1251(arguments[i]));
        }
    }
    return parsed;
}

// The start under the splash, the main window and its event loop.
int RunWindow(const GuardedApplication& application, session::AppState& state, QtUserDialog& dialog,
              QtProgress& progress, const std::string& folder) {
    WindowTranslation translation(state.Translator());
    auto splash = std::make_unique<SplashScreen>();
    const bool branded = splash->ApplyBranding(folder);
    CentreOnScreen(*splash);
    splash->show();
    const auto protocolOnSplash =
        QObject::connect(&progress, &QtProgress::protocolLine, splash.get(), &SplashScreen::ShowStep);
    const session::AppState::StartResult started =
        state.Start([&splash](std::string_view step) { splash->ShowStep(FromCp1251(step)); });
    if (started != session::AppState::StartResult::Running || state.Closing() || application.ErrorReported()) {
        return EXIT_FAILURE;
    }
    MainWindow window(state, dialog, translation);
    if (branded) {
        splash->ShowStep(QStringLiteral("Forms setup..."));
    }
    QObject::disconnect(protocolOnSplash);
    splash.reset();
    // Without a window manager (a bare X server) maximising does nothing: the window takes the screen itself.
    if (const QScreen* screen = window.screen()) {
        window.setGeometry(screen->availableGeometry());
    }
    window.showMaximized();
    // The start's conversion of older data counts records without knowing how many are to come.
    QObject::connect(&progress, &QtProgress::countersChanged, &window, &MainWindow::StepIndicator);
    QTimer::singleShot(0, &window, [&window] { window.Activate(); });
    const TerminationSignals termination;
    QObject::connect(&termination, &TerminationSignals::terminationRequested, &window, &QWidget::close);
    // An error reported while the window was being shown ends the run before the event loop.
    return application.ErrorReported() ? EXIT_FAILURE : QApplication::exec();
}

} // namespace

int RunPelgo(int argc, char** argv) {
    GuardedApplication application(argc, argv);
    const std::optional<ProgramArguments> arguments = ParseProgramArguments(QCoreApplication::arguments());
    if (!arguments) {
        std::fputs("pelgo: --home needs a folder\nUsage: pelgo [--home DIR] [/R]\n", stderr);
        return kWrongUse;
    }
    QtUserDialog dialog;
    platform::SingleInstance instance("KEL_SOFT_pelgo2");
    if (!instance.Acquire()) {
        dialog.Inform(platform::MessageKind::Error, "Program already works !");
        return EXIT_FAILURE;
    }
    const std::string folder = platform::InstallationFolder(arguments->home);
    QtProgress progress;
    session::AppState state(session::StartOptions{folder, ToCp1251(QCoreApplication::applicationFilePath()),
                                                  arguments->arguments, platform::CurrentUserName(),
                                                  platform::ComputerName()},
                            dialog, progress);
    application.SetErrorHandler([&dialog, &state](const std::string& text, bool first) {
        if (!first) {
            state.Log().LogEvent("ERROR! " + text);
            return;
        }
        ReportTopLevelError(dialog, state, text);
        QCoreApplication::exit(EXIT_FAILURE); // leaves every event loop; EndRun closes once they are left
    });
    int result = EXIT_FAILURE;
    try {
        result = RunWindow(application, state, dialog, progress, folder);
    } catch (...) {
        ReportTopLevelError(dialog, state, CurrentErrorText());
        result = EXIT_FAILURE;
    }
    EndRun(state);
    application.SetErrorHandler({}); // the state it reports to ends before the application
    return application.ErrorReported() ? EXIT_FAILURE : result;
}

} // namespace pelgo::gui
