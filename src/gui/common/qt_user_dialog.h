// The user-dialog and progress interfaces with Qt: every engine question becomes a modal message box,
// file dialog or input box over the window that is active at the moment.
#pragma once

#include <QObject>
#include <QString>

#include "platform/progress.h"
#include "platform/user_dialog.h"

class QWidget;

namespace pelgo::gui {

// "Text files|*.txt|All|*.*" (patterns of one entry separated by ';') as Qt writes it:
// "Text files (*.txt);;All (*.*)".
QString QtFileFilter(std::string_view cp1251Filter);

class QtUserDialog : public platform::UserDialog {
public:
    platform::Answer Ask(platform::MessageKind kind, std::string_view text, platform::Buttons buttons) override;
    void Inform(platform::MessageKind kind, std::string_view text) override;
    std::optional<std::string> ChooseFile(const platform::FileChoice& choice) override;
    // The name as typed: the caller's format decides its extension.
    std::optional<platform::FilteredFile> ChooseFileWithFilter(const platform::FileChoice& choice) override;
    std::optional<std::string> InputText(std::string_view title, std::string_view prompt,
                                         std::string_view initial) override;
};

// Protocol lines and counters go out as signals to whichever window shows the run; the stop flag is set
// by that window's cancel button and cleared when the next run begins.
class QtProgress : public QObject, public platform::Progress {
    Q_OBJECT
public:
    using QObject::QObject;

    void Protocol(std::string_view line) override;
    void SetCounters(long long done, long long total) override;
    void ProcessEvents() override;
    bool StopRequested() const override { return m_stopRequested; }

    void RequestStop() { m_stopRequested = true; }
    void ClearStop() { m_stopRequested = false; }

signals:
    void protocolLine(const QString& line);
    void countersChanged(qint64 done, qint64 total);

private:
    bool m_stopRequested = false;
};

} // namespace pelgo::gui
