// A node's additional data and journal entries in a real node-record table: inheritance of the employee
// fields, what a save stores, journal keys and their cut, defaults with variables.
#include "structure/additional_data.h"

#include <gtest/gtest.h>

#include "core/cp1251.h"
#include "structure/node_types.h"
#include "structure/uno.h"
#include "support/temp_dir.h"

namespace pelgo::structure {
namespace {

class AdditionalDataTest : public ::testing::Test {
protected:
    AdditionalDataTest() : log(dir / "pelgo.log", clock) {
        platform::DbfTable::Create(dir / "other.dbf", platform::kOtherTableFields, clock);
        table.emplace(platform::DbfTable::Open(dir / "other.dbf", platform::DbfOpenMode::Shared, clock));
        table->SetIndex("UNO");
        records.emplace(*table);
        data.emplace(*records, log);
    }
    TreeNode& Add(TreeNode* parent, const std::string& text, int icon) {
        TreeNode& node = tree.AddChild(parent, -1, text, icon);
        identity.NewAddData(node);
        return node;
    }
    void Store(const TreeNode& node, const std::string& group, const std::string& name, const std::string& text) {
        records->Append(node.Record()->uno, group, name, text);
    }
    // "GROUP|NAME|TEXT" of the node's records in stored order.
    std::vector<std::string> Stored(const TreeNode& node) {
        std::vector<std::string> lines;
        for (const NodeRecord& record : records->Find(node.Record()->uno)) {
            lines.push_back(record.group + "|" + record.name + "|" + record.text);
        }
        return lines;
    }

