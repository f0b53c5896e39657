// SetupTreeNode: the three files read and written byte for byte, line errors, the first run, the identity
// check, waiting for and settling after other writers, a save racing another instance's, and failures.
#include "structure/tree_storage.h"

#include <algorithm>
#include <csignal>
#include <filesystem>
#include <gtest/gtest.h>
#include <set>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include "core/text.h"
#include "structure/tree_storage_fixture.h"

namespace pelgo::structure {
namespace {

using platform::Answer;

TEST_F(TreeStorageTest, RoundTripIsByteExact) {
    struct Case {
        std::string treeTextRead;
        std::string treeTextWritten;
    };
    const Case cases[] = {
        {kTreeText, kTreeText},
        {"A\r\n B\n  C\rD", kTreeText}, // blanks and other line ends are read; TABs and CR LF are written
    };
    for (const Case& c : cases) {
        WriteFiles(c.treeTextRead, kImage, kAddData);
        Storage().SetTreeModified(true);
        ASSERT_TRUE(Load());
        EXPECT_EQ(Dump(), "0 1 KKU_isOAAAAA A\n"
                          "1 2 KKU_isOAAAAB B /first\n"
                          "2 3 KKU_isOAAAAC C\n"
                          "0 11 KKU_isOAAAAD D /one /two\n");
        EXPECT_FALSE(flags.sboiFlag);
        EXPECT_FALSE(Storage().TreeModified());
        EXPECT_EQ(Storage().FirstNodeUno(), "KKU_isOAAAAA");
        EXPECT_FALSE(Storage().TreeFileChanged());
        const std::size_t readSize = c.treeTextRead.size();

        ASSERT_TRUE(Save());
        EXPECT_EQ(ReadBytes(Base("struct")), c.treeTextWritten);
        EXPECT_EQ(ReadBytes(Base("image")), kImage);
        EXPECT_EQ(ReadBytes(Base("add_Data")), kAddData);
        EXPECT_EQ(settingsWrites, 1);
        settingsWrites = 0;
        for (const char* ext : {".tmp", ".xxx"}) {
            for (const char* name : {"struct", "image", "add_Data"}) {
                EXPECT_FALSE(core::FileExists(Base(name) + ext)) << name << ext;
            }
        }
        EXPECT_TRUE(Logged("IVANOV Запись " + Base("add_Data")));
        EXPECT_TRUE(Logged(Base("struct") + " " + std::to_string(readSize) + " b."));
        EXPECT_TRUE(Logged("IVANOV Данные сохранены "));
    }
    for (const char* name : {"struct", "image", "add_Data"}) {
        EXPECT_TRUE(Logged("IVANOV Чтение " + Base(name)));
    }
}

TEST_F(TreeStorageTest, ImageLinesGiveIconsAndUnos) {
    WriteFiles("A\r\n\tB\r\n\tC\r\n\tD\r\n\tE\r\n\tF\r\n",
               "; written by hand\r\n"
               "7 ;\r\n"
               "x ; KKU_isOAAAAB ;B\r\n"
               "3 ; KKU_isOAAA ;C\r\n"
               "99 ; KKU_isOAAAAD ;D\r\n",
               "");
    dialog.ExpectMessage("Ошибка Image_Index в строке :\r\nx ; KKU_isOAAAAB ;B");
    dialog.ExpectMessage("СБОЙ! Ошибка UNO в строке :\r\n3 ; KKU_isOAAA ;C");
    ASSERT_TRUE(Load());
    const std::string fresh0 = CreateUNO(7, tree.NodeAt(0)->Handle(), clock.Now());
    const std::string fresh2 = CreateUNO(3, tree.NodeAt(2)->Handle(), clock.Now());
    const std::string fresh4 = CreateUNO(0, tree.NodeAt(4)->Handle(), clock.Now());
    const std::string fresh5 = CreateUNO(0, tree.NodeAt(5)->Handle(), clock.Now());
    EXPECT_EQ(Dump(), "0 7 " + fresh0 + " A\n1 0 KKU_isOAAAAB B\n1 3 " + fresh2 + " C\n1 10 KKU_isOAAAAD D\n1 0 " +
                          fresh4 + " E\n1 0 " + fresh5 + " F\n");
    EXPECT_NE(dialog.shown.at(0).find(Base("image") + "\r\n"), std::string::npos) << "the message names the file";
    EXPECT_TRUE(flags.sboiFlag) << "a UNO error protects the data";
    EXPECT_TRUE(Logged("IVANOV Ошибка Image_Index в строке :x ; KKU_isOAAAAB ;B"));
    EXPECT_TRUE(Logged("IVANOV СБОЙ! Ошибка UNO в строке :3 ; KKU_isOAAA ;C"));
    EXPECT_TRUE(Logged("IVANOV Сбой  при чтении\\обработке " + Base("image")));
}

TEST_F(TreeStorageTest, HandMadeImageFileMakesEmployeesWithFreshUnos) {
    WriteFiles("A\r\nB\r\nC\r\n", "2 ;\r\n2 ;\r\n2 ;\r\n", "");
    ASSERT_TRUE(Load());
    EXPECT_FALSE(flags.sboiFlag);
    std::set<std::string> unos;
    for (TreeNode* node = tree.First(); node != nullptr; node = tree.Next(*node)) {
        EXPECT_EQ(node->Icon(), kIconEmployee);
        unos.insert(node->Record()->uno);
    }
    EXPECT_EQ(unos.size(), 3u);
    EXPECT_FALSE(Logged("Сбой"));
}

TEST_F(TreeStorageTest, MissingImageFileOrEmptyTreeProtectsTheData) {
    struct Case {
        const char* treeText;
        bool image;
        bool failedBefore;
        bool failureLogged;
        bool failedAfter;
    };
    const Case cases[] = {
        {"A\r\n", true, false, false, false},
        {"A\r\n", false, false, true, true},
        {"", true, false, true, true},      // nothing to read the image for
        {"A\r\n", true, true, false, true}, // only the user lifts a standing failure
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.treeText) + (c.image ? " image" : "") + (c.failedBefore ? " failed" : ""));
        log.LogClose();
        core::RemoveFile(dir / "pelgo.log");
        core::RemoveFile(Base("image"));
        WriteBytes(Base("struct"), c.treeText);
        if (c.image) {
            WriteBytes(Base("image"), "1 ; KKU_isOAAAAA ;A\r\n");
        }
        flags.sboiFlag = c.failedBefore;
        ASSERT_TRUE(Load());
        EXPECT_EQ(flags.sboiFlag, c.failedAfter);
        EXPECT_EQ(Logged("Сбой  при чтении\\обработке " + Base("image")), c.failureLogged);
        if (flags.sboiFlag) {
            EXPECT_TRUE(Storage().TreeFileChanged()) << "a failed load counts as changed, as if dated now";
        }
        EXPECT_EQ(Storage().FirstNodeUno().empty(), tree.Empty());
        const std::string before = Files();
        EXPECT_EQ(Save(), !flags.sboiFlag);
        EXPECT_EQ(Files(), before);
    }
}

