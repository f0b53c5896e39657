// Shared pieces of the window tests: a dialog double that records what the engines said, a quiet progress,
// language and settings files written in cp1251, a fresh installation folder with empty tables, and a main
// window started on it.
#pragma once

#include <QApplication>
#include <QDir>
#include <QKeyEvent>
#include <QLineEdit>
#include <QList>
#include <QStringList>
#include <QTemporaryDir>
#include <functional>
#include <memory>
#include <optional>
#include <string>

#include "core/cp1251.h"
#include "core/date_time.h"
#include "core/file.h"
#include "gui/common/window_translation.h"
#include "gui/main/main_window.h"
#include "platform/dbf_table.h"
#include "platform/progress.h"
#include "platform/user_dialog.h"
#include "session/app_state.h"

namespace pelgo::testing {

// Typed key by key, with texts QTest's Latin-1 key clicks cannot carry.
inline void Type(QWidget* widget, const QString& text) {
    for (const QChar c : text) {
        QKeyEvent press(QEvent::KeyPress, Qt::Key_unknown, Qt::NoModifier, QString(c));
        QApplication::sendEvent(widget, &press);
        QKeyEvent release(QEvent::KeyRelease, Qt::Key_unknown, Qt::NoModifier, QString(c));
        QApplication::sendEvent(widget, &release);
    }
}

inline void Retype(QLineEdit* edit, const QString& text) {
    edit->selectAll();
    Type(edit, text);
}

// Messages and questions are recorded (UTF-8); questions are answered from `answers` in turn, then Cancel.
// `onShow` runs as each appears, to look at the window the user sees behind it.
class RecordingDialog : public platform::UserDialog {
public:
    platform::Answer Ask(platform::MessageKind, std::string_view text, platform::Buttons) override {
        questions << QString::fromStdString(core::Cp1251ToUtf8(text));
        if (onShow) {
            onShow();
        }
        return answers.isEmpty() ? platform::Answer::Cancel : answers.takeFirst();
    }
    void Inform(platform::MessageKind, std::string_view text) override {
        messages << QString::fromStdString(core::Cp1251ToUtf8(text));
        if (onShow) {
            onShow();
        }
    }
    // The next of `files` (UTF-8), or a cancel when there is none; the choice's filter is recorded (UTF-8).
    std::optional<std::string> ChooseFile(const platform::FileChoice& choice) override {
        filters << QString::fromStdString(core::Cp1251ToUtf8(choice.filter));
        if (files.isEmpty()) {
            return std::nullopt;
        }
        return core::Utf8ToCp1251(files.takeFirst().toStdString());
    }
    // As ChooseFile, picking the entry of the filter given by the next of `filterPicks` (the first without).
    std::optional<platform::FilteredFile> ChooseFileWithFilter(const platform::FileChoice& choice) override {
        std::optional<std::string> path = ChooseFile(choice);
        const std::size_t pick = filterPicks.isEmpty() ? 0 : filterPicks.takeFirst();
        return path ? std::optional<platform::FilteredFile>({std::move(*path), pick}) : std::nullopt;
    }
    std::optional<std::string> InputText(std::string_view, std::string_view, std::string_view) override {
        return std::nullopt;
    }

    QStringList messages;
    QStringList questions;
    QList<platform::Answer> answers;
    QStringList files;
    QList<std::size_t> filterPicks;
    QStringList filters;
    std::function<void()> onShow;
};

class QuietProgress : public platform::Progress {
public:
    void Protocol(std::string_view) override {}
    void SetCounters(long long, long long) override {}
    void ProcessEvents() override {}
    bool StopRequested() const override { return false; }
};

// Writes `utf8Lines` as a cp1251 file with CR LF line ends.
inline void WriteCp1251Lines(const QString& path, const QStringList& utf8Lines) {
    core::WriteFileAtomically(
        core::Utf8ToCp1251(path.toStdString()),
        core::Utf8ToCp1251((utf8Lines.join(QStringLiteral("\r\n")) + QStringLiteral("\r\n")).toStdString()));
}

// A temporary installation folder with BASE/ and its two empty tables.
class Installation {
public:
    Installation() {
        QDir(m_dir.path()).mkpath(QStringLiteral("BASE"));
        const core::Clock clock;
        platform::DbfTable::Create(Path("BASE/device.dbf"), platform::kDeviceTableFields, clock);
        platform::DbfTable::Create(Path("BASE/other.dbf"), platform::kOtherTableFields, clock);
        // A tree of one node, so that starting on it is not a first run.
        WriteCp1251Lines(QPath("BASE/struct"), {"Неоприходованная техника"});
        WriteCp1251Lines(QPath("BASE/image"), {"1 ; AAAAAAAAAAAA ;"});
    }
    std::string Folder() const { return m_dir.path().toStdString(); }
    std::string Path(const char* name) const { return Folder() + "/" + name; }
    QString QPath(const char* name) const { return m_dir.filePath(QLatin1String(name)); }

private:
    QTemporaryDir m_dir;
};

// A main window over an application state started on the installation at a fixed time (with the program's
// command-line `arguments`), activated, as the program makes it; closed at the end.
struct StartedWindow {
    explicit StartedWindow(const Installation& installation, std::vector<std::string> arguments = {})
        : state({installation.Folder(), installation.Path("pelgo"), std::move(arguments), "IVANOV", "WS-01"}, dialog,
                progress) {
        state.Clock().Set({2026, 3, 10, 15, 0, 0});
        started = state.Start([](std::string_view) {}) == session::AppState::StartResult::Running;
        window.emplace(state, dialog, translation);
        window->Activate();
    }
    ~StartedWindow() { state.CloseRequest(); }

    RecordingDialog dialog;
    QuietProgress progress;
    session::AppState state;
    gui::WindowTranslation translation{state.Translator()};
    bool started = false;
    std::optional<gui::MainWindow> window;
};

} // namespace pelgo::testing
