// Where the report commands put a document: its text on stdout, or "-o FILE" as RTF, PDF, plain text or the
// spreadsheet import file, chosen by the file's extension; the summaries that count also write CSV.
#pragma once

#include <initializer_list>
#include <string>
#include <string_view>
#include <vector>

#include "cli/args.h"
#include "reports/report_export.h"
#include "reports/rich_text.h"
#include "shell/settings.h"

namespace pelgo::cli {

// The options a report command takes besides its own.
inline constexpr const char* kOutputOption = "--output";
inline constexpr const char* kSeparatorOption = "--separator";

// "-o" is the short form of "--output"; Args knows only long options.
std::vector<std::string> WithLongOutput(const std::vector<std::string>& raw);

struct ReportOutput {
    enum class Kind { Terminal, Rtf, Pdf, Text, Import, Csv };
    Kind kind = Kind::Terminal;
    std::string path; // cp1251; empty for the terminal
    reports::ImportSeparator separator = reports::ImportSeparator::Space;
};

// The output the options name; a usage error for an unknown extension or a separator without an .imp file.
// `csvAllowed`: the report also has its counted values as data, which a .csv file receives.
ReportOutput ReportOutputOf(const Args& args, bool csvAllowed = false);
// Refuses an output file that is one of the installation's own files or one of the command's inputs (a
// template, a rules or parameter file): writing it would destroy them. An empty output is the terminal.
void RefuseOverwriting(std::string_view output, const shell::Settings& settings,
                       std::initializer_list<std::string_view> inputs = {});
void Deliver(const reports::RichText& text, const ReportOutput& output);

} // namespace pelgo::cli
