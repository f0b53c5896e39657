// The built-in node types and the user's own.
#include "structure/node_types.h"

#include "core/translator.h"

namespace pelgo::structure {
namespace {

struct BuiltInType {
    int icon;
    const char* caption;
    int defaultTextId; // 0: a new node starts with the caption
    const char* defaultText;
};

constexpr BuiltInType kBuiltInTypes[] = {
    {kIconDepartment, "Отдел", 2010, "Название Отдела"},
    {kIconEmployee, "Сотрудник", 2011, "ФИО Сотрудника"},
    {kIconComputer, "Компьютер", 0, nullptr},
    {kIconMacAddress, "MAC-adr", 2013, "000000000000"},
    {5, "Монитор", 0, nullptr},
    {6, "Принтер", 0, nullptr},
    {7, "Сканер", 0, nullptr},
    {8, "Модем", 0, nullptr},
    {9, "Hub", 0, nullptr},
    {12, "Ксерокс", 0, nullptr},
    {13, "UPS", 0, nullptr},
    {kIconOther, "Прочее", 2021, "Описание оргтехники"},
    {kIconNote, "Примеч.", 2022, "Текст примечания"},
};

} // namespace

NodeTypes::NodeTypes(const std::vector<shell::UserNodeType>& userTypes)
    : m_lastIcon(kLastBuiltInIcon + static_cast<int>(userTypes.size())) {
    int position = 0;
    for (const BuiltInType& type : kBuiltInTypes) {
        std::string caption = core::Text(2030 + position++, type.caption);
        std::string defaultText =
            type.defaultTextId == 0 ? caption : "<< " + core::Text(type.defaultTextId, type.defaultText) + " >>";
        m_types.push_back({type.icon, std::move(caption), std::move(defaultText)});
    }
    int icon = kLastBuiltInIcon;
    for (const shell::UserNodeType& type : userTypes) {
        m_types.push_back({++icon, type.name, type.name});
    }
}

std::string NodeTypes::NodeTypeName(int icon) const {
    for (const NodeType& type : m_types) {
        if (type.icon == icon) {
            return type.caption;
        }
    }
    return "?";
}

} // namespace pelgo::structure
