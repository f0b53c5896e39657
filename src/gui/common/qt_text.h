// The one crossing between engine text (cp1251 bytes) and Qt's QString, used at every widget boundary.
#pragma once

#include <QString>
#include <string>
#include <string_view>

#include "core/cp1251.h"

namespace pelgo::gui {

inline QString FromCp1251(std::string_view cp1251) {
    return QString::fromStdString(core::Cp1251ToUtf8(cp1251));
}

// Characters cp1251 lacks become '?'.
inline std::string ToCp1251(const QString& text) {
    return core::Utf8ToCp1251(text.toStdString());
}

} // namespace pelgo::gui
