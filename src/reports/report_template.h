// A report template: a rich-text document cut into header, detail and footer by its start and end lines,
// with the scope and the node types the detail is repeated for, both coded in the start line.
//
// Lines are the document's paragraphs. The three regions are runs of whole paragraphs, so the generator copies
// them paragraph by paragraph with their formats and pictures.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/user_dialog.h"
#include "reports/rich_text.h"
#include "structure/node_types.h"

namespace pelgo::reports {

inline constexpr const char* kDetailStart = "<DETAIL_START>";
inline constexpr const char* kDetailEnd = "<DETAIL_END>";
inline constexpr const char* kNewTemplateName = "new_sh.rtf";

// The nodes the detail is repeated for; the start line codes them as the letters A to D.
enum class ReportScope { Enterprise, Department, Employee, Unit };

struct ReportTemplate {
    RichText text;
    ReportScope scope = ReportScope::Unit;
    // One entry per position of the included-types list (IncludedTypeNames), marked when the type is covered.
    std::vector<bool> included;
};

// The included-types list: the node types in the add-node dialog's order, user types last.
std::vector<std::string> IncludedTypeNames(const structure::NodeTypes& types);
// Everything but department, employee, adapter address and note is covered in a new template.
std::vector<bool> DefaultIncludedTypes(std::size_t typeCount);
// The list position of a node type (icon index); none for an index outside the list.
std::optional<std::size_t> IncludedPosition(int icon, std::size_t typeCount);
// CheckIcon: whether the template covers nodes of this icon index.
bool CheckIcon(const ReportTemplate& report, int icon);

// FindMarker: the first paragraph from `from` whose upper-cased text contains the marker; none when absent.
std::optional<std::size_t> FindMarker(const RichText& text, std::string_view marker, std::size_t from = 0);

// The template's regions as paragraph ranges [first, last).
struct TemplateRegions {
    std::size_t headerEnd = 0; // the header is [0, headerEnd)
    std::size_t detailBegin = 0;
    std::size_t detailEnd = 0;
    std::optional<std::size_t> footerBegin; // the footer runs to the end; none without an end line
    std::optional<std::size_t> startLine;
    std::optional<std::size_t> endLine; // searched after the start line
};
TemplateRegions FindRegions(const RichText& text);

// Applies the codes of the start line's text (what follows "<DETAIL_START>") to the scope and types: every type
// is unmarked first; unusable codes are skipped.
void ParseStartLine(std::string_view codes, ReportTemplate& report);
// "<DETAIL_START>" + "<" scope letter ">" + "<n>" per marked position + " Do not Delete this string ! " padded
// with "-" to `width` characters.
std::string StartLineText(const ReportTemplate& report, std::size_t width = 60);

// A template read from its document: the scope and types of its start line, else scope D and the defaults.
ReportTemplate TemplateFromText(RichText text, std::size_t typeCount);
// The template of an existing file: RTF, or plain text with a paragraph per line, as an editor shows such a file.
ReportTemplate TemplateFromFile(const std::string& path, std::size_t typeCount);
// The example offered for a missing file: header, detail and footer placeholders, scope D, only computers.
ReportTemplate ExampleTemplate(std::size_t typeCount);
// What a save writes: the start line rewritten from scope and types (inserted as the first paragraph when
// there is none), "<DETAIL_END>" appended when there is no end line.
RichText TemplateForSave(const ReportTemplate& report);

// LoadReportsFromFile: the template of the file, or for a missing file, after asking, the example (on No an
// empty template). `file` is the editor's current file: the path, or kNewTemplateName for a missing file.
struct LoadedTemplate {
    ReportTemplate report;
    std::string file;
};
LoadedTemplate LoadReportsFromFile(const std::string& path, std::size_t typeCount, platform::UserDialog& dialog);

// The file a template is saved to: the chosen name, with the extension appended only when it has none.
std::string TemplateSavePath(std::string_view chosen);

} // namespace pelgo::reports
