// The icon set of the configuration view, numbered as collector files and settings refer to it (0 plain item
// ... 30 journal, 35 repairs, 36 upgrades ... 48 tape); the journal tree and the module list use it too.
#pragma once

#include <QIcon>

namespace pelgo::gui {

inline constexpr int kViewIconCount = 49;

// A number outside the set shows icon 0, the plain item.
QIcon ViewIcon(int number);

} // namespace pelgo::gui