TEST_F(TreeStorageTest, AddDataLinesGoToTheirNodes) {
    WriteFiles("A\r\nB\r\n", "1 ; KKU_isOAAAAA ;A\r\n1 ; KKU_isOAAAAB ;B\r\n",
               "1;Comment;b1\r\n"
               "no delimiter\r\n"
               "x1;Comment;bad\r\n"
               "0;Other;skipped\r\n"
               "2;Comment;beyond the tree\r\n"
               "1;Comment;b2\r\n");
    dialog.ExpectMessage(" Incorrect string :\r\nx1;Comment;bad");
    ASSERT_TRUE(Load());
    EXPECT_EQ(Dump(), "0 1 KKU_isOAAAAA A\n0 1 KKU_isOAAAAB B /b1 /b2\n");
    EXPECT_NE(dialog.shown.at(0).find(Base("add_Data") + "\r\n"), std::string::npos);
    EXPECT_FALSE(flags.sboiFlag);
    ASSERT_TRUE(Save());
    EXPECT_EQ(ReadBytes(Base("add_Data")), "1;Comment;b1\r\n1;Comment;b2\r\n");
}

TEST_F(TreeStorageTest, FirstRunBuildsTheTreeAndTheFirstSaveWritesIt) {
    struct Case {
        Answer answer;
        std::string treeText;
        std::string icons;
    };
    const Case cases[] = {
        {Answer::Yes,
         "Неоприходованная техника\r\nНазвание Вашего предприятия\r\n\tДирекция\r\n\t\tИванов Иван Иванович\r\n"
         "\tБухгалтерия\r\n\t\tПетров Петр Петрович\r\n\t\tСидоров Сидор Сидорович\r\n"
         "\tДля удаления используйте клавиши [Ctrl+DEL]\r\n"
         "\tПрочие операции - правая клавиша мыши или меню \"Навигация\"\r\n",
         "1 1 1 2 1 2 2 11 11 "},
        {Answer::No, "Неоприходованная техника\r\n", "1 "},
    };
    for (const Case& c : cases) {
        for (const char* name : {"struct", "image", "add_Data", "help_rus.bak"}) {
            core::RemoveFile(Base(name));
        }
        log.LogClose();
        core::RemoveFile(dir / "pelgo.log");
        dialog.ExpectMessage("Здравствуйте !\r\nСпасибо за Ваш интерес к программе учета оргтехники\r\nВ каталоге " +
                             dir.Path() + "/BASE\r\nсозданы необходимые для работы файлы.");
        dialog.ExpectQuestion("Создать пример дерева структуры Вашего предприятия ?", c.answer);
        ASSERT_TRUE(Load());
        EXPECT_EQ(Storage().FirstNodeUno(), tree.First()->Record()->uno);
        EXPECT_FALSE(flags.sboiFlag);
        EXPECT_FALSE(Storage().TreeFileChanged());
        EXPECT_EQ(core::Cp1251ToUtf8(ReadBytes(Base("help_rus.bak"))),
                  "Несколько слов про резервное копирование данных :\r\n\r\n"
                  "Файлы резервной копии *.bak создаются или раз в день или при изменении данных\r\n"
                  "Файлы *.ba1-*.ba9 создаются раз в день как резервная копия соотв. *.bak-файла\r\n\r\n"
                  "ВНИМАНИЕ ! При восстановлении данных из резервных копий НЕ ЗАБУДЬТЕ _УДАЛИТЬ_\r\n"
                  "все файлы индексов *.MDX - они автоматически создадутся при запуске программы\r\n");
        EXPECT_FALSE(core::FileExists(Base("struct"))) << "the files wait for the first save";

        ASSERT_TRUE(Save());
        EXPECT_EQ(core::Cp1251ToUtf8(ReadBytes(Base("struct"))), c.treeText);
        std::string icons;
        const std::string image = ReadBytes(Base("image"));
        for (const std::string_view line : core::SplitLines(image)) {
            icons += std::string(line.substr(0, line.find(' '))) + " ";
        }
        EXPECT_EQ(icons, c.icons);
        EXPECT_EQ(ReadBytes(Base("add_Data")), "");
        for (const char* name : {"struct", "image", "add_Data"}) {
            EXPECT_TRUE(Logged(Base(name) + " -1 b.")) << name;
        }
        EXPECT_FALSE(Storage().TreeFileChanged());
    }
}

