// Address-prefix lookups in the adapter-vendor list.
#include "archive/address_list.h"

#include "core/cp1251.h"
#include "core/errors.h"
#include "core/file.h"
#include "core/text.h"

namespace pelgo::archive {
namespace {

constexpr std::size_t kProbeStep = 100;

std::string Prefix(std::string_view address) {
    return core::UpperLatin(address.substr(0, 6));
}

} // namespace

AddressList AddressList::Load(const std::string& path) {
    std::vector<std::string> lines;
    try {
        const std::string text = core::ReadFileBytes(path);
        for (const std::string_view line : core::SplitLines(text)) {
            lines.emplace_back(line);
        }
    } catch (const core::Error&) {
        lines.clear(); // no list: no hints, no vendors
    }
    return AddressList(std::move(lines));
}

std::string AddressList::HintFor(std::string_view address) const {
    const std::string prefix = Prefix(address);
    if (prefix.empty()) {
        return {};
    }
    std::size_t start = 0;
    std::size_t end = m_lines.size();
    for (std::size_t probe = 0; probe < m_lines.size(); probe += kProbeStep) {
        const std::string& line = m_lines[probe];
        if (line.starts_with(prefix)) {
            start = probe;
            break;
        }
        if (line > prefix) {
            end = probe;
            break;
        }
        start = probe;
    }
    for (std::size_t i = start; i < end; ++i) {
        if (m_lines[i].starts_with(prefix)) {
            return std::string(core::Trim(m_lines[i]));
        }
    }
    return {};
}

std::string AddressList::VendorOf(std::string_view address) const {
    const std::string prefix = Prefix(address);
    if (prefix.empty()) {
        return {};
    }
    for (const std::string& line : m_lines) {
        if (line.starts_with(prefix)) {
            return std::string(core::Trim(std::string_view(line).substr(std::min<std::size_t>(6, line.size()))));
        }
    }
    return {};
}

} // namespace pelgo::archive
