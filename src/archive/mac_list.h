// The adapter-vendor list "maclist": one line per 6-character address prefix, upper case, a blank and the
// vendor, sorted by prefix. It is made from the IEEE OUI registry as Debian's ieee-data package installs it.
#pragma once

#include <string>
#include <string_view>

namespace pelgo::archive {

// Where ieee-data installs the registry.
inline constexpr const char* kOuiRegistryFile = "/usr/share/ieee-data/oui.csv";

// The list as a cp1251 text with CR LF line ends from the registry's CSV text (UTF-8; columns Registry,
// Assignment, Organization Name, ...). A prefix listed twice keeps its first vendor.
std::string MacListFromOuiCsv(std::string_view csvUtf8);

// Writes the list made from `registryFile` to `target`; throws core::FileError when either fails.
void WriteMacList(const std::string& registryFile, const std::string& target);

} // namespace pelgo::archive
