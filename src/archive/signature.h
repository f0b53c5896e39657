// The integrity signature of a collector file: 32 running sums over the characters of every line, one sum
// per position modulo 32, written as 8 dash-separated groups of 4 digits or capital letters. The agent
// stores it in [Signature] 0; a file edited by hand no longer matches.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <string_view>

namespace pelgo::core {
class TKelIniFile;
}

namespace pelgo::archive {

// Sums lines into a signature. The arithmetic is addition modulo 42, so the order of the lines does not
// matter.
class SignatureAccumulator {
public:
    SignatureAccumulator();
    // A stored line (key "=" value) after the file's load-time normalisation.
    void AddLine(std::string_view line);
    // "XXXX-XXXX-...": 39 characters.
    std::string Text() const;

private:
    std::array<std::uint64_t, 32> m_sums; // byte totals per position modulo 32
};

// The signature over every section whose name does not contain "Signature" (letter case counts); a key
// repeated in a section counts once, with its last value.
std::string ComputeSignature(core::TKelIniFile& file);
// The value stored in [Signature] 0 (empty when absent).
std::string StoredSignature(core::TKelIniFile& file);
bool SignatureIsValid(core::TKelIniFile& file);

} // namespace pelgo::archive
