// TSentinoxSet. The spin controls and the log switch do not count as changes of their own, but a save writes
// what they hold; inserting, deleting or loading rows does not count either, editing a row does.
#include "gui/companions/sentinox_dialog.h"

#include <QCheckBox>
#include <QColor>
#include <QComboBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QShortcut>
#include <QSpinBox>
#include <QStyledItemDelegate>
#include <QTabWidget>
#include <QTableView>
#include <QVBoxLayout>
#include <algorithm>

#include "core/cp1251.h"
#include "core/errors.h"
#include "core/text.h"
#include "core/translator.h"
#include "gui/common/qt_text.h"

namespace pelgo::gui {

namespace {

constexpr int kMaxTextLength = 100;

// The MODE column is chosen from the captions and an empty item.
class ModeDelegate : public QStyledItemDelegate {
public:
    using QStyledItemDelegate::QStyledItemDelegate;
    QWidget* createEditor(QWidget* parent, const QStyleOptionViewItem&, const QModelIndex&) const override {
        auto* box = new QComboBox(parent);
        box->setObjectName(QStringLiteral("ModeEditor"));
        for (const std::string& caption : companions::ModeCaptions()) {
            box->addItem(FromCp1251(caption));
        }
        box->addItem(QString());
        return box;
    }
    void setEditorData(QWidget* editor, const QModelIndex& index) const override {
        auto* box = static_cast<QComboBox*>(editor);
        box->setCurrentIndex(std::max(0, box->findText(index.data(Qt::EditRole).toString())));
    }
    void setModelData(QWidget* editor, QAbstractItemModel* model, const QModelIndex& index) const override {
        model->setData(index, static_cast<QComboBox*>(editor)->currentText(), Qt::EditRole);
    }
};

QColor TintOf(int mode) {
    switch (mode) {
    case 0:
        return QColor(0xF0, 0xF0, 0xF0);
    case 1:
        return QColor(0xFF, 0xE0, 0xE0);
    case 2:
        return QColor(0xE0, 0xF0, 0xFF);
    default:
        return QColor(0xFF, 0xFF, 0xC0);
    }
}

QLabel* Caption(const char* utf8, QWidget* parent) {
    return new QLabel(QString::fromUtf8(utf8), parent);
}

} // namespace

AnalysisRowsModel::AnalysisRowsModel(QObject* parent) : QAbstractTableModel(parent) {
}

void AnalysisRowsModel::SetRows(std::vector<companions::AnalysisRow> rows) {
    beginResetModel();
    m_rows = std::move(rows);
    m_captions.clear();
    for (const companions::AnalysisRow& row : m_rows) {
        m_captions.push_back(companions::ModeCaption(row.mode));
    }
    endResetModel();
}

void AnalysisRowsModel::InsertRow(int row) {
    row = std::clamp(row, 0, rowCount());
    beginInsertRows({}, row, row);
    m_rows.insert(m_rows.begin() + row, companions::AnalysisRow{});
    m_captions.insert(m_captions.begin() + row, std::string());
    endInsertRows();
}

void AnalysisRowsModel::RemoveRow(int row) {
    if (row < 0 || row >= rowCount()) {
        return;
    }
    beginRemoveRows({}, row, row);
    m_rows.erase(m_rows.begin() + row);
    m_captions.erase(m_captions.begin() + row);
    endRemoveRows();
}

int AnalysisRowsModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : static_cast<int>(m_rows.size());
}

int AnalysisRowsModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : ColumnCount;
}

QVariant AnalysisRowsModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid()) {
        return {};
    }
    const auto row = static_cast<std::size_t>(index.row());
    if (role == Qt::BackgroundRole) {
        return TintOf(m_rows[row].mode);
    }
    if (role != Qt::DisplayRole && role != Qt::EditRole) {
        return {};
    }
    switch (index.column()) {
    case TextColumn:
        return FromCp1251(m_rows[row].text);
    case ModeColumn:
        return FromCp1251(m_captions[row]);
    default:
        return m_rows[row].mode;
    }
}

QVariant AnalysisRowsModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole) {
        return QAbstractTableModel::headerData(section, orientation, role);
    }
    switch (section) {
    case TextColumn:
        return QString::fromUtf8("Строки, содержащие текст :");
    case ModeColumn:
        return QStringLiteral("MODE");
    default:
        return QStringLiteral("M");
    }
}

