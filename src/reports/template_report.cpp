// The template generator. Regions are copied paragraph by paragraph into the report, then the markers in the
// copy are replaced from tables holding one value per distinct marker of the region.
//
// Markers are found on the text as one string with a carriage return between paragraphs, so the scan sees the
// same fifty-character windows across line ends that the template's author sees; a marker that would span a
// line end is left as it stands, since replacing it would join two paragraphs.
#include "reports/template_report.h"

#include <algorithm>
#include <array>
#include <map>
#include <unordered_map>

#include "core/cp1251.h"
#include "core/text.h"
#include "structure/additional_fields.h"
#include "structure/node_queries.h"

namespace pelgo::reports {

namespace {

using structure::TreeModel;
using structure::TreeNode;

constexpr std::size_t kMarkerWindow = 50;
constexpr std::size_t kValueLimit = 255;
constexpr char kOtherCharacter = '\x01'; // a picture or a character cp1251 lacks, as the scan sees it
// A marker is one line of cp1251 text: one across a line end would join two lines when replaced, and no value
// is kept for pictures or characters cp1251 lacks, so such bracketed texts stay as they stand.
constexpr std::string_view kNotInMarkers{"\r\n\x01"};

enum class MarkerKind { Device, Other, Get, Move };
constexpr std::array<const char*, 4> kKindPrefixes{"[DEVICE|", "[OTHER|", "[GET|", "[TP|"};

std::optional<MarkerKind> KindOf(std::string_view marker) {
    for (std::size_t kind = 0; kind < kKindPrefixes.size(); ++kind) {
        if (marker.starts_with(kKindPrefixes[kind])) {
            return static_cast<MarkerKind>(kind);
        }
    }
    return std::nullopt;
}

// A marker found in the text: where it stands (offsets in the flat text) and what it is, upper-cased.
struct FoundMarker {
    std::size_t at = 0;
    std::size_t length = 0;
    MarkerKind kind = MarkerKind::Device;
    std::string marker;
};

// The scan of the text for markers: from each "[" a marker runs to the first "]" within fifty characters.
std::vector<FoundMarker> ScanMarkers(std::string_view text) {
    std::vector<FoundMarker> found;
    std::size_t at = text.find('[');
    while (at != std::string_view::npos) {
        const std::string_view window = text.substr(at, kMarkerWindow);
        const std::size_t close = window.find(']');
        if (close == std::string_view::npos) {
            at = text.find('[', at + window.size());
            continue;
        }
        const std::string_view marker = window.substr(0, close + 1);
        std::string upper = core::UpperLatin(marker);
        if (const std::optional<MarkerKind> kind = KindOf(upper);
            kind && marker.find_first_of(kNotInMarkers) == std::string_view::npos) {
            found.push_back({at, marker.size(), *kind, std::move(upper)});
        }
        at = text.find('[', at + marker.size());
    }
    return found;
}

// Paragraphs [first, last) as one text, each paragraph's start offset beside it.
struct FlatText {
    std::string text;
    std::vector<std::size_t> starts;
};

FlatText Flatten(const std::vector<Paragraph>& paragraphs, std::size_t first, std::size_t last) {
    FlatText flat;
    for (std::size_t i = first; i < last; ++i) {
        if (i > first) {
            flat.text += '\r';
        }
        flat.starts.push_back(flat.text.size());
        for (const Inline& item : paragraphs[i].content) {
            if (const auto* run = std::get_if<Run>(&item)) {
                flat.text += run->text;
                flat.text.append(run->unicode.size(), kOtherCharacter);
            } else {
                flat.text += kOtherCharacter;
            }
        }
    }
    return flat;
}

std::size_t InlineLength(const Inline& item) {
    if (const auto* run = std::get_if<Run>(&item)) {
        return run->text.size() + run->unicode.size();
    }
    return 1;
}

// Appends the characters [from, to) of an inline item.
void AppendPart(Paragraph& paragraph, const Inline& item, std::size_t from, std::size_t to) {
    const auto* run = std::get_if<Run>(&item);
    if (run == nullptr) {
        paragraph.content.push_back(item);
        return;
    }
    if (!run->text.empty()) {
        AppendText(paragraph, std::string_view(run->text).substr(from, to - from), run->format);
    }
    for (std::size_t i = from; i < to && i < run->unicode.size(); ++i) {
        AppendCharacter(paragraph, run->unicode[i], run->format);
    }
}

// A marker's characters in its paragraph and what replaces them.
struct Replacement {
    std::size_t from = 0;
    std::size_t to = 0;
    std::string_view value;
};

// Replaces the ranges (ascending, apart) in one pass, each value in the format of its range's first character.
void ReplaceRanges(Paragraph& paragraph, const std::vector<Replacement>& replacements) {
    Paragraph result = paragraph;
    result.content.clear();
    std::size_t next = 0;
    std::size_t position = 0;
    for (const Inline& item : paragraph.content) {
        const std::size_t end = position + InlineLength(item);
        std::size_t at = position;
        while (at < end) {
            if (next < replacements.size() && at >= replacements[next].to) {
                ++next;
            } else if (next < replacements.size() && at >= replacements[next].from) {
                if (at == replacements[next].from) {
                    const auto* run = std::get_if<Run>(&item);
                    AppendText(result, replacements[next].value,
                               run != nullptr ? run->format : LeadingFormat(paragraph));
                }
                at = std::min(end, replacements[next].to);
            } else {
                const std::size_t stop = next < replacements.size() ? std::min(end, replacements[next].from) : end;
                AppendPart(result, item, at - position, stop - position);
                at = stop;
            }
        }
        position = end;
    }
    paragraph = std::move(result);
}

void Join(std::string& value, std::string_view addition) {
    if (addition.empty()) {
        return;
    }
    if (!value.empty()) {
        value += "; ";
    }
    value += addition;
}

bool Contains(std::string_view text, std::string_view part) {
    return text.find(part) != std::string_view::npos;
}

// The search text of a "…|?text]" marker, trimmed.
std::string SearchText(std::string_view marker) {
    const std::size_t question = marker.find('?');
    return std::string(core::Trim(marker.substr(question + 1, marker.size() - question - 2)));
}

using MarkerTable = std::map<std::string, std::string>;

// The GET names that come from the archive, with the prefix of their "Current_Config" line.
struct ConfigName {
    const char* marker;
    const char* prefix;
};
constexpr std::array<ConfigName, 5> kConfigNames{{{"|CURRHDD]", "HDD "},
                                                  {"|CURRCDROM]", "CDRom "},
                                                  {"|CURRNET]", "Net "},
                                                  {"|CURRDISPLAY]", "Display "},
                                                  {"|CURRMONITOR]", "Monitor "}}};
constexpr const char* kMotherboardMarker = "|MOTHERBOARD]";

class Generator {
public:
    Generator(const ReportTemplate& report, ReportSources& sources, const MoveRequest* move)
        : m_template(report), m_sources(sources), m_move(move) {}

