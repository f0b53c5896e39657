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

// The common frame of a load or save: busy while it runs; the check time and the controls are settled
// however it ends.
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
        m_storage.m_endedWithFailure = context.flags.sboiFlag;
        m_storage.m_nextCheckTime = context.clock.Now();
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

TreeFilePaths TreeFilePathsOf(const shell::Settings& settings) {
    return {settings.FilePath(shell::Key::StructTreeView), settings.FilePath(shell::Key::ImageTreeView),
            settings.FilePath(shell::Key::AddDataFile)};
}

TreeFilePaths TreeStorage::Paths() const {
    return TreeFilePathsOf(m_context.settings);
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
    return m_endedWithFailure || TreeTextStamp(Paths()) != m_treeFileStamp;
}

bool TreeStorage::WaitForWriters(bool saving, int& tries, const std::function<bool()>& claim) {
    while (!claim()) {
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

void TreeStorage::SettleDeadWriters(const TreeFilePaths& paths) {
    if (m_context.lookOnly || !LeftoversPresent(paths)) {
        return;
    }
    try {
        if (std::optional<TreeSetLock> lock = TreeSetLock::TryAcquire(paths, TreeSetLock::Mode::Write)) {
            if (FindLeftovers(paths, *lock) == Leftovers::DeadWriters) {
                SettleLeftovers(paths, *lock);
            }
        }
    } catch (const core::FileError&) {
        // A user who may not tidy up reads the set as the tidying would leave it.
    }
}

TreeFileSet TreeStorage::ReadForLoad(const TreeFilePaths& paths) {
    SettleDeadWriters(paths);
    int tries = 0;
    std::optional<TreeFileSet> files;
    const auto claim = [&] {
        const std::optional<TreeSetLock> lock = TreeSetLock::TryAcquire(paths, TreeSetLock::Mode::Read);
        // Without a lock file to read, every ".tmp" file without a marker counts as a live writer's.
        if (!lock || FindLeftovers(paths, *lock) == Leftovers::Foreign) {
            return false;
        }
        files = lock->Held() ? ReadTreeFiles(paths) : ReadTreeFilesUnlocked(paths);
        return files.has_value();
    };
    if (!WaitForWriters(false, tries, claim)) {
        m_context.flags.treeReadOnly = true;
        return ReadTreeFiles(paths, true);
    }
    return std::move(*files);
}

bool TreeStorage::Load() {
    const TreeFilePaths paths = Paths();
    const TreeFileSet files = ReadForLoad(paths);
    TreeModel& tree = m_context.tree;
    if (!files.treeText.exists) {
        FirstRun(paths.treeText);
    } else {
        m_context.log.LogEvent(core::Text(1046, "Чтение ") + paths.treeText);
        if (!files.treeText.bytes) {
            RejectLoad(paths.treeText, core::CannotOpenFile(paths.treeText).what());
            return false;
        }
        std::vector<TreeTextLine> lines;
        try {
            lines = ParseTreeText(*files.treeText.bytes);
        } catch (const TreeFormatError& error) {
            RejectLoad(paths.treeText, error.what());
            return false;
        }
        // A tree without a sound image/UNO file is protected; a sound one leaves a standing flag standing.
        bool failed = true;
        tree.Reset([&] {
            std::vector<TreeNode*> parents;
            for (const TreeTextLine& line : lines) {
                AppendAtLevel(tree, parents, line.level, std::string(line.text), 0);
            }
            if (files.image.exists && !tree.Empty()) {
                m_context.log.LogEvent(core::Text(1046, "Чтение ") + paths.image);
                if (files.image.bytes) {
                    failed = !ApplyImage(*files.image.bytes, paths.image);
                }
            }
        });
        ReportDuplicateUnos();
        if (m_context.bookmarks != nullptr) {
            m_context.bookmarks->Restore(m_context.settings);
        }
        if (files.addData.exists) {
            m_context.log.LogEvent(core::Text(1046, "Чтение ") + paths.addData);
            if (files.addData.bytes) {
                ApplyAddData(*files.addData.bytes, paths.addData);
            } else {
                failed = true;
            }
        }
        if (failed) {
            m_context.flags.sboiFlag = true;
            m_context.log.LogEvent(core::Text(1051, "Сбой  при чтении\\обработке ") + paths.image);
        }
    }
    m_firstNodeUno = tree.Empty() ? std::string() : m_context.identity.NodeUno(tree.First());
    m_treeFileStamp = files.treeTextStamp;
    m_treeModified = false;
    return true;
}

void TreeStorage::ReportDuplicateUnos() {
    const TreeModel& tree = m_context.tree;
    const auto describe = [&](const TreeNode& node) {
        return std::to_string(tree.AbsoluteIndex(node)) + " \"" + node.Text() + "\"";
    };
    for (const auto& [first, second] : DuplicateUnos(tree)) {
        // Once per run: a reload after another instance's save finds the same pairs again.
        if (!m_reportedDuplicates.emplace(first->Record()->uno, tree.AbsoluteIndex(*second)).second) {
            continue;
        }
        m_context.log.LogEvent(core::Utf8ToCp1251("Один UNO у двух узлов ") + first->Record()->uno + ": " +
                               describe(*first) + ", " + describe(*second));
    }
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
            tree.SetRecord(*node, std::make_unique<TKelRec>(TKelRec{std::string(parsed.uno), std::nullopt}));
        } else {
            if (parsed.unoState == ImageLine::Uno::Invalid) {
                ReportLineError(1050, "СБОЙ! Ошибка UNO в строке :", line, path, platform::MessageKind::Error);
                unosSound = false;
            }
            m_context.identity.NewAddData(*node);
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
            TKelRec& record = m_context.identity.NewAddData(*node);
            if (!record.comments) {
                record.comments.emplace();
            }
            record.comments->emplace_back(parsed.comment);
        }
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

bool TreeStorage::MakeSafetyCopies(const TreeFilePaths& paths, platform::UserDialog& dialog) {
    const shell::Settings& settings = m_context.settings;
    const shell::BackupSettings showingErrors{settings.Int(shell::Key::CreateBackup),
                                              settings.Int(shell::Key::BackupCount), true};
    shell::Backups backups(showingErrors, m_context.log, dialog, m_context.clock, &m_context.progress);
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
    TreeModel& tree = m_context.tree;
    const TreeFilePaths paths = Paths();
    TreeNode* first = tree.First();
    if (m_firstNodeUno.empty() || first == nullptr) {
        return false;
    }
    const std::string firstUno = m_context.identity.NodeUno(first);
    const bool identityChanged = firstUno != m_firstNodeUno;
    if (identityChanged) {
        const std::string changed = core::Text(1052, "ВНИМАНИЕ! Изменился индекс для") + " \"" + first->Text() + "\"";
        m_context.dialog.Inform(platform::MessageKind::Warning,
                                changed + "\r\n" +
                                    core::Text(1053, "что может привести к потере дополнительных данных.\r\n"
                                                     "При возникновении проблем восстановите\r\n") +
                                    paths.image + "\r\n" + core::Text(1054, "из резервной копии\r\n") + paths.image +
                                    ".sboi");
        m_context.log.LogEvent(changed + core::Utf8ToCp1251(" в Other.dbf изм.с ") + m_firstNodeUno +
                               core::Utf8ToCp1251(" на ") + firstUno);
    }
    m_context.writeSettings();
    // Writing the settings re-reads the failure flag: another instance may have raised it meanwhile.
    if (m_context.flags.sboiFlag) {
        m_context.protectData();
        return false;
    }
    std::string treeText;
    std::string image;
    std::string addData;
    int index = 0;
    for (TreeNode* node = first; node != nullptr; node = tree.Next(*node)) {
        const TKelRec& record = m_context.identity.NewAddData(*node);
        AppendTreeTextLine(treeText, node->Level(), node->Text());
        if (record.comments) {
            for (const std::string& line : *record.comments) {
                AppendAddDataLine(addData, index, line);
            }
        }
        AppendImageLine(image, node->Icon(), record.uno, node->Text());
        PumpEvents(++index);
    }
    std::optional<TreeSetLock> lock;
    std::optional<TreeSetWriter> writer;
    try {
        const auto claim = [&] {
            lock = TreeSetLock::TryAcquire(paths, TreeSetLock::Mode::Write);
            if (!lock) {
                return false;
            }
            switch (FindLeftovers(paths, *lock)) {
            case Leftovers::Foreign:
                lock.reset();
                return false;
            case Leftovers::DeadWriters:
                SettleLeftovers(paths, *lock);
                break;
            case Leftovers::None:
                break;
            }
            return true;
        };
        std::optional<core::FileStamp> overwritable = m_treeFileStamp;
        for (int tries = 0; !writer;) {
            if (!WaitForWriters(true, tries, claim)) {
                m_context.flags.sboiFlag = true;
                m_context.protectData();
                return false;
            }
            if (const std::optional<core::FileStamp> onDisk = TreeTextStamp(paths); onDisk != overwritable) {
                lock.reset(); // nobody waits on this instance's question
                if (m_context.keepOthersTree) {
                    ReportSaveFailure(core::Utf8ToCp1251(
                        "Структуру предприятия сохранил другой пользователь программы: изменения не записаны."));
                    return false;
                }
                if (!OverwriteOthersTree()) {
                    return false;
                }
                overwritable = onDisk;
                continue;
            }
            // A first save over an image/UNO or add-data file that no tree text file goes with keeps them too.
            const bool strayFiles =
                !m_treeFileStamp && (core::FileExists(paths.image) || core::FileExists(paths.addData));
            // Taken under the lock, so that the copies are one set.
            if (identityChanged || strayFiles) {
                platform::DeferredMessages failures(m_context.dialog); // shown once other instances may go on
                if (!MakeSafetyCopies(paths, failures)) {
                    lock.reset();
                    failures.Show();
                    return false;
                }
            }
            if (identityChanged) {
                m_context.flags.sboiFlag = true;
                m_firstNodeUno = firstUno;
            }
            writer = TreeSetWriter::Claim(paths, *lock);
            if (!writer) {
                lock.reset(); // a writer that knows no lock file has just begun
            }
        }
        for (const std::string& path : paths.All()) {
            m_context.log.LogEvent(core::Text(1055, "Запись ") + path);
        }
        writer->Write(treeText, image, addData);
        for (const std::string& path : paths.All()) {
            const auto stamp = core::StampOf(path);
            m_context.log.LogEvent(path + " " + std::to_string(stamp ? stamp->size : -1) + " b.");
        }
        writer->Commit();
        m_treeFileStamp = TreeTextStamp(paths);
    } catch (const core::FileError& error) {
        if (writer && writer->Committed()) {
            m_treeFileStamp = TreeTextStamp(paths); // the new set is the tree; the next writer finishes its renames
        }
        ReportSaveFailure(error.what());
        return false;
    }
    m_context.log.LogEvent(core::Text(1072, "Данные сохранены "));
    m_treeModified = false;
    // The slots' absolute indexes hold for the committed tree only.
    if (m_context.bookmarks != nullptr) {
        m_context.bookmarks->Store(m_context.settings);
        if (m_context.writeBookmarks) {
            m_context.writeBookmarks();
        }
    }
    return true;
}

bool TreeStorage::OverwriteOthersTree() {
    m_context.flags.multiUserAccess = true;
    const platform::Answer answer = m_context.dialog.Ask(
        platform::MessageKind::Warning,
        core::Text(252, "Многопользовательский доступ") + "\r\n" +
            core::Utf8ToCp1251("Структуру предприятия сохранил другой пользователь программы.\r\n"
                               "Записать Ваше дерево поверх сохранённого (Да) или загрузить сохранённое дерево, "
                               "отказавшись от своих изменений (Нет) ?"),
        platform::Buttons::YesNo);
    if (answer == platform::Answer::Yes) {
        return true;
    }
    m_context.log.LogEvent(core::Text(252, "Многопользовательский доступ") +
                           core::Utf8ToCp1251(" - загружено дерево другого пользователя, изменения не записаны"));
    Load();
    return false;
}

void TreeStorage::ReportSaveFailure(const std::string& reason) {
    m_context.log.LogEvent(SaveErrorTitle() + " " + reason);
    m_context.dialog.Inform(platform::MessageKind::Error,
                            SaveErrorTitle() + "\r\n" + reason + "\r\n" +
                                core::Utf8ToCp1251("Проверьте доступ к каталогу данных и сохраните снова."));
}

} // namespace pelgo::structure
