// The generator of template reports: the detail region repeated for every covered node, header and footer once,
// the markers "[DEVICE|…]", "[OTHER|Main|…]", "[GET|…]" and "[TP|…]" replaced by values from the archive,
// the node's additional data and the tree. The move request runs the same generator over its entries.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "archive/computer_view.h"
#include "platform/dbf_table.h"
#include "reports/report_template.h"
#include "reports/rich_text.h"
#include "structure/additional_data.h"
#include "structure/node_types.h"
#include "structure/tree_model.h"

namespace pelgo::reports {

// What the generator reads. `date` is today's date in the short date format (CurrDate).
struct ReportSources {
    const structure::TreeModel& tree;
    const structure::NodeTypes& types;
    platform::DbfTable& device;            // the archive, indexed by adapter address
    structure::AdditionalData& additional; // the "Main" data, inheritance included
    std::string date;
};

// The move-request mode: one detail entry per line of `entries`, whose first 12 characters are a node's UNO;
// "From" and "To" are the nodes the equipment leaves and goes to (null: their TP values stay empty).
struct MoveRequest {
    const structure::TreeNode* from = nullptr;
    const structure::TreeNode* to = nullptr;
    std::vector<std::string> entries;
};

// MakeUserReports: the report of the template for the nodes its scope covers around `selected` (null: none
// selected), or with `move` the move-request document.
RichText MakeUserReports(const ReportTemplate& report, ReportSources& sources, const structure::TreeNode* selected,
                         const MoveRequest* move = nullptr);

// The nodes a scope covers, in pre-order: [first, stop), stop null for the end of the tree.
struct NodeWalk {
    const structure::TreeNode* first = nullptr;
    const structure::TreeNode* stop = nullptr;
};
NodeWalk ScopeWalk(const structure::TreeModel& tree, ReportScope scope, const structure::TreeNode* selected);

// FindValue: the record's text appended ("; " between) when its GROUP followed by its NAME is the key.
void FindValue(const archive::ArchiveRecord& record, std::string_view key, std::string& value);
// GetCurrentConfig: the text from the prefix's last character on (255 at most), trimmed, appended when the
// record is a "Current_Config" line whose text begins with the prefix, letter case ignored.
void GetCurrentConfig(const archive::ArchiveRecord& record, std::string_view prefix, std::string& value);

} // namespace pelgo::reports
