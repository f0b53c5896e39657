// UNO arithmetic and records made on demand.
#include "structure/uno.h"

namespace pelgo::structure {

std::string CreateUNO(int icon, int handle, const core::DateTime& time) {
    const std::string digits =
        (std::to_string(icon) + core::FormatDateTime(time, "ddMMyyHHmmss") + std::to_string(handle) + "0000000000")
            .substr(0, 24);
    std::string uno(12, ' ');
    for (int i = 1; i <= 12; ++i) {
        const std::string_view pair = std::string_view(digits).substr(static_cast<std::size_t>(2 * i - 2), 2);
        const int value = (pair[0] - '0') * 10 + (pair[1] - '0');
        // Pairs above "60" shift by the position, which keeps every character within "A".."}".
        uno[static_cast<std::size_t>(i - 1)] = static_cast<char>(pair <= "60" ? 65 + value : i + 5 + value);
    }
    return uno;
}

std::string CreateUNO(const TreeNode& node, const core::Clock& clock) {
    return CreateUNO(node.Icon(), node.Handle(), clock.Now());
}

TKelRec& NewAddData(TreeNode& node, const core::Clock& clock) {
    if (node.Record() == nullptr) {
        node.SetRecord(std::make_unique<TKelRec>(TKelRec{CreateUNO(node, clock), std::nullopt}));
    }
    return *node.Record();
}

void DelAdditional(TreeNode& node) {
    node.SetRecord(nullptr);
}

std::string NodeUno(TreeNode* node, const core::Clock& clock) {
    return node != nullptr ? NewAddData(*node, clock).uno : kNoNodeUno;
}

} // namespace pelgo::structure
