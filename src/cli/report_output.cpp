// The output options of the report commands.
#include "cli/report_output.h"

#include <QGuiApplication>
#include <algorithm>
#include <cctype>
#include <optional>

#include "cli/rich_text_lines.h"
#include "core/cp1251.h"
#include "core/errors.h"
#include "core/file.h"
#include "gui/reports/rich_text_document.h"
#include "reports/rtf_writer.h"

namespace pelgo::cli {

std::vector<std::string> WithLongOutput(const std::vector<std::string>& raw) {
    std::vector<std::string> out = raw;
    for (std::string& arg : out) {
        if (arg == "--") {
            break;
        }
        if (arg == "-o") {
            arg = "--output";
        }
    }
    return out;
}

namespace {

ReportOutput::Kind KindOf(const std::optional<std::string>& output, bool csvAllowed) {
    if (!output) {
        return ReportOutput::Kind::Terminal;
    }
    std::string extension = core::ExtractFileExt(*output);
    std::transform(extension.begin(), extension.end(), extension.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    if (extension == ".rtf") {
        return ReportOutput::Kind::Rtf;
    }
    if (extension == ".pdf") {
        return ReportOutput::Kind::Pdf;
    }
    if (extension == ".txt") {
        return ReportOutput::Kind::Text;
    }
    if (extension == ".imp") {
        return ReportOutput::Kind::Import;
    }
    if (extension == ".csv" && csvAllowed) {
        return ReportOutput::Kind::Csv;
    }
    throw UsageError(std::string("the output file's extension must be .rtf, .pdf, .txt") +
                     (csvAllowed ? ", .imp or .csv" : " or .imp"));
}

reports::ImportSeparator SeparatorOption(const std::optional<std::string>& value) {
    using reports::ImportSeparator;
    if (!value || *value == "space") {
        return ImportSeparator::Space;
    }
    const std::pair<const char*, ImportSeparator> names[] = {{"comma", ImportSeparator::Comma},
                                                             {"semicolon", ImportSeparator::Semicolon},
                                                             {"backslash", ImportSeparator::Backslash},
                                                             {"tab", ImportSeparator::Tab}};
    for (const auto& [name, separator] : names) {
        if (*value == name) {
            return separator;
        }
    }
    throw UsageError("--separator takes space, comma, semicolon, backslash or tab");
}

// The PDF writer lays the text out with Qt's fonts, which need a GUI application; a terminal has no display,
// so the offscreen platform serves unless the caller chose another.
void WritePdfOffscreen(const reports::RichText& text, const std::string& path) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
    }
    int argc = 1;
    char name[] = "pelgo-cli";
    char* argv[] = {name, nullptr};
    const QGuiApplication application(argc, argv);
    gui::WritePdf(text, path);
}

} // namespace

ReportOutput ReportOutputOf(const Args& args, bool csvAllowed) {
    const std::optional<std::string> path = args.Value(kOutputOption);
    ReportOutput output;
    output.kind = KindOf(path, csvAllowed);
    output.path = path ? core::Utf8ToCp1251(*path) : std::string();
    if (args.Value(kSeparatorOption) && output.kind != ReportOutput::Kind::Import) {
        throw UsageError("--separator belongs to an .imp output file");
    }
    output.separator = SeparatorOption(args.Value(kSeparatorOption));
    return output;
}

void RefuseOverwriting(std::string_view output, const shell::Settings& settings,
                       std::initializer_list<std::string_view> inputs) {
    if (output.empty()) {
        return;
    }
    if (settings.IsInstallationFile(output)) {
        throw core::Error(std::string(output) + " is a file of the installation; choose another output file");
    }
    for (const std::string_view input : inputs) {
        if (!input.empty() && core::SameFile(input, output)) {
            throw core::Error(std::string(output) + " is an input of the command; choose another output file");
        }
    }
}

void Deliver(const reports::RichText& text, const ReportOutput& output) {
    const std::string& path = output.path;
    switch (output.kind) {
    case ReportOutput::Kind::Terminal:
        PrintRichTextLines(text);
        return;
    case ReportOutput::Kind::Rtf:
        reports::WriteRtfFile(path, text);
        return;
    case ReportOutput::Kind::Pdf:
        WritePdfOffscreen(text, path);
        return;
    case ReportOutput::Kind::Text:
        core::WriteFileAtomically(path, reports::PlainText(text));
        return;
    case ReportOutput::Kind::Import:
        core::WriteFileAtomically(path, reports::SpreadsheetExport(text, output.separator));
        return;
    case ReportOutput::Kind::Csv:
        throw core::Error("A CSV file holds counted values: the report has none"); // refused by ReportOutputOf
    }
}

} // namespace pelgo::cli
