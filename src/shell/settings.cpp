// The settings model.
#include "shell/settings.h"

#include "core/cp1251.h"
#include "core/text.h"

namespace pelgo::shell {

Settings::Settings(std::string programDirectory) : m_paths(std::move(programDirectory)) {
    for (const KeyInfo& info : kKeyTable) {
        SetText(info.key, core::Utf8ToCp1251(info.defaultValue));
    }
}

int Settings::Int(Key key) const {
    return core::ParseInt(Text(key)).value_or(0);
}

std::string Settings::FilePath(Key key) const {
    return m_paths.CheckPath(Text(key));
}

} // namespace pelgo::shell
