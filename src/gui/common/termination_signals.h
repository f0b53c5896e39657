// SIGTERM and SIGHUP (a shutdown, a closed session, `kill`) become an ordinary close of the main window,
// so the close request still saves the tree and tidies the tables.
#pragma once

#include <QObject>

class QSocketNotifier;

namespace pelgo::gui {

class TerminationSignals : public QObject {
    Q_OBJECT

public:
    explicit TerminationSignals(QObject* parent = nullptr);
    ~TerminationSignals() override;

signals:
    void terminationRequested();

private:
    QSocketNotifier* m_notifier = nullptr;
};

} // namespace pelgo::gui
