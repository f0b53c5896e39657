// Keeping the two places of an inventory number honest: the caption's text after "№" and the node's stored
// additional datum "aInumber". Synchronising fills the missing side and lets the user settle conflicts, with an
// export of UNO, number and caption; checking lists equipment numbers used twice within one node type.
#pragma once

#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "structure/node_records_table.h"
#include "structure/node_types.h"
#include "structure/tree_model.h"
#include "structure/uno.h"

namespace pelgo::inventory {

// The caption's text after its first "№", 255 characters at most, trimmed; empty without "№".
std::string TreeNumber(std::string_view caption);
// The TEXT of the node's first "Main"/"aInumber" record, trimmed; empty when there is none.
std::string StoredNumber(structure::NodeRecordsTable& records, std::string_view uno);

enum class NumberChoice { Tree, Stored, Skip };
// Asked for each node whose two numbers differ and are both present.
using ConflictQuestion = std::function<NumberChoice(const structure::TreeNode& node, const std::string& treeNumber,
                                                    const std::string& storedNumber)>;

// What the run leaves to write into the node-record table, in tree order.
struct NumberRecordChange {
    std::string uno;
    bool deleteStored = false; // the node's stored numbers go (the caption's number was chosen)
    std::string append;        // appended as the node's stored number when not empty
    friend bool operator==(const NumberRecordChange&, const NumberRecordChange&) = default;
};

struct SyncOutcome {
    // "Index\tИнвентарный\tRemark", then UNO TAB stored number TAB caption of each node that ends with a
    // stored number, in pre-order (cp1251).
    std::vector<std::string> exportLines;
    std::vector<NumberRecordChange> recordChanges;
    bool captionsChanged = false; // a caption was changed
    bool unosGiven = false;       // a node got its first UNO
    int conflicts = 0;
    // Nodes left alone because another node has the same UNO, and so the same stored number (GetPath).
    std::vector<std::string> sharedUnoPaths;
};

// Synchronise over every node of icon index above 2 in pre-order (`step` after each node of the tree, for the
// progress bar whose range is the node count). Nodes without node data get it (and a UNO) first. Captions
// change through `rename` (the caller marks the tree modified); the table is only read: its changes are
// returned, for the caller to write once the tree that gave the UNOs is saved, so that no record ever points
// at a UNO the saved tree does not have.
SyncOutcome SynchronizeNumbers(structure::TreeModel& tree, structure::NodeIdentity& identity,
                               structure::NodeRecordsTable& records, const ConflictQuestion& ask,
                               const std::function<void(structure::TreeNode&, std::string)>& rename,
                               const std::function<void()>& step);
void ApplyRecordChanges(structure::NodeRecordsTable& records, const std::vector<NumberRecordChange>& changes);
// The export file's bytes: the lines in cp1251, each ended by CR LF.
std::string ExportFileBytes(const std::vector<std::string>& lines);

// The check key of a node of icon index above 2 whose trimmed caption holds "№": its type's name, a blank and
// the trimmed caption from the first "№" on (200 characters at most).
std::string CheckKey(const structure::NodeTypes& types, const structure::TreeNode& node);

struct Duplicate {
    std::string path;      // GetPath of the node whose key was seen before
    std::string firstPath; // GetPath of the first node with that key
};
struct CheckOutcome {
    int nodes = 0;    // every node of the tree
    int numbered = 0; // distinct keys
    std::vector<Duplicate> duplicates;
};
CheckOutcome CheckNumbers(const structure::TreeModel& tree, const structure::NodeTypes& types,
                          const std::function<void()>& step);
// "error.log": the title line (4201), the date and time, then per duplicate an empty line, "n.Инв.№ " + path +
// " дублируется с :" and "- " + first path; cp1251, CR LF.
std::string CheckLogBytes(const CheckOutcome& outcome, std::string_view dateAndTime);
// The message of a check without duplicates (4205, 4206, 4207), lines broken by "\r\n".
std::string CheckPassedMessage(const CheckOutcome& outcome);

} // namespace pelgo::inventory
