// The node types of the structure tree. A node's type is its icon index: the built-in types in the order the
// add-node dialog lists them, then the user's own types of [Add_Icons] with the icons after the built-in ones.
#pragma once

#include <string>
#include <vector>

#include "shell/settings.h"

namespace pelgo::structure {

// Icon indexes that carry a meaning across the program.
inline constexpr int kIconDepartment = 1; // also the enterprise and the unplaced-equipment bucket
inline constexpr int kIconEmployee = 2;
inline constexpr int kIconComputer = 3;
inline constexpr int kIconMacAddress = 4; // follows its computer in pre-order; its text is the adapter address
inline constexpr int kIconOther = 10;     // stands in for an icon index outside the list
inline constexpr int kIconNote = 11;
// The user's own types of [Add_Icons] take the indexes after this one.
inline constexpr int kLastBuiltInIcon = 13;

struct NodeType {
    int icon = 0;
    std::string caption;
    std::string defaultText; // the text a new node of this type starts with
};

class NodeTypes {
public:
    explicit NodeTypes(const std::vector<shell::UserNodeType>& userTypes);

    // In the add-node dialog's order.
    const std::vector<NodeType>& All() const { return m_types; }
    // The caption of the type with this icon; "?" when no type has it.
    std::string NodeTypeName(int icon) const;
    // The last index of the icon list.
    int LastIcon() const { return m_lastIcon; }
    // The icon itself, or kIconOther for an index outside the list.
    int ValidIcon(int icon) const { return icon >= 0 && icon <= m_lastIcon ? icon : kIconOther; }

private:
    std::vector<NodeType> m_types;
    int m_lastIcon = 0;
};

} // namespace pelgo::structure
