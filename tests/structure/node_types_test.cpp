// Node types: captions by icon, default texts, the user's types and the icon fallback.
#include "structure/node_types.h"

#include <gtest/gtest.h>

#include "core/cp1251.h"

namespace pelgo::structure {
namespace {

TEST(NodeTypesTest, BuiltInTypesThenTheUsersOwn) {
    const NodeTypes types(std::vector<shell::UserNodeType>{{".\\ICONS\\fax.ico", "Fax"}});
    ASSERT_EQ(types.All().size(), 14u);
    EXPECT_EQ(types.All()[0].defaultText, core::Utf8ToCp1251("<< Название Отдела >>"));
    EXPECT_EQ(types.All()[2].defaultText, core::Utf8ToCp1251("Компьютер"));
    EXPECT_EQ(types.All()[9].icon, 12);
    EXPECT_EQ(types.All()[13].icon, 14);
    EXPECT_EQ(types.All()[13].defaultText, "Fax");
    EXPECT_EQ(types.LastIcon(), 14);

    struct Case {
        int icon;
        const char* name;
        int valid;
    };
    const Case cases[] = {
        {0, "?", 0},     {1, "Отдел", 1}, {4, "MAC-adr", 4},     {10, "Прочее", 10},
        {13, "UPS", 13}, {14, "Fax", 14}, {15, "?", kIconOther}, {-1, "?", kIconOther},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(types.NodeTypeName(c.icon), core::Utf8ToCp1251(c.name)) << c.icon;
        EXPECT_EQ(types.ValidIcon(c.icon), c.valid) << c.icon;
    }
}

} // namespace
} // namespace pelgo::structure
