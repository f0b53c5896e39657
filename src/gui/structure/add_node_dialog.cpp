// The add dialog. It is made once and reused: each showing starts without a type and text, while the
// options, the inventory prefix and the grid stay as the user left them, since nodes are usually added in
// runs of the same kind.
#include "gui/structure/add_node_dialog.h"

#include <QApplication>
#include <QCheckBox>
#include <QClipboard>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QSpinBox>
#include <QTableWidget>
#include <QVBoxLayout>
#include <utility>

#include "core/translator.h"
#include "gui/common/qt_text.h"
#include "gui/common/window_translation.h"
#include "structure/node_records_table.h"

namespace pelgo::gui {
namespace {

constexpr int kIconRole = Qt::UserRole;
constexpr int kDefaultTextRole = Qt::UserRole + 1;
constexpr int kValueColumn = 1;

template <class Widget> Widget* Named(Widget* widget, const char* name) {
    widget->setObjectName(QLatin1String(name));
    return widget;
}

QCheckBox* CheckBox(const char* name, const char* utf8Caption, QWidget* parent) {
    return Named(new QCheckBox(QString::fromUtf8(utf8Caption), parent), name);
}

QSpinBox* SpinBox(const char* name, int minimum, int maximum, QWidget* parent) {
    auto* box = Named(new QSpinBox(parent), name);
    box->setRange(minimum, maximum);
    box->setValue(1);
    return box;
}

} // namespace

AddNodeDialog::AddNodeDialog(session::AppState& state, NodeTypeIcons icons, platform::UserDialog& dialog,
                             QWidget* parent)
    : QDialog(parent), m_state(state), m_icons(std::move(icons)), m_dialog(dialog) {
    setObjectName(QStringLiteral("TAddNodeForm"));
    setWindowTitle(QString::fromUtf8("Добавить"));
    setProperty(kTagProperty, 205);

    m_types = Named(new QListWidget(this), "TypeList");
    m_types->setSelectionMode(QAbstractItemView::SingleSelection);
    m_types->setMinimumWidth(150);
    connect(m_types, &QListWidget::itemSelectionChanged, this, &AddNodeDialog::TypeChosen);

    // The node's text is no caption of the dialog: left unnamed, window translation never puts back an
    // earlier node's text.
    m_nodeLabel = new QLabel(this);
    m_text = Named(new QLineEdit(this), "NodeText");
    m_text->setMinimumWidth(260);
    m_text->installEventFilter(this);
    auto* copyText = Named(new QPushButton(QString::fromUtf8("Копировать ..."), this), "CopyTextButton");
    copyText->setAutoDefault(false);
    connect(copyText, &QPushButton::clicked, this, [this] { QApplication::clipboard()->setText(m_text->text()); });

    m_asChild = CheckBox("SubLevelBox", "Подуровень", this);
    m_asChild->setChecked(true);
    m_repeat = CheckBox("RepeatBox", "Повторить", this);
    m_repeatCount = SpinBox("RepeatCount", 1, 9999, this);
    m_withInventory = CheckBox("InventoryBox", "Добавить инвентарный", this);
    m_inventoryPrefix = Named(new QLineEdit(QString::fromUtf8("<введите номер>"), this), "InventoryPrefix");
    m_autoIncrement = CheckBox("AutoIncrementBox", "+ автоприращение с", this);
    m_incrementStart = SpinBox("IncrementStart", 0, 99999999, this);
    m_withAdditional = CheckBox("AdditionalBox", "Дополнительно ...", this);
    for (QCheckBox* box : {m_asChild, m_repeat, m_withInventory, m_autoIncrement, m_withAdditional}) {
        connect(box, &QCheckBox::toggled, this, &AddNodeDialog::EnableOptions);
    }

    m_additionalPanel = new QWidget(this);
    // Captioned with the node's text, unnamed for the same reason as the label.
    m_copyFromNode = new QPushButton(m_additionalPanel);
    m_copyFromNode->setAutoDefault(false);
    connect(m_copyFromNode, &QPushButton::clicked, this, &AddNodeDialog::CopyFromNode);
    m_grid = Named(new QTableWidget(static_cast<int>(structure::kAdditionalFieldCount), 2, m_additionalPanel),
                   "AdditionalGrid");
    m_grid->setHorizontalHeaderLabels({QString::fromUtf8("Параметр"), QString::fromUtf8("Значение")});
    m_grid->verticalHeader()->hide();
    m_grid->verticalHeader()->setDefaultSectionSize(fontMetrics().height() + 6);
    m_grid->setMinimumHeight((fontMetrics().height() + 6) * 10);
    m_grid->horizontalHeader()->setStretchLastSection(true);
    for (int row = 0; row < m_grid->rowCount(); ++row) {
        auto* parameter = new QTableWidgetItem;
        parameter->setFlags(Qt::ItemIsEnabled);
        m_grid->setItem(row, 0, parameter);
        m_grid->setItem(row, kValueColumn, new QTableWidgetItem);
    }
    m_grid->installEventFilter(this);
    auto* panelLayout = new QVBoxLayout(m_additionalPanel);
    panelLayout->setContentsMargins(0, 0, 0, 0);
    panelLayout->addWidget(m_copyFromNode);
    panelLayout->addWidget(m_grid);

    m_add = Named(new QPushButton(QString::fromUtf8("Добавить"), this), "AddButton");
    m_add->setDefault(true);
    connect(m_add, &QPushButton::clicked, this, &QDialog::accept);
    auto* cancel = Named(new QPushButton(QString::fromUtf8("Отмена"), this), "CancelButton");
    cancel->setAutoDefault(false);
    connect(cancel, &QPushButton::clicked, this, &QDialog::reject);

    auto* textRow = new QHBoxLayout;
    textRow->addWidget(m_text, 1);
    textRow->addWidget(copyText);
    auto* repeatRow = new QHBoxLayout;
    repeatRow->addWidget(m_asChild);
    repeatRow->addStretch();
    repeatRow->addWidget(m_repeat);
    repeatRow->addWidget(m_repeatCount);
    auto* inventoryRow = new QHBoxLayout;
    inventoryRow->addWidget(m_withInventory);
    inventoryRow->addWidget(m_inventoryPrefix, 1);
    auto* incrementRow = new QHBoxLayout;
    incrementRow->addStretch();
    incrementRow->addWidget(m_autoIncrement);
    incrementRow->addWidget(m_incrementStart);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(m_add);
    buttons->addWidget(cancel);
    auto* options = new QVBoxLayout;
    options->addWidget(m_nodeLabel);
    options->addLayout(textRow);
    options->addLayout(repeatRow);
    options->addLayout(inventoryRow);
    options->addLayout(incrementRow);
    options->addWidget(m_withAdditional);
    options->addWidget(m_additionalPanel, 1);
    options->addStretch();
    options->addLayout(buttons);
    auto* layout = new QHBoxLayout(this);
    layout->addWidget(m_types);
    layout->addLayout(options, 1);
    EnableOptions();
}

std::optional<structure::AddRequest> AddNodeDialog::Ask(const structure::TreeNode* selected) {
    m_selectedHandle = selected != nullptr ? selected->Handle() : 0;
    const QString nodeText = selected != nullptr ? FromCp1251(selected->Text()) : QString::fromUtf8("<Корень>");
    m_nodeLabel->setText(nodeText);
    m_copyFromNode->setText(nodeText);
    m_copyFromNode->setEnabled(selected != nullptr);
    // Filled at each showing, so the captions follow the language and the user's types the settings.
    FillTypes();
    for (int row = 0; row < m_grid->rowCount(); ++row) {
        const structure::AdditionalField& field = structure::AdditionalFields()[static_cast<std::size_t>(row)];
        m_grid->item(row, 0)->setText(FromCp1251(core::Text(field.parameterId, field.parameter)));
    }
    m_text->clear();
    m_text->setEnabled(false);
    m_add->setEnabled(false);
    m_types->setFocus();
    const bool confirmed = exec() == QDialog::Accepted;
    m_selectedHandle = 0;
    return confirmed ? std::optional(Request()) : std::nullopt;
}

void AddNodeDialog::FillTypes() {
    const QSignalBlocker blocker(m_types);
    m_types->clear();
    if (const structure::NodeTypes* types = m_state.NodeTypes(); types != nullptr) {
        for (const structure::NodeType& type : types->All()) {
            auto* item = new QListWidgetItem(m_icons.Icon(type.icon), FromCp1251(type.caption), m_types);
            item->setData(kIconRole, type.icon);
            item->setData(kDefaultTextRole, FromCp1251(type.defaultText));
        }
    }
}

void AddNodeDialog::TypeChosen() {
    const QList<QListWidgetItem*> chosen = m_types->selectedItems();
    if (chosen.isEmpty()) {
        return;
    }
    m_text->setText(chosen.front()->data(kDefaultTextRole).toString());
    m_text->setEnabled(true);
    m_add->setEnabled(true);
}

void AddNodeDialog::EnableOptions() {
    m_repeat->setEnabled(!m_asChild->isChecked());
    m_inventoryPrefix->setEnabled(m_withInventory->isChecked());
    m_autoIncrement->setEnabled(m_withInventory->isChecked());
    m_incrementStart->setEnabled(m_withInventory->isChecked() && m_autoIncrement->isChecked());
    m_additionalPanel->setVisible(m_withAdditional->isChecked());
    adjustSize();
}

void AddNodeDialog::CopyFromNode() {
    // By handle: a reload of the tree while the dialog is open takes the node away.
    const structure::TreeNode* selected = m_state.Tree().NodeByHandle(m_selectedHandle);
    if (selected == nullptr) {
        return;
    }
    // A node without a record has no data yet; none is made just to read.
    std::vector<structure::NodeRecord> records;
    shell::ManagedTable& other = m_state.OtherTable();
    if (selected->Record() != nullptr && other.IsOpen()) {
        records = structure::NodeRecordsTable(*other.table).Find(selected->Record()->uno);
    }
    const structure::AdditionalValues values = structure::MainValues(records);
    for (int row = 0; row < m_grid->rowCount(); ++row) {
        m_grid->item(row, kValueColumn)->setText(FromCp1251(values[static_cast<std::size_t>(row)]));
    }
}

bool AddNodeDialog::eventFilter(QObject* watched, QEvent* event) {
    // F1 reaches the grid also from its cell editor, which passes the key on to it.
    if ((watched == m_text || watched == m_grid) && event->type() == QEvent::KeyPress &&
        static_cast<QKeyEvent*>(event)->key() == Qt::Key_F1) {
        ShowReferenceLists();
        return true;
    }
    return QDialog::eventFilter(watched, event);
}

void AddNodeDialog::ShowReferenceLists() {
    if (!m_state.Settings().spravki.empty()) {
        // The reference lists open here; a value chosen there replaces the field or the cell.
        return;
    }
    m_dialog.Inform(platform::MessageKind::Information, core::Text(2003, "Задайте справочники в Настройках программы"));
}

structure::AddRequest AddNodeDialog::Request() const {
    structure::AddRequest request;
    if (const QList<QListWidgetItem*> chosen = m_types->selectedItems(); !chosen.isEmpty()) {
        request.icon = chosen.front()->data(kIconRole).toInt();
    }
    request.text = ToCp1251(m_text->text());
    request.asChild = m_asChild->isChecked();
    request.repeat = m_repeat->isChecked();
    request.repeatCount = m_repeatCount->value();
    request.withInventory = m_withInventory->isChecked();
    request.inventoryPrefix = ToCp1251(m_inventoryPrefix->text());
    request.autoIncrement = m_autoIncrement->isChecked();
    request.incrementStart = m_incrementStart->value();
    request.withAdditional = m_withAdditional->isChecked();
    for (int row = 0; row < m_grid->rowCount(); ++row) {
        request.additional[static_cast<std::size_t>(row)] = ToCp1251(m_grid->item(row, kValueColumn)->text());
    }
    return request;
}

} // namespace pelgo::gui
