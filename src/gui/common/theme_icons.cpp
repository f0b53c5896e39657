// Theme icon lookup, the drawn fallbacks and the user's own node-type icons.
#include "gui/common/theme_icons.h"

#include <QImageReader>
#include <QPainter>
#include <QPixmap>
#include <QStandardPaths>
#include <array>

#include "structure/node_types.h"

namespace pelgo::gui {
namespace {

// Indexed by node type - 1.
const std::array<IconLook, structure::kLastBuiltInIcon>& NodeTypeLooks() {
    static const std::array<IconLook, structure::kLastBuiltInIcon> looks = {{
        {"places", "folder", 0xd8a020, 'D'},                // 1 department
        {"places", "user-identity", 0x308030, 'E'},         // 2 employee
        {"devices", "computer", 0x2050a0, 'C'},             // 3 computer
        {"devices", "network-wired", 0x606060, '@'},        // 4 adapter address
        {"devices", "video-display", 0x3070c0, 'M'},        // 5 monitor
        {"devices", "printer", 0x704090, 'P'},              // 6 printer
        {"devices", "scanner", 0x905030, 'S'},              // 7 scanner
        {"devices", "modem", 0x409090, 'm'},                // 8 modem
        {"places", "network-workgroup", 0x209060, 'H'},     // 9 hub
        {"categories", "preferences-other", 0x808080, '?'}, // 10 other
        {"actions", "view-pim-notes", 0xc0b030, 'N'},       // 11 note
        {"actions", "edit-copy", 0x505090, 'X'},            // 12 copier
        {"devices", "battery", 0xb03030, 'U'},              // 13 UPS
    }};
    return looks;
}

// Indexed by MultiUserStatus.
const std::array<IconLook, 3>& MultiUserLooks() {
    static const std::array<IconLook, 3> looks = {{
        {"apps", "system-users", 0x207070, 'M'},    // 0 instances present, nobody holds the marker
        {"status", "user-busy", 0xb03030, '!'},     // 1 another instance holds it
        {"status", "object-locked", 0xc09020, 'E'}, // 2 this instance holds it
    }};
    return looks;
}

QPixmap DrawnIcon(int size, const QColor& colour, QChar letter) {
    QPixmap pixmap(size, size);
    pixmap.fill(Qt::transparent);
    QPainter painter(&pixmap);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(colour.darker(140));
    painter.setBrush(colour);
    painter.drawRoundedRect(QRectF(0.5, 0.5, size - 1, size - 1), size / 5.0, size / 5.0);
    QFont font = painter.font();
    font.setPixelSize(size * 3 / 4);
    font.setBold(true);
    painter.setFont(font);
    painter.setPen(Qt::white);
    painter.drawText(QRect(0, 0, size, size), Qt::AlignCenter, QString(letter));
    return pixmap;
}

// Every image of the file (an .ico holds several sizes); a null icon when none can be read.
QIcon IconFromFile(const QString& path) {
    QIcon icon;
    QImageReader reader(path);
    for (QImage image = reader.read(); !image.isNull(); image = reader.read()) {
        icon.addPixmap(QPixmap::fromImage(image));
        if (!reader.jumpToNextImage()) {
            break;
        }
    }
    return icon;
}

} // namespace

QIcon ThemeIcon(const char* context, const char* name, const QColor& fallbackColour, QChar letter) {
    QIcon icon;
    for (const int size : {16, 22, 32}) {
        const QString relative = QStringLiteral("icons/oxygen/base/%1x%1/%2/%3.png")
                                     .arg(size)
                                     .arg(QLatin1String(context), QLatin1String(name));
        const QString path = QStandardPaths::locate(QStandardPaths::GenericDataLocation, relative);
        if (!path.isEmpty()) {
            icon.addFile(path, QSize(size, size));
        }
    }
    if (icon.isNull()) {
        for (const int size : {16, 32}) {
            icon.addPixmap(DrawnIcon(size, fallbackColour, letter));
        }
    }
    return icon;
}

QIcon NodeTypeIcon(int iconIndex) {
    static auto* cache = new std::array<QIcon, structure::kLastBuiltInIcon>;
    const int type = iconIndex >= 1 && iconIndex <= structure::kLastBuiltInIcon ? iconIndex : structure::kIconOther;
    return CachedIcon(*cache, NodeTypeLooks(), static_cast<std::size_t>(type - 1));
}

NodeTypeIcons::NodeTypeIcons(const QStringList& userIconFiles) {
    for (const QString& path : userIconFiles) {
        const QIcon icon = IconFromFile(path);
        m_userIcons.push_back(icon.isNull() ? NodeTypeIcon(structure::kIconOther) : icon);
    }
}

QIcon NodeTypeIcons::Icon(int iconIndex) const {
    const int user = iconIndex - structure::kLastBuiltInIcon - 1;
    return user >= 0 && user < static_cast<int>(m_userIcons.size()) ? m_userIcons[static_cast<std::size_t>(user)]
                                                                    : NodeTypeIcon(iconIndex);
}

QIcon MultiUserIcon(int status) {
    static auto* cache = new std::array<QIcon, 3>;
    return CachedIcon(*cache, MultiUserLooks(), status >= 1 && status <= 2 ? static_cast<std::size_t>(status) : 0);
}

} // namespace pelgo::gui
