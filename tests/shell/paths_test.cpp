// Stored and native path forms, CheckPath and DelPath.
#include "shell/paths.h"

#include <cstdlib>
#include <gtest/gtest.h>

#include "core/cp1251.h"

namespace pelgo::shell {
namespace {

TEST(PathRules, StoredFormsBecomeNativeAndBack) {
    ::setenv("TMPDIR", "/var/tmp", 1);
    PathRules paths("/opt/pelgo");
    struct Case {
        const char* stored;
        const char* native;
        const char* storedAgain;
    };
    const Case cases[] = {
        {".\\BASE\\", "/opt/pelgo/BASE/", ".\\BASE\\"},
        {".\\data\\sub\\", "/opt/pelgo/data/sub/", ".\\data\\sub\\"},
        {"BASE\\", "/opt/pelgo/BASE/", ".\\BASE\\"},
        {"\\BASE\\", "/opt/pelgo/BASE/", ".\\BASE\\"},
        {"/srv/pelgo/BASE/", "/srv/pelgo/BASE/", "/srv/pelgo/BASE/"},
        {"C:\\pelgo.tmp", "/var/tmp/pelgo.tmp", "/var/tmp/pelgo.tmp"},
        {"l:\\LOGIN\\DATA", "/mnt/l/LOGIN/DATA", "/mnt/l/LOGIN/DATA"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(paths.ToNative(c.stored), c.native) << c.stored;
        EXPECT_EQ(paths.ToStored(paths.ToNative(c.stored)), c.storedAgain) << c.stored;
    }
}

TEST(PathRules, CheckPathAndDelPath) {
    PathRules paths("/opt/pelgo/");
    paths.SetBaseDirectory(core::Utf8ToCp1251("/srv/База"));
    const std::string base = core::Utf8ToCp1251("/srv/База/");
    EXPECT_EQ(paths.BaseDirectory(), base);
    struct Case {
        std::string stored;
        std::string native;
        std::string written;
    };
    const Case cases[] = {
        {"struct", base + "struct", "struct"},
        {"sub\\struct", base + "sub/struct", "sub\\struct"},
        {"/etc/struct", "/etc/struct", "/etc/struct"},
        {core::Utf8ToCp1251("/SRV/БАЗА/struct"), core::Utf8ToCp1251("/SRV/БАЗА/struct"), "struct"},
        {"m:\\x\\struct", "/mnt/m/x/struct", "/mnt/m/x/struct"},
        {".\\BASE\\struct", "/opt/pelgo/BASE/struct", ".\\BASE\\struct"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(paths.CheckPath(c.stored), c.native) << c.stored;
        EXPECT_EQ(paths.DelPath(paths.CheckPath(c.stored)), c.written) << c.stored;
    }
}

} // namespace
} // namespace pelgo::shell