    RichText Run(const TreeNode* selected) {
        const TemplateRegions regions = FindRegions(m_template.text);
        if (regions.headerEnd > 0) {
            OutputOnce(0, regions.headerEnd);
        }
        if (regions.detailEnd > regions.detailBegin) {
            CollectMarkers(regions.detailBegin, regions.detailEnd);
            if (m_move != nullptr) {
                OutputMoveEntries(regions);
            } else {
                OutputWalk(regions, selected);
            }
        }
        if (regions.footerBegin && *regions.footerBegin < m_template.text.paragraphs.size()) {
            OutputOnce(*regions.footerBegin, m_template.text.paragraphs.size());
        }
        return std::move(m_report);
    }

private:
    MarkerTable& Table(MarkerKind kind) { return m_tables[static_cast<std::size_t>(kind)]; }

    void OutputOnce(std::size_t first, std::size_t last) {
        CollectMarkers(first, last);
        const std::size_t at = m_report.paragraphs.size();
        Copy(first, last);
        if (m_move != nullptr) {
            FillFromAndTo();
        }
        FillNodeValues(nullptr);
        Substitute(at);
    }

    void OutputWalk(const TemplateRegions& regions, const TreeNode* selected) {
        const NodeWalk walk = ScopeWalk(m_sources.tree, m_template.scope, selected);
        for (const TreeNode* node = walk.first; node != nullptr && node != walk.stop;
             node = m_sources.tree.Next(*node)) {
            if (CheckIcon(m_template, node->Icon())) {
                OutputDetail(regions, *node);
            }
        }
    }

