// TKelIniFile: the program's own tolerant reader and writer of sectioned files (collector files, conversion
// rules, language files). The whole file is loaded and normalised once, every read is answered from memory
// and the file is written back in one pass when the instance is destroyed. A writable instance holds an
// exclusive lock on its file for its whole life, so a second writer (in any process) fails to open it;
// readers take no lock at all.
#pragma once

#include <functional>
#include <optional>
#include <string>
#include <string_view>

#include "core/custom_ini_file.h"
#include "core/file.h"
#include "core/section_list.h"

namespace pelgo::core {

class TKelIniFile : public CustomIniFile {
public:
    // Every normalisation option on. Throws CannotOpenFile when an existing file cannot be opened (for a
    // writable instance: also when another writer holds it). A missing file gives an empty instance.
    TKelIniFile(std::string fileName, bool readOnly, DuplicateSectionHandler onDuplicate = {});
    TKelIniFile(std::string fileName, bool trimRight, bool stripQuotes, bool stripBlanksAtEquals, bool keysOnly,
                bool skipComments, bool readOnly, DuplicateSectionHandler onDuplicate = {});
    // Writes pending changes; failures are dropped here, call UpdateFile first to see them.
    ~TKelIniFile() override;
    TKelIniFile(const TKelIniFile&) = delete;
    TKelIniFile& operator=(const TKelIniFile&) = delete;

    std::string ReadString(const std::string& section, const std::string& key,
                           const std::string& defaultValue) override;
    // An empty key erases the section; key, section and value all empty writes the file back.
    void WriteString(const std::string& section, const std::string& key, const std::string& value) override;
    void ReadSection(const std::string& section, StringList& target) override;
    void ReadSections(StringList& target) override;
    // The section's lines as key and value in file order, a repeated key with each of its values: a whole
    // section read without a look-up per key.
    void ForEachKeyValue(const std::string& section,
                         const std::function<void(std::string_view key, std::string_view value)>& visit);
    void ReadSectionValues(const std::string& section, StringList& target) override;
    void EraseSection(const std::string& section) override;
    // A missing section is created empty.
    void DeleteKey(const std::string& section, const std::string& key) override;
    // Appends the image that a write-back would give, without line ends.
    void GetFileLines(StringList& target) const;
    // Writes the image when modified (a writable instance with a name only) and clears modified in any case.
    // Creates a missing file and its folders; a file that cannot be opened or locked then is left alone.
    void UpdateFile() override;

    // Writes back the current file, then loads `fileName` (nothing for an empty name).
    void SetFileName(std::string fileName);
    const std::string& FileName() const { return m_fileName; }
    bool Modified() const { return m_modified; }

private:
    struct Options {
        bool trimRight;
        bool stripQuotes;
        bool stripBlanksAtEquals;
        bool keysOnly;
        bool skipComments;
    };

    void Load();
    enum class LineKind { Ignored, Header, Key };
    LineKind KindOf(std::string_view line) const;
    // Blanks at the first "=", trailing blanks and a pair of quotes around the value go, as the options say.
    std::string NormalisedKeyLine(std::string_view line) const;
    // The section's position, appending an empty one when `create` is set.
    std::optional<std::size_t> FindSection(const std::string& section, bool create);
    template <typename Visit> void ForEachImageLine(Visit visit) const;

    std::string m_fileName;
    std::optional<LockedFile> m_file;
    bool m_modified = false;
    TSectionList m_sections;
    bool m_readOnly;
    DuplicateSectionHandler m_onDuplicate;
    Options m_options;
};

} // namespace pelgo::core
