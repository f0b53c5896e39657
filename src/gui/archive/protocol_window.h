// The protocol window: the lines a long run wrote (the archive update, the placement of new computers), kept
// as shown so that the caller can save them. As a progress it serves the placement run from the main menu.
#pragma once

#include <QDialog>
#include <string>

#include "platform/progress.h"

class QPlainTextEdit;

namespace pelgo::gui {

class ProtocolWindow : public QDialog, public platform::Progress {
    Q_OBJECT
public:
    explicit ProtocolWindow(QWidget* parent);

    void Clear();
    // The lines so far, cp1251, each ending in CR LF.
    const std::string& Text() const { return m_text; }
    bool Empty() const { return m_text.empty(); }

    void Protocol(std::string_view line) override;
    void SetCounters(long long, long long) override {}
    // The user's input waits: the run holds the tree.
    void ProcessEvents() override;
    bool StopRequested() const override { return false; }

private:
    QPlainTextEdit* m_view;
    std::string m_text;
};

} // namespace pelgo::gui