    void OutputMoveEntries(const TemplateRegions& regions) {
        std::unordered_map<std::string, const TreeNode*> byUno;
        for (const TreeNode* node = m_sources.tree.First(); node != nullptr; node = m_sources.tree.Next(*node)) {
            if (node->Record() != nullptr) {
                byUno.emplace(node->Record()->uno, node);
            }
        }
        for (const std::string& entry : m_move->entries) {
            for (auto& [marker, value] : Table(MarkerKind::Move)) {
                value.clear();
            }
            const auto found = byUno.find(entry.substr(0, 12));
            if (found == byUno.end()) {
                continue;
            }
            ++m_counter;
            FillMoveValues(found->second, "[TP|DETAIL|");
            FillFromAndTo();
            OutputDetail(regions, *found->second);
        }
    }

    void OutputDetail(const TemplateRegions& regions, const TreeNode& node) {
        const std::size_t at = m_report.paragraphs.size();
        Copy(regions.detailBegin, regions.detailEnd);
        FillNodeValues(&node);
        Substitute(at);
    }

    // A page break before the line that closes the range (the start or the end line, which are never copied)
    // goes before whatever the report continues with.
    void Copy(std::size_t first, std::size_t last) {
        const std::vector<Paragraph>& source = m_template.text.paragraphs;
        const std::size_t at = m_report.paragraphs.size();
        m_report.paragraphs.insert(m_report.paragraphs.end(), source.begin() + static_cast<std::ptrdiff_t>(first),
                                   source.begin() + static_cast<std::ptrdiff_t>(last));
        if (m_pageBreakPending && at < m_report.paragraphs.size()) {
            m_report.paragraphs[at].pageBreakBefore = true;
            m_pageBreakPending = false;
        }
        m_pageBreakPending = m_pageBreakPending || (last < source.size() && source[last].pageBreakBefore);
    }

    void CollectMarkers(std::size_t first, std::size_t last) {
        for (MarkerTable& table : m_tables) {
            table.clear();
        }
        for (FoundMarker& found : ScanMarkers(Flatten(m_template.text.paragraphs, first, last).text)) {
            Table(found.kind).try_emplace(found.marker, "<" + found.marker + ">");
        }
        m_readsArchive = !Table(MarkerKind::Device).empty();
        for (const auto& [marker, value] : Table(MarkerKind::Get)) {
            m_readsArchive = m_readsArchive || Contains(marker, kMotherboardMarker) ||
                             std::any_of(kConfigNames.begin(), kConfigNames.end(),
                                         [&](const ConfigName& name) { return Contains(marker, name.marker); });
        }
    }

    void Substitute(std::size_t firstParagraph) {
        std::vector<Paragraph>& paragraphs = m_report.paragraphs;
        const FlatText flat = Flatten(paragraphs, firstParagraph, paragraphs.size());
        const std::vector<FoundMarker> found = ScanMarkers(flat.text);
        for (auto marker = found.begin(); marker != found.end();) {
            const auto line = std::upper_bound(flat.starts.begin(), flat.starts.end(), marker->at) - 1;
            std::vector<Replacement> replacements;
            for (; marker != found.end() && (line + 1 == flat.starts.end() || marker->at < *(line + 1)); ++marker) {
                const MarkerTable& table = Table(marker->kind);
                const auto value = table.find(marker->marker);
                replacements.push_back({marker->at - *line, marker->at - *line + marker->length,
                                        value != table.end() ? std::string_view(value->second) : "?"});
            }
            ReplaceRanges(paragraphs[firstParagraph + static_cast<std::size_t>(line - flat.starts.begin())],
                          replacements);
        }
    }

