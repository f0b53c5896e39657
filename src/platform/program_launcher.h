// Starting another program: an argument vector, never a shell, in a working directory of its own, not waited
// for. Engines start programs through the interface so that tests can see what would have been started.
#pragma once

#include <string>
#include <vector>

namespace pelgo::platform {

class ProgramLauncher {
public:
    virtual ~ProgramLauncher() = default;
    // `program` and the arguments are cp1251 paths and texts. True when the program is running.
    virtual bool Launch(const std::string& program, const std::vector<std::string>& arguments,
                        const std::string& workingDirectory) = 0;
};

// Starts the program detached in a session of its own: nothing waits for it and no zombie remains.
class SystemLauncher : public ProgramLauncher {
public:
    bool Launch(const std::string& program, const std::vector<std::string>& arguments,
                const std::string& workingDirectory) override;
};

} // namespace pelgo::platform
