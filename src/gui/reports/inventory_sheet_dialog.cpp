// The inventory sheet dialog's pages, group switches, parameter files and the making of the sheet.
#include "gui/reports/inventory_sheet_dialog.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
#include <QTabWidget>
#include <QVBoxLayout>

#include "core/cp1251.h"
#include "core/errors.h"
#include "core/translator.h"
#include "gui/common/qt_text.h"
#include "gui/settings/rule_table.h"
#include "gui/settings/setup_dialog.h"
#include "reports/report_template.h"
#include "structure/additional_data.h"
#include "structure/node_records_table.h"

namespace pelgo::gui {
namespace {

using reports::SheetGroup;

constexpr const char* kParameterFilter = "Конфигурации инвентарн. ведом.|*.set|Ini-файлы|*.ini";
constexpr const char* kTextFilter = "Текстовые файлы|*.txt|Все файлы|*.*";
constexpr const char* kTableFilter = "DBF-файлы|*.dbf|Все файлы|*.*";
constexpr const char* kSheetName = "invvedom";

enum ColumnField { Group, Name, Text };

QCheckBox* CheckBox(const char* name, const char* caption, QWidget* parent) {
    auto* box = new QCheckBox(QString::fromUtf8(caption), parent);
    box->setObjectName(QLatin1String(name));
    return box;
}

QPushButton* Button(const char* name, const char* caption, QWidget* parent) {
    auto* button = new QPushButton(QString::fromUtf8(caption), parent);
    button->setObjectName(QLatin1String(name));
    return button;
}

QRadioButton* Radio(const char* name, const char* caption, QWidget* parent) {
    auto* radio = new QRadioButton(QString::fromUtf8(caption), parent);
    radio->setObjectName(QLatin1String(name));
    return radio;
}

void Toggle(QListWidgetItem* item) {
    item->setCheckState(item->checkState() == Qt::Checked ? Qt::Unchecked : Qt::Checked);
}

} // namespace

InventorySheetDialog::InventorySheetDialog(session::AppState& state, platform::UserDialog& dialog, SetupDialog& setup,
                                           QWidget* parent)
    : QDialog(parent), m_state(state), m_dialog(dialog), m_setup(setup) {
    setObjectName(QStringLiteral("TIVset"));
    setWindowTitle(QString::fromUtf8("Параметры Инвентарной ведомости"));
    m_columnBoxes.resize(reports::SheetColumns().size());

    m_pages = new QTabWidget(this);
    m_pages->setObjectName(QStringLiteral("PageControl"));
    m_pages->addTab(BuildNodePage(), QString::fromUtf8("Данные об оргтехнике"));
    m_pages->addTab(BuildComputerPage(), QString::fromUtf8("Компьютеры"));
    m_columnPage = BuildColumnPage();
    m_pages->addTab(m_columnPage, QString::fromUtf8("Настраиваемые поля"));
    m_pages->addTab(BuildAdditionalPage(), QString::fromUtf8("Дополнительные данные"));
    m_pages->addTab(BuildFilterPage(), QString::fromUtf8("Фильтр"));

    auto* format = new QGroupBox(QString::fromUtf8("Формат выходного файла :"), this);
    format->setObjectName(QStringLiteral("FormatGroup"));
    m_textFormat = Radio("TextFormat", "Текстовый файл (с разделителями табуляции)", format);
    m_tableFormat = Radio("TableFormat", "DBF-файл (dBASE III)", format);
    m_textFormat->setChecked(true);
    auto* formatLayout = new QVBoxLayout(format);
    formatLayout->addWidget(m_textFormat);
    formatLayout->addWidget(m_tableFormat);

    QPushButton* save = Button("SaveParamsButton", "Сохранить параметры Инвентарной ведомости", this);
    connect(save, &QPushButton::clicked, this, &InventorySheetDialog::SaveParameters);
    QPushButton* load = Button("LoadParamsButton", "Загрузить параметры Инвентарной ведомости", this);
    connect(load, &QPushButton::clicked, this, &InventorySheetDialog::LoadParameters);
    QPushButton* make = Button("MakeButton", "Сформировать", this);
    connect(make, &QPushButton::clicked, this, &InventorySheetDialog::MakeSheet);
    QPushButton* close = Button("CloseButton", "Закрыть", this);
    connect(close, &QPushButton::clicked, this, &QDialog::reject);

    auto* files = new QVBoxLayout;
    files->addWidget(save);
    files->addWidget(load);
    auto* bottom = new QHBoxLayout;
    bottom->addWidget(format, 1);
    bottom->addLayout(files);
    auto* commands = new QHBoxLayout;
    commands->addStretch(1);
    commands->addWidget(make);
    commands->addWidget(close);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(m_pages, 1);
    layout->addLayout(bottom);
    layout->addLayout(commands);
    EnableGroups();
}

QWidget* InventorySheetDialog::BuildColumnBoxes(SheetGroup group, QWidget* parent, int perColumn) {
    auto* boxes = new QWidget(parent);
    auto* grid = new QGridLayout(boxes);
    int position = 0;
    const std::vector<reports::SheetColumn>& columns = reports::SheetColumns();
    for (std::size_t i = 0; i < columns.size(); ++i) {
        if (columns[i].group != group) {
            continue;
        }
        m_columnBoxes[i] = CheckBox(columns[i].name, columns[i].caption, boxes);
        grid->addWidget(m_columnBoxes[i], position % perColumn, position / perColumn);
        ++position;
    }
    return boxes;
}

QWidget* InventorySheetDialog::BuildNodePage() {
    auto* page = new QWidget(this);
    page->setObjectName(QStringLiteral("TabSheet1"));
    QWidget* boxes = BuildColumnBoxes(SheetGroup::Node, page, 6);
    QCheckBox* name = m_columnBoxes[reports::kSheetNameColumn];
    name->setChecked(true);
    name->setEnabled(false);
    auto* typesLabel = new QLabel(QString::fromUtf8("Включать в ведомость :"), page);
    typesLabel->setObjectName(QStringLiteral("TypesLabel"));
    m_typeList = new QListWidget(page);
    m_typeList->setObjectName(QStringLiteral("TypeList"));
    connect(m_typeList, &QListWidget::itemDoubleClicked, this, Toggle);
    auto* types = new QVBoxLayout;
    types->addWidget(typesLabel);
    types->addWidget(m_typeList, 1);
    auto* layout = new QHBoxLayout(page);
    layout->addWidget(boxes, 1);
    layout->addLayout(types, 1);
    return page;
}

QWidget* InventorySheetDialog::BuildComputerPage() {
    auto* page = new QWidget(this);
    page->setObjectName(QStringLiteral("TabSheet2"));
    m_computerGroup = CheckBox("ComputerGroupBox", "Для компьютеров включать в ведомость :", page);
    connect(m_computerGroup, &QCheckBox::toggled, this, &InventorySheetDialog::EnableGroups);
    QWidget* boxes = BuildColumnBoxes(SheetGroup::Computer, page, 7);
    m_invertComputer = Button("InvertComputerButton", "Сменить", page);
    connect(m_invertComputer, &QPushButton::clicked, this, [this] { Invert(SheetGroup::Computer); });
    m_userColumns = CheckBox("UserColumnsBox", "Для компьютеров дополнительно включать в ведомость :", page);
    auto* layout = new QVBoxLayout(page);
    layout->addWidget(m_computerGroup);
    layout->addWidget(boxes);
    layout->addWidget(m_invertComputer, 0, Qt::AlignLeft);
    layout->addWidget(m_userColumns);
    layout->addStretch(1);
    return page;
}

QWidget* InventorySheetDialog::BuildColumnPage() {
    auto* page = new QWidget(this);
    page->setObjectName(QStringLiteral("TabSheet4"));
    m_columnTable = new RuleTable({{"GROUP", 4620, "Группа", 16},
                                   {"NAME", 4621, "Параметр или...", 16},
                                   {"TEXT", 4622, "...или Значение начинается с :", 150}},
                                  page);
    m_columnTable->setObjectName(QStringLiteral("ColumnGrid"));
    auto* layout = new QVBoxLayout(page);
    layout->addWidget(m_columnTable);
    return page;
}

QWidget* InventorySheetDialog::BuildAdditionalPage() {
    auto* page = new QWidget(this);
    page->setObjectName(QStringLiteral("TabSheet3"));
    m_additionalGroup = CheckBox("AdditionalGroupBox", "Включать в ведомость из Дополнительных данных", page);
    connect(m_additionalGroup, &QCheckBox::toggled, this, &InventorySheetDialog::EnableGroups);
    QWidget* boxes = BuildColumnBoxes(SheetGroup::Additional, page, 8);
    m_invertAdditional = Button("InvertAdditionalButton", "Сменить", page);
    connect(m_invertAdditional, &QPushButton::clicked, this, [this] { Invert(SheetGroup::Additional); });
    auto* layout = new QVBoxLayout(page);
    layout->addWidget(m_additionalGroup);
    layout->addWidget(boxes);
    layout->addWidget(m_invertAdditional, 0, Qt::AlignLeft);
    layout->addStretch(1);
    return page;
}

QWidget* InventorySheetDialog::BuildFilterPage() {
    auto* page = new QWidget(this);
    page->setObjectName(QStringLiteral("TabSheet5"));
    m_allData = Radio("AllData", "Включать все данные", page);
    m_filterData = Radio("FilterData", "Выполнять фильтрацию данных", page);
    m_departmentData = Radio("DepartmentData", "Включать данные только текущего отдела", page);
    m_allData->setChecked(true);
    m_filterSetup = Button("FilterSetupButton", "Настройка фильтра", page);
    connect(m_filterSetup, &QPushButton::clicked, this, &InventorySheetDialog::SetupFilter);
    connect(m_filterData, &QRadioButton::toggled, m_filterSetup, &QPushButton::setEnabled);
    m_filterSetup->setEnabled(false);
    auto* layout = new QGridLayout(page);
    layout->addWidget(m_allData, 0, 0);
    layout->addWidget(m_filterData, 1, 0);
    layout->addWidget(m_filterSetup, 1, 1);
    layout->addWidget(m_departmentData, 2, 0);
    layout->setRowStretch(3, 1);
    return page;
}

void InventorySheetDialog::EnableGroups() {
    const std::vector<reports::SheetColumn>& columns = reports::SheetColumns();
    for (std::size_t i = 0; i < columns.size(); ++i) {
        if (columns[i].group == SheetGroup::Computer) {
            m_columnBoxes[i]->setEnabled(m_computerGroup->isChecked());
        } else if (columns[i].group == SheetGroup::Additional) {
            m_columnBoxes[i]->setEnabled(m_additionalGroup->isChecked());
        }
    }
    m_invertComputer->setEnabled(m_computerGroup->isChecked());
    m_userColumns->setEnabled(m_computerGroup->isChecked());
    m_invertAdditional->setEnabled(m_additionalGroup->isChecked());
    m_pages->setTabVisible(m_pages->indexOf(m_columnPage), m_computerGroup->isChecked());
}

void InventorySheetDialog::Invert(SheetGroup group) {
    const std::vector<reports::SheetColumn>& columns = reports::SheetColumns();
    for (std::size_t i = 0; i < columns.size(); ++i) {
        if (columns[i].group == group) {
            m_columnBoxes[i]->setChecked(!m_columnBoxes[i]->isChecked());
        }
    }
}

void InventorySheetDialog::SetupFilter() {
    if (!m_setup.ExecRevision(true)) {
        m_allData->setChecked(true);
    }
}

void InventorySheetDialog::Prepare(const structure::NodeTypes& types) {
    const bool first = !m_types.has_value();
    m_types.emplace(types);
    if (first) {
        m_typeList->clear();
        for (const std::string& name : reports::IncludedTypeNames(types)) {
            auto* item = new QListWidgetItem(FromCp1251(name), m_typeList);
            item->setFlags(Qt::ItemIsEnabled | Qt::ItemIsSelectable);
            item->setCheckState(Qt::Unchecked);
        }
        SetParameters(reports::DefaultSheetParameters(types));
    }
    m_textFormat->setChecked(true);
}

void InventorySheetDialog::showEvent(QShowEvent* event) {
    m_setup.BuildPickLists();
    m_columnTable->SetPickList(Group, m_setup.GroupPickList());
    m_columnTable->SetPickList(Name, m_setup.ParameterPickList());
    m_columnTable->TranslateTitles();
    QDialog::showEvent(event);
}

reports::SheetParameters InventorySheetDialog::Parameters() {
    reports::SheetParameters parameters;
    for (const QCheckBox* box : m_columnBoxes) {
        parameters.ticked.push_back(box->isChecked());
    }
    parameters.computerGroup = m_computerGroup->isChecked();
    parameters.userColumnsOn = m_userColumns->isChecked();
    parameters.additionalGroup = m_additionalGroup->isChecked();
    for (const QStringList& row : m_columnTable->Rows()) {
        parameters.userColumns.push_back(
            {ToCp1251(row.value(Group)), ToCp1251(row.value(Name)), ToCp1251(row.value(Text))});
    }
    for (int i = 0; i < m_typeList->count(); ++i) {
        parameters.includedTypes.push_back(m_typeList->item(i)->checkState() == Qt::Checked);
    }
    parameters.filter = m_filterData->isChecked();
    if (parameters.filter) {
        const reports::RevisionOptions options = m_setup.Options();
        if (options.selection) {
            parameters.filterRules = options.rules;
            parameters.filterCaseSensitive = options.caseSensitive;
        }
    }
    parameters.tableFormat = m_tableFormat->isChecked();
    return parameters;
}

void InventorySheetDialog::SetParameters(const reports::SheetParameters& parameters) {
    for (std::size_t i = 0; i < m_columnBoxes.size(); ++i) {
        m_columnBoxes[i]->setChecked(i == reports::kSheetNameColumn ||
                                     (i < parameters.ticked.size() && parameters.ticked[i]));
    }
    m_computerGroup->setChecked(parameters.computerGroup);
    m_userColumns->setChecked(parameters.userColumnsOn);
    m_additionalGroup->setChecked(parameters.additionalGroup);
    std::vector<QStringList> rows;
    for (const reports::UserColumn& column : parameters.userColumns) {
        rows.push_back({FromCp1251(column.group), FromCp1251(column.name), FromCp1251(column.text)});
    }
    m_columnTable->SetRows(rows);
    for (int i = 0; i < m_typeList->count(); ++i) {
        const auto position = static_cast<std::size_t>(i);
        const bool included = position >= parameters.includedTypes.size() || parameters.includedTypes[position];
        m_typeList->item(i)->setCheckState(included ? Qt::Checked : Qt::Unchecked);
    }
    if (parameters.filter) {
        m_filterData->setChecked(true);
        m_setup.SetSelection(parameters.filterRules, parameters.filterCaseSensitive);
    } else if (m_filterData->isChecked()) {
        m_allData->setChecked(true);
    }
    (parameters.tableFormat ? m_tableFormat : m_textFormat)->setChecked(true);
    EnableGroups();
}

void InventorySheetDialog::SaveParameters() {
    platform::FileChoice choice;
    choice.purpose = platform::FileChoice::Purpose::Save;
    choice.title = core::Utf8ToCp1251("Сохранить параметры Инвентарной ведомости");
    choice.filter = core::Utf8ToCp1251(kParameterFilter);
    choice.defaultExtension = "set";
    const std::optional<std::string> path = m_dialog.ChooseFile(choice);
    if (!path) {
        return;
    }
    try {
        reports::SaveSheetParameters(*path, Parameters());
    } catch (const core::Error&) {
        m_dialog.Inform(platform::MessageKind::Error, core::Text(250, "Не могу сохранить данные!"));
        return;
    }
    m_dialog.Inform(platform::MessageKind::Information, core::Text(4601, "Параметры инвентарной ведомости сохранены!"));
}

void InventorySheetDialog::LoadParameters() {
    platform::FileChoice choice;
    choice.purpose = platform::FileChoice::Purpose::Open;
    choice.title = core::Utf8ToCp1251("Загрузить параметры Инвентарной ведомости");
    choice.filter = core::Utf8ToCp1251(kParameterFilter);
    const std::optional<std::string> path = m_dialog.ChooseFile(choice);
    if (!path) {
        return;
    }
    try {
        SetParameters(reports::LoadSheetParameters(*path, Parameters()));
    } catch (const core::Error&) {
        m_dialog.Inform(platform::MessageKind::Error, core::Text(246, "Не могу загрузить данные!"));
    }
}

void InventorySheetDialog::MakeSheet() {
    platform::DbfTable* device = m_state.DeviceTable().IfOpen();
    platform::DbfTable* other = m_state.OtherTable().IfOpen();
    if (device == nullptr || other == nullptr || !m_types) {
        return;
    }
    const reports::SheetParameters parameters = Parameters();
    platform::FileChoice choice;
    choice.purpose = platform::FileChoice::Purpose::Save;
    choice.title = core::Utf8ToCp1251("Сформировать");
    choice.filter = core::Utf8ToCp1251(parameters.tableFormat ? kTableFilter : kTextFilter);
    choice.initialPath = kSheetName;
    choice.defaultExtension = parameters.tableFormat ? "dbf" : "txt";
    const std::optional<std::string> path = m_state.Settings().ChooseOutputFile(m_dialog, choice);
    if (!path) {
        return;
    }
    // The headers come from the captions as the boxes show them, in the language of the moment.
    std::vector<std::string> captions;
    for (const QCheckBox* box : m_columnBoxes) {
        captions.push_back(ToCp1251(box->text()));
    }
    const reports::RevisionOptions revision = m_setup.Options();
    std::optional<reports::LineSelection> selection;
    if (parameters.filter && revision.selection) {
        selection.emplace(revision.rules, revision.caseSensitive, settings::AbsenceWord());
    }
    const reports::SheetScope scope{m_departmentData->isChecked() || (parameters.filter && revision.departmentOnly),
                                    m_state.SelectedNode()};
    reports::Sheet sheet;
    try {
        structure::NodeRecordsTable records(*other);
        structure::AdditionalData additional(records, m_state.Log());
        reports::SheetSources sources{m_state.Tree(), *m_types, *device, additional};
        sheet = reports::MakeInventorySheet(sources, parameters, captions, selection ? &*selection : nullptr, scope);
    } catch (const core::Error& error) {
        m_dialog.Inform(platform::MessageKind::Error, error.what());
        return;
    }
    try {
        if (parameters.tableFormat) {
            reports::WriteSheetTable(*path, sheet, m_state.Clock());
        } else {
            reports::WriteSheetText(*path, sheet);
        }
    } catch (const core::Error&) {
        m_dialog.Inform(platform::MessageKind::Error, core::Text(250, "Ошибка создания") + "\n" + *path);
        return;
    }
    m_dialog.Inform(platform::MessageKind::Information, core::Text(4600, "Формирование закончено!"));
}

} // namespace pelgo::gui
