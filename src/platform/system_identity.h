// Who runs the program and on which computer, as the work log, the settings and the presence records
// name them.
#pragma once

#include <string>

namespace pelgo::platform {

// The login name upper-cased; "Unknown User" when it cannot be fetched or is longer than 15 characters
// (older installations keyed their settings on names that fit a 16-byte buffer).
std::string CurrentUserName();
// The host name upper-cased, at most 80 characters; "UNKNOWN" when it cannot be fetched.
std::string ComputerName();

} // namespace pelgo::platform
