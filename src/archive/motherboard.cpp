// The five rules of motherboard identification and the loading of their code tables.
#include "archive/motherboard.h"

#include <algorithm>
#include <optional>

#include "core/cp1251.h"
#include "core/errors.h"
#include "core/file.h"
#include "core/text.h"
#include "core/work_log.h"
#include "shell/settings.h"

namespace pelgo::archive {
namespace {

constexpr std::string_view kAmiPartMarker = "#AMI# Identifying ";

// The file's lines as a text list reads them (CR LF, CR or LF end a line); empty when the file is missing.
core::StringList ReadLines(const std::string& path, core::WorkLog& log) {
    if (!core::FileExists(path)) {
        log.LogEvent("File not found " + path);
        return {};
    }
    const std::string bytes = core::ReadFileBytes(path);
    core::StringList lines;
    for (const std::string_view line : core::SplitLines(bytes)) {
        lines.emplace_back(line);
    }
    return lines;
}

// Sorted without regard to case; of lines equal without regard to case the first one read stays.
core::StringList SortedTable(core::StringList lines) {
    std::stable_sort(lines.begin(), lines.end(),
                     [](const std::string& a, const std::string& b) { return core::CompareText(a, b) < 0; });
    lines.erase(std::unique(lines.begin(), lines.end(),
                            [](const std::string& a, const std::string& b) { return core::SameText(a, b); }),
                lines.end());
    return lines;
}

const std::string* FirstBeginningWith(const core::StringList& table, std::string_view prefix) {
    const auto line = std::find_if(table.begin(), table.end(),
                                   [prefix](const std::string& candidate) { return candidate.starts_with(prefix); });
    return line == table.end() ? nullptr : &*line;
}

// Characters from `start` (0-based), at most `count`; empty past the end.
std::string_view Copy(std::string_view text, std::size_t start, std::size_t count = std::string_view::npos) {
    return start < text.size() ? text.substr(start, count) : std::string_view();
}

// The text after the first blank of a table line.
std::string_view AfterFirstBlank(std::string_view line, std::size_t count) {
    const std::size_t blank = line.find(' ');
    return blank == std::string_view::npos ? std::string_view() : Copy(line, blank + 1, count);
}

// The first segment between two dashes, after the first dash, that is 8 or 9 characters long.
std::optional<std::string_view> AwardIdentifier(std::string_view bios) {
    std::size_t dash = bios.find('-');
    while (dash != std::string_view::npos) {
        const std::size_t next = bios.find('-', dash + 1);
        if (next == std::string_view::npos) {
            break;
        }
        const std::size_t length = next - dash - 1;
        if (length == 8 || length == 9) {
            return bios.substr(dash + 1, length);
        }
        dash = next;
    }
    return std::nullopt;
}

} // namespace

MotherboardTableFiles MotherboardTableFilesOf(const shell::Settings& settings) {
    return {settings.FilePath(shell::Key::AwardBIOScode), settings.FilePath(shell::Key::AmiBIOScode),
            settings.FilePath(shell::Key::ChipSetsCode), settings.FilePath(shell::Key::IntelIDCode),
            settings.FilePath(shell::Key::WinBIOScode)};
}

MotherboardIdentifier::MotherboardIdentifier(MotherboardTableFiles files, core::WorkLog& log)
    : m_files(std::move(files)), m_log(log) {
}

void MotherboardIdentifier::LoadTables() {
    m_award = SortedTable(ReadLines(m_files.award, m_log));
    m_ami = SortedTable(ReadLines(m_files.ami, m_log));
    m_intel = SortedTable(ReadLines(m_files.intel, m_log));
    m_exact = SortedTable(ReadLines(m_files.exact, m_log));
    core::StringList chipsets = ReadLines(m_files.chipsets, m_log);
    const auto amiPart = std::find_if(chipsets.rbegin(), chipsets.rend(), [](const std::string& line) {
                             return line.starts_with(kAmiPartMarker);
                         }).base();
    // Without the marker every line belongs to the AMI part.
    const auto split = amiPart == chipsets.begin() ? chipsets.begin() : std::prev(amiPart);
    m_awardChipsets = SortedTable(core::StringList(chipsets.begin(), split));
    m_amiChipsets = SortedTable(core::StringList(split, chipsets.end()));
    m_loaded = true;
}

std::string MotherboardIdentifier::Motherboard(std::string_view biosString) {
    if (!m_loaded) {
        LoadTables();
    }
    const std::string bios = core::UpperLatin(core::Trim(biosString));
    std::string result;
    if (!m_award.empty() &&
        (bios.starts_with("AWARD") || (bios.starts_with("PHOENIX") && bios.find("AWARD") != std::string::npos))) {
        result = Award(bios);
    }
    if (result.empty() && !m_ami.empty()) {
        result = Ami(bios);
    }
    const std::size_t compaq = bios.find("COMPAQ ");
    const std::size_t asus = bios.find("ASUS ");
    // Positions count from 1 and add up when both words occur.
    const std::size_t overrideAt =
        (compaq == std::string::npos ? 0 : compaq + 1) + (asus == std::string::npos ? 0 : asus + 1);
    if (overrideAt > 0) {
        result = Copy(bios, overrideAt - 1, 255);
    }
    if (result.empty()) {
        result = Intel(bios);
    }
    if (result.empty() && !m_exact.empty()) {
        result = Exact(bios);
    }
    return result;
}

std::string MotherboardIdentifier::Award(const std::string& bios) const {
    std::string result;
    if (const auto identifier = AwardIdentifier(bios)) {
        const std::string manufacturerCode = std::string(Copy(*identifier, 5, 2)) + " ";
        if (const std::string* manufacturer = FirstBeginningWith(m_award, manufacturerCode)) {
            result = std::string(core::Trim(AfterFirstBlank(*manufacturer, 100))) + " ";
            const std::string chipsetCode(core::Trim(identifier->substr(0, 5)));
            if (!m_awardChipsets.empty() && chipsetCode.size() == 5) {
                if (const std::string* chipset = FirstBeginningWith(m_awardChipsets, chipsetCode + " ")) {
                    return result + std::string(core::Trim(Copy(*chipset, 5, 200)));
                }
            }
            result += chipsetCode;
        }
    }
    // The chipset name the BIOS gives itself, between the first two dashes.
    const std::size_t firstDash = bios.find('-');
    if (firstDash == std::string::npos) {
        return result;
    }
    const std::size_t secondDash = bios.find('-', firstDash + 1);
    if (secondDash == std::string::npos || secondDash - firstDash > 12) {
        return result;
    }
    if (result.empty()) {
        result = bios.find('<') != std::string::npos ? "ASUS" : "Unknown";
    }
    return result + " " + bios.substr(firstDash + 1, secondDash - firstDash - 1);
}

std::string MotherboardIdentifier::Ami(const std::string& bios) const {
    const std::size_t dash = bios.find('-');
    if (bios.find("AMIBIOS ") == std::string::npos || dash == std::string::npos || dash < 3 || bios[dash - 3] != ' ') {
        return {};
    }
    // The model text runs from the third blank to the blank three characters before the dash.
    std::string model;
    if (dash + 1 > 30) {
        std::size_t thirdBlank = bios.find(' ');
        for (int n = 1; n < 3 && thirdBlank != std::string::npos; ++n) {
            thirdBlank = bios.find(' ', thirdBlank + 1);
        }
        if (thirdBlank != std::string::npos && thirdBlank <= dash - 3) {
            model = bios.substr(thirdBlank, dash - 3 - thirdBlank + 1);
        }
    }
    const std::string_view afterDash = Copy(bios, dash + 1, 200);
    const std::size_t secondDash = afterDash.find('-');
    if (secondDash == std::string_view::npos) {
        return {};
    }
    std::string result;
    const std::string customerCode = std::string(Copy(afterDash, secondDash + 1, 6)) + " ";
    if (const std::string* customer = FirstBeginningWith(m_ami, customerCode)) {
        result = std::string(core::Trim(AfterFirstBlank(*customer, 80))) + model;
    }
    for (const std::string& line : m_amiChipsets) {
        const std::size_t blank = line.find(' ');
        if (blank == std::string::npos || blank == 0) {
            continue;
        }
        if (bios.find(core::UpperLatin(line.substr(0, blank))) != std::string::npos) {
            return std::string(core::Trim(result + " " + std::string(core::Trim(line.substr(blank)))));
        }
    }
    return result;
}

std::string MotherboardIdentifier::Intel(const std::string& bios) const {
    constexpr std::string_view kMarker = "$IBIOSI$";
    const std::size_t marker = bios.find(kMarker);
    if (marker == std::string::npos) {
        return {};
    }
    const std::string_view identifier = std::string_view(bios).substr(marker + kMarker.size());
    // Both matches name the identifier's first 12 characters, and a shorter identifier would begin many lines.
    constexpr std::size_t kIdentifierLength = 12;
    if (identifier.size() >= kIdentifierLength) {
        if (const std::string* board = FirstBeginningWith(m_intel, identifier.substr(0, kIdentifierLength))) {
            return *board;
        }
        if (const std::string* board = FirstBeginningWith(m_intel, identifier.substr(0, 9))) {
            return std::string(identifier.substr(0, kIdentifierLength)) + " Compatible with " + *board;
        }
    }
    return "Unknown Intel Motherboard " + std::string(identifier);
}

std::string MotherboardIdentifier::Exact(const std::string& bios) const {
    const std::string prefix = bios + "=";
    for (const std::string& line : m_exact) {
        if (core::UpperLatin(line).starts_with(prefix)) {
            return std::string(Copy(line, line.find('=') + 1, 255));
        }
    }
    return {};
}

} // namespace pelgo::archive