    testing::TempDir dir;
    core::Clock clock;
    core::WorkLog log;
    std::optional<platform::DbfTable> table;
    std::optional<NodeRecordsTable> records;
    std::optional<AdditionalData> data;
    TreeModel tree{1};
    NodeIdentity identity{tree, clock};
};

TEST_F(AdditionalDataTest, EmployeeFieldsAreInheritedFromTheNearestDepartmentOrEmployeeAndNeverSaved) {
    TreeNode& enterprise = Add(nullptr, "Enterprise", kIconDepartment);
    for (const char* name : {"aRoom", "aRabM", "aDolgn", "aPhone", "aFIO"}) {
        Store(enterprise, "Main", name, std::string("top ") + name);
    }
    TreeNode& department = Add(&enterprise, "Department", kIconDepartment);
    Store(department, "Main", "aRoom", "215");
    TreeNode& employee = Add(&department, "Petrov", kIconEmployee);
    TreeNode& computer = Add(&employee, "PC", kIconComputer);
    Store(employee, "Main", "aPhone", "12-34");

    const MainData ofEmployee = data->LoadMain(employee);
    EXPECT_EQ(ofEmployee.fields[10].text, "215");
    EXPECT_EQ(ofEmployee.fields[10].source, FieldSource::Inherited);
    EXPECT_EQ(ofEmployee.fields[10].inheritedFrom, "Department");
    EXPECT_EQ(ofEmployee.fields[14].inheritedFrom, "Enterprise");
    EXPECT_EQ(ofEmployee.fields[11].text, "") << "an employee inherits the room and the responsible person only";
    EXPECT_EQ(ofEmployee.fields[13].source, FieldSource::Own);
    EXPECT_EQ(ofEmployee.fields[0].source, FieldSource::Disabled) << "the model is equipment's";

    const MainData ofComputer = data->LoadMain(computer);
    const std::array<std::string, 5> expected{"215", "top aRabM", "top aDolgn", "12-34", "top aFIO"};
    for (std::size_t field = 10; field < 15; ++field) {
        EXPECT_EQ(ofComputer.fields[field].text, expected[field - 10]) << field;
        EXPECT_EQ(ofComputer.fields[field].source, FieldSource::Inherited) << field;
    }
    EXPECT_EQ(ofComputer.fields[13].inheritedFrom, "Petrov");

    const MainData ofDepartment = data->LoadMain(department);
    EXPECT_EQ(ofDepartment.fields[14].text, "top aFIO");
    EXPECT_EQ(ofDepartment.fields[12].text, "") << "a department inherits two fields only";

    MainData edited = ofEmployee;
    edited.fields[13].text = "56-78";
    edited.fields[0].text = "ignored"; // disabled for an employee
    edited.document = "  /docs/petrov.odt ";
    data->SaveMain(employee, edited);
    EXPECT_EQ(Stored(employee), (std::vector<std::string>{"Main|aPhone|56-78", "Main|File_1|/docs/petrov.odt"}));
    EXPECT_NE(core::Cp1251ToUtf8(testing::ReadBytes(dir / "pelgo.log")).find("Изменение доп.данных для Petrov"),
              std::string::npos);
}

TEST_F(AdditionalDataTest, JournalEntriesLoadByKeyInTheOrderFoundAndDeleteAlone) {
    TreeNode& computer = Add(nullptr, "PC", kIconComputer);
    Store(computer, "Main", "aModel", "P4");
    Store(computer, "0;1 , 01.12.2026", "Edit1", "Service Ltd");
    Store(computer, "1;disk", "Edit2", "new disk");
    Store(computer, "0;1 , 01.12.2026", "File_2", "/docs/bill.pdf");
    Store(computer, "7;beyond the journals", "Edit1", "kept");
    Store(computer, "x;not a number", "Edit1", "kept too");
    Store(computer, ";no number", "Edit1", "no entry");

    const std::vector<JournalEntry> entries = data->LoadEntries(computer, 2);
    ASSERT_EQ(entries.size(), 4u);
    EXPECT_EQ(entries[0].title, "1 , 01.12.2026");
    EXPECT_EQ(entries[1].journal, 1u);
    EXPECT_EQ(entries[2].journal, 0u) << "a number beyond the journals is shown under the first";
    EXPECT_EQ(entries[3].key, "x;not a number");
    const EntryData repair = data->LoadEntry(computer, entries[0].key);
    EXPECT_EQ(repair.fields[0], "Service Ltd");
    EXPECT_EQ(repair.document, "/docs/bill.pdf");

    data->DeleteEntry(computer, entries[0].key);
    EXPECT_EQ(Stored(computer),
              (std::vector<std::string>{"Main|aModel|P4", "1;disk|Edit2|new disk", "7;beyond the journals|Edit1|kept",
                                        "x;not a number|Edit1|kept too", ";no number|Edit1|no entry"}));
}

TEST_F(AdditionalDataTest, KeysAreCutSoTitlesThatWouldShareOneAreRefusedOrNumberedOn) {
    EXPECT_EQ(RepairViewGroup(0, "A title much longer than the key holds"), "0;A title much longer th");
    EXPECT_EQ(RepairViewGroup(0, "123456789012345678901 AAA"), "0;123456789012345678901") << "as the table keeps it";
    TreeNode& computer = Add(nullptr, "PC", kIconComputer);
    Store(computer, RepairViewGroup(0, "Replacement of the power unit"), "Edit1", "first");
    Store(computer, RepairViewGroup(0, "Replacement of the power supply"), "Edit2", "second");
    Store(computer, RepairViewGroup(0, "2 , 10.12.2026"), "Edit1", "taken");
    const std::vector<JournalEntry> entries = data->LoadEntries(computer, 2);
    ASSERT_EQ(entries.size(), 2u) << "stored entries sharing a key load as one";
    EXPECT_EQ(data->LoadEntry(computer, entries[0].key).fields[1], "second");

    EXPECT_EQ(KeyTakenBy(entries, entries[1], "Replacement of the power cord"), &entries[0]);
    EXPECT_EQ(KeyTakenBy(entries, entries[1], "Cleaning"), nullptr);
    Store(computer, RepairViewGroup(1, "123456789012345678901 AAA"), "Edit1", "stored");
    const std::vector<JournalEntry> withBlank = data->LoadEntries(computer, 2);
    EXPECT_EQ(KeyTakenBy(withBlank, withBlank[0], "123456789012345678901 BBB"), nullptr) << "another journal";
    EXPECT_EQ(KeyTakenBy(withBlank, JournalEntry{1, "new", "1;new"}, "123456789012345678901 BBB"), &withBlank[2])
        << "a cut ending in a blank names the stored key";
    EXPECT_EQ(KeyTakenBy(entries, entries[0], "Replacement of the power"), nullptr) << "its own key is free";
    EXPECT_EQ(NewEntryTitle(entries, 0, "10.12.2026"), "3 , 10.12.2026") << "2 is taken by a stored entry";
    EXPECT_EQ(NewEntryTitle(entries, 1, "10.12.2026"), "1 , 10.12.2026");
}

TEST_F(AdditionalDataTest, AnEntrySaveReplacesItsRecordsAndDefaultsTakeTheirVariables) {
    TreeNode& computer = Add(nullptr, "PC", kIconComputer);
    Store(computer, "0;fan", "Edit3", "old");
    data->SaveEntry(computer, "0;fan", {{"Service\tLtd", "", "  ", "10.12.2026"}, " "});
    EXPECT_EQ(Stored(computer), (std::vector<std::string>{"0;fan|Edit1|Service Ltd", "0;fan|Edit4|10.12.2026"}));
    EXPECT_EQ(SubstituteVariables("%DATE%-%USER% (%DATE%)", "IVANOV", "10.12.2026"), "10.12.2026-IVANOV (10.12.2026)");

    const std::vector<JournalDefinition> journals =
        JournalDefinitions({{"Checks", "38", {"What", "Who", "Error_7", "Error_7"}, {"%USER%", "", "", ""}}});
    ASSERT_EQ(journals.size(), 3u);
    EXPECT_EQ(journals[1].icon, 36);
    EXPECT_EQ(journals[2].icon, 38);
    EXPECT_EQ(journals[2].defaults[0], "%USER%");
}

} // namespace
} // namespace pelgo::structure
