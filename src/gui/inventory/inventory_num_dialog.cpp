// The inventory-number dialog: its controls and the run on the application state.
#include "gui/inventory/inventory_num_dialog.h"

#include <QCoreApplication>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QProgressBar>
#include <QPushButton>
#include <QVBoxLayout>
#include <algorithm>

#include "core/errors.h"
#include "core/translator.h"
#include "gui/common/qt_text.h"
#include "gui/common/window_translation.h"
#include "session/archive_run.h"
#include "session/inventory_numbers.h"

namespace pelgo::gui {
namespace {

QPushButton* Button(const char* name, const char* caption, QWidget* parent) {
    auto* button = new QPushButton(QString::fromUtf8(caption), parent);
    button->setObjectName(QLatin1String(name));
    return button;
}

QProgressBar* Bar(const char* name, QWidget* parent) {
    auto* bar = new QProgressBar(parent);
    bar->setObjectName(QLatin1String(name));
    bar->setRange(0, 1);
    bar->setValue(0);
    return bar;
}

void ShowCount(QProgressBar* bar, long long done, long long total) {
    bar->setRange(0, static_cast<int>(std::max(total, 1LL)));
    bar->setValue(static_cast<int>(done));
}

} // namespace

InventoryNumDialog::InventoryNumDialog(session::AppState& state, platform::UserDialog& dialog,
                                       std::function<void(const structure::TreeNode&)> select, QWidget* parent)
    : QDialog(parent), m_state(state), m_dialog(dialog), m_select(std::move(select)) {
    setObjectName(QStringLiteral("TInventoryNum"));
    setWindowTitle(QString::fromUtf8("Простановка инвентарных номеров"));
    // Modal, so that the tree-change check waits while the run holds nodes of the tree.
    setWindowModality(Qt::ApplicationModal);

    m_directories = new QListWidget(this);
    m_directories->setObjectName(QStringLiteral("DirectoryList"));
    m_iniDir = new QLineEdit(this);
    m_iniDir->setObjectName(QStringLiteral("IniDir"));
    QPushButton* add = Button("AddButton", "< Добавить", this);
    QPushButton* remove = Button("DeleteButton", "Удалить >", this);
    auto* hint =
        new QLabel(QString::fromUtf8("Заполните перечень каталогов, где будем искать файлы конфигураций."), this);
    hint->setObjectName(QStringLiteral("HintLabel"));
    hint->setWordWrap(true);
    auto* list = new QGridLayout;
    list->addWidget(m_directories, 0, 0, 3, 1);
    list->addWidget(add, 0, 1);
    list->addWidget(remove, 1, 1);
    list->addWidget(m_iniDir, 3, 0, 1, 2);

    m_progressLabel = new QLabel(QString::fromUtf8("Ход инвентаризации :"), this);
    m_progressLabel->setObjectName(QStringLiteral("ProgressLabel"));
    m_files = Bar("FilesProgress", this);
    m_directoriesBar = Bar("DirectoriesProgress", this);

    m_startButton = Button("StartButton", "Пуск", this);
    m_cancelButton = Button("CancelButton", "Отмена", this);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(m_startButton);
    buttons->addWidget(m_cancelButton);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(hint);
    layout->addLayout(list);
    layout->addWidget(m_progressLabel);
    layout->addWidget(m_files);
    layout->addWidget(m_directoriesBar);
    layout->addLayout(buttons);

    connect(add, &QPushButton::clicked, this, &InventoryNumDialog::AddDirectory);
    connect(remove, &QPushButton::clicked, this, &InventoryNumDialog::RemoveDirectory);
    connect(m_startButton, &QPushButton::clicked, this, &InventoryNumDialog::Start);
    connect(m_cancelButton, &QPushButton::clicked, this, &InventoryNumDialog::reject);
}

void InventoryNumDialog::Open() {
    const shell::Settings& settings = m_state.Settings();
    m_iniDir->setText(FromCp1251(settings.Paths().ToNative(settings.Text(shell::Key::INIpath))));
    if (m_directories->count() == 0) {
        for (const std::string& directory : session::UpdateDirectories(settings)) {
            m_directories->addItem(FromCp1251(directory));
        }
    }
    for (QWidget* progress : {static_cast<QWidget*>(m_progressLabel), static_cast<QWidget*>(m_files),
                              static_cast<QWidget*>(m_directoriesBar)}) {
        progress->hide();
    }
    m_cancelButton->setText(FromCp1251(core::Text(13, "Отмена")));
    m_cancelButton->setProperty(kTagProperty, 13);
    m_startButton->setEnabled(true);
    show();
    raise();
    activateWindow();
}

void InventoryNumDialog::AddDirectory() {
    const QString directory = m_iniDir->text();
    if (!directory.isEmpty()) {
        m_directories->addItem(directory);
    }
}

void InventoryNumDialog::RemoveDirectory() {
    delete m_directories->currentItem();
}

std::vector<std::string> InventoryNumDialog::Directories() const {
    std::vector<std::string> directories;
    for (int row = 0; row < m_directories->count(); ++row) {
        directories.push_back(ToCp1251(m_directories->item(row)->text()));
    }
    return directories;
}

void InventoryNumDialog::Start() {
    const std::vector<std::string> directories = Directories();
    if (!directories.empty()) {
        ShowCount(m_files, 0, 0);
        ShowCount(m_directoriesBar, 0, 0);
        m_progressLabel->show();
        m_files->show();
        m_directoriesBar->show();
    }
    session::InventoryHooks hooks;
    hooks.caption = ToCp1251(windowTitle());
    hooks.select = m_select;
    hooks.directoriesDone = [this](int done, int total) { ShowCount(m_directoriesBar, done, total); };
    m_startButton->setEnabled(false);
    m_running = true;
    m_stop = false;
    bool ran = false;
    try {
        ran = session::AssignInventoryNumbers(m_state, directories, m_dialog, *this, hooks).ran;
    } catch (const core::Error& error) {
        m_state.Log().LogEvent(error.what());
        m_dialog.Inform(platform::MessageKind::Error, error.what());
        ran = true;
    }
    m_running = false;
    m_startButton->setEnabled(true);
    if (ran) {
        m_cancelButton->setText(FromCp1251(core::Text(1075, "Готово!")));
        m_cancelButton->setProperty(kTagProperty, 1075);
    }
}

void InventoryNumDialog::SetCounters(long long done, long long total) {
    ShowCount(m_files, done, total);
}

void InventoryNumDialog::ProcessEvents() {
    QCoreApplication::processEvents();
}

void InventoryNumDialog::reject() {
    if (m_running) {
        m_stop = true;
    } else {
        QDialog::reject();
    }
}

} // namespace pelgo::gui
