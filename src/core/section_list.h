// TSectionList: the sections of a TKelIniFile in file order, each owning its stored lines and an index of their
// keys. Name searches start where the last one succeeded and wrap around, because callers walk a file section
// by section; key lookups go through the index, because a section may hold tens of thousands of keys that are
// read and written one at a time.
#pragma once

#include <cstddef>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "core/custom_ini_file.h"

namespace pelgo::core {

// The key of a stored line: everything before its first "="; a line without "=" is all key.
std::string_view KeyOf(std::string_view line);

// Where the keys of a list of lines stand, compared without regard to case: a key that occurs more than once
// stands for its first line.
class KeyIndex {
public:
    explicit KeyIndex(const StringList& lines);

    std::optional<std::size_t> Find(std::string_view key) const;
    // Records the line at `position`, unless a line with its key is recorded already.
    void Add(std::string_view line, std::size_t position);

private:
    struct Hash {
        using is_transparent = void;
        std::size_t operator()(std::string_view key) const;
    };
    struct Equal {
        using is_transparent = void;
        bool operator()(std::string_view a, std::string_view b) const;
    };
    std::unordered_map<std::string, std::size_t, Hash, Equal> m_positions;
};

// Decides between two sections whose names are equal without regard to case: true keeps the earlier one,
// false keeps the later one. Called with the earlier section's name.
using DuplicateSectionHandler =
    std::function<bool(const std::string& name, const StringList& earlierLines, const StringList& laterLines)>;

class TSectionList {
public:
    std::size_t Count() const { return m_sections.size(); }
    // Names are kept exactly as written between the brackets.
    const std::string& Name(std::size_t index) const { return m_sections[index].name; }
    const StringList& Lines(std::size_t index) const { return m_sections[index].lines; }

    // The section whose name matches without regard to case, searched from the last hit round the list once.
    std::optional<std::size_t> IndexOf(std::string_view name);
    // Appends a section, which becomes the starting point of the next search.
    std::size_t Add(std::string name, StringList lines = {});
    void Delete(std::size_t index);
    void Clear();

    // The section's first line whose key matches without regard to case, or null.
    const std::string* FindKeyLine(std::size_t index, std::string_view key);
    // `line` is `key` "=" value: it replaces the key's first line, or is appended when the key has none.
    // False when that line was `line` already, byte for byte.
    bool WriteKeyLine(std::size_t index, std::string_view key, std::string line);
    // Removes the key's first line; false when the key has none.
    bool DeleteKeyLine(std::size_t index, std::string_view key);

    // Keeps one section of every group whose names are equal without regard to case: the earliest one, unless
    // `handler` prefers the later of a pair. Survivors keep their file order; the others' lines are dropped.
    void RemoveDuplicates(const DuplicateSectionHandler& handler);

private:
    struct Section {
        std::string name;
        StringList lines;
        // Built at the first key lookup, so that loading and the many sections nobody looks into stay cheap;
        // kept up to date by appends and replacements, dropped when a line is removed.
        std::optional<KeyIndex> keys;
    };
    static KeyIndex& KeysOf(Section& section);

    std::vector<Section> m_sections;
    std::size_t m_lastFound = 0;
};

} // namespace pelgo::core
