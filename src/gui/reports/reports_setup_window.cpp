// The template editor's controls and commands.
#include "gui/reports/reports_setup_window.h"

#include <QAction>
#include <QButtonGroup>
#include <QCloseEvent>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
#include <QSplitter>
#include <QTextCursor>
#include <QTextDocument>
#include <QTextEdit>
#include <QToolBar>
#include <QVBoxLayout>

#include "core/errors.h"
#include "core/translator.h"
#include "gui/common/qt_text.h"
#include "gui/common/window_translation.h"
#include "gui/reports/rich_text_document.h"
#include "reports/rtf_writer.h"
#include "structure/additional_fields.h"

namespace pelgo::gui {
namespace {

constexpr const char* kTemplateFilter = "Шаблоны отчетов *.RTF|*.rtf|Все файлы *.*|*.*";
constexpr const char* kSearchEntry = "? текст для поиска";
constexpr int kKeyRole = Qt::UserRole;

struct KindInfo {
    int id;
    const char* caption;
    const char* word;
};
constexpr std::array<KindInfo, 3> kKinds{{{4506, "Данные о компьютерах (Device)", "DEVICE"},
                                          {4507, "Дополнительные данные (Other)", "OTHER"},
                                          {4508, "Требование на перемещение(TP)", "TP"}}};

constexpr std::array<const char*, 4> kScopeCaptions{"Всего предприятия", "Текущего отдела", "Текущего сотрудника",
                                                    "Данной единицы оргтехники"};
constexpr int kFirstScopeId = 4510;

struct TpName {
    const char* caption;
    const char* key;
};
constexpr std::array<TpName, 4> kTpNames{{{"Владелец оргтехники", "Get_Ovner"},
                                          {"Месторасположение оргтехники", "Get_Path"},
                                          {"Наименование оргтехники", "Get_Name"},
                                          {"Счетчик строк", "Get_Counter"}}};

constexpr std::array<const char*, 6> kMainGets{"DevName", "DevNumber", "DevTyp", "DevOvner", "DevPath", "CurrDate"};
constexpr std::array<const char*, 6> kConfigGets{"Motherboard", "CurrHDD",     "CurrCDRom",
                                                 "CurrNet",     "CurrDisplay", "CurrMonitor"};

void AddItem(QComboBox* box, const QString& caption, const QString& key) {
    box->addItem(caption, key);
}

void SetChecked(QListWidgetItem* item, bool on) {
    item->setCheckState(on ? Qt::Checked : Qt::Unchecked);
}

} // namespace

ReportsSetupWindow::ReportsSetupWindow(platform::UserDialog& dialog, QWidget* parent)
    : QMainWindow(parent), m_dialog(dialog) {
    setObjectName(QStringLiteral("TReportsSetup"));

    m_edit = new QTextEdit(this);
    m_edit->setObjectName(QStringLiteral("RichEdit"));
    m_edit->setAcceptRichText(false);
    connect(m_edit->document(), &QTextDocument::modificationChanged, this, [this] { ShowCaption(); });

    QToolBar* commands = addToolBar(QString());
    commands->setObjectName(QStringLiteral("CommandBar"));
    const auto command = [this, commands](const char* name, const char* caption, auto handler) {
        QAction* action = commands->addAction(QString::fromUtf8(caption));
        action->setObjectName(QLatin1String(name));
        connect(action, &QAction::triggered, this, handler);
        return action;
    };
    command("OpenButton", "Открыть шаблон...", [this] { Open(); });
    command("SaveButton", "Сохранить...", [this] { Save(); });
    command("PrintButton", "Печать...", [this] { PrintWithDialog(*m_edit->document(), windowTitle(), this); });
    command("FindButton", "Найти ...", [this] { Find(false); })->setShortcut(Qt::Key_F7);
    command("FindNextButton", "Найти далее", [this] { Find(true); })->setShortcut(Qt::Key_F3);
    addToolBar(BuildFormatBar(*m_edit, m_dialog, this));
    addToolBarBreak();
    BuildGetBars();

    auto* splitter = new QSplitter(Qt::Horizontal, this);
    auto* panel = new QWidget(splitter);
    BuildMarkerPanel(panel);
    splitter->addWidget(panel);
    splitter->addWidget(m_edit);
    splitter->setStretchFactor(1, 1);
    setCentralWidget(splitter);
    SetTypeNames({});
    ShowCaption();
}

void ReportsSetupWindow::BuildGetBars() {
    const std::array<std::pair<const char*, const std::array<const char*, 6>*>, 2> bars{
        {{"Основные данные", &kMainGets}, {"Текущая конфигурация", &kConfigGets}}};
    for (const auto& [title, names] : bars) {
        QToolBar* bar = addToolBar(QString::fromUtf8(title));
        bar->setObjectName(names == &kMainGets ? QStringLiteral("MainDataBar") : QStringLiteral("ConfigBar"));
        for (const char* name : *names) {
            QAction* action = bar->addAction(QLatin1String(name));
            action->setObjectName(QLatin1String(name));
            connect(action, &QAction::triggered, this,
                    [this, name] { InsertText(QStringLiteral("[GET|%1]").arg(QLatin1String(name))); });
        }
    }
}

void ReportsSetupWindow::BuildMarkerPanel(QWidget* panel) {
    auto* layout = new QVBoxLayout(panel);
    m_kindBox = new QComboBox(panel);
    m_kindBox->setObjectName(QStringLiteral("KindBox"));
    m_groupBox = new QComboBox(panel);
    m_groupBox->setObjectName(QStringLiteral("GroupBox"));
    m_nameBox = new QComboBox(panel);
    m_nameBox->setObjectName(QStringLiteral("NameBox"));
    m_nameBox->setInsertPolicy(QComboBox::NoInsert);
    auto* add = new QPushButton(QString::fromUtf8("<< Добавить"), panel);
    add->setObjectName(QStringLiteral("AddButton"));
    connect(add, &QPushButton::clicked, this, &ReportsSetupWindow::InsertMarker);
    FillKinds();
    connect(m_kindBox, &QComboBox::currentIndexChanged, this, &ReportsSetupWindow::OnKindChanged);
    layout->addWidget(m_kindBox);
    layout->addWidget(m_groupBox);
    layout->addWidget(m_nameBox);
    layout->addWidget(add);

    m_scopeGroup = new QGroupBox(QString::fromUtf8("Применять отчет для :"), panel);
    m_scopeGroup->setObjectName(QStringLiteral("ScopeGroup"));
    m_scopeButtons = new QButtonGroup(m_scopeGroup);
    auto* scopeLayout = new QVBoxLayout(m_scopeGroup);
    for (std::size_t i = 0; i < kScopeCaptions.size(); ++i) {
        auto* button = new QRadioButton(FromCp1251(core::Text(kFirstScopeId + static_cast<int>(i), kScopeCaptions[i])),
                                        m_scopeGroup);
        button->setObjectName(QStringLiteral("Scope%1").arg(i));
        button->setProperty(kTagProperty, kFirstScopeId + static_cast<int>(i));
        m_scopeButtons->addButton(button, static_cast<int>(i));
        scopeLayout->addWidget(button);
    }
    connect(m_scopeButtons, &QButtonGroup::idClicked, this, [this] { MarkModified(); });
    layout->addWidget(m_scopeGroup);

    auto* typesLabel = new QLabel(QString::fromUtf8("Включать в отчет :"), panel);
    typesLabel->setObjectName(QStringLiteral("TypesLabel"));
    m_typeList = new QListWidget(panel);
    m_typeList->setObjectName(QStringLiteral("TypeList"));
    connect(m_typeList, &QListWidget::itemDoubleClicked, this, &ReportsSetupWindow::ToggleType);
    layout->addWidget(typesLabel);
    layout->addWidget(m_typeList, 1);
}

void ReportsSetupWindow::FillKinds() {
    const int current = std::max(m_kindBox->currentIndex(), 0);
    const QSignalBlocker blocker(m_kindBox);
    m_kindBox->clear();
    for (const KindInfo& kind : kKinds) {
        m_kindBox->addItem(FromCp1251(core::Text(kind.id, kind.caption)));
    }
    m_kindBox->setCurrentIndex(current);
    OnKindChanged();
}

void ReportsSetupWindow::OnKindChanged() {
    m_groupBox->clear();
    m_nameBox->clear();
    const auto& fields = structure::AdditionalFields();
    const QString search = QString::fromUtf8(kSearchEntry);
    switch (m_kindBox->currentIndex()) {
    case Device:
        for (const std::string& group : m_pickLists.groups) {
            AddItem(m_groupBox, FromCp1251(group), FromCp1251(group));
        }
        AddItem(m_nameBox, search, search);
        for (const std::string& name : m_pickLists.parameters) {
            AddItem(m_nameBox, FromCp1251(name), FromCp1251(name));
        }
        m_nameBox->setEditable(true);
        break;
    case Other:
        AddItem(m_groupBox, QLatin1String(structure::kMainGroup), QLatin1String(structure::kMainGroup));
        AddItem(m_nameBox, search, search);
        for (const structure::AdditionalField& field : fields) {
            AddItem(m_nameBox, FromCp1251(core::Text(field.parameterId, field.parameter)),
                    QLatin1String(field.storedName));
        }
        m_nameBox->setEditable(true);
        break;
    default:
        for (const char* group : {"From", "To", "Detail"}) {
            AddItem(m_groupBox, QLatin1String(group), QLatin1String(group));
        }
        for (const TpName& name : kTpNames) {
            AddItem(m_nameBox, QString::fromUtf8(name.caption), QLatin1String(name.key));
        }
        for (const structure::AdditionalField& field : fields) {
            AddItem(m_nameBox, FromCp1251(core::Text(field.parameterId, field.parameter)),
                    QLatin1String(field.storedName));
        }
        m_nameBox->setEditable(false);
        break;
    }
    m_nameBox->setCurrentIndex(0);
}

void ReportsSetupWindow::InsertMarker() {
    const int kind = m_kindBox->currentIndex();
    const QString group = m_groupBox->currentText();
    if (kind < 0 || group.isEmpty()) {
        return;
    }
    // A list entry inserts its key; a name typed into the editable list goes in as typed.
    QString name = m_nameBox->currentText();
    const int entry = m_nameBox->findText(name, Qt::MatchExactly);
    if (entry >= 0) {
        name = m_nameBox->itemData(entry, kKeyRole).toString();
    }
    if (name.isEmpty()) {
        return;
    }
    InsertText(
        QStringLiteral("[%1|%2|%3]").arg(QLatin1String(kKinds[static_cast<std::size_t>(kind)].word), group, name));
}

void ReportsSetupWindow::InsertText(const QString& marker) {
    QTextCursor cursor = m_edit->textCursor();
    cursor.insertText(marker);
    cursor.setPosition(cursor.position() - static_cast<int>(marker.size()), QTextCursor::KeepAnchor);
    m_edit->setTextCursor(cursor);
    m_edit->setFocus();
}

void ReportsSetupWindow::SetTypeNames(const std::vector<std::string>& names) {
    m_typeList->clear();
    for (const std::string& name : names) {
        auto* item = new QListWidgetItem(FromCp1251(name), m_typeList);
        item->setFlags(Qt::ItemIsEnabled | Qt::ItemIsSelectable);
        SetChecked(item, false);
    }
    const std::vector<bool> defaults = reports::DefaultIncludedTypes(names.size());
    for (std::size_t i = 0; i < defaults.size() && i < names.size(); ++i) {
        SetChecked(m_typeList->item(static_cast<int>(i)), defaults[i]);
    }
}

void ReportsSetupWindow::ToggleType(QListWidgetItem* item) {
    SetChecked(item, item->checkState() != Qt::Checked);
    MarkModified();
}

void ReportsSetupWindow::MarkModified() {
    m_edit->document()->setModified(true);
}

bool ReportsSetupWindow::Modified() const {
    return m_edit->document()->isModified();
}

void ReportsSetupWindow::SetScope(reports::ReportScope scope) {
    m_scopeButtons->button(static_cast<int>(scope))->setChecked(true);
}

void ReportsSetupWindow::ShowTemplate(const reports::ReportTemplate& report) {
    FillDocument(*m_edit->document(), report.text);
    SetScope(report.scope);
    for (int i = 0; i < m_typeList->count(); ++i) {
        const auto position = static_cast<std::size_t>(i);
        SetChecked(m_typeList->item(i), position < report.included.size() && report.included[position]);
    }
    m_finder.Reset();
}

void ReportsSetupWindow::LoadReportsFromFile(const std::string& path) {
    Clear();
    const reports::LoadedTemplate loaded =
        reports::LoadReportsFromFile(path, static_cast<std::size_t>(m_typeList->count()), m_dialog);
    m_file = loaded.file;
    ShowTemplate(loaded.report);
    m_edit->document()->setModified(false);
    ShowCaption();
}

reports::ReportTemplate ReportsSetupWindow::Template() const {
    reports::ReportTemplate report;
    report.text = DocumentToRichText(*m_edit->document());
    report.scope = static_cast<reports::ReportScope>(std::max(m_scopeButtons->checkedId(), 0));
    for (int i = 0; i < m_typeList->count(); ++i) {
        report.included.push_back(m_typeList->item(i)->checkState() == Qt::Checked);
    }
    return report;
}

void ReportsSetupWindow::Clear() {
    SetMoveRequestMode(false);
    ShowTemplate(reports::ReportTemplate{
        {}, reports::ReportScope::Unit, reports::DefaultIncludedTypes(static_cast<std::size_t>(m_typeList->count()))});
    m_edit->document()->setModified(false);
    m_file = reports::kNewTemplateName;
    ShowCaption();
}

void ReportsSetupWindow::SetMoveRequestMode(bool on) {
    m_moveRequestMode = on;
    m_scopeGroup->setEnabled(!on);
    m_typeList->setEnabled(!on);
    m_kindBox->setCurrentIndex(on ? MoveRequest : 0);
}

bool ReportsSetupWindow::ConfirmDiscard() {
    if (!Modified()) {
        return true;
    }
    switch (m_dialog.Ask(platform::MessageKind::Confirmation,
                         core::Text(4501, "Сохранить изменения в ") + "\n" + m_file, platform::Buttons::YesNoCancel)) {
    case platform::Answer::Yes:
        return Save();
    case platform::Answer::No:
        return true;
    default:
        return false;
    }
}

void ReportsSetupWindow::ShowCaption() {
    setWindowTitle(FromCp1251(core::Text(4500, "Настройка отчета") + " [" + m_file + "]"));
}

void ReportsSetupWindow::Open() {
    platform::FileChoice choice;
    choice.purpose = platform::FileChoice::Purpose::Open;
    choice.title = core::Utf8ToCp1251("Открыть шаблон...");
    choice.filter = core::Utf8ToCp1251(kTemplateFilter);
    choice.initialPath = m_file;
    if (!ConfirmDiscard()) {
        return;
    }
    if (const std::optional<std::string> path = m_dialog.ChooseFile(choice)) {
        LoadReportsFromFile(*path);
    }
}

bool ReportsSetupWindow::Save() {
    platform::FileChoice choice;
    choice.purpose = platform::FileChoice::Purpose::Save;
    choice.title = core::Utf8ToCp1251("Сохранить...");
    choice.filter = core::Utf8ToCp1251(kTemplateFilter);
    choice.initialPath = m_file;
    // The dialog then asks about the file that will be written, extension included.
    choice.defaultExtension = "rtf";
    const std::optional<std::string> chosen = m_dialog.ChooseFile(choice);
    if (!chosen) {
        return false;
    }
    const std::string path = reports::TemplateSavePath(*chosen);
    try {
        reports::WriteRtfFile(path, reports::TemplateForSave(Template()));
    } catch (const core::Error& error) {
        m_dialog.Inform(platform::MessageKind::Error, error.what());
        return false;
    }
    // Read back as a report run will read it, so what the editor shows is what was written.
    const bool moveRequestMode = m_moveRequestMode;
    LoadReportsFromFile(path);
    SetMoveRequestMode(moveRequestMode);
    return true;
}

void ReportsSetupWindow::Print(QPrinter& printer) const {
    PrintDocument(*m_edit->document(), printer, windowTitle());
}

void ReportsSetupWindow::Find(bool next) {
    FindCommand(*m_edit, m_finder, m_dialog, next);
}

void ReportsSetupWindow::closeEvent(QCloseEvent* event) {
    // A save that failed or was cancelled keeps the window and its text.
    if (!ConfirmDiscard()) {
        event->ignore();
        return;
    }
    Clear();
    event->accept();
}

void ReportsSetupWindow::showEvent(QShowEvent* event) {
    if (m_pickListSource) {
        m_pickLists = m_pickListSource();
    }
    FillKinds();
    QMainWindow::showEvent(event);
    // The file belongs in the caption whatever the translation of a shown window made of it.
    ShowCaption();
}

} // namespace pelgo::gui
