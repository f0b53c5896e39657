// Texts by id and the language files. The interface is written in Russian; a language file "*.lng" may
// give another text for each numeric id and the captions of every window's controls. One translator exists
// per process; engines reach it through Text(id, default).
#pragma once

#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "core/custom_ini_file.h"

namespace pelgo::core {

class TKelIniFile;

class TKelTranslator {
public:
    // `programDirectory` (cp1251, with or without a trailing '/') anchors relative language directories.
    // Throws Error("Only one instance of KelLanguage is allowed") while another translator exists.
    explicit TKelTranslator(std::string programDirectory);
    ~TKelTranslator();
    TKelTranslator(const TKelTranslator&) = delete;
    TKelTranslator& operator=(const TKelTranslator&) = delete;

    // The translator of this process, or null.
    static TKelTranslator* Instance();

    // Stores and normalises the directory, rebuilds the language list and chooses its first language.
    void SetDirectory(const std::string& directory);
    const std::string& Directory() const { return m_directory; }
    const std::string& NormalisedDirectory() const { return m_normalisedDirectory; }

    // Language names sorted without regard to case.
    const StringList& LanguageNames() const { return m_sortedNames; }
    const std::string& LanguageName() const { return m_languageName; }
    int LanguagePosition() const { return m_position; }

    // A position outside the list, or an unknown name, changes nothing.
    void ChooseLanguage(int position);
    void ChooseLanguage(const std::string& name);
    // "Change Language": the next language, the first after the last. False when there is none.
    bool ChooseNextLanguage();

    // The chosen language's text for a positive id ("||" becomes a line break), else the default.
    std::string Text(int id, std::string_view defaultText) const;
    // A raw value of the open language file (window sections, control names); empty when absent.
    std::string Value(const std::string& section, const std::string& key) const;

    bool UseTag() const { return m_useTag; }

    // Called after every change of language, so that open windows translate themselves again.
    void SetLanguageChangedHandler(std::function<void()> handler) { m_languageChanged = std::move(handler); }
    // Called with the reason when a language file cannot be read; the file is skipped.
    void SetUnreadableFileHandler(std::function<void(const std::string& reason)> handler) {
        m_unreadableFile = std::move(handler);
    }

private:
    void BuildLanguageList();
    // The language file opened read-only, or null (and the reason reported) when it cannot be read.
    std::unique_ptr<TKelIniFile> OpenLanguageFile(const std::string& path) const;

    std::string m_programDirectory;
    std::string m_directory;
    std::string m_normalisedDirectory;
    std::vector<std::pair<std::string, std::string>> m_languages; // name -> file name, in directory order
    StringList m_sortedNames;
    std::string m_languageName;
    int m_position = -1;
    std::unique_ptr<TKelIniFile> m_file;
    bool m_useTag = true;
    std::function<void()> m_languageChanged;
    std::function<void(const std::string&)> m_unreadableFile;
};

// The text for `id` from the process's translator, or `utf8Default` converted to cp1251. Defaults are
// source literals: each is converted once and kept.
std::string Text(int id, const char* utf8Default);

} // namespace pelgo::core
