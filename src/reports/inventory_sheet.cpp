// The inventory sheet: the column set, the rows over the chosen nodes, the text and table outputs and the
// parameter files.
#include "reports/inventory_sheet.h"

#include <algorithm>
#include <array>
#include <string>
#include <unordered_map>

#include "archive/computer_view.h"
#include "core/cp1251.h"
#include "core/errors.h"
#include "core/file.h"
#include "core/profile_file.h"
#include "core/text.h"
#include "reports/report_template.h"
#include "reports/template_report.h"
#include "structure/additional_fields.h"
#include "structure/node_queries.h"

namespace pelgo::reports {

namespace {

using structure::TreeNode;

constexpr std::size_t kValueLimit = 255;
constexpr int kUserColumnWidth = 200;
constexpr const char* kNumberSign = "\xB9"; // "№"

// Where a column's value comes from: for node data the column itself, for the computer group an archive key
// (GROUP followed by NAME) or a "Current_Config" prefix, for additional data a stored field name.
enum class Source { Uno, Caption, Number, Type, Owner, Path, Motherboard, Archive, Config, Additional };

struct ColumnSource {
    Source source;
    const char* key;
};

// In the order of SheetColumns().
constexpr std::array<ColumnSource, 34> kSources{{
    {Source::Uno, ""},
    {Source::Caption, ""},
    {Source::Number, ""},
    {Source::Type, ""},
    {Source::Owner, ""},
    {Source::Path, ""},
    {Source::Motherboard, ""},
    {Source::Archive, "ComputerCPU"},
    {Source::Archive, "ComputerCPU_Freq_in_MHz"},
    {Source::Archive, "ComputerMemory_in_Mb"},
    {Source::Archive, "ComputerTotal_HDD_in_Mb"},
    {Source::Config, "HDD "},
    {Source::Config, "CDRom "},
    {Source::Archive, "InfoComputer_Name"},
    {Source::Archive, "InfoMAC_Addr"},
    {Source::Archive, "InfoIP_Addr"},
    {Source::Config, "Net "},
    {Source::Config, "Display "},
    {Source::Config, "Monitor "},
    {Source::Additional, "aModel"},
    {Source::Additional, "aInumber"},
    {Source::Additional, "aZavNum"},
    {Source::Additional, "aPlomba"},
    {Source::Additional, "aZadachi"},
    {Source::Additional, "aD1"},
    {Source::Additional, "aPrice"},
    {Source::Additional, "aShop"},
    {Source::Additional, "aNaklad"},
    {Source::Additional, "aDend"},
    {Source::Additional, "aRoom"},
    {Source::Additional, "aRabM"},
    {Source::Additional, "aDolgn"},
    {Source::Additional, "aPhone"},
    {Source::Additional, "aFIO"},
}};

void Join(std::string& value, std::string_view addition) {
    if (addition.empty()) {
        return;
    }
    if (!value.empty()) {
        value += "; ";
    }
    value += addition;
}

std::size_t FieldIndex(std::string_view storedName) {
    const auto& fields = structure::AdditionalFields();
    for (std::size_t i = 0; i < fields.size(); ++i) {
        if (storedName == fields[i].storedName) {
            return i;
        }
    }
    return fields.size();
}

bool IsBlank(const UserColumn& column) {
    return core::Trim(column.group + column.name + column.text).empty();
}

// GROUP and NAME given without "<" (the "any" entries of the pick lists begin with it) must be equal.
bool Restricts(std::string_view field) {
    return !field.empty() && field.find('<') == std::string_view::npos;
}

// A column-table row ready for matching archive lines.
struct UserMatcher {
    std::size_t number = 0; // 1-based row position
    std::string group;
    std::string name;
    std::string text; // RevisionUpper

