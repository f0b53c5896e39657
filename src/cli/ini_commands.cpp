// placeholder until the command group lands
#include "cli/commands.h"
namespace pelgo::cli {
int RunIni(const Context&, const std::vector<std::string>&) { throw UsageError("not available yet"); }
const char* const kIniUsage = "";
} // namespace pelgo::cli
