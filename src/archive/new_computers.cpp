// Naming and placing the computers an archive update finds for the first time.
#include "archive/new_computers.h"

#include <algorithm>

#include "archive/computer_journal.h"
#include "core/cp1251.h"
#include "core/text.h"
#include "core/translator.h"
#include "structure/node_queries.h"
#include "structure/node_types.h"
#include "structure/tree_editor.h"

namespace pelgo::archive {
namespace {

// The settings' key lists of the naming rule, in their order: [section] key.
constexpr std::pair<const char*, const char*> kNamingKeys[] = {
    {"Info", "Param_1"},           {"Info", "Param_2"},       {"Info", "Param_3"},  {"Info", "Param_4"},
    {"Info", "Current_User_Name"}, {"Info", "Computer_Name"}, {"Info", "MAC_Addr"}, {"Info", "IP_Addr"},
};

std::string NamingValue(const CollectorValue& value, int item) {
    if (item < 0 || item >= static_cast<int>(std::size(kNamingKeys))) {
        return {}; // an index edited by hand names no key
    }
    const auto& [section, key] = kNamingKeys[item];
    return value(section, key);
}

const std::string& SourceValue(const SourceValues& values, int item) {
    static const std::string none;
    return item >= 0 && item < static_cast<int>(values.size()) ? values[static_cast<std::size_t>(item)] : none;
}

// A switch stored as "10 when on, plus the item index".
NamePart SwitchedPart(int stored, int from, int to) {
    const bool on = stored >= 10;
    return {on, on ? stored - 10 : stored, from, std::max(from, to)};
}

// The part's letters, when it has a range; the whole value otherwise.
std::string Letters(const NamePart& part, const std::string& value) {
    if (!part.Ranged()) {
        return value;
    }
    const auto from = static_cast<std::size_t>(part.from - 1);
    return from < value.size() ? value.substr(from, static_cast<std::size_t>(part.to - part.from + 1)) : std::string();
}

std::string Upper(std::string_view text) {
    return core::UpperCyrillic(text);
}

structure::TreeNode* FindEmployee(const structure::TreeModel& tree, structure::TreeNode& from,
                                  const std::string& pattern, bool matchCase) {
    if (pattern.empty()) {
        return nullptr;
    }
    for (structure::TreeNode* node = &from; node != nullptr; node = tree.Next(*node)) {
        if (node->Icon() == structure::kIconEmployee &&
            (matchCase ? node->Text() : Upper(node->Text())).find(pattern) != std::string::npos) {
            return node;
        }
    }
    return nullptr;
}

} // namespace

NamingRule NamingRule::From(const shell::Settings& settings) {
    NamingRule rule;
    const std::string& base = settings.Text(shell::Key::NCNedit);
    rule.baseName = base.starts_with('^') ? base.substr(1) : base;
    const int appendKey = settings.Int(shell::Key::NCN1);
    rule.append = appendKey >= 100;
    rule.appendItem = appendKey % 100;
    const int fallbackKey = settings.Int(shell::Key::NCN23);
    rule.useInventoryNumber = fallbackKey / 1000 % 10 != 0;
    rule.fallback = fallbackKey / 100 % 10 != 0;
    rule.fallbackItem = fallbackKey % 100;
    return rule;
}

std::string GetNewName(const NamingRule& rule, const CollectorValue& value) {
    std::string name = rule.useInventoryNumber ? std::string(core::Trim(value("Info", "InventoryNumber"))) : "";
    if (name.empty()) {
        name = rule.baseName;
        if (rule.append) {
            std::string appended = NamingValue(value, rule.appendItem);
            if (appended.empty() && rule.fallback) {
                appended = NamingValue(value, rule.fallbackItem);
            }
            name += " " + appended; // the blank even for an empty value: the trim takes it
        }
    }
    return std::string(core::TrimRight(structure::NodeText(name)));
}

PlacementRule PlacementRule::From(const shell::Settings& settings) {
    using shell::Key;
    const auto number = [&settings](Key key) { return settings.Int(key); };
    const auto belowHundred = [](int stored) { return stored > 99 ? stored - 100 : stored; };
    PlacementRule rule;
    const int check = number(Key::NC1);
    rule.userCheck = check >= 10;
    rule.userCheckItem = rule.userCheck ? check - 10 : check;
    rule.surname = {true, number(Key::NC2), number(Key::Value1), std::max(number(Key::Value1), number(Key::Value2))};
    rule.firstName = SwitchedPart(belowHundred(number(Key::NC3)), number(Key::Value3), number(Key::Value4));
    rule.patronymic = SwitchedPart(belowHundred(number(Key::NC4)), number(Key::Value5), number(Key::Value6));
    const int flags = number(Key::NC5);
    rule.dot = flags >= 10;
    rule.matchCase = flags % 10 == 1;
    return rule;
}

std::string SearchPattern(const PlacementRule& rule, const SourceValues& values) {
    const std::string separator = rule.dot ? "." : " ";
    std::string pattern = Letters(rule.surname, SourceValue(values, rule.surname.item));
    const auto append = [&](const NamePart& name) {
        const std::string& value = SourceValue(values, name.item);
        if (name.Ranged()) {
            pattern.append(Letters(name, value)).append(separator);
        } else {
            pattern.append(value);
        }
    };
    if (rule.firstName.on && !SourceValue(values, rule.firstName.item).empty()) {
        pattern.push_back(' ');
        append(rule.firstName);
    }
    if (rule.patronymic.on && !SourceValue(values, rule.patronymic.item).empty()) {
        if (!rule.firstName.Ranged() || !rule.patronymic.Ranged()) {
            pattern.push_back(' '); // initials follow each other directly
        }
        append(rule.patronymic);
    }
    if (!rule.matchCase) {
        pattern = Upper(pattern);
    }
    return std::string(core::Trim(pattern));
}

SourceValues ReadSourceValues(platform::DbfTable& device, std::string_view address) {
    SourceValues values;
    const std::size_t name = device.FieldIndex("NAME");
    const std::size_t text = device.FieldIndex("TEXT");
    for (const platform::DbfRecord& record : device.Find(ArchiveKey(address))) {
        const auto found = std::find(kSourceNames.begin(), kSourceNames.end(), record.values[name]);
        if (found != kSourceNames.end()) {
            values[static_cast<std::size_t>(found - kSourceNames.begin())] = core::Trim(record.values[text]);
        }
    }
    return values;
}

int MoveData(structure::TreeModel& tree, platform::DbfTable& device, const PlacementRule& rule,
             platform::UserDialog& dialog, platform::Progress& progress, const std::function<void()>& moved) {
    if (dialog.Ask(platform::MessageKind::Confirmation,
                   core::Text(4324, "Попытаться распределить неучтенные компьютеры ?"),
                   platform::Buttons::YesNo) != platform::Answer::Yes) {
        return 0;
    }
    progress.Protocol(core::Text(4325, "Распределение неучтенных компьютеров..."));
    int placed = 0;
    structure::TreeNode* node = tree.First();
    while (node != nullptr && node != tree.TopLevel(1)) {
        structure::TreeNode* next = tree.Next(*node);
        if (!structure::IsNetComputer(tree, node) || device.Find(ArchiveKey(next->Text())).empty()) {
            node = next;
            continue;
        }
        progress.ProcessEvents();
        const std::string address = next->Text();
        const SourceValues values = ReadSourceValues(device, address);
        const std::string pattern = SearchPattern(rule, values);
        const std::string& computerName = values[5];
        if (rule.userCheck &&
            Upper(computerName.empty() ? "1" : computerName) != Upper(SourceValue(values, rule.userCheckItem))) {
            node = next;
            continue;
        }
        structure::TreeNode* employee = FindEmployee(tree, *node, pattern, rule.matchCase);
        // The walk goes on after the computer's subtree, not from the first node again, so that the computers
        // already reported are not reported once more for every one placed.
        structure::TreeNode* last = node;
        while (last->ChildCount() > 0) {
            last = last->Child(last->ChildCount() - 1);
        }
        structure::TreeNode* after = tree.Next(*last);
        // An employee inside the computer's own subtree cannot take it.
        if (employee != nullptr && tree.Move(*node, employee, -1)) {
            progress.Protocol(core::Text(4326, "Компьютер ") + address + core::Text(4327, " закреплен за ") +
                              employee->Text());
            ++placed;
            moved();
            node = after;
            continue;
        }
        progress.Protocol(core::Text(4328, ">>> Не смог автораспределить компьютер ") + address);
        progress.Protocol(core::Text(4329, "шаблон поиска в структуре предприятия") + " - \"" + pattern + "\"");
        progress.Protocol(core::Text(4330, "сформирован из") + " Param_1=" + values[0] + ", Param_2=" + values[1] +
                          ", Param_3=" + values[2] + ", Param_4=" + values[3]);
        node = next;
    }
    if (placed > 0) {
        progress.Protocol(core::Text(4331, "Распределено компьютеров ") + std::to_string(placed));
    }
    return placed;
}

} // namespace pelgo::archive
