// Conversion of an AIDA32 hardware report (a sectioned file) into the collector's own format by the rules of
// the "aida32" section of cfg_conv. A rule is target=template: the template names values of the report as
// [section]<key> between literal text, and a key written prefix{n}suffix is numbered, so one template
// yields a line per n for as long as the report has values.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <variant>
#include <vector>

#include "core/custom_ini_file.h"

namespace pelgo::core {
class TKelIniFile;
}

namespace pelgo::archive {

// The report and the converted file as the conversion reads and writes them: reads and writes give what
// TKelIniFile gives (names without regard to case, a repeated key read at its first line, a rewritten key
// taking the new spelling, the same write-back image), but every section keeps an index of its keys. A report
// section of tens of thousands of numbered keys is read, and written again, one key at a time, so a search
// of the section per key would make the conversion quadratic.
class IndexedSections {
public:
    IndexedSections() = default;
    // The sections of a loaded file, with their stored lines.
    explicit IndexedSections(const core::TKelIniFile& file);

    std::string ReadString(const std::string& section, const std::string& key, const std::string& defaultValue) const;
    // An empty key erases the section.
    void WriteString(const std::string& section, const std::string& key, const std::string& value);
    // The lines TKelIniFile would write back after the same writes, without line ends.
    core::StringList FileLines() const;

private:
    struct Section {
        std::string name;
        core::StringList lines;
        std::unordered_map<std::string, std::size_t> lineOfKey; // case-folded key → its first line
    };
    Section& SectionToWrite(const std::string& name);
    void EraseSection(const std::string& name);

    std::vector<Section> m_sections;
    std::unordered_map<std::string, std::size_t> m_sectionOfName; // case-folded name → position
};

// One part of a template: literal text, or a value of the report.
struct TemplateReference {
    std::string section;
    std::string key;
    // For prefix{n}suffix keys: the prefix in `key`, the first n and the suffix.
    std::optional<int> number;
    std::string suffix;
};
using TemplateItem = std::variant<std::string, TemplateReference>;

// Splits a template into its items.
std::vector<TemplateItem> GetStrings(std::string_view templateText);
// The lines a template gives for one report: one line per round, a numbered reference reading the next
// number in each round; a round whose values are all empty ends it, and without a value from a numbered
// reference no further round follows.
core::StringList ExpandTemplate(const std::vector<TemplateItem>& items, const IndexedSections& report);

// Applies conversion rules. The running number of the numbered target keys and the current target section
// carry over from one rule to the next and from one report to the next, as long as this object lives: the
// program keeps one for its whole run, a test starts with a fresh one.
class AidaConversion {
public:
    // `rule` is a line target "=" template.
    void ApplyRule(std::string_view rule, const IndexedSections& report, IndexedSections& target);
    void ApplyRules(const core::StringList& rules, const IndexedSections& report, IndexedSections& target);

    const std::optional<int>& RunningNumber() const { return m_runningNumber; }
    const std::string& TargetSection() const { return m_targetSection; }

private:
    // Writes the lines under the target key: alone as it is, or numbered from the running number.
    void WriteStrings(const std::string& key, const core::StringList& lines, IndexedSections& target);

    std::optional<int> m_runningNumber; // empty: none
    std::string m_targetSection = "Error";
};

// [Info] MAC_Addr in the form of an address: upper case, without dashes, "0" in front up to 12 characters;
// "BAD_MAC" when the report has none.
void NormaliseAddress(IndexedSections& file);

} // namespace pelgo::archive
