// Entry points of the command groups. Each returns the process exit code.
#pragma once

#include <string>
#include <vector>

#include "cli/args.h"

namespace pelgo::cli {

int RunIni(const Context& context, const std::vector<std::string>& args);
extern const char* const kIniUsage;

int RunProfile(const Context& context, const std::vector<std::string>& args);
extern const char* const kProfileUsage;

int RunInit(const Context& context, const std::vector<std::string>& args);
extern const char* const kInitUsage;

int RunScanlet(const Context& context, const std::vector<std::string>& args);
extern const char* const kScanletUsage;

int RunSettings(const Context& context, const std::vector<std::string>& args);
extern const char* const kSettingsUsage;

int RunLog(const Context& context, const std::vector<std::string>& args);
extern const char* const kLogUsage;

int RunPresence(const Context& context, const std::vector<std::string>& args);
extern const char* const kPresenceUsage;

int RunDbf(const Context& context, const std::vector<std::string>& args);
extern const char* const kDbfUsage;

int RunTree(const Context& context, const std::vector<std::string>& args);
extern const char* const kTreeUsage;

int RunCollector(const Context& context, const std::vector<std::string>& args);
extern const char* const kCollectorUsage;

int RunPlace(const Context& context, const std::vector<std::string>& args);
extern const char* const kPlaceUsage;

int RunUpdate(const Context& context, const std::vector<std::string>& args);
extern const char* const kUpdateUsage;

int RunInventory(const Context& context, const std::vector<std::string>& args);
extern const char* const kInventoryUsage;

int RunInventorySheet(const Context& context, const std::vector<std::string>& args);
extern const char* const kInventorySheetUsage;

int RunJournalReport(const Context& context, const std::vector<std::string>& args);
extern const char* const kJournalReportUsage;

int RunMotherboard(const Context& context, const std::vector<std::string>& args);
extern const char* const kMotherboardUsage;

int RunNode(const Context& context, const std::vector<std::string>& args);
extern const char* const kNodeUsage;

int RunNumbers(const Context& context, const std::vector<std::string>& args);
extern const char* const kNumbersUsage;

int RunBookmark(const Context& context, const std::vector<std::string>& args);
extern const char* const kBookmarkUsage;

int RunAdddata(const Context& context, const std::vector<std::string>& args);
extern const char* const kAdddataUsage;

int RunShow(const Context& context, const std::vector<std::string>& args);
extern const char* const kShowUsage;

int RunAlarms(const Context& context, const std::vector<std::string>& args);
extern const char* const kAlarmsUsage;

int RunRtf(const Context& context, const std::vector<std::string>& args);
extern const char* const kRtfUsage;

int RunPassport(const Context& context, const std::vector<std::string>& args);
extern const char* const kPassportUsage;
int RunCard(const Context& context, const std::vector<std::string>& args);
extern const char* const kCardUsage;

int RunReport(const Context& context, const std::vector<std::string>& args);
extern const char* const kReportUsage;

int RunRevision(const Context& context, const std::vector<std::string>& args);
extern const char* const kRevisionUsage;
int RunTemplate(const Context& context, const std::vector<std::string>& args);
extern const char* const kTemplateUsage;

int RunMoveRequest(const Context& context, const std::vector<std::string>& args);
extern const char* const kMoveRequestUsage;

int RunSummary(const Context& context, const std::vector<std::string>& args);
extern const char* const kSummaryUsage;

int RunSearch(const Context& context, const std::vector<std::string>& args);
extern const char* const kSearchUsage;

} // namespace pelgo::cli