    // `upperText`: the line's text in RevisionUpper.
    bool Matches(const archive::ArchiveRecord& record, std::string_view upperText) const {
        return (!Restricts(group) || record.group == group) && (!Restricts(name) || record.name == name) &&
               upperText.starts_with(text);
    }
};

std::vector<UserMatcher> UserMatchers(const SheetParameters& parameters) {
    std::vector<UserMatcher> matchers;
    if (!parameters.computerGroup || !parameters.userColumnsOn) {
        return matchers;
    }
    for (std::size_t i = 0; i < parameters.userColumns.size(); ++i) {
        const UserColumn& column = parameters.userColumns[i];
        if (!IsBlank(column)) {
            matchers.push_back({i + 1, std::string(core::Trim(column.group)), std::string(core::Trim(column.name)),
                                RevisionUpper(core::Trim(column.text))});
        }
    }
    return matchers;
}

bool Ticked(const SheetParameters& parameters, std::size_t column) {
    return column == kSheetNameColumn || (column < parameters.ticked.size() && parameters.ticked[column]);
}

// The check-box columns present, in output order within their group.
std::vector<std::size_t> PresentColumns(const SheetParameters& parameters, SheetGroup group) {
    const bool groupOn = group == SheetGroup::Node ||
                         (group == SheetGroup::Computer ? parameters.computerGroup : parameters.additionalGroup);
    std::vector<std::size_t> present;
    if (!groupOn) {
        return present;
    }
    const std::vector<SheetColumn>& columns = SheetColumns();
    for (std::size_t i = 0; i < columns.size(); ++i) {
        if (columns[i].group == group && Ticked(parameters, i)) {
            present.push_back(i);
        }
    }
    return present;
}

bool TypeIncluded(const SheetParameters& parameters, int icon) {
    const std::optional<std::size_t> position = IncludedPosition(icon, parameters.includedTypes.size());
    return !position || *position >= parameters.includedTypes.size() || parameters.includedTypes[*position];
}

std::string NodeValue(const SheetSources& sources, const TreeNode& node, Source source) {
    switch (source) {
    case Source::Uno:
        return node.Record() != nullptr ? node.Record()->uno : std::string();
    case Source::Caption:
        return node.Text();
    case Source::Number: {
        const std::size_t sign = node.Text().find(kNumberSign);
        return sign == std::string::npos ? std::string() : node.Text().substr(sign + 1, kValueLimit);
    }
    case Source::Type:
        return sources.types.NodeTypeName(node.Icon());
    case Source::Owner:
        return structure::NodeOwnerText(&node);
    case Source::Path:
        return structure::ParentPathList(&node);
    default:
        return {};
    }
}

// One computer column's value over the computer's archive lines.
std::string ArchiveValue(const std::vector<archive::ArchiveRecord>& records, const ColumnSource& source) {
    std::string value;
    std::string bios;
    for (const archive::ArchiveRecord& record : records) {
        switch (source.source) {
        case Source::Motherboard:
            FindValue(record, "ComputerMotherBoard", value);
            FindValue(record, "ComputerBIOS", bios);
            break;
        case Source::Archive:
            FindValue(record, source.key, value);
            break;
        case Source::Config:
            GetCurrentConfig(record, source.key, value);
            break;
        default:
            break;
        }
    }
    return value.empty() ? bios : value;
}

std::string Header(const std::vector<std::string>& captions, std::size_t column) {
    return SheetHeader(column < captions.size() ? captions[column]
                                                : core::Utf8ToCp1251(SheetColumns()[column].caption));
}

std::string FieldName(std::string_view name) {
    return core::UpperLatin(name.substr(0, 10));
}

// The value as one cell of a tab-separated line.
std::string Cell(std::string_view value) {
    return std::string(core::Trim(core::ControlsAsBlanks(value))) + '\t';
}

void AppendLine(std::string& text, const std::vector<std::string>& values) {
    for (const std::string& value : values) {
        text += Cell(value);
    }
    text += "\r\n";
}

bool HasKey(const core::StringList& keys, std::string_view key) {
    return std::any_of(keys.begin(), keys.end(), [&](const std::string& k) { return core::SameText(k, key); });
}

core::StringList KeysOf(core::ProfileFile& file, const std::string& section) {
    core::StringList keys;
    file.ReadSection(section, keys);
    return keys;
}

// The numbered keys "0", "1", … up to the first one missing.
std::vector<std::string> ReadNumbered(core::ProfileFile& file, const std::string& section) {
    // One pass over the section: a key-by-key lookup would make a long section quadratic.
    core::StringList lines;
    file.ReadSectionValues(section, lines);
    std::unordered_map<std::string, std::string> byKey;
    for (const std::string& line : lines) {
        const std::size_t equals = line.find('=');
        byKey.try_emplace(std::string(core::Trim(std::string_view(line).substr(0, equals))),
                          equals == std::string::npos ? std::string() : line.substr(equals + 1));
    }
    std::vector<std::string> values;
    for (std::size_t i = 0;; ++i) {
        const auto found = byKey.find(std::to_string(i));
        if (found == byKey.end()) {
            return values;
        }
        values.push_back(found->second);
    }
}

UserColumn ParseUserColumn(std::string_view line) {
    UserColumn column;
    const std::size_t first = line.find('|');
    if (first == std::string_view::npos) {
        column.group = line;
        return column;
    }
    column.group = line.substr(0, first);
    const std::size_t second = line.find('|', first + 1);
    if (second == std::string_view::npos) {
        column.name = line.substr(first + 1);
        return column;
    }
    column.name = line.substr(first + 1, second - first - 1);
    column.text = line.substr(second + 1);
    return column;
}

// The sections that hold a group's check boxes.
const char* SectionOf(SheetGroup group) {
    switch (group) {
    case SheetGroup::Node:
        return "TabSheet1";
    case SheetGroup::Computer:
        return "TabSheet2";
    case SheetGroup::Additional:
        break;
    }
    return "TabSheet3";
}

} // namespace

const std::vector<SheetColumn>& SheetColumns() {
    static const std::vector<SheetColumn> columns{
        {"Index", SheetGroup::Node, "Индекс ", 12},
        {"Name", SheetGroup::Node, "Наименование оргтехники", 32},
        {"InvNum", SheetGroup::Node, "Инвентарный номер", 20},
        {"Typ", SheetGroup::Node, "Тип оргтехники (монитор,компьютер...)", 12},
        {"Ovner", SheetGroup::Node, "Владелец оргтехники", 80},
        {"Path", SheetGroup::Node, "Месторасположение оргтехники", 100},
        {"MotherBoard", SheetGroup::Computer, "Данные о мат.плате (или BIOS'e)", 200},
        {"CPU", SheetGroup::Computer, "Наименование процессора", 150},
        {"CPU_clock", SheetGroup::Computer, "Частота процессора", 6},
        {"RAM", SheetGroup::Computer, "Обьем ОЗУ", 6},
        {"HDD_Total", SheetGroup::Computer, "Общий обьем жестких дисков", 6},
        {"HDD", SheetGroup::Computer, "Наименование жестких дисков", 200},
        {"CDROM", SheetGroup::Computer, "Наименование приводов CDROM", 200},
        {"NetName", SheetGroup::Computer, "Имя компьютера", 12},
        {"MAC", SheetGroup::Computer, "MAC - адрес", 12},
        {"IPadr", SheetGroup::Computer, "IP - адрес и имя хоста", 32},
        {"netCard", SheetGroup::Computer, "Наименование сетевой карты", 200},
        {"Video", SheetGroup::Computer, "Наименование видеокарты", 200},
        {"Monitor", SheetGroup::Computer, "Наименование монитора", 200},
        {"Model", SheetGroup::Additional, "Модель", 150},
        {"InvN", SheetGroup::Additional, "Инвентарный №", 150},
        {"ZavN", SheetGroup::Additional, "Заводской №", 150},
        {"Plomba", SheetGroup::Additional, "№ пломбы", 150},
        {"Zadachi", SheetGroup::Additional, "Выполняемые задачи", 150},
        {"Dprih", SheetGroup::Additional, "Дата прихода", 150},
        {"Price", SheetGroup::Additional, "Стоимость", 150},
        {"Shop", SheetGroup::Additional, "Поставщик", 150},
        {"Naklad", SheetGroup::Additional, "№ накладной", 150},
        {"Dend", SheetGroup::Additional, "Гарантия до", 150},
        {"Room", SheetGroup::Additional, "№ помещения", 150},
        {"RMesto", SheetGroup::Additional, "Рабочее место", 150},
        {"Post", SheetGroup::Additional, "Должность", 150},
        {"Phone", SheetGroup::Additional, "Телефон", 150},
        {"FIO", SheetGroup::Additional, "ФИО мат.отв.", 150},
    };
    return columns;
}

std::vector<std::string> DefaultSheetCaptions() {
    std::vector<std::string> captions;
    for (const SheetColumn& column : SheetColumns()) {
        captions.push_back(core::Utf8ToCp1251(column.caption));
    }
    return captions;
}

SheetParameters DefaultSheetParameters(const structure::NodeTypes& types) {
    SheetParameters parameters;
    for (const SheetColumn& column : SheetColumns()) {
        parameters.ticked.push_back(column.group == SheetGroup::Node);
    }
    parameters.includedTypes = DefaultIncludedTypes(IncludedTypeNames(types).size());
    return parameters;
}

std::string SheetHeader(std::string_view caption) {
    std::string header(caption.substr(0, caption.find('(')));
    header = core::ReplaceAll(core::ReplaceAll(header, kNumberSign, "N"), ".", "_");
    return std::string(core::Trim(header));
}

Sheet MakeInventorySheet(SheetSources& sources, const SheetParameters& parameters,
                         const std::vector<std::string>& captions, const LineSelection* selection,
                         const SheetScope& scope) {
    const std::vector<SheetColumn>& columns = SheetColumns();
    const std::vector<std::size_t> nodeColumns = PresentColumns(parameters, SheetGroup::Node);
    const std::vector<std::size_t> computerColumns = PresentColumns(parameters, SheetGroup::Computer);
    const std::vector<std::size_t> additionalColumns = PresentColumns(parameters, SheetGroup::Additional);
    const std::vector<UserMatcher> matchers = UserMatchers(parameters);

    Sheet sheet;
    const auto addColumn = [&](std::string header, std::string field, int width) {
        sheet.headers.push_back(std::move(header));
        sheet.fieldNames.push_back(std::move(field));
        sheet.fieldWidths.push_back(width);
    };
    for (const std::vector<std::size_t>* group : {&nodeColumns, &computerColumns}) {
        for (const std::size_t column : *group) {
            addColumn(Header(captions, column), FieldName(columns[column].name), columns[column].width);
        }
    }
    for (const UserMatcher& matcher : matchers) {
        const std::string number = std::to_string(matcher.number);
        addColumn("Add_" + number, "ADD_" + number, kUserColumnWidth);
    }
    for (const std::size_t column : additionalColumns) {
        addColumn(Header(captions, column), FieldName(columns[column].name), columns[column].width);
    }

    const bool readsArchive = selection != nullptr || !computerColumns.empty() || !matchers.empty();
    const NodeWalk walk = ScopeWalk(
        sources.tree, scope.departmentOnly ? ReportScope::Department : ReportScope::Enterprise, scope.selected);
    for (const TreeNode* node = walk.first; node != nullptr && node != walk.stop; node = sources.tree.Next(*node)) {
        if (!TypeIncluded(parameters, node->Icon())) {
            continue;
        }
        const bool computer = structure::IsNetComputer(sources.tree, node);
        std::vector<archive::ArchiveRecord> records;
        if (computer && readsArchive) {
            records = archive::ReadArchiveRecords(sources.device, structure::ComputerAddress(sources.tree, *node));
        }
        if (selection != nullptr &&
            (!computer || std::none_of(records.begin(), records.end(), [&](const archive::ArchiveRecord& record) {
                return selection->Pick(record.group, record.name, record.text) > 0;
            }))) {
            continue;
        }
        std::vector<std::string>& row = sheet.rows.emplace_back();
        for (const std::size_t column : nodeColumns) {
            row.push_back(NodeValue(sources, *node, kSources[column].source));
        }
        for (const std::size_t column : computerColumns) {
            row.push_back(ArchiveValue(records, kSources[column]));
        }
        const std::size_t userFirst = row.size();
        row.resize(userFirst + matchers.size());
        for (const archive::ArchiveRecord& record : records) {
            const std::string upperText = matchers.empty() ? std::string() : RevisionUpper(record.text);
            for (std::size_t i = 0; i < matchers.size(); ++i) {
                if (matchers[i].Matches(record, upperText)) {
                    Join(row[userFirst + i], record.text);
                }
            }
        }
        if (!additionalColumns.empty()) {
            const structure::MainData data = sources.additional.LoadMain(*node);
            for (const std::size_t column : additionalColumns) {
                const std::size_t field = FieldIndex(kSources[column].key);
                row.push_back(field < data.fields.size() ? data.fields[field].text : std::string());
            }
        }
    }
    return sheet;
}

void WriteSheetText(std::string_view path, const Sheet& sheet) {
    std::string text;
    AppendLine(text, sheet.headers);
    for (const std::vector<std::string>& row : sheet.rows) {
        AppendLine(text, row);
    }
    core::WriteFileAtomically(path, text);
}

void WriteSheetTable(std::string_view path, const Sheet& sheet, const core::Clock& clock) {
    std::vector<platform::DbfFieldSpec> fields;
    for (std::size_t i = 0; i < sheet.fieldNames.size(); ++i) {
        fields.push_back({sheet.fieldNames[i], sheet.fieldWidths[i]});
    }
    platform::DbfTable::WriteWhole(path, fields, sheet.rows, clock);
}

void SaveSheetParameters(std::string_view path, const SheetParameters& parameters) {
    core::ProfileFile file{std::string(path)};
    core::ProfileFile::Batch batch(file);
    const std::vector<SheetColumn>& columns = SheetColumns();
    for (std::size_t i = 0; i < columns.size(); ++i) {
        file.WriteBool(SectionOf(columns[i].group), columns[i].name, Ticked(parameters, i));
    }
    file.WriteBool("TabSheet2", "Enabled", parameters.computerGroup);
    file.WriteBool("TabSheet3", "Enabled", parameters.additionalGroup);

    file.EraseSection("StructItems");
    for (std::size_t position = 0; position < parameters.includedTypes.size(); ++position) {
        if (!parameters.includedTypes[position]) {
            file.WriteInteger("StructItems", std::to_string(position), 2);
        }
    }

    file.EraseSection("TabSheet4");
    file.WriteBool("TabSheet4", "Enabled", parameters.userColumnsOn);
    if (parameters.userColumnsOn) {
        for (std::size_t i = 0; i < parameters.userColumns.size(); ++i) {
            const UserColumn& column = parameters.userColumns[i];
            file.WriteString("TabSheet4", std::to_string(i), column.group + "|" + column.name + "|" + column.text);
        }
    }

    file.EraseSection("TabSheet5");
    file.WriteBool("TabSheet5", "Enabled", parameters.filter);
    if (parameters.filter) {
        const std::vector<std::string> lines = settings::StoredRevisionRules(parameters.filterRules);
        for (std::size_t i = 0; i < lines.size(); ++i) {
            file.WriteString("TabSheet5", std::to_string(i), lines[i]);
        }
        file.WriteBool("TabSheet5", "aUpperReviz", parameters.filterCaseSensitive);
    }

    file.WriteInteger("Out_file", "Out_file_typ", parameters.tableFormat ? 1 : 0);
    batch.Commit();
}

SheetParameters LoadSheetParameters(std::string_view path, SheetParameters current) {
    if (!core::FileExists(path)) {
        throw core::CannotOpenFile(std::string(path));
    }
    core::ProfileFile file{std::string(path)};
    SheetParameters& parameters = current;
    const std::vector<SheetColumn>& columns = SheetColumns();
    parameters.ticked.resize(columns.size(), false);
    for (std::size_t i = 0; i < columns.size(); ++i) {
        parameters.ticked[i] = file.ReadBool(SectionOf(columns[i].group), columns[i].name, parameters.ticked[i]);
    }
    parameters.ticked[kSheetNameColumn] = true;
    parameters.computerGroup = file.ReadBool("TabSheet2", "Enabled", parameters.computerGroup);
    parameters.additionalGroup = file.ReadBool("TabSheet3", "Enabled", parameters.additionalGroup);

    // A saved file lists only the unticked types, so a type it does not list is ticked; a file without the
    // node page was not saved by us and leaves the types as they are.
    if (!KeysOf(file, "TabSheet1").empty() || !KeysOf(file, "StructItems").empty()) {
        for (std::size_t position = 0; position < parameters.includedTypes.size(); ++position) {
            parameters.includedTypes[position] = file.ReadInteger("StructItems", std::to_string(position), 1) != 2;
        }
    }

    if (!KeysOf(file, "TabSheet4").empty()) {
        parameters.userColumnsOn = file.ReadBool("TabSheet4", "Enabled", parameters.userColumnsOn);
        parameters.userColumns.clear();
        for (const std::string& line : ReadNumbered(file, "TabSheet4")) {
            parameters.userColumns.push_back(ParseUserColumn(line));
        }
    }

    parameters.filter = file.ReadBool("TabSheet5", "Enabled", parameters.filter);
    if (parameters.filter && HasKey(KeysOf(file, "TabSheet5"), "Enabled")) {
        parameters.filterRules = settings::ParseRevisionRules(ReadNumbered(file, "TabSheet5"));
        parameters.filterCaseSensitive = file.ReadBool("TabSheet5", "aUpperReviz", parameters.filterCaseSensitive);
    }

    parameters.tableFormat = file.ReadInteger("Out_file", "Out_file_typ", parameters.tableFormat ? 1 : 0) == 1;
    return parameters;
}

} // namespace pelgo::reports
