// What changed on a computer since its last load: the archived configuration beside the collector file as
// it lies on disk now, section by section.
#pragma once

#include <string>
#include <vector>

#include "archive/computer_view.h"
#include "archive/view_tree.h"

namespace pelgo::core {
class TKelIniFile;
}

namespace pelgo::archive {

struct ValueChange {
    enum class Kind { Added, Removed, Changed };
    Kind kind;
    std::string section;
    std::string key;
    std::string oldValue; // empty for an added value
    std::string newValue; // empty for a removed value
};

// The differences of the archive's records (journal and file-name records left out) and the file's
// sections, in the file's section order, sections only archived after them.
std::vector<ValueChange> CompareConfiguration(const std::vector<ArchiveRecord>& archived, const core::TKelIniFile& file);

// The differences as a view tree: a line per section with changes, a line per change under it.
ViewTree ChangesTree(const std::vector<ValueChange>& changes);

} // namespace pelgo::archive
