// Language list, choice of language and text lookup by id.
#include "core/translator.h"

#include <algorithm>
#include <dirent.h>
#include <mutex>
#include <sys/stat.h>
#include <unordered_map>

#include "core/cp1251.h"
#include "core/errors.h"
#include "core/file.h"
#include "core/kel_ini_file.h"
#include "core/text.h"

namespace pelgo::core {
namespace {

TKelTranslator* g_instance = nullptr;

std::string WithTrailingSlash(std::string dir) {
    if (!dir.empty() && dir.back() != '/') {
        dir += '/';
    }
    return dir;
}

bool EndsWithLng(std::string_view name) {
    return name.size() > 4 && SameText(name.substr(name.size() - 4), ".lng");
}

} // namespace

TKelTranslator::TKelTranslator(std::string programDirectory)
    : m_programDirectory(WithTrailingSlash(std::move(programDirectory))) {
    if (g_instance != nullptr) {
        throw Error("Only one instance of KelLanguage is allowed");
    }
    g_instance = this;
}

TKelTranslator::~TKelTranslator() {
    g_instance = nullptr;
}

TKelTranslator* TKelTranslator::Instance() {
    return g_instance;
}

void TKelTranslator::SetDirectory(const std::string& directory) {
    m_directory = directory;
    // Stored directories use Windows separators; one without a root is relative to the program's folder,
    // and a leading back-slash ("\lang") meant "no drive", so it is relative too.
    std::string native = ReplaceAll(directory, "\\", "/");
    if (directory.empty() || directory.front() == '\\') {
        native.erase(0, native.find_first_not_of('/'));
        native = m_programDirectory + native;
    } else if (native.front() != '/') {
        native = m_programDirectory + native;
    }
    m_normalisedDirectory = WithTrailingSlash(native);
    BuildLanguageList();
    if (!m_sortedNames.empty()) {
        ChooseLanguage(0);
    }
}

void TKelTranslator::BuildLanguageList() {
    m_languages.clear();
    m_sortedNames.clear();
    m_languageName.clear();
    m_position = -1;
    m_file.reset();
    DIR* dir = ::opendir(NativeFileName(m_normalisedDirectory).c_str());
    if (dir == nullptr) {
        return;
    }
    while (const dirent* entry = ::readdir(dir)) {
        const std::string fileName = Utf8ToCp1251(entry->d_name);
        if (!EndsWithLng(fileName) || !FileExists(m_normalisedDirectory + fileName)) {
            continue;
        }
        const std::unique_ptr<TKelIniFile> file = OpenLanguageFile(m_normalisedDirectory + fileName);
        const std::string name = file ? file->ReadString("Strings", "LanguageName", "") : std::string();
        if (!name.empty()) {
            m_languages.emplace_back(name, fileName);
            m_sortedNames.push_back(name);
        }
    }
    ::closedir(dir);
    std::stable_sort(m_sortedNames.begin(), m_sortedNames.end(),
                     [](const std::string& a, const std::string& b) { return CompareText(a, b) < 0; });
}

std::unique_ptr<TKelIniFile> TKelTranslator::OpenLanguageFile(const std::string& path) const {
    try {
        return std::make_unique<TKelIniFile>(path, true);
    } catch (const Error& error) {
        if (m_unreadableFile) {
            m_unreadableFile(error.what());
        }
        return nullptr;
    }
}

void TKelTranslator::ChooseLanguage(int position) {
    if (position < 0 || position >= static_cast<int>(m_sortedNames.size())) {
        return;
    }
    ChooseLanguage(m_sortedNames[static_cast<std::size_t>(position)]);
}

void TKelTranslator::ChooseLanguage(const std::string& name) {
    const auto names = std::find(m_sortedNames.begin(), m_sortedNames.end(), name);
    if (names == m_sortedNames.end()) {
        return;
    }
    m_languageName = name;
    m_position = static_cast<int>(names - m_sortedNames.begin());
    m_file.reset();
    const auto language =
        std::find_if(m_languages.begin(), m_languages.end(), [&](const auto& entry) { return entry.first == name; });
    const std::string path = m_normalisedDirectory + language->second;
    if (FileExists(path)) {
        m_file = OpenLanguageFile(path);
    }
    if (m_languageChanged) {
        m_languageChanged();
    }
}

bool TKelTranslator::ChooseNextLanguage() {
    if (m_sortedNames.empty()) {
        return false;
    }
    ChooseLanguage((m_position + 1) % static_cast<int>(m_sortedNames.size()));
    return true;
}

std::string TKelTranslator::Value(const std::string& section, const std::string& key) const {
    return m_file ? m_file->ReadString(section, key, "") : std::string();
}

std::string TKelTranslator::Text(int id, std::string_view defaultText) const {
    if (id > 0 && !m_languages.empty() && m_file) {
        const std::string value = ReplaceAll(m_file->ReadString("Strings", std::to_string(id), ""), "||", "\r\n");
        if (!value.empty()) {
            return value;
        }
    }
    return std::string(defaultText);
}

std::string Text(int id, const char* utf8Default) {
    static std::mutex mutex;
    static std::unordered_map<const char*, std::string> converted;
    std::string defaultText;
    {
        const std::lock_guard lock(mutex);
        auto [it, inserted] = converted.try_emplace(utf8Default);
        if (inserted) {
            it->second = Utf8ToCp1251(utf8Default);
        }
        defaultText = it->second;
    }
    const TKelTranslator* translator = TKelTranslator::Instance();
    return translator ? translator->Text(id, defaultText) : defaultText;
}

} // namespace pelgo::core