TEST_F(TreeStorageTest, FirstSaveKeepsTheFilesOfATreeWhoseTextFileIsGone) {
    WriteBytes(Base("image"), kImage);
    WriteBytes(Base("add_Data"), kAddData);
    dialog.ExpectMessage("Здравствуйте !");
    dialog.ExpectQuestion("Создать пример дерева структуры Вашего предприятия ?", Answer::No);
    ASSERT_TRUE(Load());
    ASSERT_TRUE(Save());
    EXPECT_EQ(ReadBytes(Base("image.sboi")), kImage);
    EXPECT_EQ(ReadBytes(Base("add_Data.sboi")), kAddData);
    EXPECT_EQ(ReadBytes(Base("add_Data")), "");
    core::RemoveFile(Base("image.sboi"));
    ASSERT_TRUE(Save());
    EXPECT_FALSE(core::FileExists(Base("image.sboi"))) << "only the first save over them";
}

TEST_F(TreeStorageTest, ChangedFirstNodeMakesSafetyCopiesAndProtectsTheData) {
    struct Case {
        bool copyFails;
    };
    for (const Case c : {Case{true}, Case{false}}) {
        SCOPED_TRACE(c.copyFails);
        for (const char* name : {"struct.sboi", "image.sboi", "add_Data.sboi"}) {
            std::filesystem::remove_all(Base(name));
        }
        WriteFiles(kTreeText, kImage, kAddData);
        flags.sboiFlag = false;
        settings.SetBool(shell::Key::ShowBackupError, false); // the safety copies show their errors regardless
        if (c.copyFails) {
            core::CreateDirectories(Base("add_Data.sboi/occupied"));
        }
        ASSERT_TRUE(Load());
        tree.Move(*tree.NodeAt(3), nullptr, 0); // D goes above A
        dialog.ExpectMessage("ВНИМАНИЕ! Изменился индекс для \"D\"\r\nчто может привести к потере дополнительных "
                             "данных.\r\nПри возникновении проблем восстановите\r\n" +
                             Base("image") + "\r\nиз резервной копии\r\n" + Base("image") + ".sboi");
        if (c.copyFails) {
            dialog.ExpectMessage("Ошибка создания резервной копии");
        }
        const std::string before = Files();
        EXPECT_EQ(Save(), !c.copyFails);
        EXPECT_TRUE(Logged("ВНИМАНИЕ! Изменился индекс для \"D\" в Other.dbf изм.с KKU_isOAAAAA на KKU_isOAAAAD"));
        EXPECT_EQ(ReadBytes(Base("image.sboi")), kImage);
        if (c.copyFails) {
            EXPECT_EQ(Files(), before);
            EXPECT_FALSE(core::FileExists(Base("struct.sboi"))) << "the copies stop at the first failure";
            EXPECT_EQ(Storage().FirstNodeUno(), "KKU_isOAAAAA");
            EXPECT_FALSE(flags.sboiFlag);
            continue;
        }
        EXPECT_EQ(ReadBytes(Base("add_Data.sboi")), kAddData);
        EXPECT_EQ(ReadBytes(Base("struct.sboi")), kTreeText);
        EXPECT_EQ(ReadBytes(Base("struct")), "D\r\nA\r\n\tB\r\n\t\tC\r\n");
        EXPECT_EQ(Storage().FirstNodeUno(), "KKU_isOAAAAD");
        EXPECT_TRUE(flags.sboiFlag);
        const std::string saved = Files();
        tree.SetText(*tree.First(), "changed");
        EXPECT_FALSE(Save()) << "protected after the change";
        EXPECT_EQ(Files(), saved);
    }
}

