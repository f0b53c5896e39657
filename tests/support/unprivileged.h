// Checks that need file permissions to bind. Root reads every file whatever its mode, so the checks run in a
// child process that first drops to the user and group "nobody" when the tests run as root.
#pragma once

#include <exception>
#include <filesystem>
#include <grp.h>
#include <gtest/gtest.h>
#include <string>
#include <sys/wait.h>
#include <unistd.h>

namespace pelgo::testing {

// Lets every user read and write the folder and everything in it, so that the unprivileged child can work there.
inline void OpenToEveryone(const std::string& folder) {
    namespace fs = std::filesystem;
    constexpr fs::perms readWrite = fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read |
                                    fs::perms::group_write | fs::perms::others_read | fs::perms::others_write;
    fs::permissions(folder, fs::perms::all, fs::perm_options::add);
    for (const fs::directory_entry& entry : fs::recursive_directory_iterator(folder)) {
        fs::permissions(entry.path(), entry.is_directory() ? fs::perms::all : readWrite, fs::perm_options::add);
    }
}

// Takes every right to `path` away.
inline void MakeUnreadable(const std::string& path) {
    std::filesystem::permissions(path, std::filesystem::perms::none);
}

// Runs `checks` in a child process without root's rights; true when the child ended without a failed check.
// The child's failures are printed by the child; the caller reports the outcome.
template <typename Checks> bool PassesUnprivileged(Checks checks) {
    constexpr uid_t kNobody = 65534;
    const pid_t child = ::fork();
    if (child < 0) {
        ADD_FAILURE() << "cannot fork";
        return false;
    }
    if (child == 0) {
        if (::geteuid() == 0 && (::setgroups(0, nullptr) != 0 || ::setresgid(kNobody, kNobody, kNobody) != 0 ||
                                 ::setresuid(kNobody, kNobody, kNobody) != 0)) {
            ::_exit(2);
        }
        // Nothing may leave the child but its exit: the test runner would go on there with the parent's tests.
        try {
            checks();
        } catch (const std::exception& error) {
            ADD_FAILURE() << "escaped: " << error.what();
        } catch (...) {
            ADD_FAILURE() << "an exception of an unknown type escaped";
        }
        ::_exit(::testing::Test::HasFailure() ? 1 : 0);
    }
    int status = 0;
    if (::waitpid(child, &status, 0) != child) {
        ADD_FAILURE() << "cannot wait for the child";
        return false;
    }
    if (!WIFEXITED(status)) {
        ADD_FAILURE() << "the child ended by signal " << WTERMSIG(status);
        return false;
    }
    return WEXITSTATUS(status) == 0;
}

} // namespace pelgo::testing
