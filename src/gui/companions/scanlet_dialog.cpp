// TScanletSet. The controls edit the model's values directly, each on the user's own change, so that a stored
// value a list cannot show stays as read until the user picks an item. "разрешить" guards ClearThisFile and
// is no change of its own.
#include "gui/companions/scanlet_dialog.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPainter>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSignalBlocker>
#include <QSpinBox>
#include <QTabWidget>
#include <QVBoxLayout>
#include <algorithm>
#include <climits>

#include "archive/icon_choice.h"
#include "core/errors.h"
#include "core/text.h"
#include "core/translator.h"
#include "gui/common/qt_text.h"
#include "gui/common/theme_icons.h"
#include "gui/common/view_icons.h"

namespace pelgo::gui {

namespace {

constexpr int kIconSize = 16;
constexpr int kPageAdditional = 2;

QString Utf8(const char* text) {
    return QString::fromUtf8(text);
}

QLabel* Caption(const char* utf8, QWidget* parent) {
    return new QLabel(Utf8(utf8), parent);
}

template <typename T> T* Named(T* widget, const char* name) {
    widget->setObjectName(QLatin1String(name));
    return widget;
}

QComboBox* List(QWidget* parent, const char* name, std::initializer_list<const char*> items) {
    auto* box = Named(new QComboBox(parent), name);
    for (const char* item : items) {
        box->addItem(Utf8(item));
    }
    return box;
}

QSpinBox* Spin(QWidget* parent, const char* name, int minimum, int maximum, int step) {
    auto* spin = Named(new QSpinBox(parent), name);
    spin->setRange(minimum, maximum);
    spin->setSingleStep(step);
    // Stored values outside any sensible range are kept, but the box need not be as wide as INT_MAX.
    spin->setMaximumWidth(90);
    return spin;
}

QComboBox* DriveList(QWidget* parent, const char* name) {
    auto* box = Named(new QComboBox(parent), name);
    for (int number = 1; number <= companions::kDriveCount; ++number) {
        box->addItem(FromCp1251(companions::DriveItem(number)));
    }
    return box;
}

QHBoxLayout* Row(std::initializer_list<QWidget*> widgets) {
    auto* row = new QHBoxLayout;
    for (QWidget* widget : widgets) {
        row->addWidget(widget);
    }
    row->addStretch();
    return row;
}

QString MultiLine(const std::string& cp1251) {
    return FromCp1251(cp1251).replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
}

const std::array<IconLook, companions::kModuleModeCount> kModeLooks{{
    {"actions", "media-playback-pause", 0xFF808080, '-'},
    {"actions", "view-refresh", 0xFF2E8B57, '+'},
    {"actions", "edit-delete", 0xFFC03030, 'X'},
}};

} // namespace

QIcon ScanletModuleIcon(std::size_t position, int mode) {
    static auto* cache = new std::array<QIcon, companions::kModuleModeCount>;
    QPixmap pixmap(2 * kIconSize + 2, kIconSize);
    pixmap.fill(Qt::transparent);
    QPainter painter(&pixmap);
    if (const int state = companions::ItemIndex(mode, companions::kModuleModeCount); state >= 0) {
        painter.drawPixmap(0, 0, CachedIcon(*cache, kModeLooks, static_cast<std::size_t>(state)).pixmap(kIconSize));
    }
    const int section =
        archive::SetImage(companions::ScanletModules().at(position).key, 3, archive::IconWords::Translated());
    painter.drawPixmap(kIconSize + 2, 0, ViewIcon(section).pixmap(kIconSize));
    painter.end();
    return QIcon(pixmap);
}

ScanletDialog::ScanletDialog(ScanletDialogContext context, QWidget* parent)
    : QDialog(parent), m_context(std::move(context)) {
    setObjectName(QStringLiteral("TScanletSet"));
    setWindowTitle(Utf8("Настройки Scanlet"));
    auto* layout = new QVBoxLayout(this);

    auto* top = new QHBoxLayout;
    m_paths = Named(new QComboBox(this), "CCPath");
    m_paths->setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
    m_paths->setMinimumContentsLength(40);
    m_editPaths = Named(new QPushButton(Utf8("Настроить"), this), "SetupPaths");
    top->addWidget(m_paths, 1);
    top->addWidget(m_editPaths);
    top->addWidget(Named(new QLabel(QStringLiteral("Scanlet v.1.31"), this), "Version"));
    layout->addLayout(top);
    m_status = Named(new QLabel(this), "Status");
    m_status->setWordWrap(true);
    m_status->setFrameShape(QFrame::StyledPanel);
    layout->addWidget(m_status);

    m_pages = Named(new QTabWidget(this), "Pages");
    m_pages->addTab(MakeProgramPage(), Utf8("Программа"));
    m_pages->addTab(MakeModulesPage(), Utf8("Модули"));
    m_pages->addTab(MakeAdditionalPage(), Utf8("Дополнительно"));
    layout->addWidget(m_pages, 1);

    auto* buttons = new QHBoxLayout;
    m_save = Named(new QPushButton(Utf8("Записать"), this), "NeedSave");
    m_exit = Named(new QPushButton(Utf8("Выход"), this), "ExitButton");
    buttons->addStretch();
    buttons->addWidget(m_save);
    buttons->addWidget(m_exit);
    layout->addLayout(buttons);

    ConnectControls();
    FillPaths(0);
    m_modMode->setCurrentIndex(companions::kModuleUpdate);
    ShowModules();
    m_modules->setCurrentRow(0);
    ClearAllowance();
    SetChanged(false);
}

QWidget* ScanletDialog::MakeProgramPage() {
    auto* page = new QWidget(m_pages);
    auto* layout = new QVBoxLayout(page);

    m_programGroup = Named(new QGroupBox(Utf8("Программа"), page), "ProgramGroup");
    auto* grid = new QGridLayout(m_programGroup);
    grid->addWidget(Caption("Каталог для выходных данных -", m_programGroup), 0, 0);
    m_outputDir = Named(new QLineEdit(m_programGroup), "OutputDir");
    grid->addWidget(m_outputDir, 0, 1);
    grid->addWidget(Caption("Подключать как сетевой диск -", m_programGroup), 1, 0);
    m_netDisk = Named(new QComboBox(m_programGroup), "MapNetDisk");
    for (const std::string& item : companions::NetDiskItems()) {
        m_netDisk->addItem(FromCp1251(item));
    }
    m_netDisk->setToolTip(Utf8("*если путь к каталогу начинается с \\\\"));
    grid->addLayout(Row({m_netDisk}), 1, 1);

    m_maxConfigChanges = Spin(m_programGroup, "MaxConfigChanges", INT_MIN, INT_MAX, 2);
    grid->addLayout(Row({Caption("Запоминать ", m_programGroup), m_maxConfigChanges,
                         Caption("последних изменений конфигурации и запусков Scanlet", m_programGroup)}),
                    2, 0, 1, 2);
    m_dosFileName =
        Named(new QCheckBox(Utf8("DOS'овский (8.3) формат имени выходного файла"), m_programGroup), "DOSFileName");
    m_maxNameLength = Spin(m_programGroup, "MaxNameLength", companions::kMinNameLength, companions::kMaxNameLength, 1);
    grid->addLayout(Row({m_dosFileName, Caption("макс.длина имени", m_programGroup), m_maxNameLength}), 3, 0, 1, 2);
    m_macChoice =
        List(m_programGroup, "MACaddrToFileName", {"Computer Name", "MAC-address", "SCANLET.DAT", "Run parametr"});
    m_macParameter = List(m_programGroup, "MACparam", {"1", "2", "3", "4", "5", "6", "7", "8", "9"});
    grid->addLayout(Row({Caption("Имя выходного файла  =", m_programGroup), m_macChoice, m_macParameter}), 4, 0, 1, 2);
    m_noBadMac =
        Named(new QCheckBox(Utf8("Не создавать файл, если не определен MAC-адрес"), m_programGroup), "NoBadMACaddr");
    grid->addWidget(m_noBadMac, 5, 0, 1, 2);
    m_countersAlarms =
        Named(new QCheckBox(Utf8("Контроль количества Windows-устройств, обновлений и пр."), m_programGroup),
              "WindowsCountersAlarms");
    grid->addWidget(m_countersAlarms, 6, 0, 1, 2);
    m_cpuSpeedAlarm = Named(new QCheckBox(Utf8("Точный контроль частоты процессора"), m_programGroup), "CPUspeedAlarm");
    grid->addWidget(m_cpuSpeedAlarm, 7, 0, 1, 2);
    grid->addWidget(Caption("Windows 9x : общий доступ       -", m_programGroup), 8, 0);
    m_removeShared =
        List(m_programGroup, "RemoveSharedDirs",
             {"Не удалять доступ", "Удалять (кроме скрытого) к каталогам", "Удалять любой доступ к каталогам",
              "Удалять (кроме скрытого) к каталогам и принтерам", "Удалять любой доступ к каталогам и принтерам"});
    grid->addLayout(Row({m_removeShared}), 8, 1);
    grid->addWidget(Caption("Режим запуска  :", m_programGroup), 9, 0);
    m_runMode = List(m_programGroup, "RunMode", {"Обычный", "Реестр", "Отменить Реестр"});
    grid->addLayout(Row({m_runMode}), 9, 1);
    m_clearThisFile =
        Named(new QCheckBox(Utf8("Восстановить в SCANLET.ini значения по умолчанию"), m_programGroup), "ClearThisFile");
    m_allowClear = Named(new QCheckBox(Utf8("разрешить"), m_programGroup), "AllowClear");
    grid->addLayout(Row({m_clearThisFile, m_allowClear}), 10, 0, 1, 2);
    grid->setColumnStretch(1, 1);
    layout->addWidget(m_programGroup);

    m_diskGroup = Named(new QGroupBox(Utf8("Жесткие диски"), page), "HardDiskGroup");
    auto* disks = new QGridLayout(m_diskGroup);
    m_minDrv = DriveList(m_diskGroup, "min_drv");
    m_maxDrv = DriveList(m_diskGroup, "max_drv");
    disks->addLayout(Row({Caption("Сканировать диски с", m_diskGroup), m_minDrv, Caption("по", m_diskGroup), m_maxDrv}),
                     0, 0, 1, 2);
    disks->addWidget(Caption("Минимум свободного места %", m_diskGroup), 1, 0);
    m_freeAlarm = Spin(m_diskGroup, "FreeAlarmPercent", INT_MIN, INT_MAX, 5);
    disks->addLayout(Row({m_freeAlarm}), 1, 1);
    disks->addWidget(Caption("Максимальный обьем записи на диск, Мб", m_diskGroup), 2, 0);
    m_maxChange = Spin(m_diskGroup, "MaxChangeOfFreeSpace_Mb", INT_MIN, INT_MAX, 100);
    disks->addLayout(Row({m_maxChange}), 2, 1);
    disks->setColumnStretch(1, 1);
    layout->addWidget(m_diskGroup);
    layout->addStretch();
    return page;
}

QWidget* ScanletDialog::MakeModulesPage() {
    auto* page = new QWidget(m_pages);
    auto* layout = new QVBoxLayout(page);
    m_modulesGroup = Named(new QGroupBox(Utf8("Модули"), page), "ModulesGroup");
    auto* inner = new QHBoxLayout(m_modulesGroup);
    m_modules = Named(new QListWidget(m_modulesGroup), "Modules");
    m_modules->setIconSize(QSize(2 * kIconSize + 2, kIconSize));
    for (const companions::ScanletModule& module : companions::ScanletModules()) {
        m_modules->addItem(QString::fromLatin1(module.key));
    }
    inner->addWidget(m_modules, 1);
    auto* side = new QVBoxLayout;
    m_modMode = List(m_modulesGroup, "ModMode", {"Не обновлять", "Обновлять", "Удалить !"});
    side->addWidget(m_modMode);
    m_modHelp = Named(new QLabel(m_modulesGroup), "ModHelp");
    m_modHelp->setWordWrap(true);
    m_modHelp->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    m_modHelp->setMinimumWidth(240);
    side->addWidget(m_modHelp, 1);
    inner->addLayout(side, 1);
    layout->addWidget(m_modulesGroup);
    return page;
}

QWidget* ScanletDialog::MakeAdditionalPage() {
    auto* page = new QWidget(m_pages);
    auto* grid = new QGridLayout(page);
    grid->addWidget(Caption("Тип ОС", page), 0, 0);
    m_os = List(page, "OS", {"all Windows", "Windows 9x\\Me", "Windows NT\\2000\\XP"});
    grid->addLayout(Row({m_os}), 0, 1);
    grid->addWidget(Caption("День", page), 1, 0);
    auto* days = new QHBoxLayout;
    constexpr std::array<const char*, 7> kDays{"Пн", "Вт", "Ср", "Чт", "Пт", "Сб", "Вс"};
    for (std::size_t day = 0; day < kDays.size(); ++day) {
        m_days[day] = new QCheckBox(Utf8(kDays[day]), page);
        m_days[day]->setObjectName(QStringLiteral("Day%1").arg(day + 1));
        days->addWidget(m_days[day]);
    }
    m_once = Named(new QCheckBox(Utf8("однократно"), page), "Once");
    days->addSpacing(12);
    days->addWidget(m_once);
    days->addStretch();
    grid->addLayout(days, 1, 1);
    const auto line = [&](int row, const char* caption, const char* name) {
        grid->addWidget(Caption(caption, page), row, 0);
        auto* edit = Named(new QLineEdit(page), name);
        grid->addWidget(edit, row, 1);
        return edit;
    };
    m_exeFile = line(2, "Путь к программе", "EXEfile");
    m_exeParam = line(3, "Ее командная строка", "EXEparam");
    m_addOutputDir = line(4, "Каталог вых. данных", "AddOutputDir");
    m_outputFile = line(5, "Имя ini-файла данных", "OutputFile");
    auto* variables = Named(new QLabel(QStringLiteral("%TMP%  %MACADR%  %WINDIR%  %COMPNAME%"), page), "Variables");
    variables->setToolTip(Utf8("Список переменных"));
    grid->addWidget(variables, 6, 1);
    m_freeLines = Named(new QPlainTextEdit(page), "FreeLines");
    m_freeLines->setLineWrapMode(QPlainTextEdit::NoWrap);
    grid->addWidget(m_freeLines, 7, 0, 1, 2);
    grid->setRowStretch(7, 1);
    grid->setColumnStretch(1, 1);
    return page;
}

void ScanletDialog::ConnectControls() {
    companions::ScanletValues& v = m_model.values;
    // Each edit stores its value and marks the dialog changed; loading fills the controls quietly.
    const auto edited = [this](const std::function<void()>& store) {
        return [this, store] {
            if (!m_showing) {
                store();
                MarkChanged();
            }
        };
    };
    const auto text = [](QLineEdit* edit) { return ToCp1251(edit->text()); };

    connect(m_paths, &QComboBox::activated, this, &ScanletDialog::LoadSelected);
    connect(m_editPaths, &QPushButton::clicked, this, &ScanletDialog::EditPaths);
    connect(m_save, &QPushButton::clicked, this, &ScanletDialog::Save);
    connect(m_exit, &QPushButton::clicked, this, &ScanletDialog::accept);
    connect(m_pages, &QTabWidget::currentChanged, this, &ScanletDialog::OnPageChanged);

    connect(m_outputDir, &QLineEdit::textEdited, this, edited([this, &v, text] {
                v.outputDir = text(m_outputDir);
                v.mapNetDiskEnabled = companions::NetDiskEnabledAfter(v.outputDir, v.mapNetDiskEnabled);
                m_netDisk->setEnabled(v.mapNetDiskEnabled);
            }));
    connect(m_netDisk, &QComboBox::currentIndexChanged, this,
            edited([this, &v] { v.mapNetDisk = ToCp1251(m_netDisk->currentText()); }));
    connect(m_maxConfigChanges, &QSpinBox::valueChanged, this,
            edited([this, &v] { v.maxConfigChanges = m_maxConfigChanges->value(); }));
    connect(m_dosFileName, &QCheckBox::toggled, this,
            edited([this, &v] { v.dosFileName = m_dosFileName->isChecked(); }));
    connect(m_maxNameLength, &QSpinBox::valueChanged, this,
            edited([this, &v] { v.maxNameLength = m_maxNameLength->value(); }));
    connect(m_macChoice, &QComboBox::currentIndexChanged, this, edited([this, &v] {
                v.macAddrToFileName = companions::EncodeMacNaming(
                    {m_macChoice->currentIndex(), std::max(0, m_macParameter->currentIndex()) + 1});
                ShowMacNaming();
            }));
    connect(m_macParameter, &QComboBox::currentIndexChanged, this, edited([this, &v] {
                v.macAddrToFileName =
                    companions::EncodeMacNaming({companions::kMacRunParameter, m_macParameter->currentIndex() + 1});
            }));
    // These changes take back the permission to restore the agent's defaults.
    const auto guarded = [this, edited](const std::function<void()>& store) {
        return edited([this, store] {
            store();
            ClearAllowance();
        });
    };
    connect(m_noBadMac, &QCheckBox::toggled, this, guarded([this, &v] { v.noBadMacAddr = m_noBadMac->isChecked(); }));
    connect(m_countersAlarms, &QCheckBox::toggled, this,
            guarded([this, &v] { v.windowsCountersAlarms = m_countersAlarms->isChecked(); }));
    connect(m_cpuSpeedAlarm, &QCheckBox::toggled, this,
            guarded([this, &v] { v.cpuSpeedAlarm = m_cpuSpeedAlarm->isChecked(); }));
    connect(m_removeShared, &QComboBox::currentIndexChanged, this,
            guarded([this, &v] { v.removeSharedDirs = m_removeShared->currentIndex(); }));
    connect(m_clearThisFile, &QCheckBox::toggled, this,
            guarded([this, &v] { v.clearThisFile = m_clearThisFile->isChecked(); }));
    connect(m_allowClear, &QCheckBox::toggled, m_clearThisFile, &QCheckBox::setEnabled);
    connect(m_runMode, &QComboBox::currentIndexChanged, this,
            edited([this, &v] { v.runMode = m_runMode->currentIndex(); }));
    connect(m_minDrv, &QComboBox::currentIndexChanged, this,
            edited([this, &v] { v.minDrv = m_minDrv->currentIndex() + 1; }));
    connect(m_maxDrv, &QComboBox::currentIndexChanged, this,
            edited([this, &v] { v.maxDrv = m_maxDrv->currentIndex() + 1; }));
    connect(m_freeAlarm, &QSpinBox::valueChanged, this,
            edited([this, &v] { v.freeAlarmPercent = m_freeAlarm->value(); }));
    connect(m_maxChange, &QSpinBox::valueChanged, this,
            edited([this, &v] { v.maxChangeOfFreeSpaceMb = m_maxChange->value(); }));

    connect(m_modules, &QListWidget::currentRowChanged, this, &ScanletDialog::ShowModule);
    connect(m_modMode, &QComboBox::activated, this, [this](int mode) {
        const int row = m_modules->currentRow();
        if (m_showing || row < 0 || m_model.modules[static_cast<std::size_t>(row)] == mode) {
            return;
        }
        m_model.modules[static_cast<std::size_t>(row)] = mode;
        m_modules->item(row)->setIcon(ScanletModuleIcon(static_cast<std::size_t>(row), mode));
        MarkChanged();
    });

    connect(m_os, &QComboBox::currentIndexChanged, this, edited([this, &v] { v.os = m_os->currentIndex(); }));
    for (std::size_t day = 0; day < m_days.size(); ++day) {
        connect(m_days[day], &QCheckBox::toggled, this,
                edited([this, &v, day] { v.dayOfWeek.days[day] = m_days[day]->isChecked(); }));
    }
    connect(m_once, &QCheckBox::toggled, this, edited([this, &v] { v.dayOfWeek.once = m_once->isChecked(); }));
    connect(m_exeFile, &QLineEdit::textEdited, this, edited([this, &v, text] { v.exeFile = text(m_exeFile); }));
    connect(m_exeParam, &QLineEdit::textEdited, this, edited([this, &v, text] { v.exeParam = text(m_exeParam); }));
    connect(m_addOutputDir, &QLineEdit::textEdited, this,
            edited([this, &v, text] { v.additionalOutputDir = text(m_addOutputDir); }));
    connect(m_outputFile, &QLineEdit::textEdited, this,
            edited([this, &v, text] { v.outputFile = text(m_outputFile); }));
    connect(m_freeLines, &QPlainTextEdit::textChanged, this, edited([this, &v] {
                v.freeLines.clear();
                for (const QString& line : m_freeLines->toPlainText().split(QLatin1Char('\n'))) {
                    v.freeLines.push_back(ToCp1251(line));
                }
            }));
}

void ScanletDialog::FillPaths(int selected) {
    m_paths->clear();
    for (const std::string& path : companions::ScanletPaths(m_context.settings)) {
        m_paths->addItem(FromCp1251(path));
    }
    m_paths->setCurrentIndex(selected >= 0 && selected < m_paths->count() ? selected : 0);
}

void ScanletDialog::Reload() {
    FillPaths(m_paths->currentIndex());
    LoadSelected();
    m_showing = true;
    m_pages->setCurrentIndex(0);
    m_showing = false;
}

void ScanletDialog::Open() {
    Reload();
    exec();
}

void ScanletDialog::LoadSelected() {
    // Pending edits of the file shown before are saved or dropped by the user's answer, never silently.
    if (!Save()) {
        if (const int shown = m_paths->findText(FromCp1251(m_entry)); shown >= 0) {
            m_paths->setCurrentIndex(shown);
        }
        return;
    }
    std::optional<std::string> entry;
    if (m_paths->count() > 0) {
        entry = ToCp1251(m_paths->currentText());
    }
    m_pages->setUpdatesEnabled(false);
    companions::LoadResult result;
    try {
        result = m_model.Load(entry, m_context.settings.Paths());
    } catch (const core::Error& error) {
        result.status = companions::LoadStatus::Invalid;
        result.message = error.what();
        m_context.dialog.Inform(platform::MessageKind::Error, result.message);
    }
    if (entry && !result.entry.empty() && result.entry != *entry) {
        m_paths->setItemText(m_paths->currentIndex(), FromCp1251(result.entry));
    }
    SetGroupsEnabled(result.GroupsEnabled());
    if (result.status == companions::LoadStatus::Loaded) {
        m_entry = result.entry;
        Show();
        SetStatus(m_model.values.program);
    } else {
        SetStatus(result.message);
        if (result.status != companions::LoadStatus::Invalid) {
            m_context.dialog.Inform(platform::MessageKind::Warning, result.message);
        }
    }
    SetChanged(false);
    m_pages->setUpdatesEnabled(true);
}

void ScanletDialog::Show() {
    const companions::ScanletValues& v = m_model.values;
    m_showing = true;
    m_netDisk->setCurrentIndex(std::max(0, m_netDisk->findText(FromCp1251(v.mapNetDisk))));
    m_netDisk->setEnabled(v.mapNetDiskEnabled);
    m_outputDir->setText(FromCp1251(v.outputDir));
    m_maxConfigChanges->setValue(v.maxConfigChanges);
    m_dosFileName->setChecked(v.dosFileName);
    m_maxNameLength->setValue(v.maxNameLength);
    ShowMacNaming();
    m_noBadMac->setChecked(v.noBadMacAddr);
    m_countersAlarms->setChecked(v.windowsCountersAlarms);
    m_cpuSpeedAlarm->setChecked(v.cpuSpeedAlarm);
    m_removeShared->setCurrentIndex(companions::ItemIndex(v.removeSharedDirs, companions::kRemoveSharedDirsItems));
    m_runMode->setCurrentIndex(companions::ItemIndex(v.runMode, companions::kRunModeItems));
    m_clearThisFile->setChecked(v.clearThisFile);
    ClearAllowance();
    m_minDrv->setCurrentIndex(companions::DriveItemIndex(v.minDrv));
    m_maxDrv->setCurrentIndex(companions::DriveItemIndex(v.maxDrv));
    m_freeAlarm->setValue(v.freeAlarmPercent);
    m_maxChange->setValue(v.maxChangeOfFreeSpaceMb);
    ShowModules();
    m_os->setCurrentIndex(companions::ItemIndex(v.os, companions::kOsItems));
    for (std::size_t day = 0; day < m_days.size(); ++day) {
        m_days[day]->setChecked(v.dayOfWeek.days[day]);
    }
    m_once->setChecked(v.dayOfWeek.once);
    m_exeFile->setText(FromCp1251(v.exeFile));
    m_exeParam->setText(FromCp1251(v.exeParam));
    m_addOutputDir->setText(FromCp1251(v.additionalOutputDir));
    m_outputFile->setText(FromCp1251(v.outputFile));
    QStringList lines;
    for (const std::string& line : v.freeLines) {
        lines << FromCp1251(line);
    }
    m_freeLines->setPlainText(lines.join(QLatin1Char('\n')));
    m_showing = false;
}

void ScanletDialog::ShowModules() {
    for (std::size_t position = 0; position < companions::kModuleCount; ++position) {
        m_modules->item(static_cast<int>(position))->setIcon(ScanletModuleIcon(position, m_model.modules[position]));
    }
    ShowModule();
}

void ScanletDialog::ShowModule() {
    const int row = m_modules->currentRow();
    if (row < 0) {
        m_modHelp->clear();
        return;
    }
    const auto position = static_cast<std::size_t>(row);
    m_modMode->setCurrentIndex(companions::ItemIndex(m_model.modules[position], companions::kModuleModeCount));
    m_modHelp->setText(MultiLine(companions::ModuleHelp(position)));
}

void ScanletDialog::ShowMacNaming() {
    const QSignalBlocker choiceQuiet(m_macChoice);
    const QSignalBlocker parameterQuiet(m_macParameter);
    const companions::MacNaming naming = companions::DecodeMacNaming(m_model.values.macAddrToFileName);
    m_macChoice->setCurrentIndex(naming.choice);
    m_macParameter->setCurrentIndex(naming.parameter - 1);
    m_macParameter->setVisible(naming.choice == companions::kMacRunParameter);
}

void ScanletDialog::SetStatus(const std::string& cp1251) {
    m_status->setText(MultiLine(cp1251));
}

void ScanletDialog::SetGroupsEnabled(bool enabled) {
    for (QGroupBox* group : {m_programGroup, m_diskGroup, m_modulesGroup}) {
        group->setEnabled(enabled);
    }
    // Without an open file nothing typed there could be saved.
    m_pages->widget(kPageAdditional)->setEnabled(enabled);
}

void ScanletDialog::MarkChanged() {
    if (!m_showing && m_model.IsOpen()) {
        SetChanged(true);
    }
}

void ScanletDialog::SetChanged(bool changed) {
    m_changed = changed;
    m_save->setEnabled(changed);
}

void ScanletDialog::ClearAllowance() {
    m_allowClear->setChecked(false);
    m_clearThisFile->setEnabled(false);
}

bool ScanletDialog::Save() {
    if (!m_changed || !m_model.IsOpen()) {
        return true;
    }
    const bool confirmed =
        m_context.dialog.Ask(platform::MessageKind::Confirmation, companions::SaveQuestion(m_model.FilePath()),
                             platform::Buttons::YesNo) == platform::Answer::Yes;
    std::vector<std::string> rejected;
    try {
        rejected = m_model.Save(confirmed, m_context.log);
    } catch (const core::Error& error) {
        m_context.dialog.Inform(platform::MessageKind::Error, error.what());
        return false;
    }
    for (const std::string& message : rejected) {
        m_context.dialog.Inform(platform::MessageKind::Warning, message);
    }
    SetChanged(false);
    return true;
}

void ScanletDialog::done(int result) {
    // A write that failed keeps the dialog open with its edits; answering No closes it.
    if (Save()) {
        QDialog::done(result);
    }
}

void ScanletDialog::TranslateElements() {
    ShowModule();
}

void ScanletDialog::EditPaths() {
    QDialog editor(this);
    editor.setObjectName(QStringLiteral("ScanletPathsEditor"));
    editor.setWindowTitle(Utf8("Настроить"));
    auto* layout = new QVBoxLayout(&editor);
    auto* text = Named(new QPlainTextEdit(&editor), "PathsText");
    text->setLineWrapMode(QPlainTextEdit::NoWrap);
    QStringList lines;
    for (const std::string& path : companions::ScanletPaths(m_context.settings)) {
        lines << FromCp1251(path);
    }
    text->setPlainText(lines.join(QLatin1Char('\n')));
    layout->addWidget(text);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, &editor);
    connect(buttons, &QDialogButtonBox::accepted, &editor, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, &editor, &QDialog::reject);
    layout->addWidget(buttons);
    editor.resize(520, 300);
    if (editor.exec() != QDialog::Accepted) {
        return;
    }
    std::vector<std::string> paths;
    for (const QString& line : text->toPlainText().split(QLatin1Char('\n'))) {
        if (!line.trimmed().isEmpty()) {
            paths.push_back(ToCp1251(line.trimmed()));
        }
    }
    // A list left as it was keeps [ScanletPatches] as it stands, even one too long to be taken.
    if (paths != companions::ScanletPaths(m_context.settings)) {
        companions::EditScanletPaths(m_context.settings, std::move(paths));
        if (m_context.writeSettings) {
            m_context.writeSettings();
        }
    }
    FillPaths(0);
    LoadSelected();
}

void ScanletDialog::OnPageChanged(int page) {
    if (!m_showing && page == kPageAdditional && m_model.modules[0] != companions::kModuleUpdate) {
        m_context.dialog.Inform(platform::MessageKind::Information,
                                core::Text(4027, "Запуск доп.программ запрещен в секции [Модули]!"));
    }
}

} // namespace pelgo::gui
