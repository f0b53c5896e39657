// Conversion of an AIDA32 hardware report (a sectioned file) into the collector's own format by the rules of
// the "aida32" section of cfg_conv. A rule is target=template: the template names values of the report as
// [section]<key> between literal text, and a key written prefix{n}suffix is numbered, so one template
// yields a line per n for as long as the report has values.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

#include "core/custom_ini_file.h"

namespace pelgo::archive {

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
core::StringList ExpandTemplate(const std::vector<TemplateItem>& items, core::CustomIniFile& report);

// Applies conversion rules. The running number of the numbered target keys and the current target section
// carry over from one rule to the next and from one report to the next, as long as this object lives: the
// program keeps one for its whole run, a test starts with a fresh one.
class AidaConversion {
public:
    // `rule` is a line target "=" template.
    void ApplyRule(std::string_view rule, core::CustomIniFile& report, core::CustomIniFile& target);
    void ApplyRules(const core::StringList& rules, core::CustomIniFile& report, core::CustomIniFile& target);

    const std::optional<int>& RunningNumber() const { return m_runningNumber; }
    const std::string& TargetSection() const { return m_targetSection; }

private:
    // Writes the lines under the target key: alone as it is, or numbered from the running number.
    void WriteStrings(const std::string& key, const core::StringList& lines, core::CustomIniFile& target);

    std::optional<int> m_runningNumber; // empty: none
    std::string m_targetSection = "Error";
};

// [Info] MAC_Addr in the form of an address: upper case, without dashes, "0" in front up to 12 characters;
// "BAD_MAC" when the report has none.
void NormaliseAddress(core::CustomIniFile& file);

} // namespace pelgo::archive
