// Stored and native path forms.
#include "shell/paths.h"

#include <cstdlib>

#include "core/cp1251.h"
#include "core/text.h"

namespace pelgo::shell {
namespace {

std::string WithSlash(std::string dir) {
    if (!dir.empty() && dir.back() != '/') {
        dir += '/';
    }
    return dir;
}

bool HasDrive(std::string_view path) {
    return path.size() >= 2 && path[1] == ':' &&
           ((path[0] >= 'A' && path[0] <= 'Z') || (path[0] >= 'a' && path[0] <= 'z'));
}

std::string DriveRoot(char letter) {
    const char upper = static_cast<char>(letter & ~0x20);
    if (upper == 'C') {
        const char* tmp = std::getenv("TMPDIR");
        return WithSlash(tmp != nullptr && *tmp != '\0' ? core::Utf8ToCp1251(tmp) : std::string("/tmp"));
    }
    return std::string("/mnt/") + static_cast<char>(upper | 0x20) + "/";
}

} // namespace

PathRules::PathRules(std::string programDirectory)
    : m_programDirectory(WithSlash(std::move(programDirectory))), m_baseDirectory(m_programDirectory + "BASE/") {
}

void PathRules::SetBaseDirectory(std::string native) {
    m_baseDirectory = WithSlash(std::move(native));
}

std::string PathRules::ToNative(std::string_view stored) const {
    if (HasDrive(stored)) {
        std::string rest = core::ReplaceAll(stored.substr(2), "\\", "/");
        rest.erase(0, rest.find_first_not_of('/'));
        return DriveRoot(stored[0]) + rest;
    }
    std::string path = core::ReplaceAll(stored, "\\", "/");
    if (path.starts_with("./")) {
        return m_programDirectory + path.substr(2);
    }
    if (stored.starts_with("/")) {
        return path;
    }
    // A Windows root-relative form ("\BASE") has no drive: like a bare name it lives under the program.
    path.erase(0, path.find_first_not_of('/'));
    return m_programDirectory + path;
}

std::string PathRules::ToStored(std::string_view native) const {
    if (native.starts_with(m_programDirectory)) {
        return ".\\" + core::ReplaceAll(native.substr(m_programDirectory.size()), "/", "\\");
    }
    return std::string(native);
}

std::string PathRules::CheckPath(std::string_view stored) const {
    if (HasDrive(stored) || stored.starts_with("/") || stored.starts_with(".\\") || stored.starts_with("./") ||
        core::UpperCyrillic(ToNative(stored)).find(core::UpperCyrillic(m_baseDirectory)) != std::string::npos) {
        return ToNative(stored);
    }
    return m_baseDirectory + core::ReplaceAll(stored, "\\", "/");
}

std::string PathRules::DelPath(std::string_view native) const {
    if (core::UpperCyrillic(native).starts_with(core::UpperCyrillic(m_baseDirectory))) {
        return core::ReplaceAll(native.substr(m_baseDirectory.size()), "/", "\\");
    }
    return ToStored(native);
}

} // namespace pelgo::shell
