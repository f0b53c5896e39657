// The settings model.
#include "shell/settings.h"

#include "core/cp1251.h"
#include "core/file.h"
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

std::optional<std::string> Settings::ChooseOutputFile(platform::UserDialog& dialog,
                                                      const platform::FileChoice& choice) const {
    std::optional<std::string> path = dialog.ChooseFile(choice);
    if (path && IsInstallationFile(*path)) {
        dialog.Inform(platform::MessageKind::Error,
                      core::Utf8ToCp1251("Файл ") + *path +
                          core::Utf8ToCp1251(" - это файл данных программы.\r\nВыберите другой файл."));
        path.reset();
    }
    return path;
}

bool Settings::IsInstallationFile(std::string_view path) const {
    for (const KeyInfo& info : kKeyTable) {
        if (info.type == KeyType::File && core::SameFile(path, FilePath(info.key))) {
            return true;
        }
    }
    const std::string& program = m_paths.ProgramDirectory();
    const std::string folder = program.ends_with('/') ? program : program + '/';
    return core::SameFile(path, folder + "pelgo.ini") || core::SameFile(path, folder + "pelgo.log");
}

} // namespace pelgo::shell
