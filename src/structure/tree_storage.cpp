// Loading and saving the structure tree.
#include "structure/tree_storage.h"

#include <algorithm>
#include <chrono>
#include <memory>
#include <thread>
#include <utility>
#include <vector>

#include "core/cp1251.h"
#include "core/file.h"
#include "core/text.h"
#include "core/translator.h"
#include "shell/backup.h"
#include "structure/uno.h"

namespace pelgo::structure {
namespace {

// Events are let through every so many nodes: often enough for a live window, rarely enough that a large
// tree is not slowed down by the event loop.
constexpr int kNodesPerEventPump = 256;
constexpr int kWaitSliceMs = 50;

constexpr shell::Key kBookmarkKeys[] = {shell::Key::BM1, shell::Key::BM2, shell::Key::BM3, shell::Key::BM4,
                                        shell::Key::BM5};

struct SampleNode {
    int level;
    int icon;
    const char* text;
};

constexpr SampleNode kSampleTree[] = {
    {0, kIconDepartment, "Название Вашего предприятия"},
    {1, kIconDepartment, "Дирекция"},
    {2, kIconEmployee, "Иванов Иван Иванович"},
    {1, kIconDepartment, "Бухгалтерия"},
    {2, kIconEmployee, "Петров Петр Петрович"},
    {2, kIconEmployee, "Сидоров Сидор Сидорович"},
    {1, kIconNote, "Для удаления используйте клавиши [Ctrl+DEL]"},
    {1, kIconNote, "Прочие операции - правая клавиша мыши или меню \"Навигация\""},
};

constexpr const char* kHelpLines[] = {
    "Несколько слов про резервное копирование данных :",
    "",
    "Файлы резервной копии *.bak создаются или раз в день или при изменении данных",
    "Файлы *.ba1-*.ba9 создаются раз в день как резервная копия соотв. *.bak-файла",
    "",
    "ВНИМАНИЕ ! При восстановлении данных из резервных копий НЕ ЗАБУДЬТЕ _УДАЛИТЬ_",
    "все файлы индексов *.MDX - они автоматически создадутся при запуске программы",
};

// Appends a node in pre-order: `parents` holds the last node of each level above.
TreeNode& AppendAtLevel(TreeModel& tree, std::vector<TreeNode*>& parents, int level, std::string text, int icon) {
    parents.resize(static_cast<std::size_t>(level));
    TreeNode& node = tree.AddChild(level > 0 ? parents.back() : nullptr, -1, std::move(text), icon);
    parents.push_back(&node);
    return node;
}

std::string TempName(const std::string& file) {
    return file + std::string(kTempExtension);
}

void WriteTemp(const std::string& file, std::string_view bytes) {
    auto temp = core::LockedFile::Open(TempName(file), core::LockedFile::Access::ReadWrite, true);
    if (!temp) {
        throw core::CannotOpenFile(TempName(file));
    }
    temp->Rewrite(bytes);
    temp->Sync();
}

std::string TreeCaption() {
    return core::Text(3007, "Структура предприятия");
}

std::string LoadErrorTitle() {
    return TreeCaption() + " - " + core::Text(246, "Ошибка загрузки данных") + " :";
}

std::string SaveErrorTitle() {
    return core::Text(1048, "СБОЙ! ") + TreeCaption() + " - " + core::Text(250, "Ошибка записи данных") + " :";
}

} // namespace

// The common frame of a load or save: busy while it runs; the times, TreeModified and the controls are
// settled however it ends.
class TreeStorage::BusyScope {
public:
    explicit BusyScope(TreeStorage& storage) : m_storage(storage) {
        m_storage.m_treeBusy = true;
        if (m_storage.m_context.setBusy) {
            m_storage.m_context.setBusy(true);
        }
    }
    ~BusyScope() {
        const TreeStorageContext& context = m_storage.m_context;
        const core::DateTime now = context.clock.Now();
        m_storage.m_treeFileStamp = core::StampOf(m_storage.Paths().treeText);
        m_storage.m_endedWithFailure = context.flags.sboiFlag;
        m_storage.m_nextCheckTime = now;
        m_storage.m_treeModified = false;
        if (context.setBusy) {
            context.setBusy(false);
        }
        m_storage.m_treeBusy = false;
    }
    BusyScope(const BusyScope&) = delete;
    BusyScope& operator=(const BusyScope&) = delete;

private:
    TreeStorage& m_storage;
};

TreeStorage::TreeStorage(TreeStorageContext context) : m_context(std::move(context)) {
    if (!m_context.wait) {
        m_context.wait = [progress = &m_context.progress](int milliseconds) {
            for (int waited = 0; waited < milliseconds; waited += kWaitSliceMs) {
                std::this_thread::sleep_for(std::chrono::milliseconds(std::min(kWaitSliceMs, milliseconds - waited)));
                progress->ProcessEvents();
            }
        };
    }
}

TreeFilePaths TreeStorage::Paths() const {
    const shell::Settings& settings = m_context.settings;
    return {settings.FilePath(shell::Key::StructTreeView), settings.FilePath(shell::Key::ImageTreeView),
            settings.FilePath(shell::Key::AddDataFile)};
}

bool TreeStorage::SetupTreeNode(int mode) {
    if (m_treeBusy) {
        return false;
    }
    BusyScope busy(*this);
    return mode == kLoad ? Load() : Save();
}

void TreeStorage::PumpEvents(int nodesDone) {
    if (nodesDone % kNodesPerEventPump == 0) {
        m_context.progress.ProcessEvents();
    }
}

bool TreeStorage::TreeFileChanged() const {
    return m_endedWithFailure || core::StampOf(Paths().treeText) != m_treeFileStamp;
}

bool TreeStorage::WaitForWriters(bool saving, int& tries) {
    const TreeFilePaths paths = Paths();
    while (AnyTempFilePresent(paths)) {
        ++tries;
        if (tries == 30 || tries == 60) {
            m_context.progress.ProcessEvents();
            if (m_context.minimise) {
                m_context.minimise(true);
            }
            m_context.wait(500);
            m_context.progress.ProcessEvents();
            if (m_context.minimise) {
                m_context.minimise(false);
            }
        }
        if (tries <= 90) {
            m_context.wait(1000);
            continue;
        }
        const std::string message = saving ? SaveErrorTitle() : LoadErrorTitle();
        const std::string lockLine =
            core::Text(4306, "Ошибка удаления файла ") + "BASE\\*" + std::string(kTempExtension);
        m_context.log.LogEvent(message);
        m_context.log.LogEvent(lockLine);
        const platform::Answer answer =
            m_context.dialog.Ask(saving ? platform::MessageKind::Error : platform::MessageKind::Warning,
                                 message + "\r\n" + lockLine, platform::Buttons::RetryIgnore);
        if (answer != platform::Answer::Retry) {
            return false;
        }
        tries = 80;
    }
    return true;
}

bool TreeStorage::Load() {
    const TreeFilePaths paths = Paths();
    int tries = 0;
    std::optional<TreeFileSet> files;
    while (!files) {
        if (WaitForWriters(false, tries)) {
            files = ReadConsistentSet(paths);
        } else {
            m_context.flags.treeReadOnly = true;
            files = ReadSetAsItIs(paths);
        }
    }
    TreeModel& tree = m_context.tree;
    if (!files->treeText.exists) {
        FirstRun(paths.treeText);
    } else {
        m_context.log.LogEvent(core::Text(1046, "Чтение ") + paths.treeText);
        if (!files->treeText.bytes) {
            RejectLoad(paths.treeText, core::CannotOpenFile(paths.treeText).what());
            return false;
        }
        std::vector<TreeTextLine> lines;
        try {
            lines = ParseTreeText(*files->treeText.bytes);
        } catch (const TreeFormatError& error) {
            RejectLoad(paths.treeText, error.what());
            return false;
        }
        // Only reading the image/UNO file lifts the failure flag, so a tree without it stays protected.
        m_context.flags.sboiFlag = true;
        tree.Reset([&] {
            std::vector<TreeNode*> parents;
            for (const TreeTextLine& line : lines) {
                AppendAtLevel(tree, parents, line.level, std::string(line.text), 0);
            }
            if (files->image.exists && !tree.Empty()) {
                m_context.log.LogEvent(core::Text(1046, "Чтение ") + paths.image);
                if (files->image.bytes) {
                    m_context.flags.sboiFlag = !ApplyImage(*files->image.bytes, paths.image);
                }
            }
        });
        RestoreBookmarks();
        if (files->addData.exists) {
            m_context.log.LogEvent(core::Text(1046, "Чтение ") + paths.addData);
            if (files->addData.bytes) {
                ApplyAddData(*files->addData.bytes, paths.addData);
            } else {
                m_context.flags.sboiFlag = true;
            }
        }
        if (m_context.flags.sboiFlag) {
            m_context.log.LogEvent(core::Text(1051, "Сбой  при чтении\\обработке ") + paths.image);
        }
    }
    m_firstNodeUno = tree.Empty() ? std::string() : NodeUno(tree.First(), m_context.clock);
    return true;
}

void TreeStorage::RejectLoad(const std::string& path, const std::string& reason) {
    m_context.flags.sboiFlag = true;
    m_context.log.LogEvent(LoadErrorTitle() + " " + path + ", " + reason);
    m_context.dialog.Inform(platform::MessageKind::Error,
                            LoadErrorTitle() + "\r\n" + path + ", " + reason + "\r\n" +
                                core::Utf8ToCp1251("Исправьте файл или восстановите его из резервной копии и "
                                                   "загрузите структуру снова. До тех пор данные не записываются."));
}

void TreeStorage::ReportLineError(int textId, const char* text, std::string_view line, const std::string& path,
                                  platform::MessageKind kind) {
    const std::string message = core::Text(textId, text);
    m_context.log.LogEvent(message + std::string(line));
    m_context.dialog.Inform(kind, path + "\r\n" + message + "\r\n" + std::string(line));
}

bool TreeStorage::ApplyImage(const std::string& bytes, const std::string& path) {
    TreeModel& tree = m_context.tree;
    bool unosSound = true;
    TreeNode* node = tree.First();
    int done = 0;
    for (const std::string_view line : core::SplitLines(bytes)) {
        if (node == nullptr) {
            break;
        }
        const ImageLine parsed = ParseImageLine(line);
        if (parsed.comment) {
            continue;
        }
        int icon = 0;
        if (parsed.icon) {
            icon = m_context.nodeTypes.ValidIcon(*parsed.icon);
        } else {
            ReportLineError(1049, "Ошибка Image_Index в строке :", line, path, platform::MessageKind::Warning);
        }
        tree.SetIcon(*node, icon);
        if (parsed.unoState == ImageLine::Uno::Valid) {
            node->SetRecord(std::make_unique<TKelRec>(TKelRec{std::string(parsed.uno), std::nullopt}));
        } else {
            if (parsed.unoState == ImageLine::Uno::Invalid) {
                ReportLineError(1050, "СБОЙ! Ошибка UNO в строке :", line, path, platform::MessageKind::Error);
                unosSound = false;
            }
            NewAddData(*node, m_context.clock);
        }
        node = tree.Next(*node);
        PumpEvents(++done);
    }
    return unosSound;
}

void TreeStorage::ApplyAddData(const std::string& bytes, const std::string& path) {
    for (const std::string_view line : core::SplitLines(bytes)) {
        const AddDataLine parsed = ParseAddDataLine(line);
        if (parsed.kind == AddDataLine::Kind::BadIndex) {
            m_context.dialog.Inform(platform::MessageKind::Warning,
                                    path + "\r\n" + " Incorrect string :\r\n" + std::string(line));
        }
        if (parsed.kind != AddDataLine::Kind::Comment) {
            continue;
        }
        // An index beyond the tree (a hand-edited or stale file) has no node to go to.
        if (TreeNode* node = m_context.tree.NodeAt(parsed.index)) {
            TKelRec& record = NewAddData(*node, m_context.clock);
            if (!record.comments) {
                record.comments.emplace();
            }
            record.comments->emplace_back(parsed.comment);
        }
    }
}

void TreeStorage::RestoreBookmarks() {
    if (!m_context.bookmarks.set) {
        return;
    }
    int restored = 0;
    for (int slot = 1; slot <= 5; ++slot) {
        const int index = m_context.settings.Int(kBookmarkKeys[slot - 1]);
        if (TreeNode* node = index >= 0 ? m_context.tree.NodeAt(index) : nullptr) {
            m_context.bookmarks.set(slot, *node);
            ++restored;
        }
    }
    if (restored > 1 && m_context.bookmarks.showBar) {
        m_context.bookmarks.showBar();
    }
}

void TreeStorage::FirstRun(const std::string& treeTextPath) {
    TreeModel& tree = m_context.tree;
    tree.Reset([&] { tree.AddChild(nullptr, -1, core::Utf8ToCp1251("Неоприходованная техника"), kIconDepartment); });
    m_context.dialog.Inform(
        platform::MessageKind::Information,
        core::Utf8ToCp1251("Здравствуйте !\r\nСпасибо за Ваш интерес к программе учета оргтехники\r\nВ каталоге ") +
            core::DirectoryOf(treeTextPath) + "\r\n" +
            core::Utf8ToCp1251("созданы необходимые для работы файлы.\r\n"
                               "Перед началом работы создайте, пожалуйста, дерево\r\n"
                               "структуры Вашего предприятия (клавиша [Ins]).\r\n"));
    std::string help;
    for (const char* line : kHelpLines) {
        help += core::Utf8ToCp1251(line) + "\r\n";
    }
    try {
        core::WriteFileAtomically(m_context.settings.BaseDirectory() + "help_rus.bak", help);
    } catch (const core::FileError&) {
        // The note is a courtesy; a base folder that refuses it fails loudly at the first save.
    }
    if (m_context.dialog.Ask(platform::MessageKind::Confirmation,
                             core::Utf8ToCp1251("Создать пример дерева структуры Вашего предприятия ?"),
                             platform::Buttons::YesNo) != platform::Answer::Yes) {
        return;
    }
    std::vector<TreeNode*> parents;
    for (const SampleNode& sample : kSampleTree) {
        AppendAtLevel(tree, parents, sample.level, core::Utf8ToCp1251(sample.text), sample.icon);
    }
}

bool TreeStorage::MakeSafetyCopies(const TreeFilePaths& paths) {
    const shell::Settings& settings = m_context.settings;
    const shell::BackupSettings showingErrors{settings.Int(shell::Key::CreateBackup),
                                              settings.Int(shell::Key::BackupCount), true};
    shell::Backups backups(showingErrors, m_context.log, m_context.dialog, m_context.clock, &m_context.progress);
    // A file not written yet has no content to keep safe.
    for (const std::string* path : {&paths.image, &paths.addData, &paths.treeText}) {
        if (core::FileExists(*path) && !backups.SubBackup(*path, ".sboi", false)) {
            return false;
        }
    }
    return true;
}

bool TreeStorage::Save() {
    if (m_context.protectData()) {
        return false;
    }
    int tries = 0;
    if (!WaitForWriters(true, tries)) {
        m_context.flags.sboiFlag = true;
        m_context.protectData();
        return false;
    }
    TreeModel& tree = m_context.tree;
    const TreeFilePaths paths = Paths();
    TreeNode* first = tree.First();
    if (m_firstNodeUno.empty() || first == nullptr) {
        return false;
    }
    if (const std::string uno = NodeUno(first, m_context.clock); uno != m_firstNodeUno) {
        const std::string changed = core::Text(1052, "ВНИМАНИЕ! Изменился индекс для") + " \"" + first->Text() + "\"";
        m_context.dialog.Inform(platform::MessageKind::Warning,
                                changed + "\r\n" +
                                    core::Text(1053, "что может привести к потере дополнительных данных.\r\n"
                                                     "При возникновении проблем восстановите\r\n") +
                                    paths.image + "\r\n" + core::Text(1054, "из резервной копии\r\n") + paths.image +
                                    ".sboi");
        m_context.log.LogEvent(changed + core::Utf8ToCp1251(" в Other.dbf изм.с ") + m_firstNodeUno +
                               core::Utf8ToCp1251(" на ") + uno);
        if (!MakeSafetyCopies(paths)) {
            return false;
        }
        m_context.flags.sboiFlag = true;
        m_firstNodeUno = uno;
    }
    m_context.writeSettings();
    for (const std::string& path : paths.All()) {
        m_context.log.LogEvent(core::Text(1055, "Запись ") + path);
    }
    std::string treeText;
    std::string image;
    std::string addData;
    int index = 0;
    for (TreeNode* node = first; node != nullptr; node = tree.Next(*node)) {
        const TKelRec& record = NewAddData(*node, m_context.clock);
        AppendTreeTextLine(treeText, node->Level(), node->Text());
        if (record.comments) {
            for (const std::string& line : *record.comments) {
                AppendAddDataLine(addData, index, line);
            }
        }
        AppendImageLine(image, node->Icon(), record.uno, node->Text());
        PumpEvents(++index);
    }
    try {
        WriteTemp(paths.treeText, treeText);
        WriteTemp(paths.image, image);
        WriteTemp(paths.addData, addData);
    } catch (const core::FileError& error) {
        for (const std::string& path : paths.All()) {
            core::RemoveFile(TempName(path));
        }
        m_context.log.LogEvent(SaveErrorTitle() + " " + error.what());
        m_context.dialog.Inform(platform::MessageKind::Error,
                                SaveErrorTitle() + "\r\n" + error.what() + "\r\n" +
                                    core::Utf8ToCp1251("Проверьте доступ к каталогу данных и сохраните снова."));
        return false;
    }
    for (const std::string& path : paths.All()) {
        const auto stamp = core::StampOf(path);
        m_context.log.LogEvent(path + " " + std::to_string(stamp ? stamp->size : -1) + " b.");
    }
    for (const std::string& path : paths.All()) {
        if (!CommitTreeFile(path)) {
            const std::string reason = "Cannot replace " + path + " by " + TempName(path) +
                                       "; its previous content is kept in " + path + std::string(kPreviousExtension);
            m_context.flags.sboiFlag = true;
            m_context.log.LogEvent(SaveErrorTitle() + " " + reason);
            m_context.dialog.Inform(platform::MessageKind::Error, SaveErrorTitle() + "\r\n" + reason);
            m_context.protectData();
            return false;
        }
    }
    m_context.log.LogEvent(core::Text(1072, "Данные сохранены "));
    return true;
}

} // namespace pelgo::structure
