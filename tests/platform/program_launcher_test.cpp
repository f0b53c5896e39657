// Starting a program for real: its own directory, its arguments as given, and a silent failure for a file
// that cannot run.
#include "platform/program_launcher.h"

#include <chrono>
#include <filesystem>
#include <gtest/gtest.h>
#include <thread>

#include "support/temp_dir.h"

namespace pelgo::platform {
namespace {

using testing::ReadBytes;
using testing::TempDir;
using testing::WriteBytes;

TEST(ProgramLauncherTest, RunsDetachedInItsDirectoryWithoutAShell) {
    TempDir dir;
    std::filesystem::create_directories(dir / "bin");
    const std::string program = dir / "bin/record";
    WriteBytes(program, "#!/bin/sh\npwd > \"$1.tmp\"\nprintf '%s' \"$2\" >> \"$1.tmp\"\nmv \"$1.tmp\" \"$1\"\n");
    std::filesystem::permissions(program, std::filesystem::perms::owner_all);
    SystemLauncher launcher;
    ASSERT_TRUE(launcher.Launch(program, {dir / "out", "a b; $(false)"}, dir / "bin"));
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
    while (!std::filesystem::exists(dir / "out") && std::chrono::steady_clock::now() < deadline) {
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    EXPECT_EQ(ReadBytes(dir / "out"), std::filesystem::canonical(dir / "bin").string() + "\na b; $(false)");
}

TEST(ProgramLauncherTest, AProgramThatCannotRunIsNoStart) {
    TempDir dir;
    WriteBytes(dir / "sentinox.exe", "MZ");
    SystemLauncher launcher;
    EXPECT_FALSE(launcher.Launch(dir / "sentinox.exe", {}, dir.Path()));
    EXPECT_FALSE(launcher.Launch(dir / "missing", {}, dir.Path()));
}

} // namespace
} // namespace pelgo::platform