    // The archive values of a computer: the DEVICE markers, the motherboard (else the BIOS) and the current
    // configuration's devices.
    struct ArchiveValues {
        std::string motherboard;
        std::array<std::string, kConfigNames.size()> config;
    };

    ArchiveValues FillDeviceValues(const TreeNode* node) {
        MarkerTable& devices = Table(MarkerKind::Device);
        for (auto& [marker, value] : devices) {
            value.clear();
        }
        ArchiveValues values;
        if (!m_readsArchive || node == nullptr || !structure::IsNetComputer(m_sources.tree, node)) {
            return values;
        }
        std::string bios;
        const std::string address = structure::ComputerAddress(m_sources.tree, *node);
        for (const archive::ArchiveRecord& record : archive::ReadArchiveRecords(m_sources.device, address)) {
            FindValue(record, "ComputerMotherBoard", values.motherboard);
            FindValue(record, "ComputerBIOS", bios);
            for (std::size_t i = 0; i < kConfigNames.size(); ++i) {
                GetCurrentConfig(record, kConfigNames[i].prefix, values.config[i]);
            }
            const std::string prefix = core::UpperLatin("[DEVICE|" + record.group + "|");
            const std::string key = prefix + core::UpperLatin(record.name) + "]";
            const std::string upperText = core::UpperLatin(record.text);
            for (auto it = devices.lower_bound(prefix); it != devices.end() && it->first.starts_with(prefix); ++it) {
                const std::string& marker = it->first;
                bool contributes = marker == key;
                if (!contributes && marker.size() > prefix.size() && marker[prefix.size()] == '?') {
                    const std::string search = SearchText(marker);
                    contributes = search.size() > 2 && Contains(upperText, search);
                }
                if (contributes) {
                    Join(it->second, record.text);
                }
            }
        }
        if (values.motherboard.empty()) {
            values.motherboard = bios;
        }
        return values;
    }

    void FillNodeValues(const TreeNode* node) {
        const ArchiveValues archive = FillDeviceValues(node);
        for (auto& [marker, value] : Table(MarkerKind::Get)) {
            value = Contains(marker, "|CURRDATE]") ? m_sources.date : std::string();
            if (node != nullptr) {
                value += GetValue(marker, *node, archive);
            }
        }
        MarkerTable& others = Table(MarkerKind::Other);
        if (others.empty()) {
            return;
        }
        for (auto& [marker, value] : others) {
            value.clear();
        }
        if (node == nullptr) {
            return;
        }
        const structure::MainData data = m_sources.additional.LoadMain(*node);
        for (auto& [marker, value] : others) {
            for (std::size_t field = 0; field < structure::kAdditionalFieldCount; ++field) {
                const std::string& text = data.fields[field].text;
                const std::string name = core::UpperLatin(structure::AdditionalFields()[field].storedName);
                if (marker == "[OTHER|MAIN|" + name + "]") {
                    value = text;
                } else if (marker.starts_with("[OTHER|MAIN|?")) {
                    const std::string search = core::UpperLatin(SearchText(marker));
                    if (search.size() > 1 && Contains(core::UpperLatin(text), search)) {
                        value = text;
                    }
                }
            }
        }
    }

    std::string GetValue(std::string_view marker, const TreeNode& node, const ArchiveValues& archive) const {
        if (Contains(marker, "|DEVNAME]")) {
            return node.Text();
        }
        if (Contains(marker, "|DEVNUMBER]")) {
            const std::size_t sign = node.Text().find('\xB9'); // "№"
            return sign == std::string::npos ? std::string() : node.Text().substr(sign + 1, kValueLimit);
        }
        if (Contains(marker, "|DEVTYP]")) {
            return m_sources.types.NodeTypeName(node.Icon());
        }
        if (Contains(marker, "|DEVOVNER]")) {
            return structure::NodeOwnerText(&node);
        }
        if (Contains(marker, "|DEVPATH]")) {
            return structure::ParentPathList(&node);
        }
        if (Contains(marker, kMotherboardMarker)) {
            return archive.motherboard;
        }
        for (std::size_t i = 0; i < kConfigNames.size(); ++i) {
            if (Contains(marker, kConfigNames[i].marker)) {
                return archive.config[i];
            }
        }
        return {};
    }

