// Double fork: the intermediate child is reaped at once and the program is left to init, so it outlives us
// without our waiting for it. A close-on-exec pipe tells whether the exec succeeded.
#include "platform/program_launcher.h"

#include <cerrno>
#include <fcntl.h>
#include <sys/wait.h>
#include <unistd.h>

#include "core/file.h"

namespace pelgo::platform {

bool SystemLauncher::Launch(const std::string& program, const std::vector<std::string>& arguments,
                            const std::string& workingDirectory) {
    // Everything the children need is prepared before the fork: after it only async-signal-safe calls.
    const std::string path = core::NativeFileName(program);
    const std::string directory = core::NativeFileName(workingDirectory);
    std::vector<std::string> texts{path};
    for (const std::string& argument : arguments) {
        texts.push_back(argument);
    }
    std::vector<char*> argv;
    for (std::string& text : texts) {
        argv.push_back(text.data());
    }
    argv.push_back(nullptr);

    int report[2];
    if (pipe2(report, O_CLOEXEC) != 0) {
        return false;
    }
    const pid_t child = fork();
    if (child < 0) {
        close(report[0]);
        close(report[1]);
        return false;
    }
    if (child == 0) {
        close(report[0]);
        setsid();
        const pid_t grandchild = fork();
        if (grandchild == 0) {
            int failure = 0;
            if (directory.empty() || chdir(directory.c_str()) == 0) {
                execv(path.c_str(), argv.data());
            }
            failure = errno;
            [[maybe_unused]] const ssize_t written = write(report[1], &failure, sizeof failure);
            _exit(127);
        }
        if (grandchild < 0) {
            const int failure = errno;
            [[maybe_unused]] const ssize_t written = write(report[1], &failure, sizeof failure);
        }
        _exit(0);
    }
    close(report[1]);
    int status = 0;
    while (waitpid(child, &status, 0) < 0 && errno == EINTR) {
    }
    int failure = 0;
    ssize_t got = 0;
    while ((got = read(report[0], &failure, sizeof failure)) < 0 && errno == EINTR) {
    }
    close(report[0]);
    return got == 0;
}

} // namespace pelgo::platform
