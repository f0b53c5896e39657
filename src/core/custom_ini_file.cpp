// Typed reads and writes shared by both sectioned-file readers.
#include "core/custom_ini_file.h"

#include "core/text.h"

namespace pelgo::core {

int CustomIniFile::ReadInteger(const std::string& section, const std::string& key, int defaultValue) {
    std::string text = ReadString(section, key, "");
    if (text.size() >= 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X')) {
        text.replace(0, 2, "$");
    }
    return ParseInt(text).value_or(defaultValue);
}

void CustomIniFile::WriteInteger(const std::string& section, const std::string& key, int value) {
    WriteString(section, key, std::to_string(value));
}

bool CustomIniFile::ReadBool(const std::string& section, const std::string& key, bool defaultValue) {
    return ReadInteger(section, key, defaultValue ? 1 : 0) != 0;
}

void CustomIniFile::WriteBool(const std::string& section, const std::string& key, bool value) {
    WriteString(section, key, value ? "1" : "0");
}

} // namespace pelgo::core
