// The fixture of the tree-storage tests: one instance's storage on a fresh installation folder, with a
// scripted dialog, recorded waits and the three files of a small sample tree.
#pragma once

#include <functional>
#include <gtest/gtest.h>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "core/cp1251.h"
#include "core/file.h"
#include "structure/tree_storage.h"
#include "structure/uno.h"
#include "support/scripted_dialog.h"
#include "support/temp_dir.h"

namespace pelgo::structure {

using testing::ReadBytes;
using testing::WriteBytes;

inline constexpr char kTreeText[] = "A\r\n\tB\r\n\t\tC\r\nD\r\n";
inline constexpr char kImage[] =
    "1 ; KKU_isOAAAAA ;A\r\n2 ; KKU_isOAAAAB ;B\r\n3 ; KKU_isOAAAAC ;C\r\n11 ; KKU_isOAAAAD ;D\r\n";
inline constexpr char kAddData[] = "1;Comment;first\r\n3;Comment;one\r\n3;Comment;two\r\n";

class TreeStorageTest : public ::testing::Test {
protected:
    TreeStorageTest() : settings(dir.Path()), log(dir / "pelgo.log", clock), nodeTypes(settings.userNodeTypes) {
        clock.Set({2026, 3, 10, 15, 0, 0});
        core::CreateDirectories(dir / "BASE");
        log.SetIdentity("IVANOV", "WS-01");
    }

    TreeStorage& Storage() {
        if (!storage) {
            TreeStorageContext context{
                tree,
                identity,
                nodeTypes,
                settings,
                flags,
                [this] {
                    ++protectCalls;
                    return flags.AnyFlagProtects();
                },
                [this] {
                    ++settingsWrites;
                    if (onSettingsWrite) {
                        onSettingsWrite();
                    }
                },
                log,
                dialog,
                progress,
                clock,
                [this](int milliseconds) {
                    waits.push_back(milliseconds);
                    if (onWait) {
                        onWait();
                    }
                },
                &bookmarks,
                {},
                [this](bool minimised) { minimiseCalls.push_back(minimised); },
            };
            context.keepOthersTree = keepOthersTree;
            storage = std::make_unique<TreeStorage>(std::move(context));
        }
        return *storage;
    }
    bool Load() { return Storage().SetupTreeNode(TreeStorage::kLoad); }
    bool Save() { return Storage().SetupTreeNode(TreeStorage::kSave); }

    std::string Base(const std::string& name) const { return dir / ("BASE/" + name); }
    void WriteFiles(const std::string& treeText, const std::string& image, const std::string& addData) {
        WriteBytes(Base("struct"), treeText);
        WriteBytes(Base("image"), image);
        WriteBytes(Base("add_Data"), addData);
    }
    std::string Files() const {
        return ReadBytes(Base("struct")) + ReadBytes(Base("image")) + ReadBytes(Base("add_Data"));
    }
    // Loads the files as a second instance would, edits its tree and saves it.
    void SaveAsAnotherInstance(const std::function<void(TreeModel&)>& edit) {
        TreeModel otherTree;
        NodeIdentity otherIdentity(otherTree, clock);
        shell::ProtectionFlags otherFlags;
        testing::ScriptedDialog otherDialog;
        TreeStorage other({otherTree, otherIdentity, nodeTypes, settings, otherFlags, [] { return false; }, [] {}, log,
                           otherDialog, progress, clock});
        ASSERT_TRUE(other.SetupTreeNode(TreeStorage::kLoad));
        edit(otherTree);
        ASSERT_TRUE(other.SetupTreeNode(TreeStorage::kSave));
    }

    std::string LogUtf8() const { return core::Cp1251ToUtf8(ReadBytes(dir / "pelgo.log")); }
    bool Logged(const std::string& utf8) const { return LogUtf8().find(utf8) != std::string::npos; }

    // One line per node: level, icon, UNO, text and comments.
    std::string Dump() {
        std::string out;
        for (TreeNode* node = tree.First(); node != nullptr; node = tree.Next(*node)) {
            out += std::to_string(node->Level()) + " " + std::to_string(node->Icon()) + " " + identity.NodeUno(node) +
                   " " + node->Text();
            if (node->Record()->comments) {
                for (const std::string& line : *node->Record()->comments) {
                    out += " /" + line;
                }
            }
            out += "\n";
        }
        return out;
    }

    testing::TempDir dir;
    core::Clock clock;
    shell::Settings settings;
    core::WorkLog log;
    NodeTypes nodeTypes;
    shell::ProtectionFlags flags;
    TreeModel tree;
    NodeIdentity identity{tree, clock};
    testing::ScriptedDialog dialog;
    testing::RecordingProgress progress;
    int protectCalls = 0;
    int settingsWrites = 0;
    std::function<void()> onSettingsWrite;
    std::vector<int> waits;
    std::function<void()> onWait;
    std::vector<bool> minimiseCalls;
    Bookmarks bookmarks{tree};
    bool keepOthersTree = false;
    std::unique_ptr<TreeStorage> storage;
};

} // namespace pelgo::structure
