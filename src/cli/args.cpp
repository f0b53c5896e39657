// Argument parsing shared by every command group.
#include "cli/args.h"

#include <algorithm>
#include <cstdio>

#include "core/cp1251.h"

namespace pelgo::cli {

Args::Args(const std::vector<std::string>& raw, const std::vector<std::string>& valued) {
    bool optionsEnded = false;
    for (std::size_t i = 0; i < raw.size(); ++i) {
        const std::string& arg = raw[i];
        if (!optionsEnded && arg == "--") {
            optionsEnded = true;
        } else if (!optionsEnded && arg.size() > 2 && arg.starts_with("--")) {
            if (std::find(valued.begin(), valued.end(), arg) != valued.end()) {
                if (i + 1 >= raw.size()) {
                    throw UsageError(arg + " needs a value");
                }
                m_options[arg] = raw[++i];
            } else {
                m_options[arg] = "";
            }
        } else {
            m_positional.push_back(arg);
        }
    }
}

const std::string& Args::At(std::size_t i) const {
    if (i >= m_positional.size()) {
        throw UsageError("missing argument");
    }
    return m_positional[i];
}

std::string Args::Cp1251At(std::size_t i) const {
    return core::Utf8ToCp1251(At(i));
}

bool Args::Flag(const std::string& name) const {
    return m_options.contains(name);
}

std::optional<std::string> Args::Value(const std::string& name) const {
    const auto it = m_options.find(name);
    if (it == m_options.end()) {
        return std::nullopt;
    }
    return it->second;
}

void Args::ExpectCount(std::size_t min, std::size_t max) const {
    if (m_positional.size() < min) {
        throw UsageError("missing argument");
    }
    if (m_positional.size() > max) {
        throw UsageError("too many arguments");
    }
}

void Args::ExpectOptions(const std::vector<std::string>& known) const {
    for (const auto& [name, value] : m_options) {
        if (std::find(known.begin(), known.end(), name) == known.end()) {
            throw UsageError("unknown option " + name);
        }
    }
}

void PrintText(const std::string& cp1251) {
    const std::string utf8 = core::Cp1251ToUtf8(cp1251);
    std::fwrite(utf8.data(), 1, utf8.size(), stdout);
}

void PrintLine(const std::string& cp1251) {
    PrintText(cp1251);
    std::fputc('\n', stdout);
}

} // namespace pelgo::cli
