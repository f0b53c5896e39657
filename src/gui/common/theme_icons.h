// Icons of the node types, the multi-user status and the window's buttons, taken from the Oxygen icon theme
// that Debian installs (oxygen-icon-theme) and drawn by us when the theme is missing, so the tree never shows
// blanks; the user's own node types bring their icon files.
#pragma once

#include <QColor>
#include <QIcon>
#include <QString>
#include <QStringList>
#include <array>
#include <cstddef>
#include <vector>

namespace pelgo::gui {

// A theme icon found by its context folder and name ("devices", "computer"); when no size of it is
// installed, a rounded square in `fallbackColour` with `letter` on it.
QIcon ThemeIcon(const char* context, const char* name, const QColor& fallbackColour, QChar letter);

// One icon of a numbered set: where the theme keeps it and how it is drawn without the theme.
struct IconLook {
    const char* context;
    const char* name;
    QRgb fallbackColour;
    char letter;
};

// The icon of one look, made at its first use. The caches are kept for the process and never destroyed:
// icons must not outlive the application object at exit.
template <std::size_t N>
QIcon CachedIcon(std::array<QIcon, N>& cache, const std::array<IconLook, N>& looks, std::size_t index) {
    QIcon& icon = cache[index];
    if (icon.isNull()) {
        const IconLook& look = looks[index];
        icon = ThemeIcon(look.context, look.name, QColor(look.fallbackColour), QChar(look.letter));
    }
    return icon;
}

// The icon of a built-in node type (1 department ... 13 UPS); any other index shows the icon of type 10
// ("other"), as the tree does for an icon index beyond its list.
QIcon NodeTypeIcon(int iconIndex);

// The icons of the tree's node types: the built-in ones, then one per user node type ([Add_Icons]) loaded
// from its icon file; a file that is missing or unreadable shows the icon of type 10.
class NodeTypeIcons {
public:
    NodeTypeIcons() = default;
    // The user types' icon files in the order of their types.
    explicit NodeTypeIcons(const QStringList& userIconFiles);

    // An index beyond the list shows the icon of type 10.
    QIcon Icon(int iconIndex) const;

private:
    std::vector<QIcon> m_userIcons;
};

// The multi-user icon of each MultiUserStatus: 0 nobody holds the Exclusive marker, 1 another instance
// holds it, 2 this one does.
QIcon MultiUserIcon(int status);

} // namespace pelgo::gui
