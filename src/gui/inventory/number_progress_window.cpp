// The progress window of the inventory-number jobs and the indicator of other long jobs.
#include "gui/inventory/number_progress_window.h"

#include <QCoreApplication>
#include <QFrame>
#include <QPainter>
#include <QProgressBar>
#include <QStackedLayout>
#include <QTimer>
#include <QVBoxLayout>
#include <algorithm>

#include "core/cp1251.h"
#include "core/errors.h"
#include "core/file.h"
#include "core/text.h"
#include "gui/inventory/number_choice_dialog.h"
#include "session/inventory_numbers.h"

namespace pelgo::gui {

namespace {

constexpr int kBarWidth = 485;
constexpr int kBarHeight = 26;
// The indicator's range when the job's length is unknown.
constexpr int kIndicatorUnits = 20;

} // namespace

// A pie that grows with the value and shrinks on the way back.
class PieIndicator : public QWidget {
public:
    using QWidget::QWidget;

    void SetValue(int value) {
        m_value = value;
        update();
    }
    int Value() const { return m_value; }

protected:
    void paintEvent(QPaintEvent*) override {
        QPainter painter(this);
        painter.setRenderHint(QPainter::Antialiasing);
        const QRectF area = QRectF(rect()).adjusted(2, 2, -2, -2);
        painter.setPen(palette().color(QPalette::Mid));
        painter.setBrush(palette().color(QPalette::Base));
        painter.drawEllipse(area);
        painter.setBrush(palette().color(QPalette::Highlight));
        // Qt counts angles in 1/16 degree, counter-clockwise from three o'clock: start at twelve, run clockwise.
        painter.drawPie(area, 90 * 16, -m_value * 360 * 16 / kIndicatorUnits);
    }

private:
    int m_value = 0;
};

NumberProgressWindow::NumberProgressWindow(session::AppState& state, platform::UserDialog& dialog, QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::FramelessWindowHint), m_state(state), m_dialog(dialog) {
    setObjectName(QStringLiteral("TInvVedom"));
    auto* frame = new QFrame(this);
    frame->setFrameShape(QFrame::Box);
    m_views = new QStackedLayout(frame);
    m_bar = new QProgressBar(frame);
    m_bar->setObjectName(QStringLiteral("ProgressBar"));
    m_bar->setTextVisible(false);
    m_pie = new PieIndicator(frame);
    m_pie->setObjectName(QStringLiteral("PieIndicator"));
    m_views->addWidget(m_bar);
    m_views->addWidget(m_pie);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(frame);
    SetCircle(0);
}

void NumberProgressWindow::SetCircle(int size) {
    if (size > 0) {
        m_views->setCurrentWidget(m_pie);
        setFixedSize(size, size);
    } else {
        m_views->setCurrentWidget(m_bar);
        setFixedSize(kBarWidth, kBarHeight);
    }
}

void NumberProgressWindow::Step(int every) {
    if (m_mode != Mode::Indicator) {
        return;
    }
    if (!isVisible()) {
        m_calls = 0;
        m_direction = 1;
        m_bar->setRange(0, kIndicatorUnits);
        m_bar->setValue(0);
        m_pie->SetValue(0);
        show();
    }
    if (m_calls++ % (std::max(every, 0) + 1) == 0) {
        int value = IndicatorValue() + m_direction;
        if (value < 0 || value > kIndicatorUnits) {
            m_direction = -m_direction;
            value += 2 * m_direction;
        }
        m_bar->setValue(value);
        m_pie->SetValue(value);
    }
    QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
}

void NumberProgressWindow::EndIndicator() {
    if (m_mode == Mode::Indicator) {
        hide();
    }
}

int NumberProgressWindow::IndicatorValue() const {
    return m_views->currentWidget() == m_pie ? m_pie->Value() : m_bar->value();
}

void NumberProgressWindow::Run(Mode mode) {
    if (mode == Mode::Indicator) {
        return;
    }
    if (mode == Mode::Synchronize &&
        m_dialog.Ask(platform::MessageKind::Confirmation,
                     core::Text(4200, "Синхронизировать инвентарные номера оргтехники\r\nв структуре предприятия и в "
                                      "базе доп.данных ?"),
                     platform::Buttons::YesNo) != platform::Answer::Yes) {
        return;
    }
    if (mode == Mode::Synchronize) {
        emit synchronisationConfirmed();
    }
    m_mode = mode;
    SetCircle(0);
    m_bar->setRange(0, std::max(m_state.Tree().Count(), 1));
    m_bar->setValue(0);
    QTimer::singleShot(0, this, [this] {
        try {
            if (m_mode == Mode::Synchronize) {
                Synchronize();
            } else {
                Check();
            }
        } catch (const core::Error& error) {
            m_state.Log().LogEvent(error.what());
            m_dialog.Inform(platform::MessageKind::Error, error.what());
        }
        accept();
    });
    exec(); // modal: the jobs walk the tree, nothing else may change it meanwhile
    m_mode = Mode::Indicator;
}

void NumberProgressWindow::Advance() {
    m_bar->setValue(m_bar->value() + 1);
    QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
}

void NumberProgressWindow::Synchronize() {
    const auto ask = [this](const structure::TreeNode& node, const std::string& treeNumber,
                            const std::string& storedNumber) {
        return NumberChoiceDialog(node, treeNumber, storedNumber, this).Choose();
    };
    const std::optional<inventory::SyncOutcome> outcome =
        session::SynchronizeInventoryNumbers(m_state, m_dialog, ask, [this] { Advance(); });
    if (!outcome) {
        return;
    }
    if (!outcome->sharedUnoPaths.empty()) {
        constexpr std::size_t kPathsShown = 20;
        std::string text = core::Utf8ToCp1251("Номера не сверялись: у этих узлов общий индекс (UNO) с другим узлом");
        for (std::size_t i = 0; i < outcome->sharedUnoPaths.size() && i < kPathsShown; ++i) {
            text += "\r\n" + outcome->sharedUnoPaths[i];
        }
        if (outcome->sharedUnoPaths.size() > kPathsShown) {
            text += "\r\n...";
        }
        m_dialog.Inform(platform::MessageKind::Warning, text);
    }
    OfferExport(outcome->exportLines);
}

void NumberProgressWindow::OfferExport(const std::vector<std::string>& lines) {
    platform::FileChoice choice;
    choice.purpose = platform::FileChoice::Purpose::Save;
    choice.title = core::Utf8ToCp1251("Сохранить как");
    choice.filter = core::Utf8ToCp1251("Текстовые файлы (*.txt)|*.txt|Все файлы (*.*)|*.*");
    choice.initialPath = "uno_inventN.txt";
    choice.defaultExtension = "txt";
    const std::optional<std::string> path = m_state.Settings().ChooseOutputFile(m_dialog, choice);
    if (!path) {
        return;
    }
    core::WriteFileAtomically(*path, inventory::ExportFileBytes(lines));
}

void NumberProgressWindow::Check() {
    const session::NumberCheckReport report = session::CheckInventoryNumbers(m_state, [this] { Advance(); });
    m_dialog.Inform(report.logPath.empty() ? platform::MessageKind::Information : platform::MessageKind::Warning,
                    report.message);
}

} // namespace pelgo::gui
