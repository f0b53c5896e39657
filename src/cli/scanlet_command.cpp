// pelgo-cli scanlet: the collector agent's settings files as the settings dialog sees and saves them. Only the
// named scanlet.ini and the work log are written; pelgo.ini is only read, for the list of known files.
#include <algorithm>
#include <cstdio>
#include <utility>

#include "cli/commands.h"
#include "cli/installation.h"
#include "companions/scanlet_settings.h"
#include "core/cp1251.h"
#include "core/errors.h"
#include "core/file.h"
#include "core/text.h"
#include "platform/installation_folder.h"

namespace pelgo::cli {

const char* const kScanletUsage =
    "  scanlet paths              the known scanlet.ini files as the collector-settings dialog lists them\n"
    "  scanlet show [PATH]        the settings file an entry names (default the first known one): its path, then\n"
    "      SECTION TAB KEY TAB VALUE per key as a save would write it\n"
    "  scanlet set PATH [SECTION.KEY=VALUE...] [--free FILE]\n"
    "                             give each value to its control as a load reads it, replace the free lines of\n"
    "      [Additional_Software] by the lines of FILE, and save\n";

namespace {

struct Assignment {
    std::string section;
    std::string key;
    std::string value;
};

// "SECTION.KEY=VALUE", cp1251; the section ends at the first dot (module keys hold dots).
Assignment ParseAssignment(const std::string& text) {
    const std::size_t eq = text.find('=');
    const std::size_t dot = text.find('.');
    if (eq == std::string::npos || dot == std::string::npos || dot > eq) {
        throw UsageError("\"" + core::Cp1251ToUtf8(text) + "\" is not SECTION.KEY=VALUE");
    }
    return {text.substr(0, dot), text.substr(dot + 1, eq - dot - 1), text.substr(eq + 1)};
}

shell::Settings& ReadSettings(Installation& installation) {
    installation.File().ReadIni(1);
    return installation.Settings();
}

// Loads the file an entry names; a failed load is the command's failure.
companions::LoadResult Load(companions::ScanletSettings& model, const std::optional<std::string>& entry,
                            const shell::Settings& settings) {
    companions::LoadResult result = model.Load(entry, settings.Paths());
    if (result.status != companions::LoadStatus::Loaded) {
        throw core::Error(result.message);
    }
    return result;
}

int Paths(const Context& context) {
    Installation installation(context, true);
    for (const std::string& path : companions::ScanletPaths(ReadSettings(installation))) {
        PrintLine(path);
    }
    return 0;
}

int Show(const Context& context, const Args& args) {
    args.ExpectCount(1, 2);
    Installation installation(context, true);
    const shell::Settings& settings = ReadSettings(installation);
    std::optional<std::string> entry;
    if (args.Count() == 2) {
        entry = args.Cp1251At(1);
    } else if (!companions::ScanletPaths(settings).empty()) {
        entry = companions::ScanletPaths(settings).front();
    }
    companions::ScanletSettings model;
    PrintLine(Load(model, entry, settings).filePath);
    const auto print = [](const std::string& section, const std::string& key, const std::string& value) {
        PrintLine(section + "\t" + core::ControlsAsBlanks(key) + "\t" + core::ControlsAsBlanks(value));
    };
    print("Program", "Program", model.values.program);
    for (const companions::ScanletEntry& saved : companions::SaveEntries(model.values, model.modules)) {
        print(saved.section, saved.key, saved.value);
    }
    return 0;
}

int Set(const Context& context, const Args& args) {
    args.ExpectOptions({"--free"});
    if (args.Count() < 2) {
        throw UsageError("scanlet set needs the PATH of a settings file");
    }
    std::vector<Assignment> assignments;
    companions::ScanletSettings probe;
    for (std::size_t i = 2; i < args.Count(); ++i) {
        Assignment assignment = ParseAssignment(args.Cp1251At(i));
        if (!companions::SetFromText(probe.values, probe.modules, assignment.section, assignment.key,
                                     assignment.value)) {
            throw UsageError("no control for " + core::Cp1251ToUtf8(assignment.section + "." + assignment.key));
        }
        assignments.push_back(std::move(assignment));
    }
    std::optional<std::vector<std::string>> freeLines;
    if (const std::optional<std::string> free = args.Value("--free")) {
        const std::string path = platform::AbsoluteFromWorkingDirectory(core::Utf8ToCp1251(*free));
        if (!core::FileExists(path)) {
            throw core::Error(path + ": no such file for --free");
        }
        const std::string text = core::TextFileToCp1251(core::ReadFileBytes(path));
        freeLines.emplace();
        for (const std::string_view line : core::SplitLines(text)) {
            freeLines->emplace_back(line);
        }
    }

    Installation installation(context, true);
    const shell::Settings& settings = ReadSettings(installation);
    installation.Log().SetMovingSize(settings.Int(shell::Key::LogOfMovingSize));
    companions::ScanletSettings model;
    Load(model, args.Cp1251At(1), settings);
    for (const Assignment& assignment : assignments) {
        companions::SetFromText(model.values, model.modules, assignment.section, assignment.key, assignment.value);
    }
    if (freeLines) {
        model.values.freeLines = std::move(*freeLines);
    }
    // As in the dialog, a drive for an output folder that is no network path is not written.
    const bool driveGiven = std::any_of(assignments.begin(), assignments.end(),
                                        [](const Assignment& a) { return core::SameText(a.key, "MapNetDisk"); });
    if (driveGiven && !model.values.mapNetDiskEnabled) {
        std::fputs("pelgo-cli: MapNetDisk is written as \"нет\": OutputDir does not begin with \\\\\n", stderr);
    }
    for (const std::string& message : model.Save(true, installation.Log())) {
        std::fprintf(stderr, "pelgo-cli: %s\n", core::Cp1251ToUtf8(core::ReplaceAll(message, "\r\n", ": ")).c_str());
    }
    return 0;
}

} // namespace

int RunScanlet(const Context& context, const std::vector<std::string>& raw) {
    const Args args(raw, {"--free"});
    const std::string& command = args.At(0);
    if (command == "paths") {
        args.ExpectCount(1, 1);
        args.ExpectOptions({});
        return Paths(context);
    }
    if (command == "show") {
        args.ExpectOptions({});
        return Show(context, args);
    }
    if (command == "set") {
        return Set(context, args);
    }
    throw UsageError("unknown scanlet command \"" + command + "\"");
}

} // namespace pelgo::cli
