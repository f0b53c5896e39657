// The computer passport and the account card. Both are written as the report window writes them: attributes
// are switched and stay in force until switched again, so each line takes whatever the lines before it left.
#include "reports/computer_documents.h"

#include <array>
#include <cstddef>

#include "archive/computer_view.h"
#include "core/cp1251.h"
#include "core/translator.h"
#include "reports/report_writer.h"
#include "structure/additional_fields.h"
#include "structure/node_queries.h"
#include "structure/node_types.h"

namespace pelgo::reports {

namespace {

using structure::TreeNode;

std::string Cp(std::string_view utf8) {
    return core::Utf8ToCp1251(utf8);
}

std::string DateLine(std::string_view date) {
    return core::Text(3552, "Дата составления : ") + std::string(date);
}

// A group heading of the passport: the group's caption and the comments' "Комментарий".
void Heading(ReportWriter& writer, std::string_view text) {
    writer.style.bullet = true;
    writer.style.firstIndent = 40;
    writer.style.bold = true;
    writer.style.title = true;
    writer.Line(text);
}

// The line right after a heading, and the comment lines.
void GroupLine(ReportWriter& writer, std::string_view text) {
    writer.style.bullet = false;
    writer.style.bold = false;
    writer.style.title = false;
    writer.style.firstIndent = 60;
    writer.Line(text);
}

// One parameter of the card: an archive line whose "GROUP:NAME" is `key`, or, with `prefix`, a current
// configuration line whose text begins with it.
struct Parameter {
    const char* key;
    const char* prefix;
    const char* label; // UTF-8, ending in a tab
    const char* unit;  // UTF-8
};

// In the card's order; the prefixes in the order they are tried.
constexpr std::array<Parameter, 13> kParameters{{
    {"Computer:MotherBoard", nullptr, "Сис.плата \t", ""},
    {"Computer:CPU", nullptr, "Процессор \t", ""},
    {"Computer:Memory_in_Mb", nullptr, "Память    \t", " Мб"},
    {"Computer:Total_HDD_in_Mb", nullptr, "HDD размер\t", " Мб"},
    {nullptr, "HDD", "HDD модель\t", ""},
    {nullptr, "CDROM", "CD-Rom    \t", ""},
    {nullptr, "DISPLAY", "Видео карта\t", ""},
    {nullptr, "MONITOR", "Монитор   \t", ""},
    {nullptr, "NET", "Сетевая карта\t", ""},
    {"Info:MAC_Addr", nullptr, "MAC адрес  \t", ""},
    {"Info:System", nullptr, "Операц.сис.\t", ""},
    {"Info:Computer_Name", nullptr, "Имя комп.  \t", ""},
    {"Info:Record_Date", nullptr, "Дата заполн.\t", ""},
}};
constexpr std::size_t kBoard = 0;
constexpr const char* kBiosKey = "Computer:BIOS";
constexpr std::size_t kMaxDeviceText = 200;
// Monitors and every later node type are devices; addresses, employees and departments come before.
constexpr int kFirstDeviceIcon = 5;

struct CardParameters {
    std::vector<std::string> bios;
    std::array<std::vector<std::string>, kParameters.size()> values;
};

// Archive records come trimmed, so the key and the value are the trimmed parts.
void FileRecord(const archive::ArchiveRecord& record, CardParameters& card) {
    const std::string key = record.group + ":" + record.name;
    if (key == kBiosKey) {
        card.bios.push_back(record.text);
    }
    for (std::size_t i = 0; i < kParameters.size(); ++i) {
        if (kParameters[i].key != nullptr && key == kParameters[i].key) {
            card.values[i].push_back(record.text);
            break;
        }
    }
    const std::size_t blank = record.text.find(' ');
    if (!record.group.starts_with("Current_Config") || blank == std::string::npos) {
        return;
    }
    const std::string upper = core::UpperLatin(record.text);
    for (std::size_t i = 0; i < kParameters.size(); ++i) {
        if (kParameters[i].prefix != nullptr && upper.starts_with(kParameters[i].prefix)) {
            card.values[i].push_back(record.text.substr(blank + 1, kMaxDeviceText));
            return;
        }
    }
}

void ParameterLines(ReportWriter& writer, const CardParameters& card) {
    for (std::size_t i = 0; i < kParameters.size(); ++i) {
        const std::string label = Cp(kParameters[i].label);
        const std::string unit = Cp(kParameters[i].unit);
        const std::vector<std::string>& values = card.values[i];
        for (std::size_t n = 0; n < values.size(); ++n) {
            std::string line = label + values[n] + unit;
            if (i == kBoard && n < card.bios.size()) {
                line += " " + card.bios[n];
            }
            writer.Line(line);
        }
    }
}

// The departments above the computer from the top down. A "\" goes before the part built so far only when that
// part is longer than one character, so a one-letter lowest department is glued to the one above it.
std::string DepartmentPath(const TreeNode& computer) {
    std::string path;
    for (const TreeNode* node = computer.Parent(); node != nullptr; node = node->Parent()) {
        if (node->Icon() != structure::kIconDepartment) {
            continue;
        }
        if (path.size() > 1) {
            path.insert(0, "\\");
        }
        path.insert(0, node->Text());
    }
    return path;
}

const TreeNode* NextSibling(const structure::TreeModel& tree, const TreeNode& node) {
    const TreeNode* parent = node.Parent();
    return parent != nullptr ? parent->Child(node.Row() + 1) : tree.TopLevel(node.Row() + 1);
}

// The computer's children, then its following siblings; for the last child, the following siblings of the
// nearest ancestor that has any. Only siblings are listed, never their subtrees, so another employee's devices
// stay out.
std::vector<const TreeNode*> AttachedDevices(const structure::TreeModel& tree, const TreeNode& computer) {
    std::vector<const TreeNode*> nodes;
    for (int row = 0; row < computer.ChildCount(); ++row) {
        nodes.push_back(computer.Child(row));
    }
    const TreeNode* from = &computer;
    while (from != nullptr && NextSibling(tree, *from) == nullptr) {
        from = from->Parent();
    }
    if (from != nullptr) {
        for (const TreeNode* node = NextSibling(tree, *from); node != nullptr; node = NextSibling(tree, *node)) {
            nodes.push_back(node);
        }
    }
    std::erase_if(nodes, [](const TreeNode* node) {
        return node->Icon() < kFirstDeviceIcon || node->Icon() == structure::kIconNote;
    });
    return nodes;
}

const std::string& FieldText(const structure::MainData& main, std::string_view storedName) {
    std::size_t field = 0;
    while (structure::AdditionalFields()[field].storedName != storedName) {
        ++field;
    }
    return main.fields[field].text;
}

const std::vector<std::string>& CommentsOf(const TreeNode& node) {
    static const std::vector<std::string> none;
    return node.Record() != nullptr && node.Record()->comments ? *node.Record()->comments : none;
}

RichText OneLine(std::string_view text) {
    ReportWriter writer;
    writer.Line(text);
    return writer.Take();
}

} // namespace

RichText ComputerPassport(const archive::ViewTree& archive, std::string_view path,
                          const std::vector<std::string>& comments, std::string_view date) {
    ReportWriter writer;
    writer.Line("");
    writer.style.alignment = Alignment::Center;
    writer.style.title = true;
    writer.style.heightPixels = 24;
    writer.style.bold = true;
    writer.style.underline = true;
    writer.Line(Cp("Паспорт компьютера"));
    writer.style.heightPixels = 20;
    writer.style.bold = false;
    writer.style.underline = false;
    writer.Line("");
    writer.Line(path);
    writer.Line("");

    writer.style.bullet = true;
    writer.style.alignment = Alignment::Left;
    writer.style.firstIndent = 40;
    writer.style.title = false;
    std::vector<const archive::ViewLine*> lines;
    archive.ForEach([&](const archive::ViewLine& line, int) { lines.push_back(&line); });
    for (std::size_t i = 0; i < lines.size(); ++i) {
        if (lines[i]->children.empty()) {
            writer.Line(lines[i]->text);
            continue;
        }
        Heading(writer, lines[i]->text);
        // A line with children is followed by its first child, written as a plain line whatever it holds.
        ++i;
        GroupLine(writer, lines[i]->text);
    }

    if (!comments.empty()) {
        Heading(writer, Cp("Комментарий"));
        for (const std::string& comment : comments) {
            GroupLine(writer, comment);
        }
    }
    writer.style.rightIndent = 20;
    writer.style.alignment = Alignment::Right;
    writer.Line("");
    writer.Line(DateLine(date));
    return writer.Take();
}

RichText AccountCard(const structure::TreeModel& tree, const TreeNode* node, platform::DbfTable& device,
                     structure::AdditionalData& additional, std::string_view date) {
    if (!structure::IsNetComputer(tree, node)) {
        return OneLine(Cp("Нельзя сформировать учетную карточку"));
    }
    const TreeNode& computer = *node;
    const std::string& address = structure::ComputerAddress(tree, computer);
    const std::vector<archive::ArchiveRecord> records = archive::ReadArchiveRecords(device, address);
    if (records.empty()) {
        return OneLine(core::Text(4321, "Ошибочный MAC-адрес") + " " + address);
    }
    CardParameters card;
    for (const archive::ArchiveRecord& record : records) {
        FileRecord(record, card);
    }
    const structure::MainData main = additional.LoadMain(computer);

    ReportWriter writer;
    ReportStyle& style = writer.style;
    style.alignment = Alignment::Center;
    style.title = true;
    style.heightPixels = 30;
    style.bold = true;
    writer.Line(Cp("Учетная карточка технических средств"));
    style.heightPixels = 20;
    writer.Line("");
    writer.Line("N ___________");
    writer.Line("");
    writer.Line("");
    style.alignment = Alignment::Right;
    style.heightPixels = 14;
    writer.Line(DateLine(date));
    for (int i = 0; i < 3; ++i) {
        writer.Line("");
    }

    style.alignment = Alignment::Left;
    style.firstIndent = 20;
    style.heightPixels = 16;
    style.bold = false;
    const std::string departments = DepartmentPath(computer);
    if (departments.size() > 1) {
        writer.Line(Cp("Подразделение\t") + departments);
    }
    if (const TreeNode* parent = computer.Parent(); parent != nullptr && parent->Icon() == structure::kIconEmployee) {
        writer.Line(Cp("Ф.И.О.\t\t") + parent->Text());
    }
    style.alignment = Alignment::Center;
    style.heightPixels = 20;
    writer.Line("");
    writer.Line(computer.Text());
    writer.Line("");

    style.bullet = true;
    style.alignment = Alignment::Left;
    style.firstIndent = 30;
    ParameterLines(writer, card);
    const std::pair<const char*, const char*> fields[] = {{"aModel", "Модель     \t"},
                                                          {"aInumber", "Инвентарн.№\t"},
                                                          {"aZavNum", "Заводской №\t"},
                                                          {"aPlomba", "Пломба    №\t"}};
    for (const auto& [name, label] : fields) {
        // A one-character value is a placeholder such as "-".
        if (const std::string& text = FieldText(main, name); text.size() > 1) {
            writer.Line(Cp(label) + text);
        }
    }
    const std::vector<std::string>& comments = CommentsOf(computer);
    for (std::size_t i = 0; i < comments.size(); ++i) {
        writer.Line((i == 0 ? Cp("Дополнительно") : std::string()) + "\t" + comments[i]);
    }
    writer.Line("");

    for (const TreeNode* attached : AttachedDevices(tree, computer)) {
        style.alignment = Alignment::Center;
        style.firstIndent = 20;
        style.heightPixels = 20;
        writer.Line(attached->Text());
    }

    style.heightPixels = 16;
    style.alignment = Alignment::Left;
    style.firstIndent = 20;
    style.bullet = false;
    writer.Line("");
    writer.Line("");
    writer.Line(Cp("Технические средства принял(а) _____________ /\t\t\t\t/"));
    for (int i = 0; i < 3; ++i) {
        writer.Line("");
    }
    style.bold = true;
    style.alignment = Alignment::Center;
    style.firstIndent = 0;
    writer.Line(Cp("Переданное и установленное оборудование :"));
    style.bold = false;
    writer.Line("");
    style.underline = true;
    style.heightPixels = 14;
    writer.Line(Cp("   Дата\t\tНаименование\t\t\tИнв.N\t\t           Сдал\t         Принял\t"));
    for (int i = 0; i < 6; ++i) {
        style.underline = false;
        writer.Line("|\t|\t\t\t\t|\t\t\t\t|\t\t|\t\t|");
        style.underline = true;
        writer.Line("|\t|\t\t\t\t|\t\t\t\t|\t\t|\t\t|");
    }
    return writer.Take();
}

} // namespace pelgo::reports
