// The keyword rules of SetImage. Each rule applies only while the icon is still the default, so a rule whose
// icon equals the default lets the later rules look further; the motherboard rule is the one exception.
#include "archive/icon_choice.h"

#include <span>

#include "core/cp1251.h"
#include "core/text.h"
#include "core/translator.h"

namespace pelgo::archive {
namespace {

enum class Where {
    Anywhere,
    Start,
    FromThird, // found at the third character or later
    AtFifth,
};

struct Rule {
    Where where;
    std::string_view word;
    std::string_view otherWord; // empty when the rule has one keyword
    int icon;
};

constexpr Rule kRulesBeforeBios[] = {
    {Where::FromThird, "\\ REMOVABLE", "", 5}, {Where::Anywhere, "CDROM", "CD-ROM", 7},
    {Where::AtFifth, "NETW", "", 8},           {Where::Start, "MAC_", "IP_", 1},
    {Where::Start, "SYSTEM", "", 2},           {Where::Anywhere, "_NAM", "", 4},
};

constexpr Rule kRulesAfterBios[] = {
    {Where::Anywhere, "MEMORY", "", 22},
    {Where::Anywhere, "_SOFT", "", 2},
    {Where::Anywhere, "_UPDATES", "", 32},
    {Where::Anywhere, "_STARTUP", "", 21},
    {Where::Anywhere, "CHANGE", "", 17},
    {Where::Anywhere, "REMOTE", "", 16},
    {Where::Start, "SHARING", "", 33},
    {Where::Start, "SCANLET_LOG", "", 30},
    {Where::Start, "HISTORY", "", 38},
    {Where::Start, "S.M.A.R.T.", "", 6},
    {Where::Anywhere, "_ACCOUNTS", "", 40},
    {Where::Anywhere, " NVIDIA ", "", 24},
    {Where::Anywhere, " RAGE ", " ATI ", 28},
    {Where::Anywhere, "DISPLAY", "", 29},
    {Where::Start, "VIDEO", "", 29},
    {Where::Start, "MONITOR", "", 12},
    {Where::Start, "FLOPPY", "", 5},
    {Where::Start, "TAPE", "", 48},
    {Where::Start, "DISK", "HDD", 6},
    {Where::Start, "PRINTER", "", 15},
    {Where::Start, "IMAGE", "", 13},
    {Where::Start, "NET", "", 1},
    {Where::Start, "KEYB", "", 9},
    {Where::Start, "MOUSE", "", 10},
    {Where::Start, "MODEM", "", 11},
    {Where::Start, "USB", "", 18},
    {Where::Start, "SCSI", "", 20},
    {Where::Start, "PCMCIA", "", 25},
    {Where::Start, "INFRA", "", 26},
    {Where::Start, "MEDIA", "", 27},
    {Where::Start, "CPU", "PROCESSOR", 39},
    {Where::Start, "HIDCLASS", "", 41},
    {Where::Start, "BATTERY", "", 43},
    {Where::Start, "BLUETOOTH", "", 44},
    {Where::Start, "1394", "", 45},
    {Where::Start, "SIGNATURE_OK", "", 46},
    {Where::Start, "SIGNATURE", "", 47},
};

constexpr int kBiosIcon = 19;

bool Contains(std::string_view text, std::string_view word) {
    return text.find(word) != std::string_view::npos;
}

bool Found(std::string_view text, Where where, std::string_view word) {
    switch (where) {
    case Where::Anywhere:
        return Contains(text, word);
    case Where::Start:
        return text.starts_with(word);
    case Where::FromThird: {
        const std::size_t position = text.find(word);
        return position != std::string_view::npos && position >= 2;
    }
    case Where::AtFifth:
        return text.size() > 4 && text.substr(4).starts_with(word);
    }
    return false;
}

bool Matches(const Rule& rule, std::string_view text) {
    return Found(text, rule.where, rule.word) || (!rule.otherWord.empty() && Found(text, rule.where, rule.otherWord));
}

void ApplyRules(std::span<const Rule> rules, std::string_view text, int defaultIcon, int& icon) {
    for (const Rule& rule : rules) {
        if (icon != defaultIcon) {
            return;
        }
        if (Matches(rule, text)) {
            icon = rule.icon;
        }
    }
}

} // namespace

IconWords IconWords::Translated() {
    return {core::UpperCyrillic(core::Text(1030, "Ремонт")), core::UpperCyrillic(core::Text(1031, "Модерн"))};
}

int SetImage(std::string_view text, int defaultIcon, const IconWords& words) {
    const std::string upper = core::UpperLatin(core::Trim(text));
    int icon = defaultIcon;
    ApplyRules(kRulesBeforeBios, upper, defaultIcon, icon);
    if (icon == defaultIcon && (Contains(upper, "BIOS") || Contains(upper, "CPU"))) {
        icon = kBiosIcon;
    } else if (Contains(upper, "MOTHERBOARD")) {
        icon = kBiosIcon;
    }
    ApplyRules(kRulesAfterBios, upper, defaultIcon, icon);
    if (icon != defaultIcon) {
        return icon;
    }
    // The journal words are Cyrillic: they need the Cyrillic fold, which the keywords above do not.
    const std::string folded = core::UpperCyrillic(upper);
    if (!words.repair.empty() && folded.starts_with(words.repair)) {
        icon = 35;
    }
    if (icon == defaultIcon && !words.upgrade.empty() && folded.starts_with(words.upgrade)) {
        icon = 36;
    }
    return icon;
}

} // namespace pelgo::archive
