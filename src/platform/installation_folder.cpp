// The installation folder.
#include "platform/installation_folder.h"

#include <unistd.h>

#include "core/cp1251.h"
#include "core/file.h"

namespace pelgo::platform {

std::string AbsoluteFromWorkingDirectory(const std::string& path) {
    if (path.empty() || path.front() == '/') {
        return path;
    }
    char cwd[4096] = {};
    if (::getcwd(cwd, sizeof cwd) == nullptr) {
        return path;
    }
    return core::Utf8ToCp1251(cwd) + "/" + path;
}

std::string InstallationFolder(const std::string& home) {
    std::string folder = AbsoluteFromWorkingDirectory(home);
    if (folder.empty()) {
        char self[4096] = {};
        const ssize_t length = ::readlink("/proc/self/exe", self, sizeof self - 1);
        folder = length > 0 ? core::DirectoryOf(core::Utf8ToCp1251(std::string(self, static_cast<std::size_t>(length))))
                            : std::string(".");
    }
    while (folder.size() > 1 && folder.back() == '/') {
        folder.pop_back();
    }
    return folder;
}

} // namespace pelgo::platform
