// Line formats of the tree files, the consistent read and the commit.
#include "structure/tree_files.h"

#include <algorithm>

#include "core/text.h"

namespace pelgo::structure {
namespace {

constexpr std::size_t kFieldLookAhead = 255; // bytes looked at after a delimiter
constexpr std::string_view kCommentMarker = ";Comment;";

std::string TempName(const std::string& file) {
    return file + std::string(kTempExtension);
}

TreeFileContent ReadContent(bool exists, core::LockedFile* file) {
    TreeFileContent content{exists, std::nullopt};
    if (file != nullptr) {
        try {
            content.bytes = file->ReadAll();
        } catch (const core::FileError&) {
            content.bytes.reset();
        }
    }
    return content;
}

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
    parsed.comment = line.substr(first + kCommentMarker.size(), kFieldLookAhead);
    return parsed;
}

void AppendAddDataLine(std::string& out, int index, std::string_view comment) {
    out += std::to_string(index);
    out += kCommentMarker;
    out += comment;
    out += "\r\n";
}

bool AnyTempFilePresent(const TreeFilePaths& paths) {
    for (const std::string& path : paths.All()) {
        if (core::FileExists(TempName(path))) {
            return true;
        }
    }
    return false;
}

std::optional<TreeFileSet> ReadConsistentSet(const TreeFilePaths& paths) {
    const auto names = paths.All();
    std::array<bool, 3> exists{};
    std::array<std::optional<core::LockedFile>, 3> files;
    for (std::size_t i = 0; i < names.size(); ++i) {
        exists[i] = core::FileExists(names[i]);
        if (exists[i]) {
            files[i] = core::LockedFile::Open(names[i], core::LockedFile::Access::Read, false);
        }
    }
    // The order of the checks matters: a commit half done when the last file was opened leaves a ".tmp"
    // until after a file opened here has been replaced.
    if (AnyTempFilePresent(paths)) {
        return std::nullopt;
    }
    for (std::size_t i = 0; i < names.size(); ++i) {
        if (files[i]) {
            const auto stamp = core::StampOf(names[i]);
            if (!stamp || stamp->inode != files[i]->Stamp().inode) {
                return std::nullopt;
            }
        } else if (core::FileExists(names[i]) != exists[i]) {
            return std::nullopt;
        }
    }
    return TreeFileSet{ReadContent(exists[0], files[0] ? &*files[0] : nullptr),
                       ReadContent(exists[1], files[1] ? &*files[1] : nullptr),
                       ReadContent(exists[2], files[2] ? &*files[2] : nullptr)};
}

TreeFileSet ReadSetAsItIs(const TreeFilePaths& paths) {
    const auto read = [](const std::string& path) {
        auto file = core::LockedFile::Open(path, core::LockedFile::Access::Read, false);
        return ReadContent(core::FileExists(path), file ? &*file : nullptr);
    };
    return {read(paths.treeText), read(paths.image), read(paths.addData)};
}

bool CommitTreeFile(const std::string& file, const std::function<bool(std::string_view, std::string_view)>& rename) {
    const std::string temp = TempName(file);
    const std::string previous = file + std::string(kPreviousExtension);
    if (!core::FileExists(temp)) {
        return false;
    }
    if (core::FileExists(file)) {
        core::RemoveFile(previous);
        rename(file, previous);
    }
    rename(temp, file);
    if (!core::FileExists(file)) {
        return false;
    }
    core::RemoveFile(previous);
    core::RemoveFile(temp);
    return true;
}

} // namespace pelgo::structure
