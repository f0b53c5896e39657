// Naming a motherboard from its BIOS identification string with five code tables: Award manufacturers and
// chipsets, AMI customers and chipset keywords, Intel BIOS identifiers, and exact strings.
#pragma once

#include <string>
#include <string_view>

#include "core/custom_ini_file.h"

namespace pelgo::core {
class WorkLog;
}
namespace pelgo::shell {
class Settings;
}

namespace pelgo::archive {

struct MotherboardTableFiles {
    std::string award;    // "2-character manufacturer code" " " name
    std::string ami;      // "6-character customer code" " " name
    std::string chipsets; // Award part: "5-character code" " " name; from "#AMI# Identifying ": keyword " " text
    std::string intel;    // Intel BIOS identifier and board description
    std::string exact;    // BIOS string "=" board name
};

MotherboardTableFiles MotherboardTableFilesOf(const shell::Settings& settings);

class MotherboardIdentifier {
public:
    MotherboardIdentifier(MotherboardTableFiles files, core::WorkLog& log);

    // The board name, or empty when no rule identifies it. The tables are read at the first call and kept;
    // a missing table is logged once and only weakens the result.
    std::string Motherboard(std::string_view biosString);

private:
    void LoadTables();
    std::string Award(const std::string& bios) const;
    std::string Ami(const std::string& bios) const;
    std::string Intel(const std::string& bios) const;
    std::string Exact(const std::string& bios) const;

    MotherboardTableFiles m_files;
    core::WorkLog& m_log;
    bool m_loaded = false;
    core::StringList m_award;
    core::StringList m_ami;
    core::StringList m_awardChipsets;
    core::StringList m_amiChipsets;
    core::StringList m_intel;
    core::StringList m_exact;
};

} // namespace pelgo::archive