TEST_F(TreeStorageTest, LiveOrForeignWriterIsWaitedForThenRetriedOrIgnored) {
    enum class Writer { HoldsTheLock, KnowsNoLock, KnowsNoLockAndNoLockFileIsThere };
    for (const Writer kind : {Writer::HoldsTheLock, Writer::KnowsNoLock, Writer::KnowsNoLockAndNoLockFileIsThere}) {
        SCOPED_TRACE(static_cast<int>(kind));
        const bool holdsTheLock = kind == Writer::HoldsTheLock;
        if (kind == Writer::KnowsNoLockAndNoLockFileIsThere) {
            core::RemoveFile(Base("struct.lock"));
        }
        waits.clear();
        minimiseCalls.clear();
        flags = {};
        WriteFiles(kTreeText, kImage, kAddData);
        WriteBytes(Base("image.tmp"), "being written");
        std::optional<TreeSetLock> writer;
        if (holdsTheLock) {
            writer = TreeSetLock::TryAcquire(Storage().Paths(), TreeSetLock::Mode::Write);
            ASSERT_TRUE(writer);
        }
        dialog.ExpectQuestion("Структура предприятия - Ошибка загрузки данных :\r\nОшибка удаления файла BASE\\*.tmp",
                              Answer::Retry);
        dialog.ExpectQuestion("Ошибка загрузки данных", Answer::Ignore);
        ASSERT_TRUE(Load());
        EXPECT_EQ(std::count(waits.begin(), waits.end(), 1000), 100) << "90 waits, then 10 more after Retry";
        EXPECT_EQ(std::count(waits.begin(), waits.end(), 500), 2);
        EXPECT_EQ(minimiseCalls, (std::vector<bool>{true, false, true, false}));
        EXPECT_TRUE(flags.treeReadOnly);
        EXPECT_EQ(tree.Count(), 4) << "loaded despite the lock";

        waits.clear();
        dialog.ExpectQuestion("СБОЙ! Структура предприятия - Ошибка записи данных :", Answer::Ignore);
        flags.treeReadOnly = false;
        const int protectCallsBefore = protectCalls;
        EXPECT_FALSE(Save());
        EXPECT_TRUE(flags.sboiFlag);
        EXPECT_EQ(protectCalls, protectCallsBefore + 2) << "asked before the wait and again after the failure";
        EXPECT_EQ(ReadBytes(Base("image")), kImage);
        EXPECT_EQ(ReadBytes(Base("image.tmp")), "being written") << "another writer's file is left alone";
        core::RemoveFile(Base("image.tmp"));
    }
}

