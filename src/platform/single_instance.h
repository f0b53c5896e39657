// One window program per user and workstation. A lock held on a per-user file stands in for a named
// mutex: it vanishes with the process however it ends, so a crash never blocks the next start.
#pragma once

#include <optional>
#include <string>

#include "core/file.h"

namespace pelgo::platform {

class SingleInstance {
public:
    // `name` identifies the program ("KEL_SOFT_pelgo2"); the lock file lives in the user's runtime folder.
    explicit SingleInstance(const std::string& name);

    // True when this process now holds the lock (or the lock file cannot be made at all, in which case
    // the program starts normally); false when another instance holds it.
    bool Acquire();

private:
    std::string m_path;
    std::optional<core::LockedFile> m_file;
};

} // namespace pelgo::platform
