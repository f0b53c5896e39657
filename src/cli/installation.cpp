// Installation folder, reference data and settings for the commands.
#include "cli/installation.h"

#include <cstdlib>

#include "core/cp1251.h"
#include "core/errors.h"
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

PresentInstance::PresentInstance(Installation& installation)
    : m_table(platform::DbfTable::Open(installation.Settings().FilePath(shell::Key::OtherTable),
                                       platform::DbfOpenMode::Shared, installation.Clock())),
      m_multiUser(platform::CurrentUserName(), platform::ComputerName()) {
    m_table.SetIndex("UNO");
    const core::DateFormats formats;
    const core::DateTime now = installation.Clock().Now();
    const std::string text = m_multiUser.PresenceText(formats.ShortDate(now) + " " + formats.LongTime(now));
    m_multiUser.MultiUserWrite(m_table, "", text);
    m_multiUser.GetMultiUserStatus(m_table, false);
    m_multiUser.MultiUserExclusive(m_table, true, text);
}

PresentInstance::~PresentInstance() {
    try {
        m_multiUser.MultiUserExclusive(m_table, false, "");
        m_multiUser.MultiUserWrite(m_table, "", "");
    } catch (const core::Error&) {
        // The command's own outcome stands; a presence record left behind is cleared at the next clean exit.
    }
}

platform::DbfTable OpenTableReadOnly(shell::Settings& settings, const core::Clock& clock, shell::Key table) {
    platform::DbfTable opened =
        platform::DbfTable::Open(settings.FilePath(table), platform::DbfOpenMode::ReadOnly, clock);
    opened.SetIndex(table == shell::Key::DeviceTable ? "MAC_ADR" : "UNO");
    return opened;
}

} // namespace pelgo::cli
