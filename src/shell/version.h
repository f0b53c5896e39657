// The program's version as the settings file records it.
#pragma once

namespace pelgo::shell {

inline constexpr const char* kProgramVersion = "2.22.05";
inline constexpr const char* kProgramCredit = "Pelgo developers";

} // namespace pelgo::shell
