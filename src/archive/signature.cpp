// Computing and checking the collector file's signature.
#include "archive/signature.h"

#include <algorithm>
#include <unordered_map>

#include "archive/collector_file.h"
#include "core/cp1251.h"
#include "core/kel_ini_file.h"

namespace pelgo::archive {
namespace {

constexpr int kStart = '0';
constexpr int kHighest = 'Z';
constexpr int kFold = 42;
constexpr std::string_view kSignatureSection = "Signature";

} // namespace

SignatureAccumulator::SignatureAccumulator() {
    m_sums.fill(0);
}

void SignatureAccumulator::AddLine(std::string_view line) {
    for (std::size_t p = 0; p < line.size(); ++p) {
        m_sums[p % m_sums.size()] += static_cast<unsigned char>(line[p]);
    }
}

std::string SignatureAccumulator::Text() const {
    std::string text;
    for (std::size_t i = 0; i < m_sums.size(); ++i) {
        // Each accumulator starts at '0' and, after every added character, drops by 42 while above 'Z': once
        // anything was added it lies in 'Z'-41 .. 'Z', so only the total modulo 42 matters.
        int accumulator = kStart;
        if (m_sums[i] > 0) {
            const int lowest = kHighest - kFold + 1;
            accumulator = lowest + static_cast<int>((kStart + m_sums[i] - lowest) % kFold);
        }
        // The punctuation between '9' and 'A' is moved down into the digits.
        if (accumulator > '9' && accumulator < 'A') {
            accumulator -= 9;
        }
        text += static_cast<char>(accumulator);
        if (i % 4 == 3 && i + 1 < m_sums.size()) {
            text += '-';
        }
    }
    return text;
}

std::string ComputeSignature(core::TKelIniFile& file) {
    SignatureAccumulator accumulator;
    std::unordered_map<std::string, std::string_view> lastLineOfKey;
    for (const StoredSection& section : StoredSections(file)) {
        if (section.name.find(kSignatureSection) != std::string::npos) {
            continue;
        }
        lastLineOfKey.clear();
        for (const std::string& line : section.lines) {
            std::string key = line.substr(0, line.find('='));
            std::transform(key.begin(), key.end(), key.begin(), core::FoldCase);
            lastLineOfKey[std::move(key)] = line;
        }
        for (const auto& [key, line] : lastLineOfKey) {
            accumulator.AddLine(line);
        }
    }
    return accumulator.Text();
}

std::string StoredSignature(core::TKelIniFile& file) {
    return file.ReadString(std::string(kSignatureSection), "0", "");
}

bool SignatureIsValid(core::TKelIniFile& file) {
    return StoredSignature(file) == ComputeSignature(file);
}

} // namespace pelgo::archive
