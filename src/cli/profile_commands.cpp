// placeholder until the command group lands
#include "cli/commands.h"
namespace pelgo::cli {
int RunProfile(const Context&, const std::vector<std::string>&) { throw UsageError("not available yet"); }
const char* const kProfileUsage = "";
} // namespace pelgo::cli
