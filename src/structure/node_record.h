// The node record TKelRec: what a tree node carries beyond its text and type, made on demand (uno.h).
#pragma once

#include <optional>
#include <string>
#include <vector>

namespace pelgo::structure {

struct TKelRec {
    std::string uno;                                  // 12 characters "A".."}", the node's key in other.dbf
    std::optional<std::vector<std::string>> comments; // absent until a comment is added
};

} // namespace pelgo::structure
