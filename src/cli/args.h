// Command-line arguments of pelgo-cli: positionals and options after the command group, converted from
// the terminal's UTF-8 to cp1251 on request.
#pragma once

#include <map>
#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

namespace pelgo::cli {

// Wrong use of a command: printed with the group's usage, exit code 64.
class UsageError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

class Args {
public:
    // `valued` names the options that take a value (e.g. "--hold"); every other "--x" is a flag. After "--"
    // every argument is positional, so that texts may begin with "--".
    Args(const std::vector<std::string>& raw, const std::vector<std::string>& valued);

    std::size_t Count() const { return m_positional.size(); }
    // UTF-8 positional; throws UsageError when missing.
    const std::string& At(std::size_t i) const;
    // cp1251 form of a positional, for names and values that go into files.
    std::string Cp1251At(std::size_t i) const;
    bool Flag(const std::string& name) const;
    std::optional<std::string> Value(const std::string& name) const;
    void ExpectCount(std::size_t min, std::size_t max) const;
    // Throws UsageError for an option not among `known`: a mistyped option must not be ignored.
    void ExpectOptions(const std::vector<std::string>& known) const;

private:
    std::vector<std::string> m_positional;
    std::map<std::string, std::string> m_options;
};

// Prints a cp1251 text on stdout as UTF-8, every byte of it (a NUL from a foreign file included).
void PrintText(const std::string& cp1251);
// PrintText followed by a line feed.
void PrintLine(const std::string& cp1251);

// Global settings of one run.
struct Context {
    std::string home; // installation folder, cp1251; empty when not given
};

} // namespace pelgo::cli