    void FillFromAndTo() {
        FillMoveValues(m_move->from, "[TP|FROM|");
        FillMoveValues(m_move->to, "[TP|TO|");
    }

    void FillMoveValues(const TreeNode* node, const std::string& prefix) {
        MarkerTable& moves = Table(MarkerKind::Move);
        if (node == nullptr || moves.empty()) {
            return;
        }
        const structure::MainData data = m_sources.additional.LoadMain(*node);
        for (auto& [marker, value] : moves) {
            if (marker.find("|GET_") != std::string::npos) {
                if (marker.starts_with(prefix + "GET_OVNER]")) {
                    value = structure::NodeOwnerText(node);
                } else if (marker.starts_with(prefix + "GET_PATH]")) {
                    value = structure::GetPath(node);
                } else if (marker.starts_with(prefix + "GET_NAME]")) {
                    value = node->Text();
                } else if (Contains(marker, prefix + "GET_COUNTER]")) {
                    value = std::to_string(m_counter);
                }
                continue;
            }
            for (std::size_t field = 0; field < structure::kAdditionalFieldCount; ++field) {
                if (marker.starts_with(prefix + core::UpperLatin(structure::AdditionalFields()[field].storedName) +
                                       "]")) {
                    value = data.fields[field].text;
                }
            }
        }
    }

    const ReportTemplate& m_template;
    ReportSources& m_sources;
    const MoveRequest* m_move;
    RichText m_report;
    std::array<MarkerTable, kKindPrefixes.size()> m_tables;
    bool m_readsArchive = false;
    bool m_pageBreakPending = false;
    int m_counter = 0;
};

const TreeNode* NextSibling(const TreeModel& tree, const TreeNode& node) {
    const TreeNode* parent = node.Parent();
    return parent != nullptr ? parent->Child(node.Row() + 1) : tree.TopLevel(node.Row() + 1);
}

// The selected node when it has the icon, else its nearest ancestor that has it, else the first node.
const TreeNode* FindNodeType(const TreeModel& tree, const TreeNode* selected, int icon) {
    for (const TreeNode* node = selected; node != nullptr; node = node->Parent()) {
        if (node->Icon() == icon) {
            return node;
        }
    }
    return tree.First();
}

} // namespace

NodeWalk ScopeWalk(const TreeModel& tree, ReportScope scope, const TreeNode* selected) {
    if (tree.Empty()) {
        return {};
    }
    switch (scope) {
    case ReportScope::Enterprise:
        return {tree.First(), nullptr};
    case ReportScope::Unit:
        return {selected, selected != nullptr ? tree.Next(*selected) : nullptr};
    case ReportScope::Department:
    case ReportScope::Employee:
        break;
    }
    const int icon = scope == ReportScope::Department ? structure::kIconDepartment : structure::kIconEmployee;
    const TreeNode* first = FindNodeType(tree, selected, icon);
    const TreeNode* stop = nullptr;
    for (const TreeNode* node = first; node != nullptr && stop == nullptr; node = node->Parent()) {
        stop = NextSibling(tree, *node);
    }
    return {first, stop};
}

RichText MakeUserReports(const ReportTemplate& report, ReportSources& sources, const TreeNode* selected,
                         const MoveRequest* move) {
    return Generator(report, sources, move).Run(selected);
}

void FindValue(const archive::ArchiveRecord& record, std::string_view key, std::string& value) {
    if (record.group.size() + record.name.size() == key.size() && key.starts_with(record.group) &&
        key.ends_with(record.name)) {
        Join(value, record.text);
    }
}

void GetCurrentConfig(const archive::ArchiveRecord& record, std::string_view prefix, std::string& value) {
    if (record.group != "Current_Config" || prefix.empty() ||
        !core::UpperLatin(record.text).starts_with(core::UpperLatin(prefix))) {
        return;
    }
    Join(value, core::Trim(std::string_view(record.text).substr(prefix.size() - 1, kValueLimit)));
}

} // namespace pelgo::reports
