// pelgo-cli collector / motherboard: the signature, format recognition and short name of a collector file,
// and the board name of a BIOS string, as the archive update computes them.
#include "archive/aida_conversion.h"
#include "archive/collector_file.h"
#include "archive/format_recognition.h"
#include "archive/motherboard.h"
#include "archive/signature.h"
#include "cli/commands.h"
#include "cli/installation.h"
#include "core/errors.h"
#include "core/file.h"
#include "core/kel_ini_file.h"

namespace pelgo::cli {

const char* const kCollectorUsage =
    "  collector signature FILE   print the computed signature, the stored one, and Ok or BAD\n"
    "  collector recognise FILE   print the path the archive reads (FILE or the converted report) and,\n"
    "                             for a converted report, its content; cfg_conv of --home, else data/\n"
    "  collector shortname NAME   print the 8.3 form of a file name\n";
const char* const kMotherboardUsage =
    "  motherboard BIOS-STRING    print the board name, an empty line when unknown; tables of --home, else data/\n";

namespace {

// The reference files named by the settings of the --home installation, or the shipped ones under their
// default names without it. Either way the work log is the installation's.
class ReferenceFiles {
public:
    explicit ReferenceFiles(const Context& context) : m_installation(context, true) {
        if (context.home.empty()) {
            m_installation.Settings().Paths().SetBaseDirectory(ReferenceDataFolder());
            // No update copies files here, so a converted report goes to the temporary folder.
            m_installation.Settings().SetBool(shell::Key::UseWorkDir, false);
        } else {
            m_installation.File().ReadIni(1);
        }
    }
    const shell::Settings& Settings() { return m_installation.Settings(); }
    core::WorkLog& Log() { return m_installation.Log(); }

private:
    Installation m_installation;
};

std::string ExistingFile(const Args& args) {
    const std::string path = args.Cp1251At(0);
    if (!core::FileExists(path)) {
        throw core::CannotOpenFile(path);
    }
    return path;
}

int Signature(const Args& args) {
    args.ExpectCount(1, 1);
    core::TKelIniFile file(ExistingFile(args), true);
    const std::string computed = archive::ComputeSignature(file);
    const std::string stored = archive::StoredSignature(file);
    PrintLine("computed " + computed);
    PrintLine("stored   " + stored);
    PrintLine(stored == computed ? "Ok" : "BAD");
    return 0;
}

int Recognise(const Context& context, const Args& args) {
    args.ExpectCount(1, 1);
    const std::string path = ExistingFile(args);
    ReferenceFiles references(context);
    archive::AidaConversion conversion;
    const std::string result =
        archive::CheckIniFormat(path, archive::RecognitionPathsOf(references.Settings()), conversion, references.Log());
    PrintLine(result);
    if (result != path) {
        core::StringList image;
        core::TKelIniFile(result, true).GetFileLines(image);
        for (const std::string& line : image) {
            PrintLine(line);
        }
    }
    return 0;
}

} // namespace

int RunCollector(const Context& context, const std::vector<std::string>& raw) {
    if (raw.empty()) {
        throw UsageError("missing collector command");
    }
    const std::string& command = raw.front();
    const Args args(std::vector<std::string>(raw.begin() + 1, raw.end()), {});
    if (command == "signature") {
        return Signature(args);
    }
    if (command == "recognise") {
        return Recognise(context, args);
    }
    if (command == "shortname") {
        args.ExpectCount(1, 1);
        PrintLine(archive::ConvertToDOS(args.Cp1251At(0)));
        return 0;
    }
    throw UsageError("unknown collector command \"" + command + "\"");
}

int RunMotherboard(const Context& context, const std::vector<std::string>& raw) {
    const Args args(raw, {});
    args.ExpectCount(1, 1);
    ReferenceFiles references(context);
    archive::MotherboardIdentifier identifier(archive::MotherboardTableFilesOf(references.Settings()),
                                              references.Log());
    PrintLine(identifier.Motherboard(args.Cp1251At(0)));
    return 0;
}

} // namespace pelgo::cli
