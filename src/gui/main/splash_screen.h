// The splash window shown while the start sequence runs: a picture, three caption lines and a progress
// line ("ProgressLine") that shows each start step at once. The branding file "pelgo.set" may restyle all of it.
#pragma once

#include <QWidget>
#include <array>
#include <string>

class QLabel;

namespace pelgo::gui {

class SplashScreen : public QWidget {
    Q_OBJECT
public:
    SplashScreen();

    // Applies [first] keys 1 to 7 of "pelgo.set" in `programDirectory`; false when there is no such file.
    bool ApplyBranding(const std::string& programDirectory);
    // Shows a step's text and paints it before returning, so it is visible while the step runs.
    void ShowStep(const QString& text);

private:
    QLabel* m_picture;
    std::array<QLabel*, 3> m_captions;
    QLabel* m_progress;
};

} // namespace pelgo::gui
