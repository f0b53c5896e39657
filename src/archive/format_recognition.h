// Recognising the format of a collector file before it is loaded: the agent's own files are read as they
// are, an AIDA32 report is converted into pelgotmp.ini by the rules of cfg_conv and that file is read instead.
#pragma once

#include <string>

namespace pelgo::core {
class WorkLog;
}
namespace pelgo::shell {
class Settings;
}

namespace pelgo::archive {

class AidaConversion;

struct RecognitionPaths {
    std::string rules;         // cfg_conv
    std::string convertedFile; // pelgotmp.ini, in a folder that only the user may enter
};

// cfg_conv in the base directory; pelgotmp.ini in the user's own folder "pelgo-<uid>" directly inside the
// system's temporary folder, which stands in for the root of drive C: as everywhere in the settings (see
// shell/paths.h).
RecognitionPaths RecognitionPathsOf(const shell::Settings& settings);

// The path to read for the file at `path`: the file itself, or the converted file. The converted file's
// folder is made with rights for the user alone; an existing one that is a link, belongs to someone else or
// lets others in is refused. Whatever goes wrong is written to the work log and leaves the file to be read as
// it is.
std::string CheckIniFormat(const std::string& path, const RecognitionPaths& paths, AidaConversion& conversion,
                           core::WorkLog& log);

} // namespace pelgo::archive
