// TInvVedom: a small borderless window with one progress indicator. Its mode picks the job: 1 synchronises the
// inventory numbers of captions and additional data, 2 checks them for numbers used twice; both step the bar
// once per tree node and close the window when they end. Mode 0 is the animated indicator that other long jobs
// (the start's data conversion) step without knowing their length.
#pragma once

#include <QDialog>
#include <functional>

#include "platform/user_dialog.h"
#include "session/app_state.h"

class QProgressBar;
class QStackedLayout;

namespace pelgo::gui {

class PieIndicator;

class NumberProgressWindow : public QDialog {
    Q_OBJECT
public:
    enum class Mode { Indicator = 0, Synchronize = 1, Check = 2 };

    NumberProgressWindow(session::AppState& state, platform::UserDialog& dialog, QWidget* parent);

    Mode CurrentMode() const { return m_mode; }

    // Runs the job of a mode other than Indicator (after its question, for the synchronisation) and returns
    // when the window has closed itself.
    void Run(Mode mode);

    // Indicator operations. `size` above 0 shows a pie in a size × size window, else a bar 485 × 26.
    void SetCircle(int size);
    // Every (every + 1)-th call moves the indicator by one unit, turning back at either end of its range;
    // shows the window at the first call.
    void Step(int every);
    // Hides the indicator after a job that stepped it.
    void EndIndicator();

    // The indicator's position and direction, as a test sees them.
    int IndicatorValue() const;

signals:
    // The user confirmed a synchronisation, which is about to read the additional data.
    void synchronisationConfirmed();

private:
    void Synchronize();
    void Check();
    void Advance();
    void OfferExport(const std::vector<std::string>& lines);

    session::AppState& m_state;
    platform::UserDialog& m_dialog;
    Mode m_mode = Mode::Indicator;
    int m_calls = 0;
    int m_direction = 1;
    QStackedLayout* m_views = nullptr;
    QProgressBar* m_bar = nullptr;
    PieIndicator* m_pie = nullptr;
};

} // namespace pelgo::gui