Qt::ItemFlags AnalysisRowsModel::flags(const QModelIndex& index) const {
    const Qt::ItemFlags flags = QAbstractTableModel::flags(index);
    return index.isValid() && index.column() != CodeColumn ? flags | Qt::ItemIsEditable : flags;
}

bool AnalysisRowsModel::setData(const QModelIndex& index, const QVariant& value, int role) {
    if (!index.isValid() || role != Qt::EditRole || index.column() == CodeColumn) {
        return false;
    }
    const auto row = static_cast<std::size_t>(index.row());
    const std::string text = ToCp1251(value.toString());
    if (index.column() == TextColumn) {
        m_rows[row].text = text.substr(0, kMaxTextLength);
    } else {
        m_captions[row] = text;
        m_rows[row].mode = companions::ModeOfCaption(text);
    }
    emit dataChanged(this->index(index.row(), 0), this->index(index.row(), ColumnCount - 1));
    emit rowEdited();
    return true;
}

SentinoxDialog::SentinoxDialog(SentinoxDialogContext context, QWidget* parent)
    : QDialog(parent), m_context(std::move(context)) {
    setObjectName(QStringLiteral("TSentinoxSet"));
    setWindowTitle(QString::fromUtf8("Проверка изменений конфигураций компьютеров"));
    auto* layout = new QVBoxLayout(this);
    m_pages = new QTabWidget(this);
    m_pages->setObjectName(QStringLiteral("Pages"));
    layout->addWidget(m_pages);

    auto* program = new QWidget(m_pages);
    auto* grid = new QGridLayout(program);
    m_run = new QCheckBox(QString::fromUtf8("Запускать Sentinox.exe при запуске Pelgo'a (раз в день)  ->"), program);
    m_run->setObjectName(QStringLiteral("RunSentinox"));
    grid->addWidget(m_run, 0, 0, 1, 3);
    grid->addWidget(Caption("Путь к программе Sentinox :", program), 1, 0);
    m_path = new QLineEdit(program);
    m_path->setObjectName(QStringLiteral("SnxPath"));
    grid->addWidget(m_path, 1, 1, 1, 2);
    grid->addWidget(Caption("Каталоги для проверки\nфайлов конфигураций :", program), 2, 0);
    m_dirs = new QPlainTextEdit(program);
    m_dirs->setObjectName(QStringLiteral("SnxDirs"));
    grid->addWidget(m_dirs, 2, 1, 1, 2);
    grid->addWidget(Caption("Каталог для файла\nпротокола проверки :", program), 3, 0);
    m_logDir = new QLineEdit(program);
    m_logDir->setObjectName(QStringLiteral("SnxLogDir"));
    grid->addWidget(m_logDir, 3, 1, 1, 2);
    m_createLog = new QCheckBox(QString::fromUtf8("Создавать файл протокола sentinox.log"), program);
    m_createLog->setObjectName(QStringLiteral("CreateLog"));
    grid->addWidget(m_createLog, 4, 1, 1, 2);
    grid->addWidget(Caption("Запускать программу :", program), 5, 0);
    m_user = new QComboBox(program);
    m_user->setObjectName(QStringLiteral("SnxUser"));
    m_user->addItems({QStringLiteral("Full Control users"), QStringLiteral("Full Control & Read only users")});
    grid->addWidget(m_user, 5, 1, 1, 2);
    grid->addWidget(Caption("Загружать в базу не более", program), 6, 0);
    m_maxLines = new QSpinBox(program);
    m_maxLines->setObjectName(QStringLiteral("MaxLines"));
    m_maxLines->setRange(0, 99);
    m_maxLines->setSingleStep(10);
    grid->addWidget(m_maxLines, 6, 1);
    grid->addWidget(Caption("строк Config Changes ( 0 - все )", program), 6, 2);
    grid->addWidget(Caption("Хранить строки не более", program), 7, 0);
    m_maxData = new QSpinBox(program);
    m_maxData->setObjectName(QStringLiteral("MaxData"));
    m_maxData->setRange(0, 999);
    m_maxData->setSingleStep(10);
    grid->addWidget(m_maxData, 7, 1);
    grid->addWidget(Caption("дней", program), 7, 2);
    m_start = new QPushButton(QStringLiteral("Пуск !"), program);
    m_start->setObjectName(QStringLiteral("StartButton"));
    grid->addWidget(m_start, 8, 0);
    m_commandLine = new QLabel(program);
    m_commandLine->setObjectName(QStringLiteral("CommandLine"));
    grid->addWidget(m_commandLine, 8, 1, 1, 2);
    m_pages->addTab(program, QString::fromUtf8("    Программа     "));

    auto* analysis = new QWidget(m_pages);
    auto* analysisLayout = new QVBoxLayout(analysis);
    m_rows = new AnalysisRowsModel(this);
    m_table = new QTableView(analysis);
    m_table->setObjectName(QStringLiteral("AnalysisTable"));
    m_table->setModel(m_rows);
    m_table->setItemDelegateForColumn(AnalysisRowsModel::ModeColumn, new ModeDelegate(m_table));
    m_table->horizontalHeader()->setSectionResizeMode(AnalysisRowsModel::TextColumn, QHeaderView::Stretch);
    analysisLayout->addWidget(m_table);
    analysisLayout->addWidget(Caption("Insert - для вставки строки\nCtrl+DEL - для удаления строки", analysis));
    m_pages->addTab(analysis, QString::fromUtf8("  Анализ строк   "));

    auto* buttons = new QHBoxLayout;
    m_load = new QPushButton(QString::fromUtf8("Загрузить параметры"), this);
    m_load->setObjectName(QStringLiteral("LoadButton"));
    m_save = new QPushButton(QString::fromUtf8("Записать"), this);
    m_save->setObjectName(QStringLiteral("SaveButton"));
    buttons->addWidget(m_load);
    buttons->addStretch();
    buttons->addWidget(m_save);
    layout->addLayout(buttons);

    auto* insert = new QShortcut(QKeySequence(Qt::Key_Insert), m_table, nullptr, nullptr, Qt::WidgetShortcut);
    connect(insert, &QShortcut::activated, this, [this] {
        m_rows->InsertRow(m_table->currentIndex().isValid() ? m_table->currentIndex().row() : m_rows->rowCount());
    });
    auto* remove =
        new QShortcut(QKeySequence(Qt::CTRL | Qt::Key_Delete), m_table, nullptr, nullptr, Qt::WidgetShortcut);
    connect(remove, &QShortcut::activated, this, [this] { m_rows->RemoveRow(m_table->currentIndex().row()); });

    connect(m_rows, &AnalysisRowsModel::rowEdited, this, &SentinoxDialog::MarkChanged);
    connect(m_run, &QCheckBox::toggled, this, [this] {
        MarkChanged();
        ApplyEnabledStates();
    });
    connect(m_createLog, &QCheckBox::toggled, this, &SentinoxDialog::ApplyEnabledStates);
    connect(m_path, &QLineEdit::textEdited, this, &SentinoxDialog::MarkChanged);
    connect(m_logDir, &QLineEdit::textEdited, this, &SentinoxDialog::MarkChanged);
    connect(m_dirs, &QPlainTextEdit::textChanged, this, &SentinoxDialog::MarkChanged);
    connect(m_user, &QComboBox::activated, this, &SentinoxDialog::MarkChanged);
    connect(m_pages, &QTabWidget::currentChanged, this, &SentinoxDialog::ApplyEnabledStates);
    connect(m_save, &QPushButton::clicked, this, &SentinoxDialog::Save);
    connect(m_load, &QPushButton::clicked, this, &SentinoxDialog::LoadRulesFromFile);
    connect(m_start, &QPushButton::clicked, this, &SentinoxDialog::TestRun);
    Show(companions::ReadSentinoxSettings(m_context.settings));
}

