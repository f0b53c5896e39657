// Line formats of the tree files.
#include "structure/tree_files.h"

#include <algorithm>

#include "core/text.h"

namespace pelgo::structure {
namespace {

constexpr std::size_t kFieldLookAhead = 255; // bytes looked at after a delimiter
constexpr std::string_view kCommentMarker = ";Comment;";

} // namespace

TreeFormatError::TreeFormatError(int lineNumber, int level, std::string_view text)
    : core::Error("line " + std::to_string(lineNumber) + ": Invalid level (" + std::to_string(level) + ") for item \"" +
                  std::string(text) + "\""),
      m_lineNumber(lineNumber) {
}

std::vector<TreeTextLine> ParseTreeText(std::string_view text) {
    std::vector<TreeTextLine> lines;
    int previousLevel = -1;
    for (const std::string_view line : core::SplitLines(text)) {
        const std::size_t indent = std::min(line.find_first_not_of("\t "), line.size());
        const int level = static_cast<int>(indent);
        if (level > previousLevel + 1) {
            throw TreeFormatError(static_cast<int>(lines.size()) + 1, level, line.substr(indent));
        }
        lines.push_back({level, line.substr(indent)});
        previousLevel = level;
    }
    return lines;
}

void AppendTreeTextLine(std::string& out, int level, std::string_view text) {
    out.append(static_cast<std::size_t>(level), '\t');
    out += text;
    out += "\r\n";
}

ImageLine ParseImageLine(std::string_view line) {
    ImageLine parsed;
    if (line.starts_with(';')) {
        parsed.comment = true;
        return parsed;
    }
    const std::size_t first = line.find(';');
    parsed.icon = core::ParseInt(core::Trim(line.substr(0, first)));
    if (first == std::string_view::npos) {
        return parsed;
    }
    const std::string_view rest = line.substr(first + 1, kFieldLookAhead);
    const std::size_t second = rest.find(';');
    if (second == std::string_view::npos) {
        return parsed;
    }
    parsed.uno = core::Trim(rest.substr(0, second));
    parsed.unoState = parsed.uno.size() == 12 ? ImageLine::Uno::Valid : ImageLine::Uno::Invalid;
    return parsed;
}

void AppendImageLine(std::string& out, int icon, std::string_view uno, std::string_view text) {
    out += std::to_string(icon);
    out += " ; ";
    out += uno;
    out += " ;";
    out += text;
    out += "\r\n";
}

AddDataLine ParseAddDataLine(std::string_view line) {
    AddDataLine parsed;
    const std::size_t first = line.find(';');
    if (first == std::string_view::npos) {
        return parsed;
    }
    const std::optional<int> index = core::ParseInt(core::Trim(line.substr(0, first)));
    if (!index) {
        parsed.kind = AddDataLine::Kind::BadIndex;
        return parsed;
    }
    if (!line.substr(first).starts_with(kCommentMarker)) {
        return parsed;
    }
    parsed.kind = AddDataLine::Kind::Comment;
    parsed.index = *index;
    parsed.comment = line.substr(first + kCommentMarker.size(), kCommentLineMax);
    return parsed;
}

void AppendAddDataLine(std::string& out, int index, std::string_view comment) {
    out += std::to_string(index);
    out += kCommentMarker;
    out += comment;
    out += "\r\n";
}

} // namespace pelgo::structure
