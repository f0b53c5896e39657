// placeholder until the command group lands
#include "cli/commands.h"
namespace pelgo::cli {
int RunDbf(const Context&, const std::vector<std::string>&) { throw UsageError("not available yet"); }
const char* const kDbfUsage = "";
} // namespace pelgo::cli