TEST_F(TreeStorageTest, WriterThatFinishesEndsTheWaitAndNothingElseStartsMeanwhile) {
    WriteFiles(kTreeText, kImage, kAddData);
    std::optional<TreeSetLock> writer = TreeSetLock::TryAcquire(Storage().Paths(), TreeSetLock::Mode::Write);
    ASSERT_TRUE(writer);
    onWait = [&] {
        EXPECT_FALSE(Storage().SetupTreeNode(TreeStorage::kSave)) << "busy";
        if (waits.size() == 3) {
            writer.reset();
        }
    };
    ASSERT_TRUE(Load());
    EXPECT_EQ(waits, (std::vector<int>{1000, 1000, 1000}));
    EXPECT_FALSE(flags.treeReadOnly);
    EXPECT_EQ(tree.Count(), 4);
}

TEST_F(TreeStorageTest, DeadWritersFilesAreSettledWithoutWaiting) {
    struct Case {
        const char* name;
        bool committed;
        const char* treeText;
    };
    const Case cases[] = {{"never committed", false, kTreeText}, {"committed", true, "N\r\n"}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        WriteFiles(kTreeText, kImage, kAddData);
        WriteBytes(Base("struct.tmp"), "N\r\n");
        WriteBytes(Base("image.tmp"), "2 ; NNNNNNNNNNNN ;N\r\n");
        WriteBytes(Base("add_Data.tmp"), "");
        WriteBytes(Base("struct.lock"), "writing"); // what a writer of this program leaves when it dies
        if (c.committed) {
            WriteBytes(Base("struct.commit"), "");
        }
        ASSERT_TRUE(Load());
        EXPECT_TRUE(waits.empty());
        EXPECT_EQ(ReadBytes(Base("struct")), c.treeText);
        EXPECT_FALSE(LeftoversPresent(Storage().Paths()));
        EXPECT_EQ(tree.First()->Text(), c.committed ? "N" : "A");
        EXPECT_FALSE(Storage().TreeFileChanged());
    }
}

TEST_F(TreeStorageTest, InvalidLevelRejectsTheWholeLoad) {
    struct Case {
        bool previousTree;
    };
    for (const Case c : {Case{true}, Case{false}}) {
        SCOPED_TRACE(c.previousTree);
        flags.sboiFlag = false;
        tree.Reset([] {});
        WriteFiles(kTreeText, kImage, kAddData);
        if (c.previousTree) {
            ASSERT_TRUE(Load());
        }
        const std::string previous = Dump();
        const std::string badTree = "A\r\n\tB\r\n\t\t\tC\r\nD\r\n";
        WriteBytes(Base("struct"), badTree);
        dialog.ExpectMessage(Base("struct") + ", line 3: Invalid level (3) for item \"C\"");
        EXPECT_FALSE(Load());
        EXPECT_EQ(Dump(), previous);
        EXPECT_TRUE(flags.sboiFlag);
        EXPECT_TRUE(Logged("Invalid level (3) for item \"C\""));
        EXPECT_FALSE(Save()) << "nothing is written over the file";
        EXPECT_EQ(ReadBytes(Base("struct")), badTree);
        EXPECT_EQ(ReadBytes(Base("image")), kImage);
    }
}

