// pelgo-cli ini: reading and editing a sectioned file (collector file, conversion rules, language file)
// through TKelIniFile, as the program itself does.
#include <chrono>
#include <cstdio>
#include <thread>

#include "cli/commands.h"
#include "core/errors.h"
#include "core/file.h"
#include "core/kel_ini_file.h"
#include "core/text.h"

namespace pelgo::cli {

const char* const kIniUsage =
    "  ini dump FILE                                      print the file as a write-back would leave it\n"
    "  ini get FILE SECTION KEY [DEFAULT] [--int|--bool]  print a value (DEFAULT when it is absent)\n"
    "  ini set FILE SECTION KEY VALUE [--hold SECONDS]    write a value; --hold keeps the file locked that long\n"
    "  ini delete FILE SECTION [KEY]                      delete a key, or the whole section when KEY is not given\n";

namespace {

int ParseNumberArgument(const std::string& text, const char* what) {
    const auto number = core::ParseInt(text);
    if (!number) {
        throw UsageError(std::string(what) + " must be an integer, not \"" + text + "\"");
    }
    return *number;
}

int Dump(const Args& args) {
    args.ExpectCount(1, 1);
    const core::TKelIniFile ini(args.Cp1251At(0), true);
    core::StringList lines;
    ini.GetFileLines(lines);
    for (const std::string& line : lines) {
        PrintLine(line);
    }
    return 0;
}

int Get(const Args& args) {
    args.ExpectCount(3, 4);
    const bool asInteger = args.Flag("--int");
    const bool asBool = args.Flag("--bool");
    if (asInteger && asBool) {
        throw UsageError("--int and --bool exclude each other");
    }
    core::TKelIniFile ini(args.Cp1251At(0), true);
    const std::string section = args.Cp1251At(1);
    const std::string key = args.Cp1251At(2);
    const bool hasDefault = args.Count() == 4;
    if (asInteger || asBool) {
        const int defaultValue = hasDefault ? ParseNumberArgument(args.At(3), "DEFAULT") : 0;
        const int value = asInteger ? ini.ReadInteger(section, key, defaultValue)
                                    : (ini.ReadBool(section, key, defaultValue != 0) ? 1 : 0);
        PrintLine(std::to_string(value));
    } else {
        PrintLine(ini.ReadString(section, key, hasDefault ? args.Cp1251At(3) : std::string()));
    }
    return 0;
}

int Set(const Args& args) {
    args.ExpectCount(4, 4);
    const auto hold = args.Value("--hold");
    const int holdSeconds = hold ? ParseNumberArgument(*hold, "--hold") : 0;
    if (holdSeconds < 0) {
        throw UsageError("--hold needs a number of seconds of 0 or more");
    }
    const std::string fileName = args.Cp1251At(0);
    core::TKelIniFile ini(fileName, false);
    ini.WriteString(args.Cp1251At(1), args.Cp1251At(2), args.Cp1251At(3));
    if (hold) {
        // Tells a script driving a second process that the lock is now taken.
        std::printf("holding %s for %d s\n", args.At(0).c_str(), holdSeconds);
        std::fflush(stdout);
        std::this_thread::sleep_for(std::chrono::seconds(holdSeconds));
    }
    // A file that was missing is created only at the write-back, which drops the change silently when the
    // file cannot be created; the user has to hear about it.
    const bool changed = ini.Modified();
    ini.UpdateFile();
    if (changed && !core::FileExists(fileName)) {
        throw core::CannotOpenFile(fileName);
    }
    return 0;
}

int Delete(const Args& args) {
    args.ExpectCount(2, 3);
    core::TKelIniFile ini(args.Cp1251At(0), false);
    if (args.Count() == 3) {
        ini.DeleteKey(args.Cp1251At(1), args.Cp1251At(2));
    } else {
        ini.EraseSection(args.Cp1251At(1));
    }
    ini.UpdateFile();
    return 0;
}

} // namespace

int RunIni(const Context&, const std::vector<std::string>& raw) {
    if (raw.empty()) {
        throw UsageError("missing ini command");
    }
    const std::string& command = raw.front();
    const Args args(std::vector<std::string>(raw.begin() + 1, raw.end()), {"--hold"});
    if (command == "dump") {
        return Dump(args);
    }
    if (command == "get") {
        return Get(args);
    }
    if (command == "set") {
        return Set(args);
    }
    if (command == "delete") {
        return Delete(args);
    }
    throw UsageError("unknown ini command \"" + command + "\"");
}

} // namespace pelgo::cli
