// The move request: the moves grouped by pair of source and destination, a document per pair.
#include "reports/move_request.h"

#include <algorithm>
#include <unordered_set>

#include "reports/report_writer.h"

namespace pelgo::reports {

namespace {

constexpr std::size_t kUnoLength = 12;

// The node whose UNO begins the list element; the last in pre-order when several carry it.
const structure::TreeNode* NodeOfElement(const structure::TreeModel& tree, const std::string& element) {
    const std::string uno = element.substr(0, kUnoLength);
    const structure::TreeNode* found = nullptr;
    for (const structure::TreeNode* node = tree.First(); node != nullptr; node = tree.Next(*node)) {
        if (node->Record() != nullptr && node->Record()->uno == uno) {
            found = node;
        }
    }
    return found;
}

RichText ErrorLine() {
    ReportWriter writer;
    writer.Line("ERROR in TpNodeFrom or TpNodeTo");
    return writer.Take();
}

} // namespace

RichText MoveRequestReport(const ReportTemplate& report, ReportSources& sources, const structure::MoveLists& moves) {
    // Three lists of one run are parallel; should one be short, only the moves all three describe count.
    const std::size_t count = std::min({moves.moved.size(), moves.sources.size(), moves.destinations.size()});
    RichText result;
    std::unordered_set<std::string> done;
    bool pageBreak = false;
    for (std::size_t i = 0; i < count; ++i) {
        const std::string pair = moves.sources[i] + "|" + moves.destinations[i];
        if (!done.insert(pair).second) {
            continue;
        }
        MoveRequest move;
        for (std::size_t j = i; j < count; ++j) {
            if (moves.sources[j] == moves.sources[i] && moves.destinations[j] == moves.destinations[i]) {
                move.entries.push_back(moves.moved[j]);
            }
        }
        move.from = NodeOfElement(sources.tree, moves.sources[i]);
        move.to = NodeOfElement(sources.tree, moves.destinations[i]);
        RichText document = move.from != nullptr && move.to != nullptr && move.from != move.to
                                ? MakeUserReports(report, sources, nullptr, &move)
                                : ErrorLine();
        // Documents start on a new page; none follows the last.
        if (pageBreak && !document.paragraphs.empty()) {
            document.paragraphs.front().pageBreakBefore = true;
            pageBreak = false;
        }
        pageBreak = pageBreak || !document.paragraphs.empty();
        result.paragraphs.insert(result.paragraphs.end(), std::make_move_iterator(document.paragraphs.begin()),
                                 std::make_move_iterator(document.paragraphs.end()));
    }
    return result;
}

} // namespace pelgo::reports