TEST_F(TreeStorageTest, WriteThatFailsMidwayLeavesNoLockAndKeepsTheEdits) {
    WriteFiles(kTreeText, kImage, kAddData);
    ASSERT_TRUE(Load());
    tree.SetText(*tree.NodeAt(1), std::string(4096, 'x'));
    Storage().SetTreeModified(true);
    // The file-size limit fails the write of the long tree text file after its ".tmp" files were claimed.
    const pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        std::signal(SIGXFSZ, SIG_IGN);
        const rlimit limit{1024, 1024};
        ::setrlimit(RLIMIT_FSIZE, &limit);
        dialog.ExpectMessage("Cannot write file");
        const bool saved = Save();
        const bool reported = dialog.shown.size() == 1 && dialog.shown[0].find(Base("struct.tmp")) != std::string::npos;
        ::_exit(saved ? 1 : !Storage().TreeModified() ? 2 : !reported ? 3 : 0);
    }
    int status = 0;
    ASSERT_EQ(::waitpid(child, &status, 0), child);
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 0) << "1: reported saved; 2: the edits were dropped; 3: not reported";
    EXPECT_FALSE(AnyTempFilePresent(Storage().Paths()));
    EXPECT_EQ(Files(), std::string(kTreeText) + kImage + kAddData);
    EXPECT_TRUE(Save()) << "nothing stands in the way of the next save";
}

TEST_F(TreeStorageTest, BookmarksAreRestoredToTheirNodesAndStoredByTheSave) {
    constexpr shell::Key kKeys[] = {shell::Key::BM1, shell::Key::BM2, shell::Key::BM3, shell::Key::BM4,
                                    shell::Key::BM5};
    struct Case {
        std::vector<std::pair<shell::Key, int>> stored;
        std::vector<std::pair<int, int>> restored; // slot, absolute index
        bool barShown;                             // more than one restored, slot 1 among them
    };
    const Case cases[] = {
        {{{shell::Key::BM1, 1}, {shell::Key::BM2, 2}, {shell::Key::BM3, 99}}, {{1, 1}, {2, 2}}, true},
        {{{shell::Key::BM2, 2}, {shell::Key::BM4, 0}}, {{2, 2}, {4, 0}}, false},
        {{{shell::Key::BM1, 3}}, {{1, 3}}, false},
        {{}, {}, false},
    };
    WriteFiles(kTreeText, kImage, kAddData);
    for (const Case& c : cases) {
        for (const shell::Key key : kKeys) {
            settings.SetInt(key, -1);
        }
        for (const auto& [key, index] : c.stored) {
            settings.SetInt(key, index);
        }
        ASSERT_TRUE(Load());
        std::vector<std::pair<int, int>> restored;
        for (int slot = 1; slot <= Bookmarks::kSlots; ++slot) {
            if (const TreeNode* node = bookmarks.Node(slot)) {
                restored.push_back({slot, tree.AbsoluteIndex(*node)});
            }
        }
        EXPECT_EQ(restored, c.restored);
        EXPECT_EQ(bookmarks.BarShown(), c.barShown);

        // A save keeps the slots where their nodes are now; an index that found no node is not kept.
        tree.AddChild(tree.First(), 0, "new", 1);
        ASSERT_TRUE(Save());
        for (const auto& [slot, index] : c.restored) {
            EXPECT_EQ(settings.Int(kKeys[slot - 1]), index == 0 ? 0 : index + 1);
        }
        EXPECT_EQ(settings.Int(shell::Key::BM3), -1);
    }
}

