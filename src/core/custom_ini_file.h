// The common face of the two sectioned-file readers: TKelIniFile (whole file in memory, written back in one
// pass) and ProfileFile (profile-file semantics, every write on disk at once). Typed reads and writes are
// defined once here on top of the string operations.
#pragma once

#include <string>
#include <vector>

namespace pelgo::core {

using StringList = std::vector<std::string>;

class CustomIniFile {
public:
    virtual ~CustomIniFile() = default;

    virtual std::string ReadString(const std::string& section, const std::string& key,
                                   const std::string& defaultValue) = 0;
    virtual void WriteString(const std::string& section, const std::string& key, const std::string& value) = 0;
    // Appends the section's keys to `target` (not cleared).
    virtual void ReadSection(const std::string& section, StringList& target) = 0;
    // Replaces `target` with every section name.
    virtual void ReadSections(StringList& target) = 0;
    // Merges the section's "key=value" lines into `target`.
    virtual void ReadSectionValues(const std::string& section, StringList& target) = 0;
    virtual void EraseSection(const std::string& section) = 0;
    virtual void DeleteKey(const std::string& section, const std::string& key) = 0;
    virtual void UpdateFile() = 0;

    // "0x" (any case) counts as "$"; decimal with optional sign or "$" hexadecimal; the default when the
    // text is empty, malformed or out of the 32-bit range.
    int ReadInteger(const std::string& section, const std::string& key, int defaultValue);
    void WriteInteger(const std::string& section, const std::string& key, int value);
    bool ReadBool(const std::string& section, const std::string& key, bool defaultValue);
    void WriteBool(const std::string& section, const std::string& key, bool value);
};

} // namespace pelgo::core
