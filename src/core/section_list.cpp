// Section lookup with a remembered position, key lookup through each section's index, and the merge of
// duplicate sections after loading.
#include "core/section_list.h"

#include <algorithm>
#include <cstdint>
#include <numeric>

#include "core/cp1251.h"

namespace pelgo::core {
namespace {

// FNV-1a of the folded name: names equal without regard to case hash equally.
std::uint64_t FoldedHash(std::string_view name) {
    std::uint64_t hash = 14695981039346656037ULL;
    for (const char c : name) {
        hash = (hash ^ static_cast<unsigned char>(FoldCase(c))) * 1099511628211ULL;
    }
    return hash;
}

} // namespace

std::string_view KeyOf(std::string_view line) {
    return line.substr(0, line.find('='));
}

std::size_t KeyIndex::Hash::operator()(std::string_view key) const {
    return static_cast<std::size_t>(FoldedHash(key));
}

bool KeyIndex::Equal::operator()(std::string_view a, std::string_view b) const {
    return SameText(a, b);
}

KeyIndex::KeyIndex(const StringList& lines) {
    m_positions.reserve(lines.size());
    for (std::size_t position = 0; position < lines.size(); ++position) {
        Add(lines[position], position);
    }
}

std::optional<std::size_t> KeyIndex::Find(std::string_view key) const {
    const auto found = m_positions.find(key);
    return found == m_positions.end() ? std::nullopt : std::optional(found->second);
}

void KeyIndex::Add(std::string_view line, std::size_t position) {
    m_positions.try_emplace(std::string(KeyOf(line)), position);
}

std::optional<std::size_t> TSectionList::IndexOf(std::string_view name) {
    const std::size_t count = m_sections.size();
    for (std::size_t step = 0; step < count; ++step) {
        const std::size_t index = (m_lastFound + step) % count;
        if (SameText(m_sections[index].name, name)) {
            m_lastFound = index;
            return index;
        }
    }
    return std::nullopt;
}

std::size_t TSectionList::Add(std::string name, StringList lines) {
    m_sections.push_back(Section{std::move(name), std::move(lines), std::nullopt});
    m_lastFound = m_sections.size() - 1;
    return m_lastFound;
}

void TSectionList::Delete(std::size_t index) {
    m_sections.erase(m_sections.begin() + static_cast<std::ptrdiff_t>(index));
    m_lastFound = 0;
}

void TSectionList::Clear() {
    m_sections.clear();
    m_lastFound = 0;
}

KeyIndex& TSectionList::KeysOf(Section& section) {
    if (!section.keys) {
        section.keys.emplace(section.lines);
    }
    return *section.keys;
}

const std::string* TSectionList::FindKeyLine(std::size_t index, std::string_view key) {
    Section& section = m_sections[index];
    const auto position = KeysOf(section).Find(key);
    return position ? &section.lines[*position] : nullptr;
}

bool TSectionList::WriteKeyLine(std::size_t index, std::string_view key, std::string line) {
    Section& section = m_sections[index];
    KeyIndex& keys = KeysOf(section);
    if (const auto position = keys.Find(key)) {
        // The line keeps its key but for letter case, so the index stays right.
        std::string& stored = section.lines[*position];
        if (stored == line) {
            return false;
        }
        stored = std::move(line);
        return true;
    }
    keys.Add(line, section.lines.size());
    section.lines.push_back(std::move(line));
    return true;
}

bool TSectionList::DeleteKeyLine(std::size_t index, std::string_view key) {
    Section& section = m_sections[index];
    const auto position = KeysOf(section).Find(key);
    if (!position) {
        return false;
    }
    section.lines.erase(section.lines.begin() + static_cast<std::ptrdiff_t>(*position));
    // Every later line has moved up, and a repeated key now stands for a later line of its own.
    section.keys.reset();
    return true;
}

void TSectionList::RemoveDuplicates(const DuplicateSectionHandler& handler) {
    if (m_sections.size() < 2) {
        return;
    }
    // Most files have no duplicates, and distinct hashes prove it far quicker than sorting the names.
    std::vector<std::uint64_t> hashes;
    hashes.reserve(m_sections.size());
    for (const Section& section : m_sections) {
        hashes.push_back(FoldedHash(section.name));
    }
    std::sort(hashes.begin(), hashes.end());
    if (std::adjacent_find(hashes.begin(), hashes.end()) == hashes.end()) {
        return;
    }

    // Equal names sort in file order, so each group is walked from its earliest section on.
    std::vector<std::size_t> order(m_sections.size());
    std::iota(order.begin(), order.end(), std::size_t{0});
    std::sort(order.begin(), order.end(), [this](std::size_t a, std::size_t b) {
        const int byName = CompareText(Name(a), Name(b));
        return byName < 0 || (byName == 0 && a < b);
    });

    std::vector<bool> discarded(m_sections.size(), false);
    bool anyDiscarded = false;
    for (std::size_t first = 0; first < order.size();) {
        std::size_t survivor = order[first];
        std::size_t next = first + 1;
        for (; next < order.size() && SameText(Name(order[next]), Name(survivor)); ++next) {
            const std::size_t later = order[next];
            if (handler && !handler(Name(survivor), Lines(survivor), Lines(later))) {
                discarded[survivor] = true;
                survivor = later;
            } else {
                discarded[later] = true;
            }
            anyDiscarded = true;
        }
        first = next;
    }
    if (!anyDiscarded) {
        return;
    }
    std::vector<Section> survivors;
    survivors.reserve(m_sections.size());
    for (std::size_t i = 0; i < m_sections.size(); ++i) {
        if (!discarded[i]) {
            survivors.push_back(std::move(m_sections[i]));
        }
    }
    m_sections = std::move(survivors);
    m_lastFound = 0;
}

} // namespace pelgo::core
