// Trimming, number parsing and rounding.
#include "core/text.h"
#include <algorithm>
#include <charconv>
#include <cmath>
#include <limits>

namespace pelgo::core {
namespace {
bool IsBlank(char c) {
    return static_cast<unsigned char>(c) < 33;
}
} // namespace

std::string ControlsAsBlanks(std::string_view text) {
    std::string result(text);
    std::replace_if(result.begin(), result.end(), [](char c) { return static_cast<unsigned char>(c) < 32; }, ' ');
    return result;
}

std::string_view TrimLeft(std::string_view text) {
    while (!text.empty() && IsBlank(text.front())) {
        text.remove_prefix(1);
    }
    return text;
}

std::string_view TrimRight(std::string_view text) {
    while (!text.empty() && IsBlank(text.back())) {
        text.remove_suffix(1);
    }
    return text;
}

std::string_view Trim(std::string_view text) {
    return TrimRight(TrimLeft(text));
}

std::optional<int> ParseInt(std::string_view text) {
    bool negative = false;
    if (!text.empty() && (text.front() == '-' || text.front() == '+')) {
        negative = text.front() == '-';
        text.remove_prefix(1);
    }
    int base = 10;
    if (!text.empty() && text.front() == '$') {
        base = 16;
        text.remove_prefix(1);
    }
    if (text.empty()) {
        return std::nullopt;
    }
    long long magnitude = 0;
    const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), magnitude, base);
    if (ec != std::errc() || end != text.data() + text.size() || magnitude < 0) {
        return std::nullopt;
    }
    // Hexadecimal texts may spell a full 32-bit pattern ("$FFFFFFFF" is -1), as the classic runtime allowed.
    if (base == 16 && magnitude > std::numeric_limits<int>::max() && magnitude <= 0xFFFFFFFFLL) {
        magnitude -= 0x100000000LL;
    }
    const long long value = negative ? -magnitude : magnitude;
    if (value < std::numeric_limits<int>::min() || value > std::numeric_limits<int>::max()) {
        return std::nullopt;
    }
    return static_cast<int>(value);
}

long long RoundHalfEven(double value) {
    return static_cast<long long>(std::nearbyint(value));
}

std::vector<std::string_view> SplitLines(std::string_view text) {
    std::vector<std::string_view> lines;
    std::size_t start = 0;
    for (std::size_t end = 0; end < text.size(); ++end) {
        if (text[end] != '\r' && text[end] != '\n') {
            continue;
        }
        lines.push_back(text.substr(start, end - start));
        if (text[end] == '\r' && end + 1 < text.size() && text[end + 1] == '\n') {
            ++end;
        }
        start = end + 1;
    }
    if (start < text.size()) {
        lines.push_back(text.substr(start));
    }
    return lines;
}

std::string ReplaceAll(std::string_view text, std::string_view from, std::string_view to) {
    std::string out;
    out.reserve(text.size());
    std::size_t pos = 0;
    while (true) {
        const std::size_t hit = text.find(from, pos);
        if (hit == std::string_view::npos) {
            out.append(text.substr(pos));
            return out;
        }
        out.append(text.substr(pos, hit - pos));
        out.append(to);
        pos = hit + from.size();
    }
}

} // namespace pelgo::core
