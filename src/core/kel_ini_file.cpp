// Loading with the line normalisation, in-memory reads and writes, and the one-pass write-back.
#include "core/kel_ini_file.h"

#include <iterator>

#include "core/cp1251.h"
#include "core/errors.h"
#include "core/text.h"

namespace pelgo::core {
namespace {

bool IsSpaceOrTab(char c) {
    return c == ' ' || c == '\t';
}

// A stored line without "=" is all key and no value.
std::string_view ValueOf(std::string_view line) {
    const std::size_t equals = line.find('=');
    return equals == std::string_view::npos ? std::string_view() : line.substr(equals + 1);
}

// The rare line that holds bare LFs: copies the runs between them.
std::string WithoutLineFeeds(std::string_view raw) {
    std::string line;
    for (std::size_t lf = raw.find('\n'); lf != std::string_view::npos; lf = raw.find('\n')) {
        line.append(raw.substr(0, lf));
        raw.remove_prefix(lf + 1);
    }
    line.append(raw);
    return line;
}

} // namespace

TKelIniFile::TKelIniFile(std::string fileName, bool readOnly, DuplicateSectionHandler onDuplicate)
    : TKelIniFile(std::move(fileName), true, true, true, true, true, readOnly, std::move(onDuplicate)) {
}

TKelIniFile::TKelIniFile(std::string fileName, bool trimRight, bool stripQuotes, bool stripBlanksAtEquals,
                         bool keysOnly, bool skipComments, bool readOnly, DuplicateSectionHandler onDuplicate)
    : m_fileName(std::move(fileName)), m_readOnly(readOnly),
      m_onDuplicate(std::move(onDuplicate)), m_options{trimRight, stripQuotes, stripBlanksAtEquals, keysOnly,
                                                       skipComments} {
    Load();
}

TKelIniFile::~TKelIniFile() {
    try {
        UpdateFile();
    } catch (...) {
        // A destructor must not throw; callers that care about write errors call UpdateFile themselves.
    }
}

void TKelIniFile::Load() {
    m_file.reset();
    m_sections.Clear();
    if (m_fileName.empty() || !FileExists(m_fileName)) {
        return;
    }
    auto file =
        LockedFile::Open(m_fileName, m_readOnly ? LockedFile::Access::Read : LockedFile::Access::ReadWrite, false);
    if (!file || (!m_readOnly && !file->TryLock(LockedFile::LockKind::Exclusive))) {
        throw CannotOpenFile(m_fileName);
    }
    const std::string bytes = file->ReadAll();

    // Lines are gathered per section and moved in when the section ends, so that each section's list is
    // allocated once at its final size.
    std::optional<std::string> section;
    StringList pending;
    const auto endSection = [&] {
        if (section) {
            m_sections.Add(std::move(*section), StringList(std::make_move_iterator(pending.begin()),
                                                           std::make_move_iterator(pending.end())));
        }
        pending.clear();
    };
    const auto addLine = [&](std::string_view line) {
        switch (KindOf(line)) {
        case LineKind::Header:
            endSection();
            section = std::string(line.substr(1, line.size() - 2));
            break;
        case LineKind::Key:
            if (section) {
                pending.push_back(NormalisedKeyLine(line));
            }
            break;
        case LineKind::Ignored:
            break;
        }
    };

    // A line ends at CR only and loses every LF, so a file with bare LF line ends is one long line.
    std::string_view rest(bytes);
    while (!rest.empty()) {
        const std::size_t cr = rest.find('\r');
        std::string_view raw = rest.substr(0, cr);
        rest.remove_prefix(cr == std::string_view::npos ? rest.size() : cr + 1);
        if (raw.starts_with('\n')) {
            raw.remove_prefix(1); // the LF of a CR LF pair: the common case needs no copy
        }
        if (raw.find('\n') == std::string_view::npos) {
            addLine(raw);
        } else {
            addLine(WithoutLineFeeds(raw));
        }
    }
    endSection();

    m_sections.RemoveDuplicates(m_onDuplicate);
    if (!m_readOnly) {
        m_file = std::move(file);
    }
}

TKelIniFile::LineKind TKelIniFile::KindOf(std::string_view line) const {
    if (line.empty() || line == "\x1A" || (m_options.skipComments && line.front() == ';')) {
        return LineKind::Ignored;
    }
    // Headers are recognised on the raw line: "[ A ]" names " A ", and "[A] " is no header at all.
    if (line.front() == '[' && line.back() == ']') {
        return LineKind::Header;
    }
    return m_options.keysOnly && line.find('=') == std::string_view::npos ? LineKind::Ignored : LineKind::Key;
}

std::string TKelIniFile::NormalisedKeyLine(std::string_view line) const {
    const std::size_t equals = line.find('=');
    if (equals == std::string_view::npos) {
        return std::string(m_options.trimRight ? TrimRight(line) : line);
    }
    std::string_view key = line.substr(0, equals);
    std::string_view value = line.substr(equals + 1);
    if (m_options.stripBlanksAtEquals) {
        while (!key.empty() && IsSpaceOrTab(key.back())) {
            key.remove_suffix(1);
        }
        // A key made only of blanks leaves "=" first, and then the value keeps its leading blanks.
        while (!key.empty() && !value.empty() && IsSpaceOrTab(value.front())) {
            value.remove_prefix(1);
        }
    }
    if (m_options.trimRight) {
        value = TrimRight(value); // "=" is no blank, so trimming the line never reaches the key
    }
    const bool quoted =
        value.size() >= 2 && (value.front() == '"' || value.front() == '\'') && value.back() == value.front();
    if (m_options.stripQuotes && !key.empty() && quoted) {
        value = value.substr(1, value.size() - 2);
    }
    std::string normalised;
    normalised.reserve(key.size() + 1 + value.size());
    normalised.append(key).append(1, '=').append(value);
    return normalised;
}

std::optional<std::size_t> TKelIniFile::FindSection(const std::string& section, bool create) {
    if (const auto index = m_sections.IndexOf(section)) {
        return index;
    }
    if (!create) {
        return std::nullopt;
    }
    return m_sections.Add(section);
}

std::string TKelIniFile::ReadString(const std::string& section, const std::string& key,
                                    const std::string& defaultValue) {
    const auto index = FindSection(section, false);
    if (!index) {
        return defaultValue;
    }
    const std::string* line = m_sections.FindKeyLine(*index, key);
    return line ? std::string(ValueOf(*line)) : defaultValue;
}

void TKelIniFile::WriteString(const std::string& section, const std::string& key, const std::string& value) {
    if (key.empty()) {
        if (section.empty() && value.empty()) {
            UpdateFile();
        } else {
            EraseSection(section);
        }
        return;
    }
    // Lines are compared byte for byte: a key written in another letter case takes over the stored spelling.
    if (m_sections.WriteKeyLine(*FindSection(section, true), key, key + "=" + value)) {
        m_modified = true;
    }
}

void TKelIniFile::ReadSection(const std::string& section, StringList& target) {
    if (const auto index = FindSection(section, false)) {
        for (const std::string& line : m_sections.Lines(*index)) {
            target.emplace_back(KeyOf(line));
        }
    }
}

void TKelIniFile::ForEachKeyValue(const std::string& section,
                                  const std::function<void(std::string_view key, std::string_view value)>& visit) {
    if (const auto index = FindSection(section, false)) {
        for (const std::string& line : m_sections.Lines(*index)) {
            visit(KeyOf(line), ValueOf(line));
        }
    }
}

void TKelIniFile::ReadSections(StringList& target) {
    target.clear();
    for (std::size_t i = 0; i < m_sections.Count(); ++i) {
        target.push_back(m_sections.Name(i));
    }
}

void TKelIniFile::ReadSectionValues(const std::string& section, StringList& target) {
    const auto index = FindSection(section, false);
    if (!index) {
        return;
    }
    // A replaced line keeps its key but for letter case, so the index of the target stays right.
    KeyIndex targetKeys(target);
    for (const std::string& line : m_sections.Lines(*index)) {
        if (const auto existing = targetKeys.Find(KeyOf(line))) {
            target[*existing] = line;
        } else {
            targetKeys.Add(line, target.size());
            target.push_back(line);
        }
    }
}

void TKelIniFile::EraseSection(const std::string& section) {
    if (const auto index = FindSection(section, false)) {
        m_sections.Delete(*index);
        m_modified = true;
    }
}

void TKelIniFile::DeleteKey(const std::string& section, const std::string& key) {
    if (m_sections.DeleteKeyLine(*FindSection(section, true), key)) {
        m_modified = true;
    }
}

template <typename Visit> void TKelIniFile::ForEachImageLine(Visit visit) const {
    for (std::size_t i = 0; i < m_sections.Count(); ++i) {
        const StringList& lines = m_sections.Lines(i);
        if (lines.empty()) {
            continue;
        }
        visit("[" + m_sections.Name(i) + "]");
        for (const std::string& line : lines) {
            visit(line);
        }
        visit(std::string_view());
    }
}

void TKelIniFile::GetFileLines(StringList& target) const {
    ForEachImageLine([&target](std::string_view line) { target.emplace_back(line); });
}

void TKelIniFile::UpdateFile() {
    if (!m_modified) {
        return;
    }
    m_modified = false;
    if (m_fileName.empty() || m_readOnly) {
        return;
    }
    if (!m_file) {
        // A file that was missing at loading: it and its folders come into being with the first write-back.
        CreateDirectories(DirectoryOf(m_fileName));
        auto file = LockedFile::Open(m_fileName, LockedFile::Access::ReadWrite, true);
        if (!file || !file->TryLock(LockedFile::LockKind::Exclusive)) {
            return;
        }
        m_file = std::move(file);
    }
    std::string image;
    ForEachImageLine([&image](std::string_view line) {
        image.append(line);
        image.append("\r\n");
    });
    m_file->Rewrite(image);
}

void TKelIniFile::SetFileName(std::string fileName) {
    UpdateFile();
    m_fileName = std::move(fileName);
    m_modified = false;
    Load();
}

} // namespace pelgo::core