void SentinoxDialog::Reload() {
    try {
        m_context.settings.sentinox = companions::ReadSentinoxSection(m_context.settingsPath);
    } catch (const core::Error&) {
        // An unreadable file leaves the values last read.
    }
    companions::SentinoxSettings values = companions::ReadSentinoxSettings(m_context.settings);
    if (values.dirs.empty()) {
        values.dirs = m_context.settings.updPatches;
    }
    Show(values);
    m_pages->setCurrentIndex(0);
}

void SentinoxDialog::Open() {
    Reload();
    exec();
}

void SentinoxDialog::Show(const companions::SentinoxSettings& values) {
    m_showing = true;
    m_run->setChecked(values.runSentinox);
    m_path->setText(FromCp1251(values.snxPath));
    QStringList dirs;
    for (const std::string& dir : values.dirs) {
        dirs << FromCp1251(dir);
    }
    m_dirs->setPlainText(dirs.join(QLatin1Char('\n')));
    m_logDir->setText(FromCp1251(values.logDir));
    m_user->setCurrentIndex(std::clamp(values.snxUser, 0, 1));
    m_createLog->setChecked(values.createLog);
    m_maxLines->setValue(values.maxLines);
    m_maxData->setValue(values.maxData);
    m_rows->SetRows(values.rows);
    m_showing = false;
    SetChanged(false);
    ApplyEnabledStates();
}

