// The settings dialog's frame and its revision pages: the selection rules with their options and rule files,
// and the replacement pairs.
#include "gui/settings/setup_dialog.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QFont>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QSplitter>
#include <QStackedWidget>
#include <QTreeWidget>
#include <QVBoxLayout>
#include <algorithm>

#include "archive/pick_lists.h"
#include "core/cp1251.h"
#include "core/errors.h"
#include "core/text.h"
#include "core/translator.h"
#include "gui/common/qt_text.h"
#include "gui/common/window_translation.h"
#include "gui/settings/rule_table.h"

namespace pelgo::gui {
namespace {

constexpr const char* kRuleFileFilter = "Сохраненные конфигурации|*.sav|Все файлы|*.*";
constexpr const char* kRuleFileName = "Revizia.sav";
constexpr int kFullControl = 0;

// Page captions take 3000 + page index, navigation entries 3020 + entry index (headings counted).
constexpr int kSelectionPageIndex = 10;
constexpr int kReplacementPageIndex = 11;
constexpr int kRevisionHeadingEntry = 12;

enum RuleField { Group, Name, Typ, Text };
enum PairField { Find, Replacement };

QCheckBox* CheckBox(const char* name, const char* caption, QWidget* parent) {
    auto* box = new QCheckBox(QString::fromUtf8(caption), parent);
    box->setObjectName(QLatin1String(name));
    return box;
}

QStringList Strings(const std::vector<std::string>& cp1251) {
    QStringList list;
    for (const std::string& text : cp1251) {
        list << FromCp1251(text);
    }
    return list;
}

bool IsAbsenceRow(const QStringList& row) {
    const std::string typ = ToCp1251(row.value(Typ));
    return !typ.empty() && core::UpperCyrillic(core::Trim(typ)) == core::UpperCyrillic(settings::AbsenceWord());
}

} // namespace

SetupDialog::SetupDialog(session::AppState& state, platform::UserDialog& dialog, QWidget* parent)
    : QDialog(parent), m_state(state), m_dialog(dialog) {
    setObjectName(QStringLiteral("TSetup"));
    setWindowTitle(QString::fromUtf8("Настройки программы."));

    m_navigation = new QTreeWidget(this);
    m_navigation->setObjectName(QStringLiteral("NavigationTree"));
    m_navigation->setHeaderHidden(true);
    m_help = new QLabel(this);
    m_help->setObjectName(QStringLiteral("HelpLabel"));
    QFont helpFont = m_help->font();
    helpFont.setBold(true);
    m_help->setFont(helpFont);
    m_stack = new QStackedWidget(this);
    m_stack->setObjectName(QStringLiteral("Pages"));

    QTreeWidgetItem* revision = AddHeading(" Ревизия", 3020 + kRevisionHeadingEntry);
    AddPage(revision, "Выборка", 3020 + kRevisionHeadingEntry + 1, "SelectionPage", "Выборка для ревизии",
            3000 + kSelectionPageIndex,
            {nullptr,
             BuildSelectionPage(),
             3163,
             "Настройка параметров выборки данных для \"Отчеты - Ревизия\"",
             true,
             {},
             {}});
    m_pages.back().load = [this] {
        const shell::Settings& settings = m_state.Settings();
        ShowRules(settings::ParseRevisionRules(settings.reportRows));
        m_skipEmpty->setChecked(settings.Bool(shell::Key::SkipEmptyInReports));
    };
    m_pages.back().store = [this] {
        shell::Settings& settings = m_state.Settings();
        settings.reportRows = settings::StoredRevisionRules(TableRules());
        settings.SetBool(shell::Key::SkipEmptyInReports, m_skipEmpty->isChecked());
    };
    AddPage(revision, "Замена", 3020 + kRevisionHeadingEntry + 2, "ReplacementPage", "Замена строк для ревизии",
            3000 + kReplacementPageIndex,
            {nullptr,
             BuildReplacementPage(),
             3164,
             "Настройка параметров замены строк для \"Отчеты - Ревизия\"",
             true,
             {},
             {}});
    m_pages.back().load = [this] {
        const shell::Settings& settings = m_state.Settings();
        std::vector<QStringList> rows;
        for (const auto& [find, replacement] : settings.replacements) {
            rows.push_back({FromCp1251(find), FromCp1251(replacement)});
        }
        m_replacements->SetRows(rows);
        m_replace->setChecked(settings.Bool(shell::Key::ReplaceLines));
    };
    m_pages.back().store = [this] {
        shell::Settings& settings = m_state.Settings();
        settings.replacements.clear();
        for (const QStringList& row : m_replacements->Rows()) {
            settings.replacements.emplace_back(ToCp1251(row.value(Find)), ToCp1251(row.value(Replacement)));
        }
        settings.SetBool(shell::Key::ReplaceLines, m_replace->isChecked());
    };
    m_navigation->expandAll();
    connect(m_navigation, &QTreeWidget::currentItemChanged, this, [this](QTreeWidgetItem* item) { ShowPage(item); });

    m_saveButton = new QPushButton(QString::fromUtf8("Записать"), this);
    m_saveButton->setObjectName(QStringLiteral("SaveButton"));
    connect(m_saveButton, &QPushButton::clicked, this, [this] {
        Save();
        accept();
    });
    auto* cancel = new QPushButton(QString::fromUtf8("Отменить"), this);
    cancel->setObjectName(QStringLiteral("CancelButton"));
    connect(cancel, &QPushButton::clicked, this, &QDialog::reject);
    // However the dialog is left without "Записать", the edits are dropped.
    connect(this, &QDialog::rejected, this, &SetupDialog::LoadControls);

    auto* right = new QWidget(this);
    auto* rightLayout = new QVBoxLayout(right);
    rightLayout->setContentsMargins(0, 0, 0, 0);
    rightLayout->addWidget(m_help);
    rightLayout->addWidget(m_stack, 1);
    auto* splitter = new QSplitter(Qt::Horizontal, this);
    splitter->addWidget(m_navigation);
    splitter->addWidget(right);
    splitter->setStretchFactor(1, 1);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(m_saveButton);
    buttons->addWidget(cancel);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(splitter, 1);
    layout->addLayout(buttons);
    LoadControls();
}

QTreeWidgetItem* SetupDialog::AddHeading(const char* caption, int tag) {
    auto* heading = new QTreeWidgetItem(m_navigation, {QString::fromUtf8(caption)});
    m_entries.push_back({heading, tag, caption});
    return heading;
}

void SetupDialog::AddPage(QTreeWidgetItem* heading, const char* item, int itemTag, const char* objectName,
                          const char* caption, int captionTag, Page page) {
    page.item = new QTreeWidgetItem(heading, {QString::fromUtf8(item)});
    m_entries.push_back({page.item, itemTag, item});
    page.widget->setObjectName(QLatin1String(objectName));
    auto* title = new QLabel(QString::fromUtf8(caption), page.widget);
    title->setObjectName(QLatin1String(objectName) + QStringLiteral("Caption"));
    title->setProperty(kTagProperty, captionTag);
    qobject_cast<QBoxLayout*>(page.widget->layout())->insertWidget(0, title);
    m_stack->addWidget(page.widget);
    m_pages.push_back(std::move(page));
}

QWidget* SetupDialog::BuildSelectionPage() {
    auto* page = new QWidget(this);
    m_rules = new RuleTable({{"GROUP", 3050, "Группа", 16},
                             {"NAME", 3051, "Параметр", 16},
                             {"TYP", 3052, "Вид", 5},
                             {"TEXT", 3053, "Шаблон для поиска", 60}},
                            page);
    m_rules->setObjectName(QStringLiteral("RulesGrid"));
    m_rules->SetTint(IsAbsenceRow);

    m_selection = CheckBox("SelectionBox", "Параметры выборки :", page);
    m_skipEmpty = CheckBox("SkipEmptyBox", "Пропускать пустые", page);
    m_caseSensitive = CheckBox("CaseBox", "Учитывать регистр букв", page);
    m_createTable = CheckBox("DbfBox", "Создавать DBF-файл", page);
    m_selection->setChecked(true);
    connect(m_selection, &QCheckBox::toggled, this, &SetupDialog::EnableSelectionOptions);

    auto* scope = new QGroupBox(QString::fromUtf8("Включить данные"), page);
    scope->setObjectName(QStringLiteral("ScopeGroup"));
    m_wholeEnterprise = new QRadioButton(QString::fromUtf8("Всего предприятия"), scope);
    m_wholeEnterprise->setObjectName(QStringLiteral("ScopeAll"));
    m_wholeEnterprise->setProperty(kTagProperty, 3040);
    m_departmentOnly = new QRadioButton(QString::fromUtf8("Только выбранного отдела"), scope);
    m_departmentOnly->setObjectName(QStringLiteral("ScopeDepartment"));
    m_departmentOnly->setProperty(kTagProperty, 3041);
    m_departmentOnly->setChecked(true);
    auto* scopeLayout = new QVBoxLayout(scope);
    scopeLayout->addWidget(m_wholeEnterprise);
    scopeLayout->addWidget(m_departmentOnly);

    auto* save = new QPushButton(QString::fromUtf8("Сохранить параметры выборки"), page);
    save->setObjectName(QStringLiteral("SaveRulesButton"));
    connect(save, &QPushButton::clicked, this, &SetupDialog::SaveRuleFile);
    auto* load = new QPushButton(QString::fromUtf8("Загрузить параметры выборки"), page);
    load->setObjectName(QStringLiteral("LoadRulesButton"));
    connect(load, &QPushButton::clicked, this, &SetupDialog::LoadRuleFile);

    auto* options = new QGridLayout;
    options->addWidget(m_selection, 0, 0);
    options->addWidget(m_skipEmpty, 1, 0);
    options->addWidget(m_caseSensitive, 2, 0);
    options->addWidget(m_createTable, 3, 0);
    options->addWidget(scope, 0, 1, 4, 1);
    options->addWidget(save, 0, 2);
    options->addWidget(load, 1, 2);
    auto* layout = new QVBoxLayout(page);
    layout->addWidget(m_rules, 1);
    layout->addLayout(options);
    return page;
}

QWidget* SetupDialog::BuildReplacementPage() {
    auto* page = new QWidget(this);
    m_replacements = new RuleTable({{"f1", 3055, "Искать...", 80}, {"r1", 3056, "Заменять на...", 80}}, page);
    m_replacements->setObjectName(QStringLiteral("ReplaceGrid"));
    m_replace = CheckBox("ReplaceBox", "Заменять строки в отчетах", page);
    auto* note = new QLabel(QString::fromUtf8("* заменять на пустую = не выводить строку"), page);
    note->setObjectName(QStringLiteral("ReplaceNote"));
    auto* layout = new QVBoxLayout(page);
    layout->addWidget(m_replacements, 1);
    layout->addWidget(m_replace);
    layout->addWidget(note);
    return page;
}

void SetupDialog::EnableSelectionOptions() {
    const bool on = m_selection->isChecked();
    m_rules->setEnabled(on);
    m_skipEmpty->setEnabled(on);
    m_caseSensitive->setEnabled(on);
    m_createTable->setEnabled(on);
}

void SetupDialog::LoadControls() {
    for (const Page& page : m_pages) {
        page.load();
    }
    m_selection->setChecked(m_kept.selection);
    m_caseSensitive->setChecked(m_kept.caseSensitive);
    m_createTable->setChecked(m_kept.createTable);
    (m_kept.departmentOnly ? m_departmentOnly : m_wholeEnterprise)->setChecked(true);
    EnableSelectionOptions();
}

void SetupDialog::KeepRunOptions() {
    m_kept = {m_selection->isChecked(), m_caseSensitive->isChecked(), m_createTable->isChecked(),
              m_departmentOnly->isChecked()};
}

void SetupDialog::ShowRules(const std::vector<settings::RevisionRule>& rules) {
    std::vector<QStringList> rows;
    for (const settings::RevisionRule& rule : rules) {
        rows.push_back({FromCp1251(rule.group), FromCp1251(rule.name), FromCp1251(rule.typ), FromCp1251(rule.text)});
    }
    m_rules->SetRows(rows);
}

std::vector<settings::RevisionRule> SetupDialog::TableRules() {
    std::vector<settings::RevisionRule> rules;
    for (const QStringList& row : m_rules->Rows()) {
        rules.push_back({ToCp1251(row.value(Group)), ToCp1251(row.value(Name)), ToCp1251(row.value(Typ)),
                         ToCp1251(row.value(Text))});
    }
    return rules;
}

void SetupDialog::ShowPage(QTreeWidgetItem* item) {
    // A heading shows its first page.
    if (item != nullptr && item->childCount() > 0) {
        item = item->child(0);
    }
    for (const Page& page : m_pages) {
        if (page.item == item) {
            m_stack->setCurrentWidget(page.widget);
            m_help->setText(FromCp1251(core::Text(page.helpId, page.help)));
        }
    }
}

void SetupDialog::ShowModePages() {
    for (const Page& page : m_pages) {
        page.item->setHidden(m_revisionMode && !page.revision);
    }
    for (int i = 0; i < m_navigation->topLevelItemCount(); ++i) {
        QTreeWidgetItem* heading = m_navigation->topLevelItem(i);
        bool visible = false;
        for (int child = 0; child < heading->childCount(); ++child) {
            visible = visible || !heading->child(child)->isHidden();
        }
        heading->setHidden(!visible);
    }
    const auto first = std::find_if(m_pages.begin(), m_pages.end(),
                                    [this](const Page& page) { return !m_revisionMode || page.revision; });
    if (first != m_pages.end()) {
        m_navigation->setCurrentItem(first->item);
        ShowPage(first->item);
    }
    m_saveButton->setEnabled(m_revisionMode || m_state.UserRights() == kFullControl);
}

bool SetupDialog::Run() {
    ShowModePages();
    const bool saved = exec() == QDialog::Accepted;
    m_revisionMode = false;
    m_skipEmpty->setVisible(true);
    m_createTable->setVisible(true);
    return saved;
}

bool SetupDialog::Exec() {
    m_revisionMode = false;
    return Run();
}

bool SetupDialog::ExecRevision(bool forSheet) {
    m_revisionMode = true;
    m_skipEmpty->setVisible(!forSheet);
    m_createTable->setVisible(!forSheet);
    return Run();
}

void SetupDialog::ApplyTexts() {
    for (const NavigationEntry& entry : m_entries) {
        entry.item->setText(0, FromCp1251(core::Text(entry.textId, entry.text)));
    }
    m_rules->TranslateTitles();
    m_rules->SetPickList(Typ, Strings(settings::RuleTypeWords()));
    m_replacements->TranslateTitles();
}

void SetupDialog::BuildPickLists() {
    if (m_pickListsBuilt) {
        return;
    }
    platform::DbfTable* device = m_state.DeviceTable().IfOpen();
    const archive::PickLists lists = device != nullptr ? archive::ArchivePickLists(*device) : archive::PickLists{};
    m_rules->SetPickList(Group, QStringList{FromCp1251(core::Text(3060, "<любая>"))} + Strings(lists.groups));
    m_rules->SetPickList(Name, QStringList{FromCp1251(core::Text(3061, "<любой>"))} + Strings(lists.parameters));
    m_pickListsBuilt = device != nullptr; // a table closed now may be open at the next showing
}

QStringList SetupDialog::GroupPickList() const {
    return m_rules->PickList(Group);
}

QStringList SetupDialog::ParameterPickList() const {
    return m_rules->PickList(Name);
}

void SetupDialog::showEvent(QShowEvent* event) {
    LoadControls();
    BuildPickLists();
    ApplyTexts();
    QDialog::showEvent(event);
}

reports::RevisionOptions SetupDialog::Options() {
    reports::RevisionOptions options;
    options.departmentOnly = m_departmentOnly->isChecked();
    options.selection = m_selection->isChecked();
    options.caseSensitive = m_caseSensitive->isChecked();
    options.skipEmpty = m_skipEmpty->isChecked();
    options.replace = m_replace->isChecked();
    options.rules = TableRules();
    for (const QStringList& row : m_replacements->Rows()) {
        options.replacements.emplace_back(ToCp1251(row.value(Find)), ToCp1251(row.value(Replacement)));
    }
    return options;
}

bool SetupDialog::CreateTable() const {
    return m_selection->isChecked() && m_createTable->isChecked();
}

void SetupDialog::SetSelection(const std::vector<settings::RevisionRule>& rules, bool caseSensitive) {
    ShowRules(rules);
    m_caseSensitive->setChecked(caseSensitive);
    m_selection->setChecked(true);
    KeepRunOptions();
}

void SetupDialog::Save() {
    KeepRunOptions();
    if (m_revisionMode) {
        // Only the user's two rule sections are written; the options go with the next writing of the settings.
        if (!m_state.ProtectData()) {
            for (const Page& page : m_pages) {
                if (page.revision) {
                    page.store();
                }
            }
            m_state.SettingsFile().SaveReportsSetup();
        }
        return;
    }
    m_state.Log().LogEvent(core::Text(3062, "Изменены настройки программы"));
    for (const Page& page : m_pages) {
        page.store();
    }
    m_state.SettingsFile().ReadIni(0);
    m_state.SettingsFile().ReadIni(1);
}

void SetupDialog::SaveRuleFile() {
    platform::FileChoice choice;
    choice.purpose = platform::FileChoice::Purpose::Save;
    choice.title = core::Utf8ToCp1251("Сохранить параметры выборки");
    choice.filter = core::Utf8ToCp1251(kRuleFileFilter);
    choice.initialPath = kRuleFileName;
    choice.defaultExtension = "sav";
    const std::optional<std::string> path = m_dialog.ChooseFile(choice);
    if (!path) {
        return;
    }
    try {
        settings::WriteRuleFile(*path, settings::StoredRevisionRules(TableRules()));
    } catch (const core::Error& error) {
        m_dialog.Inform(platform::MessageKind::Error, error.what());
    }
}

void SetupDialog::LoadRuleFile() {
    platform::FileChoice choice;
    choice.purpose = platform::FileChoice::Purpose::Open;
    choice.title = core::Utf8ToCp1251("Загрузить параметры выборки");
    choice.filter = core::Utf8ToCp1251(kRuleFileFilter);
    choice.initialPath = kRuleFileName;
    const std::optional<std::string> path = m_dialog.ChooseFile(choice);
    if (!path) {
        return;
    }
    try {
        ShowRules(settings::ParseRevisionRules(settings::ReadRuleFile(*path)));
    } catch (const core::Error& error) {
        m_dialog.Inform(platform::MessageKind::Error, error.what());
    }
}

} // namespace pelgo::gui
