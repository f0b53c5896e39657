// Format recognition and the conversion of AIDA32 reports.
#include "archive/format_recognition.h"

#include <cerrno>
#include <memory>
#include <string>
#include <sys/stat.h>
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

// The converted file's folder is the user's own: in a folder that another local user could plant, as a link
// to the user's files or as a folder they can read, the report would be written where it must not be. A
// missing folder is made for the user alone; an existing one, never followed as a link, must be a folder of
// the user's that nobody else may enter.
bool MakePrivateFolder(const std::string& folder) {
    if (!core::CreateDirectories(core::DirectoryOf(folder))) {
        return false;
    }
    const std::string native = core::NativeFileName(folder);
    if (::mkdir(native.c_str(), 0700) != 0 && errno != EEXIST) {
        return false;
    }
    struct stat status {};
    return ::lstat(native.c_str(), &status) == 0 && S_ISDIR(status.st_mode) && status.st_uid == ::geteuid() &&
           (status.st_mode & (S_IRWXG | S_IRWXO)) == 0;
}

// Replaces the converted file's content with the conversion of `report`; false when it was not written.
bool WriteConvertedFile(core::TKelIniFile& report, const core::StringList& rules, const std::string& path,
                        AidaConversion& conversion) {
    if (!MakePrivateFolder(core::DirectoryOf(path))) {
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