companions::SentinoxSettings SentinoxDialog::Values() const {
    companions::SentinoxSettings values;
    values.runSentinox = m_run->isChecked();
    values.snxPath = ToCp1251(m_path->text().trimmed());
    for (const QString& line : m_dirs->toPlainText().split(QLatin1Char('\n'))) {
        if (!line.trimmed().isEmpty()) {
            values.dirs.push_back(ToCp1251(line.trimmed()));
        }
    }
    values.logDir = ToCp1251(m_logDir->text().trimmed());
    values.snxUser = m_user->currentIndex();
    values.createLog = m_createLog->isChecked();
    values.maxLines = m_maxLines->value();
    values.maxData = m_maxData->value();
    for (const companions::AnalysisRow& row : m_rows->Rows()) {
        // An empty text would end the list when it is read back.
        if (!core::Trim(row.text).empty()) {
            values.rows.push_back(row);
        }
    }
    return values;
}

void SentinoxDialog::MarkChanged() {
    if (!m_showing) {
        SetChanged(true);
    }
}

void SentinoxDialog::SetChanged(bool changed) {
    m_changed = changed;
    m_save->setEnabled(changed);
}

void SentinoxDialog::ApplyEnabledStates() {
    const bool run = m_run->isChecked();
    for (QWidget* widget : std::initializer_list<QWidget*>{m_path, m_dirs, m_user, m_createLog, m_maxLines, m_maxData,
                                                           m_start, m_commandLine, m_table, m_load}) {
        widget->setEnabled(run);
    }
    m_logDir->setEnabled(run && m_createLog->isChecked());
    m_load->setVisible(m_pages->currentIndex() == 1);
    m_commandLine->setText(QStringLiteral("Command line : ") + m_path->text() + QStringLiteral(" /S"));
}

void SentinoxDialog::Save() {
    if (!m_changed) {
        return;
    }
    if (m_context.dialog.Ask(platform::MessageKind::Confirmation,
                             core::Text(4023, "Сохранить изменения конфигурации ?"),
                             platform::Buttons::YesNo) != platform::Answer::Yes) {
        return;
    }
    m_context.log.LogEvent(core::Text(4024, "Изменены настройки ") + "Sentinox.exe");
    companions::StoreSentinoxSettings(m_context.settings, Values());
    try {
        companions::WriteSentinoxSection(m_context.settingsPath, m_context.settings.sentinox);
    } catch (const core::Error& error) {
        m_context.dialog.Inform(platform::MessageKind::Error, error.what());
        return;
    }
    SetChanged(false);
}

void SentinoxDialog::done(int result) {
    Save();
    QDialog::done(result);
}

void SentinoxDialog::LoadRulesFromFile() {
    platform::FileChoice choice;
    choice.purpose = platform::FileChoice::Purpose::Open;
    choice.initialPath = "sentinox.ini";
    choice.filter = core::Utf8ToCp1251("ini файлы |*.ini|Все файлы|*.*");
    choice.defaultExtension = "ini";
    if (const std::optional<std::string> path = m_context.dialog.ChooseFile(choice)) {
        m_rows->SetRows(companions::LoadRules(*path));
    }
}

void SentinoxDialog::TestRun() {
    m_context.monitor.Start(Values(), m_context.environment(), true);
}

} // namespace pelgo::gui
