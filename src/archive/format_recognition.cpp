// Format recognition and the conversion of AIDA32 reports.
#include "archive/format_recognition.h"

#include <memory>
#include <string>
#include <unistd.h>

#include "archive/aida_conversion.h"
#include "archive/collector_file.h"
#include "core/errors.h"
#include "core/file.h"
#include "core/kel_ini_file.h"
#include "core/work_log.h"
#include "shell/settings.h"

namespace pelgo::archive {
namespace {

constexpr const char* kConvertedFileName = "pelgotmp.ini";

bool IsAidaReport(core::TKelIniFile& file) {
    core::StringList sections;
    file.ReadSections(sections);
    for (const std::string& name : sections) {
        if (name.find("AIDA32 ") != std::string::npos) {
            return true;
        }
    }
    return false;
}

// Replaces the converted file's content with the conversion of `report`; false when it was not written.
bool WriteConvertedFile(core::TKelIniFile& report, const core::StringList& rules, const std::string& path,
                        AidaConversion& conversion) {
    if (!core::MakePrivateFolder(core::DirectoryOf(path))) {
        return false;
    }
    try {
        // A writer locks an existing file when it loads it, a missing one only when it writes it back: the file
        // is made first, so that the lock is held before the conversion moves its running number.
        if (!core::LockedFile::Open(path, core::LockedFile::Access::ReadWrite, true)) {
            return false;
        }
        core::TKelIniFile target(path, false);
        core::StringList sections;
        target.ReadSections(sections);
        for (const std::string& section : sections) {
            target.EraseSection(section);
        }
        conversion.ApplyRules(rules, report, target);
        NormaliseAddress(target);
        target.UpdateFile();
    } catch (const core::Error&) {
        return false;
    }
    return true;
}

} // namespace

RecognitionPaths RecognitionPathsOf(const shell::Settings& settings) {
    // Directly in the temporary folder, whose sticky bit keeps other users from replacing the private folder;
    // a work folder of the settings may be one that every user shares.
    return {settings.BaseDirectory() + "cfg_conv",
            settings.Paths().ToNative("C:\\") + "pelgo-" + std::to_string(::geteuid()) + "/" + kConvertedFileName};
}

std::string CheckIniFormat(const std::string& path, const RecognitionPaths& paths, AidaConversion& conversion,
                           core::WorkLog& log) {
    if (!core::FileExists(path)) {
        return path;
    }
    std::unique_ptr<core::TKelIniFile> report;
    core::StringList rules;
    try {
        report = std::make_unique<core::TKelIniFile>(path, true);
        if (IsOwnFormat(*report) || !IsAidaReport(*report)) {
            return path;
        }
        if (!core::FileExists(paths.rules)) {
            log.LogEvent("Unknown format in Ini-file " + path);
            return path;
        }
        rules = SectionLines(core::TKelIniFile(paths.rules, true), "aida32");
    } catch (const core::Error&) {
        log.LogEvent("Error in Ini-file ! Check file " + path);
        return path;
    }
    if (rules.empty()) {
        return path;
    }
    if (!WriteConvertedFile(*report, rules, paths.convertedFile, conversion)) {
        // A converted file left from another report must not be read in this one's place.
        log.LogEvent("Error closing Ini-file ! " + path);
        return path;
    }
    return paths.convertedFile;
}

} // namespace pelgo::archive
