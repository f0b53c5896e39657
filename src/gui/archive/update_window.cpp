// The archive-update window: its controls, the checks before a run and the run itself.
#include "gui/archive/update_window.h"

#include <QCheckBox>
#include <QCoreApplication>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
#include <QSpinBox>
#include <QVBoxLayout>
#include <algorithm>

#include "core/errors.h"
#include "core/file.h"
#include "core/text.h"
#include "gui/archive/protocol_window.h"
#include "gui/common/qt_text.h"
#include "gui/common/window_translation.h"

namespace pelgo::gui {
namespace {

QString CancelCaption() {
    return FromCp1251(core::Text(13, "Отмена"));
}

QPushButton* Button(const char* name, const char* caption, QWidget* parent) {
    auto* button = new QPushButton(QString::fromUtf8(caption), parent);
    button->setObjectName(QLatin1String(name));
    return button;
}

QCheckBox* Switch(const char* name, const char* caption, QWidget* parent) {
    auto* box = new QCheckBox(QString::fromUtf8(caption), parent);
    box->setObjectName(QLatin1String(name));
    return box;
}

void AddChecked(QListWidget* list, const QString& directory) {
    auto* item = new QListWidgetItem(directory, list);
    item->setFlags(item->flags() | Qt::ItemIsUserCheckable);
    item->setCheckState(Qt::Checked);
}

} // namespace

UpdateWindow::UpdateWindow(session::AppState& state, platform::UserDialog& dialog, ProtocolWindow& protocol,
                           QWidget* parent)
    : QDialog(parent), m_state(state), m_dialog(dialog), m_protocol(protocol) {
    setObjectName(QStringLiteral("TUpdateInf"));
    setWindowTitle(QString::fromUtf8("Обновление данных"));
    // Modal without blocking the caller: the main window waits while the user works here.
    setWindowModality(Qt::ApplicationModal);

    m_optionsPanel = new QWidget(this);
    auto* optionsLayout = new QVBoxLayout(m_optionsPanel);
    optionsLayout->setContentsMargins(0, 0, 0, 0);
    optionsLayout->addWidget(BuildDirectories());
    optionsLayout->addWidget(BuildOptions());

    m_lastUpdateLabel = new QLabel(this);
    m_lastUpdateLabel->setObjectName(QStringLiteral("LastUpdateLabel"));
    m_startButton = Button("StartButton", "Пуск", this);
    m_detailsButton = Button("DetailsButton", "Детали", this);
    m_cancelButton = Button("CancelButton", "Отмена", this);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(m_startButton);
    buttons->addWidget(m_detailsButton);
    buttons->addWidget(m_cancelButton);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(m_optionsPanel);
    layout->addWidget(BuildCounters());
    layout->addWidget(m_lastUpdateLabel);
    layout->addLayout(buttons);

    for (const std::string& directory : session::UpdateDirectories(m_state.Settings())) {
        AddChecked(m_directories, FromCp1251(directory));
    }
    connect(m_startButton, &QPushButton::clicked, this, &UpdateWindow::Start);
    connect(m_cancelButton, &QPushButton::clicked, this, &UpdateWindow::reject);
    connect(m_detailsButton, &QPushButton::clicked, this, [this] {
        m_protocol.show();
        m_protocol.raise();
    });
}

UpdateWindow::~UpdateWindow() = default;

QWidget* UpdateWindow::BuildDirectories() {
    auto* box = new QGroupBox(m_optionsPanel);
    auto* layout = new QGridLayout(box);
    m_directories = new QListWidget(box);
    m_directories->setObjectName(QStringLiteral("PatchList"));
    m_directoryEdit = new QLineEdit(box);
    m_directoryEdit->setObjectName(QStringLiteral("DirectoryEdit"));
    QPushButton* add = Button("AddButton", "< Добавить", box);
    QPushButton* remove = Button("DeleteButton", "Удалить >", box);
    layout->addWidget(m_directories, 0, 0, 3, 1);
    layout->addWidget(add, 0, 1);
    layout->addWidget(remove, 1, 1);
    layout->addWidget(m_directoryEdit, 3, 0, 1, 2);
    connect(add, &QPushButton::clicked, this, &UpdateWindow::AddDirectory);
    connect(remove, &QPushButton::clicked, this, &UpdateWindow::RemoveDirectory);
    return box;
}

QWidget* UpdateWindow::BuildOptions() {
    auto* box = new QGroupBox(m_optionsPanel);
    auto* layout = new QGridLayout(box);
    m_clean = Switch("CleanBox", "Чистить базу конфигураций", box);
    m_configChanges = Switch("ConfigChangesBox", "Загружать данные из [Config_changes]", box);
    m_trimJournal = Switch("TrimJournalBox", "Чистить журнал изменений", box);
    m_trimJournal->setChecked(true);
    m_keepJournal = new QSpinBox(box);
    m_keepJournal->setObjectName(QStringLiteral("KeepJournalEdit"));
    m_keepJournal->setRange(0, 99);
    m_keepJournal->setSingleStep(5);
    m_keepJournal->setValue(10);
    auto* keep = new QHBoxLayout;
    keep->addWidget(new QLabel(QString::fromUtf8("оставляя не более"), box));
    keep->addWidget(m_keepJournal);
    keep->addWidget(new QLabel(QString::fromUtf8("записей"), box));
    keep->addStretch();
    m_copy = Switch("CopyBox", "Перед обработкой копировать файлы в каталог", box);
    m_workDir = new QLineEdit(box);
    m_workDir->setObjectName(QStringLiteral("WorkDirEdit"));
    m_workDir->setToolTip(QString::fromUtf8("Для ускорения работы укажите ЛОКАЛЬНЫЙ каталог"));
    m_onlyNew = Switch("OnlyNewBox", "Загружать только новые файлы конфигураций", box);
    m_onlyNew->setChecked(true);
    auto* target = new QGroupBox(QString::fromUtf8("Новые файлы конфигураций размещать в :"), box);
    target->setObjectName(QStringLiteral("TargetGroup"));
    auto* targetLayout = new QVBoxLayout(target);
    m_toFirstNode = new QRadioButton(QString::fromUtf8("первый узел структуры"), target);
    m_toFirstNode->setObjectName(QStringLiteral("FirstNodeButton"));
    m_toSelectedNode = new QRadioButton(QString::fromUtf8("выбранный узел структуры"), target);
    m_toSelectedNode->setObjectName(QStringLiteral("SelectedNodeButton"));
    targetLayout->addWidget(m_toFirstNode);
    targetLayout->addWidget(m_toSelectedNode);

    layout->addWidget(m_clean, 0, 0);
    layout->addWidget(m_configChanges, 1, 0);
    layout->addWidget(m_trimJournal, 2, 0);
    layout->addLayout(keep, 3, 0);
    layout->addWidget(m_copy, 4, 0);
    layout->addWidget(m_workDir, 5, 0);
    layout->addWidget(m_onlyNew, 6, 0);
    layout->addWidget(target, 7, 0);
    connect(m_trimJournal, &QCheckBox::toggled, m_keepJournal, &QSpinBox::setEnabled);
    return box;
}

QWidget* UpdateWindow::BuildCounters() {
    auto* box = new QGroupBox(this);
    auto* layout = new QGridLayout(box);
    const std::array<std::pair<const char*, const char*>, 5> counters = {{
        {"DirectoriesCount", "Просмотрено каталогов"},
        {"FilesCount", "Просмотрено файлов"},
        {"ConfigurationsCount", "Из них конфигураций"},
        {"NewConfigurationsCount", "Новых конфигураций"},
        {"PlacedCount", "Распределено компьютеров"},
    }};
    for (std::size_t i = 0; i < counters.size(); ++i) {
        const int row = static_cast<int>(i);
        layout->addWidget(new QLabel(QString::fromUtf8(counters[i].second), box), row, 0);
        m_counters[i] = new QLabel(box);
        m_counters[i]->setObjectName(QLatin1String(counters[i].first));
        layout->addWidget(m_counters[i], row, 1);
    }
    return box;
}

void UpdateWindow::Open() {
    const shell::Settings& settings = m_state.Settings();
    ShowCounters({});
    m_directoryEdit->setText(FromCp1251(settings.Paths().ToNative(settings.Text(shell::Key::INIpath))));
    m_workDir->setText(FromCp1251(settings.FilePath(shell::Key::WorkDir)));
    m_copy->setChecked(settings.Bool(shell::Key::UseWorkDir));
    m_lastUpdateLabel->setText(FromCp1251(settings.Text(shell::Key::DBFLastUpdate)));
    m_toFirstNode->setChecked(true);
    m_clean->setChecked(false);
    m_cancelButton->setText(CancelCaption());
    m_cancelButton->setProperty(kTagProperty, 13);
    m_optionsPanel->setEnabled(true);
    m_startButton->show();
    m_detailsButton->hide();
    show();
    raise();
    activateWindow();
}

void UpdateWindow::AddDirectory() {
    const QString directory = m_directoryEdit->text();
    if (directory.size() > 1) {
        AddChecked(m_directories, directory);
    }
}

void UpdateWindow::RemoveDirectory() {
    delete m_directories->currentItem();
}

std::string UpdateWindow::WorkDirectory() const {
    std::string directory = ToCp1251(m_workDir->text());
    const bool driveRoot = directory.size() == 3 && directory[1] == ':';
    while (directory.size() > 1 && !driveRoot && (directory.back() == '/' || directory.back() == '\\')) {
        directory.pop_back();
    }
    return directory;
}

std::vector<std::string> UpdateWindow::CheckedDirectories() const {
    std::vector<std::string> directories;
    for (int row = 0; row < m_directories->count(); ++row) {
        const QListWidgetItem* item = m_directories->item(row);
        if (item->checkState() == Qt::Checked) {
            directories.push_back(ToCp1251(item->text()));
        }
    }
    return directories;
}

archive::UpdateOptions UpdateWindow::Options() const {
    archive::UpdateOptions options;
    options.onlyNew = m_onlyNew->isChecked();
    options.cleanArchive = m_clean->isChecked();
    options.configChanges = m_configChanges->isChecked();
    options.trimJournal = m_trimJournal->isChecked();
    options.keepJournal = m_keepJournal->value();
    options.copyToWorkDir = m_copy->isChecked();
    options.workDir = WorkDirectory();
    options.toSelectedNode = m_toSelectedNode->isChecked();
    return options;
}

void UpdateWindow::Start() {
    const archive::UpdateOptions options = Options();
    m_lastUpdate = session::LastUpdateText(m_state, options.onlyNew);
    m_lastUpdateLabel->setText(FromCp1251(m_lastUpdate));
    m_workDir->setText(FromCp1251(options.workDir));
    if (m_directories->count() == 0) {
        m_dialog.Inform(platform::MessageKind::Warning,
                        core::Text(4150, "Кнопками \"Добавить\"-\"Удалить\"\r\nзаполните перечень каталогов !"));
        return;
    }
    if (options.copyToWorkDir && !core::DirectoryExists(options.workDir) &&
        m_dialog.Ask(platform::MessageKind::Warning, core::Text(4300, "Создать каталог\r\n") + options.workDir,
                     platform::Buttons::YesNo) == platform::Answer::Yes &&
        !core::CreateDirectories(options.workDir)) {
        m_dialog.Inform(platform::MessageKind::Error, core::Text(4301, "Ошибочный каталог\r\n") + options.workDir);
        return;
    }
    Run(options);
}

void UpdateWindow::Run(const archive::UpdateOptions& options) {
    const std::optional<session::UpdateRunLock> alone = session::UpdateRunLock::Take(m_state, m_dialog);
    if (!alone) {
        return;
    }
    if (!m_references) {
        m_references.emplace(m_state);
    }
    m_stop = false;
    m_optionsPanel->setEnabled(false);
    m_startButton->setEnabled(false);
    m_protocol.Clear();
    m_state.SetTreeReactionsOn(false);
    archive::ArchiveUpdate update(session::MakeUpdateContext(m_state, *m_references, m_dialog, *this));
    m_update = &update;
    try {
        update.StartUpdate(CheckedDirectories(), options, m_state.SelectedNode(),
                           m_state.ProgramDirectory() + "/Update.log");
    } catch (const core::Error& error) {
        m_state.Log().LogEvent(error.what());
        m_dialog.Inform(platform::MessageKind::Error, error.what());
    }
    ShowCounters(update.Counters());
    m_update = nullptr;
    m_state.SetTreeReactionsOn(true);
    m_clean->setChecked(false);
    KeepSettings();
    m_cancelButton->setText(FromCp1251(core::Text(1075, "Выход")));
    m_cancelButton->setProperty(kTagProperty, 1075);
    m_startButton->setEnabled(true);
    m_startButton->hide();
    m_detailsButton->show();
    emit updateFinished();
}

void UpdateWindow::ShowCounters(const archive::UpdateCounters& counters) {
    const std::array<int, 5> values = {counters.directories, counters.files, counters.configurations,
                                       counters.newConfigurations, counters.placed};
    for (std::size_t i = 0; i < values.size(); ++i) {
        m_counters[i]->setNum(values[i]);
    }
}

// A path the user left as it was keeps its stored form, so that settings files travelling between systems
// keep working.
void UpdateWindow::KeepSettings() {
    shell::Settings& settings = m_state.Settings();
    const shell::PathRules& paths = settings.Paths();
    std::vector<std::string> directories;
    for (int row = 0; row < m_directories->count(); ++row) {
        const std::string native = ToCp1251(m_directories->item(row)->text());
        const auto kept = std::find_if(settings.updPatches.begin(), settings.updPatches.end(),
                                       [&](const std::string& stored) { return paths.ToNative(stored) == native; });
        directories.push_back(kept != settings.updPatches.end() ? *kept : paths.ToStored(native));
    }
    settings.updPatches = std::move(directories);
    if (WorkDirectory() != settings.FilePath(shell::Key::WorkDir)) {
        settings.SetFilePath(shell::Key::WorkDir, WorkDirectory());
    }
    settings.SetBool(shell::Key::UseWorkDir, m_copy->isChecked());
    settings.SetText(shell::Key::DBFLastUpdate, m_lastUpdate);
}

void UpdateWindow::Protocol(std::string_view line) {
    m_protocol.Protocol(line);
}

void UpdateWindow::SetCounters(long long, long long) {
    if (m_update != nullptr) {
        ShowCounters(m_update->Counters());
    }
}

void UpdateWindow::ProcessEvents() {
    QCoreApplication::processEvents();
}

void UpdateWindow::reject() {
    if (Running()) {
        Cancel();
    } else {
        QDialog::reject();
    }
}

void UpdateWindow::Cancel() {
    const std::string caption = ToCp1251(m_cancelButton->text());
    if (m_stop || m_dialog.Ask(platform::MessageKind::Confirmation, caption + " ???", platform::Buttons::YesNo) !=
                      platform::Answer::Yes) {
        return;
    }
    // Through the run, so that the line is kept in Update.log as well.
    m_update->Protocol("===<<" + caption + " >>===");
    m_stop = true;
}

} // namespace pelgo::gui
