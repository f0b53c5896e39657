// pelgo-cli profile: read and change one key of a profile file (pelgo.ini, scanlet.ini, sentinox.ini, ...).
#include "cli/commands.h"
#include "core/profile_file.h"

namespace pelgo::cli {

const char* const kProfileUsage =
    "  profile get FILE SECTION KEY [DEFAULT]   print a value of a profile file (DEFAULT when it is absent)\n"
    "  profile set FILE SECTION KEY VALUE       write a value (creates the file and its folder)\n"
    "  profile delete FILE SECTION [KEY]        delete a key, or the whole section when KEY is not given\n";

int RunProfile(const Context&, const std::vector<std::string>& raw) {
    const Args args(raw, {});
    const std::string& command = args.At(0);
    if (command == "get") {
        args.ExpectCount(4, 5);
        core::ProfileFile file(args.Cp1251At(1));
        PrintLine(file.ReadString(args.Cp1251At(2), args.Cp1251At(3), args.Count() == 5 ? args.Cp1251At(4) : ""));
    } else if (command == "set") {
        args.ExpectCount(5, 5);
        core::ProfileFile(args.Cp1251At(1)).WriteString(args.Cp1251At(2), args.Cp1251At(3), args.Cp1251At(4));
    } else if (command == "delete") {
        args.ExpectCount(3, 4);
        core::ProfileFile file(args.Cp1251At(1));
        if (args.Count() == 4) {
            file.DeleteKey(args.Cp1251At(2), args.Cp1251At(3));
        } else {
            file.EraseSection(args.Cp1251At(2));
        }
    } else {
        throw UsageError("unknown profile command \"" + command + "\"");
    }
    return 0;
}

} // namespace pelgo::cli
