// The adapter-vendor list as the archive update reads it: one line per 6-character address prefix, sorted by
// prefix, loaded once. An address's line gives the "MAC_Hint" of [Info] and the vendor of an adapter the
// computer's configuration does not list.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace pelgo::archive {

class AddressList {
public:
    AddressList() = default;
    explicit AddressList(std::vector<std::string> lines) : m_lines(std::move(lines)) {}
    // The list in the cp1251 text file at `path`; a missing or unreadable file gives an empty list.
    static AddressList Load(const std::string& path);

    // The line of an address's prefix (its first 6 characters, upper-cased), trimmed; empty when the list has
    // none. Every 100th line is probed first, so that a long list is searched in a short range.
    std::string HintFor(std::string_view address) const;
    // The vendor of an address's prefix: the first line beginning with it, from its 7th character, trimmed;
    // empty when the list has none.
    std::string VendorOf(std::string_view address) const;

    bool Empty() const { return m_lines.empty(); }

private:
    std::vector<std::string> m_lines;
};

} // namespace pelgo::archive