TEST_F(TreeStorageTest, AnotherInstancesSaveIsOverwrittenOnlyWhenTheUserSaysSo) {
    struct Case {
        Answer answer;
        bool saved;
        const char* firstNodeAfter;
    };
    for (const Case c : {Case{Answer::Yes, true, "mine"}, Case{Answer::No, false, "theirs"}}) {
        SCOPED_TRACE(c.saved);
        WriteFiles(kTreeText, kImage, kAddData);
        flags.multiUserAccess = false;
        ASSERT_TRUE(Load());
        SaveAsAnotherInstance([](TreeModel& other) { other.SetText(*other.First(), "theirs"); });
        tree.SetText(*tree.First(), "mine");
        Storage().SetTreeModified(true);
        dialog.ExpectQuestion("Многопользовательский доступ\r\nСтруктуру предприятия сохранил другой пользователь",
                              c.answer);
        EXPECT_EQ(Save(), c.saved);
        EXPECT_EQ(tree.First()->Text(), c.firstNodeAfter);
        EXPECT_TRUE(ReadBytes(Base("struct")).starts_with(std::string(c.firstNodeAfter) + "\r\n"));
        EXPECT_FALSE(Storage().TreeModified());
        EXPECT_FALSE(Storage().TreeFileChanged());
        EXPECT_TRUE(flags.multiUserAccess);
        EXPECT_FALSE(AnyTempFilePresent(Storage().Paths()));
    }
}

TEST_F(TreeStorageTest, ASingleCommandNeverOverwritesAnotherInstancesSave) {
    keepOthersTree = true;
    WriteFiles(kTreeText, kImage, kAddData);
    ASSERT_TRUE(Load());
    SaveAsAnotherInstance([](TreeModel& other) { other.SetText(*other.First(), "theirs"); });
    const std::string theirs = Files();
    tree.SetText(*tree.First(), "mine");
    bookmarks.AddBookmark(*tree.NodeAt(2));
    Storage().SetTreeModified(true);
    dialog.ExpectMessage("сохранил другой пользователь программы: изменения не записаны");
    EXPECT_FALSE(Save());
    EXPECT_EQ(Files(), theirs);
    EXPECT_TRUE(Storage().TreeModified());
    EXPECT_EQ(settings.Int(shell::Key::BM1), -1) << "bookmarks are stored for a committed tree only";
}

TEST_F(TreeStorageTest, FailureFlagRaisedByAnotherInstanceStopsTheSave) {
    WriteFiles(kTreeText, kImage, kAddData);
    ASSERT_TRUE(Load());
    tree.SetText(*tree.First(), "changed");
    Storage().SetTreeModified(true);
    onSettingsWrite = [this] { flags.sboiFlag = true; }; // what re-reading pelgo.ini finds
    const int protectCallsBefore = protectCalls;
    EXPECT_FALSE(Save());
    EXPECT_EQ(protectCalls, protectCallsBefore + 2) << "the flag takes effect at once";
    EXPECT_EQ(Files(), std::string(kTreeText) + kImage + kAddData);
    EXPECT_TRUE(Storage().TreeModified());
}

TEST_F(TreeStorageTest, DuplicateUnosAreReportedAndKept) {
    const std::string image = "1 ; KKU_isOAAAAA ;A\r\n2 ; KKU_isOAAAAB ;B\r\n3 ; KKU_isOAAAAA ;C\r\n"
                              "11 ; KKU_isOAAAAA ;D\r\n";
    WriteFiles(kTreeText, image, "");
    ASSERT_TRUE(Load());
    EXPECT_TRUE(Logged("Один UNO у двух узлов KKU_isOAAAAA: 0 \"A\", 2 \"C\""));
    EXPECT_TRUE(Logged("Один UNO у двух узлов KKU_isOAAAAA: 0 \"A\", 3 \"D\""));
    EXPECT_FALSE(flags.sboiFlag);
    ASSERT_TRUE(Save());
    EXPECT_EQ(ReadBytes(Base("image")), image) << "nothing renumbered";
}

TEST_F(TreeStorageTest, SaveOfProtectedDataWritesNothingAndKeepsTheEditsPending) {
    WriteFiles(kTreeText, kImage, kAddData);
    ASSERT_TRUE(Load());
    flags.readOnlyStart = true;
    Storage().SetTreeModified(true);
    tree.SetText(*tree.First(), "renamed");
    EXPECT_FALSE(Save());
    EXPECT_TRUE(Storage().TreeModified()) << "the edits wait for the protection to be lifted";
    EXPECT_EQ(Files(), std::string(kTreeText) + kImage + kAddData);
    EXPECT_TRUE(waits.empty()) << "a protected instance does not wait for writers";
}

} // namespace
} // namespace pelgo::structure
