// The tables and tree the report builders read: an archive and a records table in a temporary folder, and
// helpers that grow the tree and fill both tables from UTF-8 texts.
#pragma once

#include <gtest/gtest.h>
#include <optional>
#include <string>
#include <vector>

#include "core/cp1251.h"
#include "core/date_time.h"
#include "core/work_log.h"
#include "platform/dbf_table.h"
#include "structure/additional_data.h"
#include "structure/node_records_table.h"
#include "structure/node_types.h"
#include "structure/tree_model.h"
#include "structure/uno.h"
#include "support/temp_dir.h"

namespace pelgo::testing {

class ReportTablesTest : public ::testing::Test {
protected:
    // Builders that read only the archive see nodes without records; with them, every node gets a record (and
    // its UNO) as it is added, as the structure window does.
    enum class NodeRecords { Made, None };

    explicit ReportTablesTest(NodeRecords nodeRecords = NodeRecords::Made)
        : log(dir / "pelgo.log", clock), nodeRecords(nodeRecords) {
        platform::DbfTable::Create(dir / "device.dbf", platform::kDeviceTableFields, clock);
        platform::DbfTable::Create(dir / "other.dbf", platform::kOtherTableFields, clock);
        device.emplace(platform::DbfTable::Open(dir / "device.dbf", platform::DbfOpenMode::Shared, clock));
        other.emplace(platform::DbfTable::Open(dir / "other.dbf", platform::DbfOpenMode::Shared, clock));
        device->SetIndex("MAC_ADR");
        other->SetIndex("UNO");
        records.emplace(*other);
        additional.emplace(*records, log);
    }

    structure::TreeNode& Add(structure::TreeNode* parent, const char* text, int icon) {
        structure::TreeNode& node = tree.AddChild(parent, -1, core::Utf8ToCp1251(text), icon);
        if (nodeRecords == NodeRecords::Made) {
            identity.NewAddData(node);
        }
        return node;
    }
    // A computer node with its address node below it, and its archive lines {group, name, UTF-8 text}.
    structure::TreeNode& Computer(structure::TreeNode* parent, const char* text, const std::string& address,
                                  const std::vector<std::vector<std::string>>& lines = {}) {
        structure::TreeNode& computer = Add(parent, text, structure::kIconComputer);
        Add(&computer, address.c_str(), structure::kIconMacAddress);
        Archive(address, lines);
        return computer;
    }
    void Archive(const std::string& address, const std::vector<std::vector<std::string>>& lines) {
        std::vector<std::vector<std::string>> archive;
        for (const std::vector<std::string>& line : lines) {
            archive.push_back({address, line[0], line[1], core::Utf8ToCp1251(line[2])});
        }
        device->AppendRecords(archive);
    }
    void Store(const structure::TreeNode& node, const char* name, const char* text) {
        records->Append(node.Record()->uno, "Main", name, core::Utf8ToCp1251(text));
    }

    TempDir dir;
    core::Clock clock;
    core::WorkLog log;
    std::optional<platform::DbfTable> device;
    std::optional<platform::DbfTable> other;
    std::optional<structure::NodeRecordsTable> records;
    std::optional<structure::AdditionalData> additional;
    structure::TreeModel tree{1};
    structure::NodeIdentity identity{tree, clock};

private:
    NodeRecords nodeRecords;
};

} // namespace pelgo::testing
