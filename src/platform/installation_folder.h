// Where an installation lives: the folder named by --home (or PELGO_HOME), else the folder of the running
// program, as the window program and pelgo-cli both resolve it.
#pragma once

#include <string>

namespace pelgo::platform {

// `home` (cp1251, made absolute) when not empty, else the running program's folder; without a trailing '/'.
std::string InstallationFolder(const std::string& home);

// A path given on the command line (cp1251) made absolute from the working directory, so that what is logged
// and stored names one place wherever it is read later.
std::string AbsoluteFromWorkingDirectory(const std::string& path);

} // namespace pelgo::platform
