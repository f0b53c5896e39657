// User and computer names from the system.
#include "platform/system_identity.h"

#include <cstdlib>
#include <pwd.h>
#include <unistd.h>

#include "core/cp1251.h"

namespace pelgo::platform {

std::string CurrentUserName() {
    std::string name;
    if (const passwd* entry = ::getpwuid(::geteuid()); entry != nullptr && entry->pw_name != nullptr) {
        name = entry->pw_name;
    } else if (const char* user = std::getenv("USER")) {
        name = user;
    }
    name = core::Utf8ToCp1251(name);
    if (name.empty() || name.size() > 15) {
        return "Unknown User";
    }
    return core::UpperCyrillic(name);
}

std::string ComputerName() {
    char host[256] = {};
    if (::gethostname(host, sizeof host - 1) != 0 || host[0] == '\0') {
        return "UNKNOWN";
    }
    return core::UpperCyrillic(core::Utf8ToCp1251(host)).substr(0, 80);
}

} // namespace pelgo::platform
