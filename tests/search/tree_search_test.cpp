// The tree search and the two table searches: both containment directions, the fold, going on after a hit,
// and table hits in index order past records whose node cannot be found.
#include "search/tree_search.h"

#include <gtest/gtest.h>
#include <memory>
#include <string>
#include <vector>

#include "core/cp1251.h"
#include "structure/multi_user.h"
#include "structure/node_types.h"
#include "support/temp_dir.h"

namespace pelgo::search {
namespace {

using structure::TreeNode;

std::string W(const char* utf8) {
    return core::Utf8ToCp1251(utf8);
}

std::string Utf8(const std::string& cp1251) {
    return core::Cp1251ToUtf8(cp1251);
}

// bucket / Отдел кадров / Иванов / ПК-1 / 00AABBCCDDEE, with a captionless node and the two ё spellings.
struct SampleTree {
    structure::TreeModel tree;
    SampleTree() {
        TreeNode& bucket = tree.AddChild(nullptr, -1, W("Нераспределенное"), structure::kIconDepartment);
        tree.AddChild(&bucket, -1, "", structure::kIconNote);
        TreeNode& department = tree.AddChild(nullptr, -1, W("Отдел кадров"), structure::kIconDepartment);
        TreeNode& employee = tree.AddChild(&department, -1, W("Иванов"), structure::kIconEmployee);
        TreeNode& computer = tree.AddChild(&employee, -1, W("ПК-1 Иванова"), structure::kIconComputer);
        tree.AddChild(&computer, -1, "00AABBCCDDEE", structure::kIconMacAddress);
        tree.AddChild(&department, -1, W("Ёлкин"), structure::kIconEmployee);
        tree.AddChild(&department, -1, W("ёлкин"), structure::kIconEmployee);
    }
};

// Every hit of "C начала" followed by "Дальше..." from each hit until there is none.
std::vector<std::string> TreeHits(const structure::TreeModel& tree, const TextMatcher& matcher) {
    std::vector<std::string> hits;
    for (const TreeNode* hit = FindInTree(tree, matcher, nullptr, false); hit != nullptr;
         hit = FindInTree(tree, matcher, hit, true)) {
        hits.push_back(Utf8(hit->Text()));
    }
    return hits;
}

TEST(TreeSearchTest, HitsBothWaysFoldingAllButYo) {
    const SampleTree sample;
    struct Case {
        const char* pattern;
        bool matchCase;
        std::vector<std::string> hits;
    } cases[] = {
        {"кадр", false, {"Отдел кадров"}},
        {"иванов иван иванович", false, {"Иванов"}}, // the caption held by the text
        {"иванов", false, {"Иванов", "ПК-1 Иванова"}},
        {"иванов", true, {}},
        {"пк-1 иванова, 2 этаж", false, {"Иванов", "ПК-1 Иванова"}},
        {"ЁЛКИН", false, {"Ёлкин"}},
        {"ёлкин", false, {"ёлкин"}},
        {"елкин", false, {}},
        {"00aabbccddee", false, {"00AABBCCDDEE"}},
        {"nowhere", false, {}}, // the captionless node is held by every text, yet never matches
    };
    for (const Case& c : cases) {
        EXPECT_EQ(TreeHits(sample.tree, TextMatcher(W(c.pattern), c.matchCase)), c.hits)
            << c.pattern << (c.matchCase ? " (case)" : "");
    }
}

TEST(TreeSearchTest, ContinuesAfterTheSelectionAndEndsAfterTheLastHit) {
    const SampleTree sample;
    const TextMatcher matcher(W("иванов"), false);
    const TreeNode* employee = sample.tree.NodeAt(3);
    const TreeNode* computer = sample.tree.NodeAt(4);
    ASSERT_EQ(FindInTree(sample.tree, matcher, computer, false), employee); // a new search ignores the selection
    EXPECT_EQ(FindInTree(sample.tree, matcher, employee, true), computer);
    EXPECT_EQ(FindInTree(sample.tree, matcher, computer, true), nullptr);
    EXPECT_EQ(FindInTree(sample.tree, matcher, nullptr, true), employee); // no selection: from the first node
    const TreeNode* last = sample.tree.NodeAt(sample.tree.Count() - 1);
    EXPECT_EQ(FindInTree(sample.tree, TextMatcher(W("ёлкин"), false), last, true), nullptr);
}

platform::DbfTable MakeTable(const std::string& path, std::span<const platform::DbfFieldSpec> fields, const char* tag,
                             const std::vector<std::vector<std::string>>& records, const core::Clock& clock) {
    platform::DbfTable::Create(path, fields, clock);
    {
        platform::DbfTable writer = platform::DbfTable::Open(path, platform::DbfOpenMode::Shared, clock);
        writer.AppendRecords(records);
    }
    platform::DbfTable table = platform::DbfTable::Open(path, platform::DbfOpenMode::ReadOnly, clock);
    table.SetIndex(tag);
    return table;
}

struct Hit {
    std::string node;
    std::string key;
    std::string text;
    friend bool operator==(const Hit&, const Hit&) = default;
};

std::ostream& operator<<(std::ostream& out, const Hit& hit) {
    return out << hit.node << " | " << hit.key << " | " << hit.text;
}

std::vector<Hit> TableHits(TableSearch& search, platform::DbfTable& table, const structure::TreeModel& tree,
                           const TextMatcher& matcher) {
    std::vector<Hit> hits;
    for (auto hit = search.Find(table, tree, matcher, false); hit; hit = search.Find(table, tree, matcher, true)) {
        hits.push_back({Utf8(hit->node->Text()), hit->key, Utf8(hit->text)});
    }
    return hits;
}

TEST(TableSearchTest, ArchiveHitsInMacOrderPastOrphans) {
    testing::TempDir dir;
    core::Clock clock;
    SampleTree sample;
    structure::TreeNode* secondComputer =
        &sample.tree.AddChild(sample.tree.NodeAt(2), -1, W("ПК-2"), structure::kIconComputer);
    sample.tree.AddChild(secondComputer, -1, " 00CCCCCCCCCC ", structure::kIconMacAddress);
    // In the file's order the orphan comes last; in MAC order it is the first hit candidate.
    platform::DbfTable device = MakeTable(dir / "device.dbf", platform::kDeviceTableFields, "MAC_ADR",
                                          {{"00CCCCCCCCCC", "CPU", "Name", W("Intel Pentium")},
                                           {"00AABBCCDDEE", "CPU", "Name", W("Intel Core   ")},
                                           {"00AABBCCDDEE", "RAM", "Size", "4096"},
                                           {"001111111111", "CPU", "Name", W("Intel Atom")}},
                                          clock);
    TableSearch search(TableTarget::Archive);
    const TextMatcher matcher(W("intel"), false);
    EXPECT_EQ(
        TableHits(search, device, sample.tree, matcher),
        (std::vector<Hit>{{"ПК-1 Иванова", "00AABBCCDDEE", "Intel Core"}, {"ПК-2", "00CCCCCCCCCC", "Intel Pentium"}}));
    EXPECT_FALSE(search.Find(device, sample.tree, matcher, true)) << "\"Дальше...\" after the last hit";
    const auto again = search.Find(device, sample.tree, matcher, false);
    ASSERT_TRUE(again);
    EXPECT_EQ(again->group, "CPU");
    EXPECT_EQ(again->name, "Name");
    EXPECT_EQ(again->record, 1u); // the second appended, counted from 0
}

TEST(TableSearchTest, AdditionalDataHitsInUnoOrderPastRecordsOfNoNode) {
    testing::TempDir dir;
    core::Clock clock;
    SampleTree sample;
    sample.tree.SetRecord(*sample.tree.NodeAt(3),
                          std::make_unique<structure::TKelRec>(structure::TKelRec{"BBBBBBBBBBBB", {}}));
    sample.tree.SetRecord(*sample.tree.NodeAt(6),
                          std::make_unique<structure::TKelRec>(structure::TKelRec{"aaaaaaaaaaaa", {}}));
    // "_Multi_User_" sorts between the two nodes' UNOs and the orphan before both.
    platform::DbfTable other = MakeTable(dir / "other.dbf", platform::kOtherTableFields, "UNO",
                                         {{"aaaaaaaaaaaa", "Phone", "", "room 12"},
                                          {structure::kMultiUserUno, "IVANOV", "1", "room 12 instance"},
                                          {"BBBBBBBBBBBB", "Phone", "", "Room 12"},
                                          {"AAAAAAAAAAAA", "Phone", "", "room 12 of nobody"},
                                          {"BBBBBBBBBBBB", "Mail", "", "ivanov@example"}},
                                         clock);
    TableSearch search(TableTarget::AdditionalData);
    EXPECT_EQ(TableHits(search, other, sample.tree, TextMatcher("ROOM 12", false)),
              (std::vector<Hit>{{"Иванов", "BBBBBBBBBBBB", "Room 12"}, {"Ёлкин", "aaaaaaaaaaaa", "room 12"}}));
    EXPECT_EQ(TableHits(search, other, sample.tree, TextMatcher("room 12", true)),
              (std::vector<Hit>{{"Ёлкин", "aaaaaaaaaaaa", "room 12"}}));
}

} // namespace
} // namespace pelgo::search
