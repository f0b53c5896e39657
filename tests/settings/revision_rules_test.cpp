// The revision's rule rows as they are stored: splitting a line, the exclusions-first order, rule files.
#include "settings/revision_rules.h"

#include <gtest/gtest.h>

#include "core/cp1251.h"
#include "core/errors.h"
#include "core/file.h"
#include "support/temp_dir.h"

namespace pelgo::settings {
namespace {

using core::Utf8ToCp1251;

RevisionRule Rule(const char* group, const char* name, const char* typ, const std::string& text) {
    return {Utf8ToCp1251(group), Utf8ToCp1251(name), Utf8ToCp1251(typ), Utf8ToCp1251(text)};
}

TEST(RevisionRulesTest, StoredLineSplitsAtTheFirstThreeBars) {
    const std::string longText(300, 'x');
    struct Case {
        std::string line;
        RevisionRule rule;
    };
    const std::vector<Case> cases{
        {"HDD|Model|Есть|WD", Rule("HDD", "Model", "Есть", "WD")},
        {"Computer|CPU|<|a|b", Rule("Computer", "CPU", "<", "a|b")},
        {"", Rule("", "", "", "")},
        {"Info|System", Rule("Info", "System", "", "")},
        {"G|N|T|" + longText, Rule("G", "N", "T", longText.substr(0, 255))},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.line);
        EXPECT_EQ(ParseRevisionRule(Utf8ToCp1251(c.line)), c.rule);
    }
    const RevisionRule rule = Rule("Computer", "CPU", "+Есть", "Intel|Core");
    EXPECT_EQ(ParseRevisionRule(RevisionRuleLine(rule)), rule);
}

TEST(RevisionRulesTest, ExclusionsAreStoredFirstEachGroupInTableOrder) {
    EXPECT_EQ(AbsenceWord(), Utf8ToCp1251("Нет"));
    EXPECT_EQ(RuleTypeWords().size(), 5U);
    const std::vector<RevisionRule> rows{
        Rule("A", "", "Есть", ""), Rule("B", "", "нет", ""),   Rule("C", "", "<", "5"),    Rule("D", "", "Нет", "x"),
        Rule("E", "", "", ""),     Rule("F", "", " НЕТ!", ""), Rule("G", "", " нет ", ""),
    };
    // "НЕТ!" only contains the word: the revision takes it for an inclusion with a column, so it keeps its place
    // (storing it first would renumber the columns after it).
    const std::vector<std::string> expected{"B||нет|", "D||Нет|x", "G|| нет |", "A||Есть|",
                                            "C||<|5",  "E|||",     "F|| НЕТ!|"};
    std::vector<std::string> expectedCp;
    for (const std::string& line : expected) {
        expectedCp.push_back(Utf8ToCp1251(line));
    }
    EXPECT_EQ(StoredRevisionRules(rows), expectedCp);
}

TEST(RevisionRulesTest, RuleFileIsWrittenWithCrLfAndReadWithAnyLineEnd) {
    testing::TempDir dir;
    const std::vector<std::string> lines{Utf8ToCp1251("Computer|CPU|Есть|Intel"), "||||", Utf8ToCp1251("HDD||Нет|USB")};
    WriteRuleFile(dir / "Revizia.sav", lines);
    EXPECT_EQ(core::ReadFileBytes(dir / "Revizia.sav"),
              Utf8ToCp1251("Computer|CPU|Есть|Intel\r\n||||\r\nHDD||Нет|USB\r\n"));
    EXPECT_EQ(ReadRuleFile(dir / "Revizia.sav"), lines);

    const std::vector<std::string> written{"a|b|c|d\nx|||\n", "a|b|c|d\rx|||", "a|b|c|d\r\nx|||\r\n"};
    for (const std::string& bytes : written) {
        core::WriteFileAtomically(dir / "other.sav", bytes);
        EXPECT_EQ(ReadRuleFile(dir / "other.sav"), (std::vector<std::string>{"a|b|c|d", "x|||"}));
    }
    // A file saved by an editor in UTF-8, with or without its mark, means the same rules.
    for (const std::string& bytes :
         {std::string("Computer|CPU|Нет|\n"), std::string("\xEF\xBB\xBF") + "Computer|CPU|Нет|"}) {
        core::WriteFileAtomically(dir / "utf8.sav", bytes);
        EXPECT_EQ(ReadRuleFile(dir / "utf8.sav"), (std::vector<std::string>{Utf8ToCp1251("Computer|CPU|Нет|")}));
    }
    EXPECT_THROW(ReadRuleFile(dir / "missing.sav"), core::FileError);
    EXPECT_THROW(WriteRuleFile(dir / "Revizia.sav/inside.sav", lines), core::FileError);
}

} // namespace
} // namespace pelgo::settings
