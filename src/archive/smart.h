// The disks' self-monitoring data: the attribute table (the file named by SmartCode, one section of names per
// language) and the lines of the section S.M.A.R.T. shown as one line per disk channel with its attributes.
#pragma once

#include <array>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "archive/view_tree.h"

namespace pelgo::archive {

class SmartTable {
public:
    static constexpr int kLastAttribute = 256;

    // The table in the language its [Main] ParamName names; nullopt when the file does not exist.
    static std::optional<SmartTable> Load(const std::string& path);

    // "[" n "] " name " :"; a number outside 0..256 gets the unknown attribute's name.
    std::string DisplayName(int number) const;
    // The captions of "<V>", "<W>", "<T>", "<R>", in that order.
    const std::array<std::string, 4>& Captions() const { return m_captions; }

private:
    std::vector<std::string> m_names; // 257 display names
    std::string m_unknown;
    std::array<std::string, 4> m_captions;
};

// ShowSMART: `lines` (key "=" text, the group's records in stored order) under the section's line
// `sectionLine`: a disk line per channel that has its _Info line, its attributes decoded under it. Without a
// table only the disk lines are shown.
void ShowSMART(const std::vector<std::string>& lines, const SmartTable* table, ViewTree& tree, int sectionLine);
// DecodeSMART: one attribute line under `parent` with a line per tagged value; returns the text after "=".
// Adds nothing without a table.
std::string DecodeSMART(std::string_view line, const SmartTable* table, ViewTree& tree, int parent);

// "IDE " + "Primary "/"Secondary " + "Master"/"Slave" for channels 0..3.
std::string SmartChannelName(int channel);

} // namespace pelgo::archive
