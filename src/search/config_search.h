// The search in the collector agent's configuration files: a list of ticked directories, the section to look
// in, and a position kept between calls, so that "Дальше..." goes on with the file after the last hit. The
// lines of the output window ("Подробности") are collected here; the window shows them.
#pragma once

#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "core/date_time.h"
#include "search/text_match.h"

namespace pelgo::search {

struct SearchDirectory {
    std::string path; // cp1251, as given (the trailing "/" dropped in headings)
    bool ticked = true;
};

// The sections the settings dialog offers; the first is the default.
const std::vector<std::string>& ConfigSections();

// Section names as collector files write them and as the user picks them compare with case ignored and a
// blank and "_" alike: "WINDOWS Soft" finds [Windows_Soft].
bool SameSectionName(std::string_view a, std::string_view b);

// Where a search stands between calls.
struct SearchPosition {
    std::size_t directory = 0;
    std::vector<std::string> files; // names in the current directory, in name order with case ignored
    long file = -1;                 // the next file's index; -1 while the directory is not listed yet
};

struct ConfigHit {
    std::string directory; // as in the list
    std::string name;
    std::size_t index = 0; // the file's place in its directory, from 0
    std::size_t count = 0; // files in that directory
    std::string mac;       // [Info] MAC_Addr of the file
    std::string inventory; // [Info] InventoryNumber of the file
};

// What Find reports to its caller.
struct FindOutcome {
    bool found = false;
    // Yes/No question offering to find the computer in the tree ("Найти " ... " ?"); empty when the MAC address
    // and the inventory number together have no more than 12 characters.
    std::string question;
    // What the tree search looks for on Yes: the inventory number, else the MAC address.
    std::string treeText;
    // Set when the directory list is empty: the settings dialog's title, " :", a line break and message 4150.
    std::string message;
};

class ConfigSearch {
public:
    std::vector<SearchDirectory> directories; // filled by the caller from [UpdPatches], all ticked
    std::string section = "INFO";

    // The search of the dialog's "C начала" (continued = false) or "Дальше..." (true). `now` dates the
    // continuation line; `processEvents` runs after each directory.
    FindOutcome Find(std::string_view text, bool matchCase, bool continued, const core::DateTime& now,
                     const std::function<void()>& processEvents = {});

    // The output window's lines (cp1251) collected so far, and the line its view opens at after a hit.
    const std::vector<std::string>& Output() const { return m_output; }
    std::size_t ScrollLine() const { return m_scrollLine; }
    // The last hit (empty before a search and after one that found nothing).
    const ConfigHit& LastHit() const { return m_lastHit; }
    const SearchPosition& Position() const { return m_position; }

private:
    bool StartFind(const TextMatcher& matcher, std::string_view text, bool continued, const core::DateTime& now,
                   const std::function<void()>& processEvents, FindOutcome& outcome);
    // One directory from the position on: true when it was searched to its end.
    bool SubFind(const TextMatcher& matcher);
    bool FindInFile(const TextMatcher& matcher, const std::string& directory, const std::string& name);

    SearchPosition m_position;
    std::vector<std::string> m_output;
    std::size_t m_scrollLine = 0;
    ConfigHit m_lastHit;
};

} // namespace pelgo::search
