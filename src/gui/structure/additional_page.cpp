// The additional-data page. Values the node does not keep (inherited, or not kept by its type) are drawn on the
// page's background and never saved; editing one makes it the node's own. Only the entry whose fields the page
// shows can be changed: selecting another journal line saves first, so at most one entry waits to be written.
#include "gui/structure/additional_page.h"

#include <QDesktopServices>
#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSplitter>
#include <QTreeWidget>
#include <QUrl>
#include <QVBoxLayout>
#include <algorithm>
#include <utility>

#include "core/cp1251.h"
#include "core/errors.h"
#include "core/text.h"
#include "core/translator.h"
#include "gui/common/qt_text.h"
#include "gui/common/view_icons.h"
#include "gui/common/window_translation.h"

namespace pelgo::gui {
namespace {

constexpr int kJournalRole = Qt::UserRole;   // the journal a line belongs to
constexpr int kTitleRole = Qt::UserRole + 1; // an entry's accepted title, cp1251 bytes
constexpr int kKeyRole = Qt::UserRole + 2;   // an entry's key, cp1251 bytes
constexpr int kPictureSize = 32;
constexpr const char* kHeadingIndent = "       ";

struct FieldGroup {
    const char* name;
    const char* title;
    const char* hint;
    std::size_t first;
    std::size_t end;
};

// The equipment group's title is replaced by the node's type when a node is shown.
constexpr FieldGroup kFieldGroups[] = {
    {"EquipmentGroup", "       Компьютер", "Дополнительные данные об оргтехнике", 0, 5},
    {"EmployeeGroup", "      Сотрудник", "Дополнительные данные о сотруднике", 10, 15},
    {"DocumentsGroup", "      Документы", "Дополнительные данные о фин.документах", 5, 10},
};

template <class Widget> Widget* Named(Widget* widget, const QString& name) {
    widget->setObjectName(name);
    return widget;
}

// An edit of one stored value: no longer than a record holds.
QLineEdit* ValueEdit(QWidget* parent, const QString& name) {
    QLineEdit* edit = Named(new QLineEdit(parent), name);
    edit->setMaxLength(static_cast<int>(structure::kValueLength));
    return edit;
}

QLabel* TaggedLabel(const QString& name, int id, const char* utf8, QWidget* parent) {
    auto* label = Named(new QLabel(FromCp1251(core::Text(id, utf8)), parent), name);
    label->setProperty(kTagProperty, id);
    return label;
}

QPushButton* Button(const char* name, int id, const char* utf8, QWidget* parent) {
    auto* button = Named(new QPushButton(FromCp1251(core::Text(id, utf8)), parent), QLatin1String(name));
    button->setProperty(kTagProperty, id);
    button->setAutoDefault(false);
    return button;
}

// Values the node does not keep are drawn on the page's background.
void Paint(QLineEdit* edit, bool inBackground, const QWidget* page) {
    QPalette palette;
    if (inBackground) {
        palette.setColor(QPalette::Base, page->palette().color(QPalette::Window));
    }
    edit->setPalette(palette);
}

std::string Bytes(const QTreeWidgetItem* line, int role) {
    return line->data(0, role).toByteArray().toStdString();
}

QByteArray ByteData(const std::string& bytes) {
    return QByteArray(bytes.data(), static_cast<qsizetype>(bytes.size()));
}

} // namespace

AdditionalPage::AdditionalPage(session::AppState& state, NodeTypeIcons icons, platform::UserDialog& dialog,
                               QWidget* parent)
    : QWidget(parent), m_state(state), m_icons(std::move(icons)), m_dialog(dialog) {
    setObjectName(QStringLiteral("AdditionalPage"));
    auto* splitter = Named(new QSplitter(Qt::Vertical, this), QStringLiteral("AdditionalSplitter"));
    splitter->addWidget(BuildFieldGroups());
    splitter->addWidget(BuildJournals());
    splitter->setStretchFactor(1, 1);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(2, 2, 2, 2);
    layout->addWidget(splitter);
    ClearMarks();
    ShowNode(nullptr);
}

QWidget* AdditionalPage::BuildFieldGroups() {
    auto* panel = new QWidget(this);
    auto* groups = new QHBoxLayout;
    for (const FieldGroup& group : kFieldGroups) {
        auto* box = Named(new QGroupBox(QString::fromUtf8(group.title), panel), QLatin1String(group.name));
        box->setToolTip(QString::fromUtf8(group.hint));
        auto* form = new QFormLayout(box);
        if (group.first == 0) {
            m_equipmentGroup = box;
            m_typePicture = Named(new QLabel(box), QStringLiteral("TypePicture"));
            m_typePicture->setFixedSize(kPictureSize, kPictureSize);
            form->addRow(m_typePicture);
        }
        for (std::size_t field = group.first; field < group.end; ++field) {
            const structure::AdditionalField& info = structure::AdditionalFields()[field];
            const QString name = QLatin1String(info.storedName);
            QLineEdit* edit = m_fields[field] = ValueEdit(box, name + QStringLiteral("Edit"));
            QLabel* label = TaggedLabel(name + QStringLiteral("Label"), info.labelId, info.label, box);
            label->setBuddy(edit);
            form->addRow(label, edit);
            connect(edit, &QLineEdit::textEdited, this, [this, field] { OnFieldEdited(field); });
        }
        groups->addWidget(box, 1);
    }

    m_document = ValueEdit(panel, QStringLiteral("DocumentEdit"));
    connect(m_document, &QLineEdit::textEdited, this, &AdditionalPage::MarkMainChanged);
    QPushButton* open = Button("OpenDocumentButton", 11, "Открыть документ", panel);
    connect(open, &QPushButton::clicked, this, [this] { OpenDocument(m_document->text()); });
    auto* documentRow = new QHBoxLayout;
    documentRow->addWidget(TaggedLabel(QStringLiteral("DocumentLabel"), 115, "Дополнительно см.", panel));
    documentRow->addWidget(m_document, 1);
    documentRow->addWidget(open);

    auto* layout = new QVBoxLayout(panel);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addLayout(groups);
    layout->addLayout(documentRow);
    return panel;
}

QWidget* AdditionalPage::BuildJournals() {
    auto* panel = new QWidget(this);
    m_journal = Named(new QTreeWidget(panel), QStringLiteral("JournalTree"));
    m_journal->setHeaderHidden(true);
    m_journal->setColumnCount(1);
    m_journal->setEditTriggers(QAbstractItemView::SelectedClicked | QAbstractItemView::EditKeyPressed);
    connect(m_journal, &QTreeWidget::currentItemChanged, this,
            [this](QTreeWidgetItem* current) { OnJournalLineChanged(current); });
    connect(m_journal, &QTreeWidget::itemChanged, this, [this](QTreeWidgetItem* line) { OnLineEdited(line); });

    auto* entry = new QWidget(panel);
    auto* form = new QFormLayout;
    for (std::size_t field = 0; field < structure::kEntryFieldCount; ++field) {
        const QString name = QString::fromStdString(structure::EntryFieldName(field));
        m_entryLabels[field] = Named(new QLabel(entry), name + QStringLiteral("Label"));
        m_entryFields[field] = ValueEdit(entry, name);
        m_entryLabels[field]->setBuddy(m_entryFields[field]);
        form->addRow(m_entryLabels[field], m_entryFields[field]);
    }
    m_entryDocument = ValueEdit(entry, QStringLiteral("EntryDocumentEdit"));
    for (QLineEdit* edit : {m_entryFields[0], m_entryFields[1], m_entryFields[2], m_entryFields[3], m_entryDocument}) {
        connect(edit, &QLineEdit::textEdited, this, [this] { MarkEntryChanged(m_journal->currentItem()); });
    }
    QPushButton* open = Button("OpenEntryDocumentButton", 11, "Открыть документ", entry);
    connect(open, &QPushButton::clicked, this, [this] { OpenDocument(m_entryDocument->text()); });
    auto* documentRow = new QHBoxLayout;
    documentRow->addWidget(m_entryDocument, 1);
    documentRow->addWidget(open);

    QPushButton* add = Button("AddEntryButton", 6, "Добавить", entry);
    QPushButton* remove = Button("DeleteEntryButton", 7, "Удалить", entry);
    m_saveButton = Named(new QPushButton(QString::fromUtf8("Записать"), entry), QStringLiteral("SaveButton"));
    m_saveButton->setAutoDefault(false);
    auto* cancel = Named(new QPushButton(QString::fromUtf8("Отменить"), entry), QStringLiteral("CancelButton"));
    cancel->setAutoDefault(false);
    connect(add, &QPushButton::clicked, this, &AdditionalPage::AddEntry);
    connect(remove, &QPushButton::clicked, this, &AdditionalPage::DeleteEntry);
    connect(m_saveButton, &QPushButton::clicked, this, [this] { Save(false); });
    connect(cancel, &QPushButton::clicked, this, &AdditionalPage::Reload);
    auto* buttons = new QHBoxLayout;
    for (QPushButton* button : {add, remove, m_saveButton, cancel}) {
        buttons->addWidget(button);
    }
    buttons->addStretch();

    auto* entryLayout = new QVBoxLayout(entry);
    entryLayout->setContentsMargins(0, 0, 0, 0);
    entryLayout->addLayout(form);
    entryLayout->addLayout(documentRow);
    entryLayout->addStretch();
    entryLayout->addLayout(buttons);

    auto* layout = new QHBoxLayout(panel);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(m_journal, 1);
    layout->addWidget(entry, 2);
    return panel;
}

void AdditionalPage::ShowNode(structure::TreeNode* node) {
    Save(true);
    m_nodeHandle = node != nullptr ? node->Handle() : 0;
    m_nodeUno = node != nullptr && node->Record() != nullptr ? node->Record()->uno : std::string();
    m_nodeText = node != nullptr ? node->Text() : std::string();
    ClearMarks();
    LoadMain(node);
    LoadJournals(node);
}

void AdditionalPage::Reload() {
    ClearMarks(); // "Отменить" drops the edits
    ShowNode(ShownNode());
}

void AdditionalPage::Retranslate() {
    if (!m_saveButton->isEnabled()) {
        Reload();
    }
}

bool AdditionalPage::JournalHasFocus() const {
    return m_journal->hasFocus();
}

structure::TreeNode* AdditionalPage::ShownNode() const {
    if (structure::TreeNode* node = m_state.Tree().NodeByHandle(m_nodeHandle)) {
        return node;
    }
    // A reload of the tree (another instance saved it) makes new nodes; the node shown keeps its UNO.
    for (int i = 0; !m_nodeUno.empty() && i < m_state.Tree().Count(); ++i) {
        structure::TreeNode* node = m_state.Tree().NodeAt(i);
        if (node->Record() != nullptr && node->Record()->uno == m_nodeUno) {
            return node;
        }
    }
    return nullptr;
}

bool AdditionalPage::WithData(const std::function<void(structure::AdditionalData&)>& act) {
    shell::ManagedTable& other = m_state.OtherTable();
    if (!other.IsOpen()) {
        return false;
    }
    try {
        structure::NodeRecordsTable records(*other.table);
        structure::AdditionalData data(records, m_state.Log());
        act(data);
        return true;
    } catch (const core::Error& error) {
        m_state.Log().LogEvent(std::string("ERROR! ") + error.what());
        m_dialog.Inform(platform::MessageKind::Error, error.what());
        return false;
    }
}

void AdditionalPage::LoadMain(const structure::TreeNode* node) {
    const bool equipment = node != nullptr && node->Icon() > structure::kIconEmployee;
    std::string heading = kHeadingIndent;
    if (equipment && m_state.NodeTypes() != nullptr) {
        heading += m_state.NodeTypes()->NodeTypeName(node->Icon());
    } else {
        heading += core::Text(1097, "Дополнительно");
    }
    m_equipmentGroup->setTitle(FromCp1251(heading));
    m_typePicture->setPixmap(node != nullptr ? m_icons.Icon(node->Icon()).pixmap(kPictureSize, kPictureSize)
                                             : QPixmap());

    structure::MainData main;
    for (std::size_t field = 0; field < structure::kAdditionalFieldCount; ++field) {
        main.fields[field].source = node != nullptr && structure::FieldEnabledFor(field, node->Icon())
                                        ? structure::FieldSource::Own
                                        : structure::FieldSource::Disabled;
    }
    if (node != nullptr) {
        WithData([&](structure::AdditionalData& data) { main = data.LoadMain(*node); });
    }
    for (std::size_t field = 0; field < structure::kAdditionalFieldCount; ++field) {
        const structure::MainField& value = main.fields[field];
        QLineEdit* edit = m_fields[field];
        m_sources[field] = value.source;
        edit->setText(FromCp1251(value.text));
        edit->setEnabled(value.source != structure::FieldSource::Disabled);
        edit->setToolTip(value.source == structure::FieldSource::Inherited ? FromCp1251(value.inheritedFrom)
                                                                           : QString());
        Paint(edit, value.source != structure::FieldSource::Own, this);
    }
    m_document->setText(FromCp1251(main.document));
    m_document->setEnabled(node != nullptr);
}

void AdditionalPage::LoadJournals(const structure::TreeNode* node) {
    m_journals = structure::JournalDefinitions(m_state.Settings().journalTypes);
    {
        // The lines are built whole before the first one is selected and shown.
        const QSignalBlocker blocker(m_journal);
        m_journal->clear();
        for (std::size_t journal = 0; journal < m_journals.size(); ++journal) {
            auto* line = new QTreeWidgetItem(m_journal, {FromCp1251(m_journals[journal].name)});
            line->setIcon(0, ViewIcon(m_journals[journal].icon));
            line->setData(0, kJournalRole, static_cast<int>(journal));
        }
        if (node != nullptr) {
            WithData([&](structure::AdditionalData& data) {
                for (const structure::JournalEntry& entry : data.LoadEntries(*node, m_journals.size())) {
                    AddEntryLine(m_journal->topLevelItem(static_cast<int>(entry.journal)), entry);
                }
            });
        }
        m_journal->expandAll();
        m_journal->setCurrentItem(m_journal->topLevelItem(0));
    }
    ShowJournalLine(m_journal->currentItem());
}

QTreeWidgetItem* AdditionalPage::AddEntryLine(QTreeWidgetItem* journalLine, const structure::JournalEntry& entry) {
    const QSignalBlocker blocker(m_journal);
    auto* line = new QTreeWidgetItem(journalLine, {FromCp1251(entry.title)});
    line->setIcon(0, journalLine->icon(0));
    line->setFlags(line->flags() | Qt::ItemIsEditable);
    line->setData(0, kJournalRole, static_cast<int>(entry.journal));
    line->setData(0, kTitleRole, ByteData(entry.title));
    line->setData(0, kKeyRole, ByteData(entry.key));
    return line;
}

std::vector<structure::JournalEntry> AdditionalPage::Entries() const {
    std::vector<structure::JournalEntry> entries;
    for (int journal = 0; journal < m_journal->topLevelItemCount(); ++journal) {
        const QTreeWidgetItem* journalLine = m_journal->topLevelItem(journal);
        for (int row = 0; row < journalLine->childCount(); ++row) {
            const QTreeWidgetItem* line = journalLine->child(row);
            entries.push_back({static_cast<std::size_t>(line->data(0, kJournalRole).toInt()), Bytes(line, kTitleRole),
                               Bytes(line, kKeyRole)});
        }
    }
    return entries;
}

void AdditionalPage::OnJournalLineChanged(QTreeWidgetItem* current) {
    Save(true);
    ShowJournalLine(current);
}

void AdditionalPage::ShowJournalLine(QTreeWidgetItem* line) {
    const bool entry = line != nullptr && line->parent() != nullptr;
    const structure::JournalDefinition* journal =
        line != nullptr ? &m_journals.at(static_cast<std::size_t>(line->data(0, kJournalRole).toInt())) : nullptr;
    structure::EntryData data;
    const structure::TreeNode* node = ShownNode();
    if (entry && node != nullptr) {
        WithData([&](structure::AdditionalData& records) { data = records.LoadEntry(*node, Bytes(line, kKeyRole)); });
    }
    for (std::size_t field = 0; field < structure::kEntryFieldCount; ++field) {
        m_entryLabels[field]->setText(journal != nullptr ? FromCp1251(journal->labels[field]) : QString());
        m_entryFields[field]->setText(FromCp1251(data.fields[field]));
    }
    m_entryDocument->setText(FromCp1251(data.document));
    for (QLineEdit* edit : {m_entryFields[0], m_entryFields[1], m_entryFields[2], m_entryFields[3], m_entryDocument}) {
        edit->setEnabled(entry);
        Paint(edit, !entry, this);
    }
}

void AdditionalPage::OnFieldEdited(std::size_t field) {
    if (m_state.ProtectData()) {
        return;
    }
    m_sources[field] = structure::FieldSource::Own;
    Paint(m_fields[field], false, this);
    m_fields[field]->setToolTip(QString());
    MarkMainChanged();
}

void AdditionalPage::MarkMainChanged() {
    if (m_state.ProtectData()) {
        return;
    }
    m_mainChanged = true;
    m_saveButton->setEnabled(true);
}

void AdditionalPage::MarkEntryChanged(QTreeWidgetItem* entry) {
    if (m_state.ProtectData() || entry == nullptr || entry->parent() == nullptr) {
        return;
    }
    if (m_changedEntry == nullptr) {
        m_changedEntry = entry;
    }
    m_saveButton->setEnabled(true);
}

void AdditionalPage::ClearMarks() {
    m_mainChanged = false;
    m_changedEntry = nullptr;
    m_saveButton->setEnabled(false);
}

structure::MainData AdditionalPage::MainShown() const {
    structure::MainData main;
    for (std::size_t field = 0; field < structure::kAdditionalFieldCount; ++field) {
        main.fields[field].text = ToCp1251(m_fields[field]->text());
        main.fields[field].source = m_sources[field];
    }
    main.document = ToCp1251(m_document->text());
    return main;
}

structure::EntryData AdditionalPage::EntryShown() const {
    structure::EntryData entry;
    for (std::size_t field = 0; field < structure::kEntryFieldCount; ++field) {
        entry.fields[field] = ToCp1251(m_entryFields[field]->text());
    }
    entry.document = ToCp1251(m_entryDocument->text());
    return entry;
}

bool AdditionalPage::Save(bool automatic) {
    if (!m_saveButton->isEnabled() || m_state.ProtectData()) {
        return false;
    }
    if (automatic && !m_state.AutoSave() &&
        m_dialog.Ask(platform::MessageKind::Confirmation,
                     core::Text(1094, "Записать изменения\r\nдополнительной информации ?"),
                     platform::Buttons::YesNo) != platform::Answer::Yes) {
        ClearMarks();
        return false;
    }
    structure::TreeNode* node = ShownNode();
    if (node == nullptr) {
        ClearMarks();
        m_dialog.Inform(platform::MessageKind::Warning,
                        core::Utf8ToCp1251("Изменения дополнительной информации не записаны: узла ") + m_nodeText +
                            core::Utf8ToCp1251(" больше нет в структуре предприятия."));
        return false;
    }
    if (node->Record() == nullptr) {
        // The records are kept under the node's UNO, which the tree files must then remember.
        m_state.Identity().NewAddData(*node);
        if (structure::TreeStorage* storage = m_state.TreeStorage()) {
            storage->SetTreeModified(true);
        }
    }
    const bool written = WithData([&](structure::AdditionalData& data) {
        if (m_mainChanged) {
            data.SaveMain(*node, MainShown());
        }
        if (m_changedEntry != nullptr) {
            data.SaveEntry(*node, Bytes(m_changedEntry, kKeyRole), EntryShown());
        }
    });
    if (written) {
        ClearMarks();
    }
    return written;
}

void AdditionalPage::AddEntry() {
    const structure::TreeNode* node = ShownNode();
    if (m_state.ProtectData() || node == nullptr || m_journal->topLevelItemCount() == 0) {
        return;
    }
    QTreeWidgetItem* journalLine = m_journal->currentItem();
    if (journalLine == nullptr) {
        journalLine = m_journal->topLevelItem(0);
    } else if (journalLine->parent() != nullptr) {
        journalLine = journalLine->parent();
    }
    const std::size_t journal = static_cast<std::size_t>(journalLine->data(0, kJournalRole).toInt());
    const structure::JournalDefinition& definition = m_journals.at(journal);
    const std::string question = core::Text(1093, "Создать новую запись в журнале") + " \"" + definition.name + "\" ?";
    if (m_dialog.Ask(platform::MessageKind::Confirmation, question, platform::Buttons::YesNo) !=
        platform::Answer::Yes) {
        return;
    }
    const std::string date = core::DateFormats().ShortDate(m_state.Clock().Now());
    const std::string title = structure::NewEntryTitle(Entries(), journal, date);
    QTreeWidgetItem* line = AddEntryLine(journalLine, {journal, title, structure::RepairViewGroup(journal, title)});
    m_journal->setCurrentItem(line);
    for (std::size_t field = 0; field < structure::kEntryFieldCount; ++field) {
        m_entryFields[field]->setText(
            FromCp1251(structure::SubstituteVariables(definition.defaults[field], m_state.CurrentUser(), date)));
    }
    MarkEntryChanged(line);
    m_journal->editItem(line);
}

void AdditionalPage::DeleteEntry() {
    QTreeWidgetItem* line = m_journal->currentItem();
    structure::TreeNode* node = ShownNode();
    if (m_state.ProtectData() || node == nullptr || line == nullptr || line->parent() == nullptr) {
        return;
    }
    const std::string& journalName = m_journals.at(static_cast<std::size_t>(line->data(0, kJournalRole).toInt())).name;
    const std::string question =
        core::Text(1092, "Удалить записи для\r\n") + journalName + " : " + Bytes(line, kTitleRole);
    if (m_dialog.Ask(platform::MessageKind::Confirmation, question, platform::Buttons::YesNo) !=
        platform::Answer::Yes) {
        return;
    }
    if (node->Record() != nullptr &&
        !WithData([&](structure::AdditionalData& data) { data.DeleteEntry(*node, Bytes(line, kKeyRole)); })) {
        return;
    }
    if (m_changedEntry == line) {
        m_changedEntry = nullptr;
        m_saveButton->setEnabled(m_mainChanged);
    }
    m_journal->setCurrentItem(m_journal->itemAbove(line));
    delete line;
}

void AdditionalPage::OnLineEdited(QTreeWidgetItem* line) {
    if (line->parent() == nullptr) {
        return;
    }
    const std::string oldTitle = Bytes(line, kTitleRole);
    const std::string newTitle(core::Trim(ToCp1251(line->text(0))));
    if (newTitle == oldTitle) {
        return;
    }
    const auto keepOldTitle = [&] {
        const QSignalBlocker blocker(m_journal);
        line->setText(0, FromCp1251(oldTitle));
    };
    const structure::TreeNode* node = ShownNode();
    if (m_state.ProtectData() || node == nullptr || core::Trim(newTitle).empty()) {
        keepOldTitle();
        return;
    }
    const structure::JournalEntry renamed{static_cast<std::size_t>(line->data(0, kJournalRole).toInt()), oldTitle,
                                          Bytes(line, kKeyRole)};
    const std::vector<structure::JournalEntry> entries = Entries();
    if (const structure::JournalEntry* other = structure::KeyTakenBy(entries, renamed, newTitle)) {
        keepOldTitle();
        const std::size_t kept = structure::kJournalKeyLength - structure::RepairViewGroup(renamed.journal, "").size();
        m_dialog.Inform(platform::MessageKind::Warning,
                        core::Utf8ToCp1251("Название \"") + newTitle +
                            core::Utf8ToCp1251("\" совпадает с названием записи \"") + other->title +
                            core::Utf8ToCp1251("\" в первых ") + std::to_string(kept) +
                            core::Utf8ToCp1251(" символах: записи журнала хранятся по этим символам, и данные "
                                               "обеих записей слились бы.\r\nНазвание не изменено."));
        return;
    }
    if (node->Record() != nullptr &&
        !WithData([&](structure::AdditionalData& data) { data.DeleteEntry(*node, renamed.key); })) {
        keepOldTitle();
        return;
    }
    {
        const QSignalBlocker blocker(m_journal);
        line->setData(0, kTitleRole, ByteData(newTitle));
        line->setData(0, kKeyRole, ByteData(structure::RepairViewGroup(renamed.journal, newTitle)));
    }
    MarkEntryChanged(line);
}

void AdditionalPage::OpenDocument(const QString& path) {
    std::string document = ToCp1251(path);
    std::replace(document.begin(), document.end(), '"', ' ');
    document = std::string(core::Trim(document));
    if (document.size() <= 2) {
        return;
    }
    const std::string native = m_state.Settings().Paths().ToNative(document);
    if (!core::FileExists(native)) {
        m_dialog.Inform(platform::MessageKind::Error, core::Text(1044, "Файл не найден ") + ": " + document);
        return;
    }
    QDesktopServices::openUrl(QUrl::fromLocalFile(FromCp1251(native)));
}

} // namespace pelgo::gui
