// Installation folder, reference data and settings for the commands.
#include "cli/installation.h"

#include <cstdlib>

#include "core/cp1251.h"
#include "core/file.h"
#include "platform/installation_folder.h"
#include "platform/system_identity.h"

namespace pelgo::cli {

std::string InstallationFolder(const Context& context) {
    return platform::InstallationFolder(context.home);
}

std::string ReferenceDataFolder() {
    if (const char* data = std::getenv("PELGO_DATA"); data != nullptr && *data != '\0') {
        return core::Utf8ToCp1251(data);
    }
    return core::Utf8ToCp1251(PELGO_SOURCE_DATA_DIR);
}

Installation::Installation(const Context& context, bool readOnly)
    : m_folder(InstallationFolder(context)), m_log(m_folder + "/pelgo.log", m_clock), m_settings(m_folder) {
    const std::string user = platform::CurrentUserName();
    m_log.SetIdentity(user, platform::ComputerName());
    shell::SettingsContext settingsContext{
        m_log, m_dialog, m_clock, m_folder + "/pelgo", user, core::FileExists(m_folder + "/pelgo.set"), {}, readOnly};
    m_file = std::make_unique<shell::SettingsFile>(m_folder + "/pelgo.ini", m_settings, m_flags, settingsContext);
}

} // namespace pelgo::cli
