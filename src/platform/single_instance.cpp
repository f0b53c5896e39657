// The per-user instance lock.
#include "platform/single_instance.h"

#include <cstdlib>
#include <unistd.h>

#include "core/cp1251.h"
#include "core/errors.h"
#include "core/file.h"

namespace pelgo::platform {
namespace {

std::string RuntimeDirectory() {
    if (const char* runtime = std::getenv("XDG_RUNTIME_DIR"); runtime != nullptr && *runtime != '\0') {
        return core::Utf8ToCp1251(runtime);
    }
    return "/tmp/pelgo-" + std::to_string(::getuid());
}

} // namespace

SingleInstance::SingleInstance(const std::string& name) : m_path(RuntimeDirectory() + "/" + name + ".lock") {
}

bool SingleInstance::Acquire() {
    // A lock that cannot be had (a planted folder, a file system without locks) does not keep the user out.
    if (!core::MakePrivateFolder(core::DirectoryOf(m_path))) {
        return true;
    }
    auto file = core::LockedFile::Open(m_path, core::LockedFile::Access::ReadWrite, true);
    try {
        if (file && !file->TryLock(core::LockedFile::LockKind::Exclusive)) {
            return false;
        }
    } catch (const core::FileError&) {
        return true;
    }
    m_file = std::move(file);
    return true;
}

} // namespace pelgo::platform
