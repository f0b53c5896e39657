// The splash window and its branding.
#include "gui/main/splash_screen.h"

#include <QApplication>
#include <QLabel>
#include <QPixmap>
#include <QVBoxLayout>
#include <optional>

#include "core/file.h"
#include "core/profile_file.h"
#include "core/text.h"
#include "gui/common/qt_text.h"
#include "shell/paths.h"
#include "shell/version.h"

namespace pelgo::gui {
namespace {

// Colours as the branding file stores them: a number (decimal or "$" hex, blue in the high byte) or one
// of the standard colour names.
std::optional<QColor> BrandingColour(const std::string& value) {
    static const std::pair<const char*, QRgb> kNames[] = {
        {"clBlack", 0x000000},  {"clMaroon", 0x800000},  {"clGreen", 0x008000}, {"clOlive", 0x808000},
        {"clNavy", 0x000080},   {"clPurple", 0x800080},  {"clTeal", 0x008080},  {"clGray", 0x808080},
        {"clSilver", 0xC0C0C0}, {"clRed", 0xFF0000},     {"clLime", 0x00FF00},  {"clYellow", 0xFFFF00},
        {"clBlue", 0x0000FF},   {"clFuchsia", 0xFF00FF}, {"clAqua", 0x00FFFF},  {"clWhite", 0xFFFFFF},
    };
    for (const auto& [name, rgb] : kNames) {
        if (core::SameText(value, name)) {
            return QColor::fromRgb(rgb);
        }
    }
    const std::optional<int> number = core::ParseInt(value);
    if (!number || *number < 0) {
        return std::nullopt;
    }
    return QColor(*number & 0xFF, (*number >> 8) & 0xFF, (*number >> 16) & 0xFF);
}

void SetColour(QWidget* widget, QPalette::ColorRole role, const QColor& colour) {
    QPalette palette = widget->palette();
    palette.setColor(role, colour);
    widget->setPalette(palette);
}

} // namespace

SplashScreen::SplashScreen() : QWidget(nullptr, Qt::SplashScreen | Qt::FramelessWindowHint) {
    setObjectName(QStringLiteral("TSplash"));
    setAutoFillBackground(true);
    SetColour(this, QPalette::Window, QColor(0x1f, 0x3a, 0x5f));
    SetColour(this, QPalette::WindowText, Qt::white);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(24, 20, 24, 16);
    m_picture = new QLabel(this);
    m_picture->setAlignment(Qt::AlignCenter);
    m_picture->hide();
    layout->addWidget(m_picture, 1);
    const QString builtIn[] = {QStringLiteral("Pelgo"), QString::fromUtf8("Распределение оргтехники"),
                               QStringLiteral("v ") + QLatin1String(shell::kProgramVersion)};
    for (std::size_t i = 0; i < m_captions.size(); ++i) {
        m_captions[i] = new QLabel(builtIn[i] + QStringLiteral("  "), this);
        m_captions[i]->setObjectName(QStringLiteral("CaptionLine%1").arg(i + 1));
        m_captions[i]->setAlignment(Qt::AlignRight);
        QFont font = m_captions[i]->font();
        font.setPointSize(i == 0 ? 28 : 12);
        font.setBold(i == 0);
        m_captions[i]->setFont(font);
        layout->addWidget(m_captions[i]);
    }
    layout->addStretch();
    m_progress = new QLabel(this);
    m_progress->setObjectName(QStringLiteral("ProgressLine"));
    layout->addWidget(m_progress);
    setFixedSize(480, 280);
}

bool SplashScreen::ApplyBranding(const std::string& programDirectory) {
    const std::string path = programDirectory + "/pelgo.set";
    if (!core::FileExists(path)) {
        return false;
    }
    core::ProfileFile branding(path);
    const auto read = [&](const char* key, const std::string& fallback) {
        return branding.ReadString("first", key, fallback);
    };
    const std::string picture = shell::PathRules(programDirectory).ToNative(read("1", ".\\1.bmp"));
    const QPixmap pixmap(FromCp1251(picture));
    if (!pixmap.isNull()) {
        m_picture->setPixmap(pixmap);
        m_picture->setScaledContents(core::ParseInt(read("7", "0")).value_or(0) != 0);
        m_picture->show();
    }
    for (std::size_t i = 0; i < m_captions.size(); ++i) {
        const std::string line = read(std::to_string(i + 2).c_str(), "");
        if (!line.empty()) {
            m_captions[i]->setText(FromCp1251(line) + QStringLiteral("  "));
        }
    }
    if (const auto panel = BrandingColour(read("5", ""))) {
        SetColour(this, QPalette::Window, *panel);
    }
    if (const auto text = BrandingColour(read("6", ""))) {
        SetColour(this, QPalette::WindowText, *text);
    }
    return true;
}

void SplashScreen::ShowStep(const QString& text) {
    m_progress->setText(text);
    m_progress->repaint();
    QCoreApplication::processEvents();
}

} // namespace pelgo::gui
