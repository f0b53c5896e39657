// The main window's parts, its command handlers and the application of the command states.
#include "gui/main/main_window.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QClipboard>
#include <QCloseEvent>
#include <QFrame>
#include <QHBoxLayout>
#include <QLabel>
#include <QMenu>
#include <QPlainTextEdit>
#include <QSplitter>
#include <QTabWidget>
#include <QToolButton>
#include <QTreeView>
#include <QVBoxLayout>

#include "companions/sentinox_alarms.h"
#include "companions/sentinox_settings.h"
#include "core/file.h"
#include "gui/archive/current_config_page.h"
#include "gui/archive/protocol_window.h"
#include "gui/archive/update_window.h"
#include "gui/common/qt_text.h"
#include "gui/common/theme_icons.h"
#include "gui/common/window_translation.h"
#include "gui/companions/scanlet_dialog.h"
#include "gui/companions/sentinox_dialog.h"
#include "gui/structure/add_node_dialog.h"
#include "gui/structure/additional_page.h"
#include "gui/structure/change_type_dialog.h"
#include "gui/structure/structure_tree_model.h"
#include "shell/version.h"
#include "structure/node_queries.h"

namespace pelgo::gui {
namespace {

using session::Command;

constexpr int kSelectionDebounceMs = 50;
constexpr int kShortestWritePeriodMs = 100;

QFrame* Panel(QWidget* parent, const char* name) {
    auto* panel = new QFrame(parent);
    panel->setObjectName(QLatin1String(name));
    panel->setFrameShape(QFrame::StyledPanel);
    return panel;
}

NodeTypeIcons NodeTypeIconsOf(const shell::Settings& settings) {
    QStringList files;
    for (const shell::UserNodeType& type : settings.userNodeTypes) {
        files << FromCp1251(settings.Paths().ToNative(type.iconPath));
    }
    return NodeTypeIcons(files);
}

} // namespace

MainWindow::MainWindow(session::AppState& state, platform::UserDialog& dialog, WindowTranslation& translation)
    : m_state(state), m_dialog(dialog), m_translation(translation) {
    setObjectName(QStringLiteral("TMain"));
    setWindowTitle(QString::fromUtf8("Распределение оргтехники"));
    m_brandingPresent = core::FileExists(m_state.ProgramDirectory() + "/pelgo.set");
    m_commands = BuildCommandMenus(*this);
    BuildListMenus();

    auto* central = new QWidget(this);
    auto* layout = new QVBoxLayout(central);
    layout->setContentsMargins(2, 2, 2, 2);
    layout->setSpacing(2);
    layout->addWidget(BuildTopPanel());
    layout->addWidget(BuildBookmarkBar());
    auto* splitter = new QSplitter(Qt::Horizontal, central);
    splitter->setObjectName(QStringLiteral("Splitter"));
    m_tree = new QTreeView(splitter);
    const NodeTypeIcons icons = NodeTypeIconsOf(m_state.Settings());
    m_treeModel = new StructureTreeModel(m_state.Tree(), icons, this);
    m_tree->setModel(m_treeModel);
    m_tree->setObjectName(QStringLiteral("TreeView"));
    m_tree->setHeaderHidden(true);
    m_tree->setContextMenuPolicy(Qt::CustomContextMenu);
    m_tree->setIconSize(QSize(16, 16));
    splitter->addWidget(m_tree);
    splitter->addWidget(BuildPages(icons));
    splitter->setStretchFactor(1, 1);
    splitter->setSizes({320, 700});
    layout->addWidget(splitter, 1);
    layout->addWidget(BuildBottomPanel());
    setCentralWidget(central);

    m_selectionTimer.setSingleShot(true);
    m_selectionTimer.setInterval(kSelectionDebounceMs);
    connect(m_tree->selectionModel(), &QItemSelectionModel::currentChanged, this, [this](const QModelIndex& current) {
        if (const structure::TreeNode* node = m_treeModel->NodeOf(current)) {
            m_state.SetSelectedNode(*node);
        }
        m_selectionTimer.start();
    });
    connect(&m_selectionTimer, &QTimer::timeout, this, [this] {
        const structure::TreeNode* node = SelectedNode();
        m_pathLabel->setText(node != nullptr ? FromCp1251(structure::GetPath(node)) : QString());
        emit nodeSelectionSettled(m_tree->currentIndex());
        ShowComments();
        if (m_state.TreeReactionsOn()) {
            ShowNodeViews();
            m_state.NodeViewsShown();
        }
        AllMenuSetup();
    });
    connect(&m_writeTimer, &QTimer::timeout, this, &MainWindow::OnWriteTimer);
    connect(m_tree, &QTreeView::customContextMenuRequested, this, &MainWindow::ShowTreePopup);
    connect(&m_translation, &WindowTranslation::languageChanged, this, &MainWindow::OnLanguageChanged);
    m_addDialog = new AddNodeDialog(m_state, icons, m_dialog, this);
    m_protocolWindow = new ProtocolWindow(this);
    m_sentinoxDialog =
        new SentinoxDialog({m_state.Settings(), m_state.SettingsFile().Path(), m_state.Log(), m_dialog, m_monitor,
                            [this] {
                                return companions::EnvironmentOf(m_state.Settings(), m_state.UserRights(),
                                                                 m_state.Clock().Now(), m_state.OtherTable().path);
                            }},
                           this);
    m_scanletDialog = new ScanletDialog(
        {m_state.Settings(), m_state.Log(), m_dialog, [this] { m_state.SettingsFile().ReadIni(0); }}, this);
    m_numberProgress = new NumberProgressWindow(m_state, m_dialog, this);
    if (const structure::NodeTypes* types = m_state.NodeTypes()) {
        m_changeTypeDialog = new ChangeTypeDialog(*types, icons, this);
    }
    ConnectCommands();
    ConnectArchiveCommands();
    ConnectReportCommands();
    ConnectEditingCommands();
    ConnectTreeEditing();
    ConnectTreeHooks();
    ApplyCommandStates();
    resize(1024, 700);
}

QWidget* MainWindow::BuildTopPanel() {
    QFrame* panel = Panel(this, "TopPanel");
    auto* layout = new QHBoxLayout(panel);
    layout->setContentsMargins(6, 2, 6, 2);
    m_makerLabel = new QLabel(QLatin1String(shell::kProgramCredit), panel);
    m_makerLabel->setObjectName(QStringLiteral("MakerLabel"));
    m_makerLabel->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(m_makerLabel, &QLabel::customContextMenuRequested, this, [this](const QPoint& position) {
        ShowCopyPopup(m_makerLabel->text().trimmed(), m_makerLabel->mapToGlobal(position));
    });
    layout->addStretch();
    layout->addWidget(m_makerLabel);
    return panel;
}

QWidget* MainWindow::BuildBookmarkBar() {
    QFrame* bar = Panel(this, "BookmarkBar");
    auto* layout = new QHBoxLayout(bar);
    layout->setContentsMargins(4, 1, 4, 1);
    auto* title = new QLabel(QString::fromUtf8("Закладки"), bar);
    title->setObjectName(QStringLiteral("BookmarkTitle"));
    layout->addWidget(title);
    for (std::size_t slot = 0; slot < m_bookmarkButtons.size(); ++slot) {
        auto* button = new QToolButton(bar);
        button->setObjectName(QStringLiteral("Bookmark%1").arg(slot + 1));
        button->setAutoRaise(true);
        button->setToolButtonStyle(Qt::ToolButtonTextBesideIcon);
        connect(button, &QToolButton::clicked, this, [this, slot] { SelectBookmark(static_cast<int>(slot) + 1); });
        m_bookmarkButtons[slot] = button;
        layout->addWidget(button);
    }
    layout->addStretch();
    bar->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(bar, &QWidget::customContextMenuRequested, this, [this, bar](const QPoint& position) {
        Menu(Command::BookmarkBarPopup)->popup(bar->mapToGlobal(position));
    });
    m_bookmarkBar = bar;
    bar->hide();
    return bar;
}

QWidget* MainWindow::BuildCommentPanel(QWidget* page) {
    m_commentPanel = Panel(page, "CommentPanel");
    auto* layout = new QVBoxLayout(m_commentPanel);
    layout->setContentsMargins(2, 2, 2, 2);
    m_commentEditor = new QPlainTextEdit(m_commentPanel);
    m_commentEditor->setObjectName(QStringLiteral("CommentEditor"));
    // Room for four lines: a fifth brings the scroll bar.
    const int frame =
        2 * m_commentEditor->frameWidth() + 2 * static_cast<int>(m_commentEditor->document()->documentMargin());
    m_commentEditor->setFixedHeight(4 * m_commentEditor->fontMetrics().lineSpacing() + frame);
    layout->addWidget(m_commentEditor);
    connect(m_commentEditor, &QPlainTextEdit::textChanged, this, &MainWindow::StoreComments);
    m_commentPanel->hide();
    return m_commentPanel;
}

QWidget* MainWindow::BuildBottomPanel() {
    QFrame* panel = Panel(this, "BottomPanel");
    auto* layout = new QHBoxLayout(panel);
    layout->setContentsMargins(4, 2, 4, 2);
    struct ButtonLook {
        Command command;
        const char* context;
        const char* icon;
        QColor fallback;
        QChar letter;
    };
    const ButtonLook buttons[] = {
        {Command::AddButton, "actions", "list-add", QColor(0x30, 0x90, 0x30), u'+'},
        {Command::DeleteButton, "actions", "list-remove", QColor(0xb0, 0x30, 0x30), u'-'},
        {Command::FindButton, "actions", "edit-find", QColor(0x30, 0x60, 0xb0), u'F'},
        {Command::ExitButton, "actions", "application-exit", QColor(0x80, 0x20, 0x20), u'X'},
        {Command::SaveButton, "actions", "document-save", QColor(0x20, 0x50, 0x90), u'S'},
    };
    for (const ButtonLook& look : buttons) {
        QAction* action = Action(look.command);
        action->setIcon(ThemeIcon(look.context, look.icon, look.fallback, look.letter));
        auto* button = new QToolButton(panel);
        button->setObjectName(action->objectName());
        button->setDefaultAction(action);
        button->setIconSize(QSize(22, 22));
        button->setAutoRaise(true);
        layout->addWidget(button);
    }
    m_statusLabel = new QLabel(panel);
    m_statusLabel->setObjectName(QStringLiteral("StatusLabel"));
    m_statusLabel->hide();
    layout->addSpacing(12);
    layout->addWidget(m_statusLabel);
    layout->addStretch();

    m_presenceMenu = new QMenu(this);
    m_presenceMenu->setObjectName(QStringLiteral("PresenceList"));
    connect(m_presenceMenu, &QMenu::aboutToShow, this, &MainWindow::RefreshPresence);
    m_presenceButton = new QToolButton(panel);
    m_presenceButton->setObjectName(QStringLiteral("MultiUserIcon"));
    m_presenceButton->setIcon(MultiUserIcon(0));
    m_presenceButton->setAutoRaise(true);
    m_presenceButton->setMenu(m_presenceMenu);
    m_presenceButton->setPopupMode(QToolButton::InstantPopup);
    m_presenceButton->hide();
    layout->addWidget(m_presenceButton);

    m_autoSaveBox = new QCheckBox(QString::fromUtf8(session::InfoOf(Command::AutoSaveBox).caption), panel);
    m_autoSaveBox->setObjectName(QLatin1String(session::InfoOf(Command::AutoSaveBox).name));
    QAction* autoSave = Action(Command::AutoSaveBox);
    autoSave->setCheckable(true);
    // The box shows the command's action: it follows its state and reports its own clicks to it.
    connect(autoSave, &QAction::changed, m_autoSaveBox, [this, autoSave] {
        m_autoSaveBox->setText(autoSave->text());
        m_autoSaveBox->setEnabled(autoSave->isEnabled());
        m_autoSaveBox->setVisible(autoSave->isVisible());
        m_autoSaveBox->setChecked(autoSave->isChecked());
    });
    connect(m_autoSaveBox, &QCheckBox::toggled, autoSave, &QAction::setChecked);
    layout->addWidget(m_autoSaveBox);
    return panel;
}

void MainWindow::BuildListMenus() {
    QMenu* journals = Menu(Command::JournalsMenu);
    const auto& types = m_state.JournalTypes();
    for (std::size_t i = 0; i < types.size(); ++i) {
        QAction* item = journals->addAction(FromCp1251(types[i].name));
        item->setObjectName(QStringLiteral("N_Journal%1").arg(i));
        // The two built-in journals are named by text id; the configured ones keep their names.
        if (i < 2) {
            item->setProperty(kTagProperty, 1030 + static_cast<int>(i));
        }
        // The caption as shown names the journal: the settings may have dropped it since the menu was made.
        connect(item, &QAction::triggered, this, [this, item] { RunJournalReport(item->text()); });
    }
    QMenu* reports = Menu(Command::ReportsMenu);
    if (!m_state.Settings().reports.empty()) {
        reports->addSeparator();
    }
    int position = 0;
    for (const auto& [name, templateFile] : m_state.Settings().reports) {
        QAction* item = reports->addAction(FromCp1251(name));
        item->setObjectName(QStringLiteral("N_Report%1").arg(position++));
        connect(item, &QAction::triggered, this, [this, caption = name] { RunUserReport(caption); });
    }
}

void MainWindow::On(Command command, const std::function<void()>& handler) {
    connect(Action(command), &QAction::triggered, this, handler);
}

void MainWindow::ConnectCommands() {
    for (const Command command : {Command::Save, Command::SaveButton}) {
        On(command, [this] { Save(); });
    }
    On(Command::Exit, [this] { close(); });
    On(Command::ExitButton, [this] { ExitByButton(); });
    On(Command::SentinoxSettings, [this] { m_sentinoxDialog->Open(); });
    On(Command::ScanletSettings, [this] { m_scanletDialog->Open(); });
    On(Command::ChangeLanguage, [this] { ChangeLanguage(); });
    On(Command::ClearFailure, [this] {
        m_state.ClearFailure();
        AllMenuSetup();
    });
    On(Command::LiftProtection, [this] {
        m_state.LiftProtection();
        AllMenuSetup();
        RefreshPresence();
    });
    for (const Command command : {Command::Expand, Command::TreeExpand}) {
        On(command, [this] { ExpandSelected(true); });
    }
    for (const Command command : {Command::Collapse, Command::TreeCollapse}) {
        On(command, [this] { ExpandSelected(false); });
    }
    for (const Command command : {Command::ExpandAll, Command::TreeExpandAll}) {
        On(command, [this] { m_tree->expandAll(); });
    }
    for (const Command command : {Command::CollapseAll, Command::TreeCollapseAll}) {
        On(command, [this] { m_tree->collapseAll(); });
    }
    On(Command::CopyText, [this] { QGuiApplication::clipboard()->setText(m_copyText); });
    // These menus are set up again as they open; the reports and the current configuration's pop-up run the
    // whole menu set-up.
    for (const Command command : {Command::NavigationMenu, Command::TreePopup}) {
        connect(Menu(command), &QMenu::aboutToShow, this, [this] { ApplyCommandStates(); });
    }
    for (const Command command : {Command::ReportsMenu, Command::CurrentConfigPopup}) {
        connect(Menu(command), &QMenu::aboutToShow, this, &MainWindow::AllMenuSetup);
    }
    // The tree pop-up's own shortcuts work while the tree has the focus.
    for (const session::CommandInfo& info : session::CommandTable()) {
        if (info.parent == Command::TreePopup && info.shortcut != 0) {
            QAction* action = Action(info.command);
            action->setShortcutContext(Qt::WidgetWithChildrenShortcut);
            m_tree->addAction(action);
        }
    }
}

session::SelectionFacts MainWindow::CurrentSelectionFacts() const {
    session::SelectionFacts facts;
    if (const structure::TreeNode* node = m_treeModel->NodeOf(m_tree->currentIndex())) {
        const structure::TreeModel& tree = m_state.Tree();
        facts.hasSelection = true;
        facts.icon = node->Icon();
        facts.hasNextNode = tree.Next(*node) != nullptr;
        facts.isNetComputer = structure::IsNetComputer(tree, node);
        facts.text = node->Text();
    }
    facts.currentConfigHasContent = m_currentConfigPage->HasContent();
    facts.additionalPageShown = m_pages->currentWidget() == m_additionalPage;
    return facts;
}

void MainWindow::ApplyCommandStates() {
    session::StateFacts facts;
    facts.isProtected = m_state.ProtectData();
    facts.sboiFlag = m_state.Flags().sboiFlag;
    facts.readOnlyStart = m_state.ReadOnlyStart();
    facts.userRights = m_state.UserRights();
    facts.moveRequestsOn = m_state.Settings().Bool(shell::Key::TP_Create);
    facts.languageCount = static_cast<int>(m_state.Translator().LanguageNames().size());
    facts.brandingPresent = m_brandingPresent;
    facts.controlsDisabled = m_controlsDisabled;
    m_commandStates.Update(facts, CurrentSelectionFacts());
    ApplyCommandStates(m_commandStates);
    // In-place edits and drops are offered exactly when renaming and moving are (they share their state).
    m_treeModel->SetEditable(m_commandStates.State(Command::Rename).enabled);
    m_commentEditor->setReadOnly(facts.isProtected);
    RefreshStatus();
    ShowPresenceIcon();
}

void MainWindow::AllMenuSetup() {
    // The check may reload the tree or protect the data: the commands follow what it left.
    m_state.CheckCurrentConfig();
    ApplyCommandStates();
}

QString MainWindow::TableCaption(const session::CommandInfo& info) const {
    const QString translated = m_translation.Caption(objectName(), QLatin1String(info.name), info.textId);
    return translated.isEmpty() ? QString::fromUtf8(info.caption) : translated;
}

void MainWindow::ApplyCommandStates(const session::CommandStates& states) {
    for (const session::CommandInfo& info : session::CommandTable()) {
        const session::CommandState& state = states.State(info.command);
        QAction* action = Action(info.command);
        const bool languageCommandBroken = info.command == Command::ChangeLanguage && m_languageFilesMissing;
        action->setEnabled(state.enabled && !languageCommandBroken);
        action->setVisible(state.visible);
        const QString caption = state.caption.empty() ? TableCaption(info) : FromCp1251(state.caption);
        if (action->text() != caption) {
            action->setText(caption);
        }
    }
    QAction* autoSave = Action(Command::AutoSaveBox);
    if (!autoSave->isEnabled()) {
        autoSave->setChecked(false);
    }
}

void MainWindow::RefreshStatus() {
    const structure::TreeEditor* editor = m_state.Editor();
    const QString text =
        editor != nullptr && editor->Marking()
            ? FromCp1251(core::Text(1066, "DoubleClick на месте перемещения, Ctrl+LeftMouse для продолжения выборки"))
            : FromCp1251(m_state.StatusText());
    m_statusLabel->setText(text);
    m_statusLabel->setVisible(!text.isEmpty());
}

void MainWindow::SetControlsDisabled(bool disabled) {
    m_controlsDisabled = disabled;
    m_pages->setEnabled(!disabled);
    if (disabled) {
        ApplyCommandStates();
    } else {
        AllMenuSetup();
    }
}

void MainWindow::ConnectTreeHooks() {
    m_state.Bookmarks().SetObserver([this] { ShowBookmarks(); });
    m_state.SetTreeHooks(
        [this](bool busy) {
            SetControlsDisabled(busy);
            if (busy) {
                QApplication::setOverrideCursor(Qt::WaitCursor);
            } else {
                QApplication::restoreOverrideCursor();
            }
        },
        [this](bool minimised) { minimised ? showMinimized() : showMaximized(); });
    m_state.SetModalDialogQuery([] { return QApplication::activeModalWidget() != nullptr; });
    ShowBookmarks();
}

void MainWindow::RefreshPresence() {
    m_state.RefreshMultiUserStatus();
    m_presenceMenu->clear();
    QStringList hint;
    for (const structure::PresenceEntry& entry : m_state.MultiUser().Entries()) {
        QAction* item = m_presenceMenu->addAction(FromCp1251(entry.caption));
        item->setToolTip(FromCp1251(entry.instanceId));
        item->setCheckable(true);
        item->setChecked(entry.exclusive);
        connect(item, &QAction::triggered, this,
                [this, instanceId = entry.instanceId] { ChoosePresenceEntry(instanceId); });
        hint << item->text();
    }
    if (hint.isEmpty()) {
        hint << FromCp1251(m_state.MultiUser().Hint());
    }
    m_presenceButton->setToolTip(hint.join(u'\n'));
    ShowPresenceIcon();
}

void MainWindow::ShowPresenceIcon() {
    m_presenceButton->setIcon(MultiUserIcon(m_state.MultiUser().Status()));
    m_presenceButton->setVisible(m_state.MultiUserIconVisible());
}

// Only this instance's own entry takes or releases the marker, after asking.
void MainWindow::ChoosePresenceEntry(const std::string& instanceId) {
    structure::MultiUser& multiUser = m_state.MultiUser();
    if (instanceId != multiUser.InstanceId() || multiUser.Status() == 1) {
        return;
    }
    const bool take = multiUser.Status() == 0;
    const std::string question = (take ? core::Text(253, "Установить ") : core::Text(254, "Снять ")) + "Exclusive-" +
                                 core::Text(255, "предупреждение ") + " ?";
    if (m_dialog.Ask(platform::MessageKind::Confirmation, question, platform::Buttons::YesNo) ==
        platform::Answer::Yes) {
        m_state.SetExclusive(take);
    }
    RefreshPresence();
}

void MainWindow::OnWriteTimer() {
    // The marker stays as it is while the change-type dialog, the update window or a number job is on screen.
    m_state.OnWriteTimer((m_changeTypeDialog != nullptr && m_changeTypeDialog->isVisible()) ||
                         (m_updateWindow != nullptr && m_updateWindow->isVisible()) || m_numberProgress->isVisible());
    RefreshPresence();
    ApplyCommandStates();
}

void MainWindow::SelectAbsoluteIndex(int index) {
    const structure::TreeModel& tree = m_state.Tree();
    const structure::TreeNode* node = tree.NodeAt(index);
    if (node == nullptr) {
        node = tree.First();
    }
    SelectNode(node);
    m_tree->expand(m_treeModel->IndexOf(node));
}

structure::TreeNode* MainWindow::SelectedNode() const {
    return m_treeModel->NodeOf(m_tree->currentIndex());
}

void MainWindow::SelectNode(const structure::TreeNode* node) {
    const QModelIndex index = m_treeModel->IndexOf(node);
    m_tree->setCurrentIndex(index);
    m_tree->scrollTo(index);
}

void MainWindow::ShowBookmarks() {
    const structure::Bookmarks& bookmarks = m_state.Bookmarks();
    for (int slot = 1; slot <= structure::Bookmarks::kSlots; ++slot) {
        QToolButton* button = m_bookmarkButtons[static_cast<std::size_t>(slot - 1)];
        const structure::TreeNode* node = bookmarks.Node(slot);
        button->setIcon(node != nullptr ? m_treeModel->IconOf(*node) : QIcon());
        button->setText(node != nullptr ? FromCp1251(node->Text()) : QString());
        button->setToolTip(node != nullptr ? FromCp1251(structure::GetPath(node)) : QString());
        button->setVisible(node != nullptr);
    }
    m_bookmarkBar->setVisible(bookmarks.BarShown());
}

void MainWindow::SelectBookmark(int slot) {
    if (const structure::TreeNode* node = m_state.Bookmarks().Node(slot)) {
        SelectNode(node);
    }
}

void MainWindow::StepIndicator() {
    constexpr int kPieSize = 64;
    constexpr int kRecordsPerStep = 20;
    if (!m_numberProgress->isVisible()) {
        m_numberProgress->SetCircle(kPieSize);
    }
    m_numberProgress->Step(kRecordsPerStep - 1);
}

void MainWindow::Activate() {
    if (m_activated) {
        return;
    }
    m_activated = true;
    m_activating = true;
    m_pages->setCurrentIndex(0);
    if (!m_tree->currentIndex().isValid() && m_treeModel->rowCount() > 0) {
        m_tree->setCurrentIndex(m_treeModel->index(0, 0));
    }
    m_state.Activate();
    m_numberProgress->EndIndicator();
    core::TKelTranslator& translator = m_state.Translator();
    if (!translator.LanguageNames().empty()) {
        translator.ChooseLanguage(translator.LanguagePosition());
    }
    RefreshPresence();
    AllMenuSetup();
    const int periodMs = m_state.Settings().Int(shell::Key::Timer_sec) * 1000;
    if (periodMs > kShortestWritePeriodMs) {
        m_writeTimer.start(periodMs);
    }
    CompanionDuties();
    m_activating = false;
}

// Only at the activation that completes the start: every later one (a closed dialog, this very warning) would
// age the alarms away within minutes.
void MainWindow::CompanionDuties() {
    const shell::Settings& settings = m_state.Settings();
    m_monitor.Start(
        companions::ReadSentinoxSettings(settings),
        companions::EnvironmentOf(settings, m_state.UserRights(), m_state.Clock().Now(), m_state.OtherTable().path),
        false);
    platform::DbfTable* other = m_state.OtherTable().IfOpen();
    if (m_state.UserRights() != 0 || other == nullptr) {
        return;
    }
    // A record another instance aged away meanwhile, or a failing disk, must not leave the start unfinished.
    std::optional<std::string> message;
    try {
        message = companions::ShowCriticalAlarms(*other, m_state.Log(), !m_state.ProtectData());
    } catch (const core::Error& error) {
        m_state.Log().LogEvent(error.what());
        m_dialog.Inform(platform::MessageKind::Error, error.what());
    }
    if (message) {
        m_dialog.Inform(platform::MessageKind::Warning, *message);
    }
}

void MainWindow::changeEvent(QEvent* event) {
    QMainWindow::changeEvent(event);
    if (event->type() == QEvent::ActivationChange && isActiveWindow() && m_activated && !m_activating) {
        m_state.Activate();
        AllMenuSetup();
    }
}

void MainWindow::showEvent(QShowEvent* event) {
    // The window's translation has just run (it precedes this handler) and reset the changing captions.
    QMainWindow::showEvent(event);
    ApplyCommandStates();
    ShowBookmarks();
}

void MainWindow::closeEvent(QCloseEvent* event) {
    m_writeTimer.stop();
    m_selectionTimer.stop();
    m_additionalPage->Save(true);
    m_state.CloseRequest();
    RefreshStatus();
    event->accept();
}

void MainWindow::Save() {
    m_additionalPage->Save(false);
    m_state.SaveAll();
    ApplyCommandStates();
}

void MainWindow::ExitByButton() {
    QAction* exit = Action(Command::ExitButton);
    m_statusLabel->setText(exit->toolTip());
    m_statusLabel->show();
    exit->setEnabled(false);
    close();
}

void MainWindow::ChangeLanguage() {
    core::TKelTranslator& translator = m_state.Translator();
    if (translator.LanguageNames().empty()) {
        m_dialog.Inform(platform::MessageKind::Information, translator.Directory() + "*.lng file(s) not found !");
        m_languageFilesMissing = true;
        ApplyCommandStates();
        return;
    }
    translator.ChooseNextLanguage();
}

void MainWindow::OnLanguageChanged() {
    // The window's texts are translated already; the title takes the version once, at the first change.
    if (!property(kTitleSuffixProperty).isValid()) {
        const QString suffix = QStringLiteral("  ") + QLatin1String(shell::kProgramVersion);
        setProperty(kTitleSuffixProperty, suffix);
        setWindowTitle(windowTitle() + suffix);
    }
    m_state.Settings().SetInt(shell::Key::Language, m_state.Translator().LanguagePosition());
    m_state.RetranslateTexts();
    // Translation restores the texts the pages had at their first showing; the node's own are shown again,
    // and the archive's lines take the new language's words.
    m_additionalPage->Retranslate();
    m_scanletDialog->TranslateElements();
    ShowArchive(SelectedNode());
    ApplyCommandStates();
    ShowBookmarks();
}

void MainWindow::ExpandSelected(bool expand) {
    const QModelIndex current = m_tree->currentIndex();
    if (!current.isValid()) {
        return;
    }
    if (expand) {
        m_tree->expandRecursively(current);
        return;
    }
    std::vector<QModelIndex> pending{current};
    while (!pending.empty()) {
        const QModelIndex node = pending.back();
        pending.pop_back();
        m_tree->collapse(node);
        for (int row = 0; row < m_tree->model()->rowCount(node); ++row) {
            pending.push_back(m_tree->model()->index(row, 0, node));
        }
    }
}

void MainWindow::ShowTreePopup(const QPoint& position) {
    // A right click selects the node under the mouse first, so the pop-up acts on what was clicked.
    const QModelIndex clicked = m_tree->indexAt(position);
    if (clicked.isValid()) {
        m_tree->setCurrentIndex(clicked);
    }
    Menu(Command::TreePopup)->popup(m_tree->viewport()->mapToGlobal(position));
}

} // namespace pelgo::gui
