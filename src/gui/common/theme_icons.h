// Icons of the node types and of the window's buttons, taken from the Oxygen icon theme that Debian
// installs (oxygen-icon-theme) and drawn by us when the theme is missing, so the tree never shows blanks.
#pragma once

#include <QColor>
#include <QIcon>
#include <QString>

namespace pelgo::gui {

// A theme icon found by its context folder and name ("devices", "computer"); when no size of it is
// installed, a rounded square in `fallbackColour` with `letter` on it.
QIcon ThemeIcon(const char* context, const char* name, const QColor& fallbackColour, QChar letter);

// The icon of a node type (1 department ... 13 UPS); any other index shows the icon of type 10 ("other"),
// as the tree does for an icon index beyond its list.
QIcon NodeTypeIcon(int iconIndex);

} // namespace pelgo::gui
