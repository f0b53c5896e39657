// The structure tree loaded by pelgo-cli outside the application state: a look at it writes nothing, not
// even a log line, and "tree --save" saves it back through the lock-and-commit protocol.
#pragma once

#include <optional>

#include "cli/args.h"
#include "cli/cli_dialog.h"
#include "cli/installation.h"
#include "structure/node_types.h"
#include "structure/tree_model.h"
#include "structure/tree_storage.h"
#include "structure/uno.h"

namespace pelgo::cli {

class StoredTree {
public:
    // Loads the tree. With `save` the run may write; then `answer` (--yes/--no) answers the first run's
    // sample-tree question and the question whether to overwrite a tree another instance saved meanwhile.
    // Throws core::Error when there is no tree yet and the first run is not asked for, or the load was
    // rejected.
    StoredTree(const Context& context, bool save, std::optional<bool> answer);

    structure::TreeModel& Tree() { return m_tree; }
    structure::NodeIdentity& Identity() { return *m_identity; }
    shell::Settings& Settings() { return m_installation.Settings(); }
    core::Clock& Clock() { return m_installation.Clock(); }
    // For the engines that take a log; a look only reads through them.
    core::WorkLog& Log() { return m_installation.Log(); }
    // Throws core::Error when the files were found damaged: the failure flag is up and nothing may be written.
    void RequireSound();
    // Saves as one more instance on the data; throws core::Error when nothing was written.
    void Save();

private:
    Installation m_installation;
    CliDialog m_dialog;
    CliProgress m_progress;
    structure::TreeModel m_tree;
    // Made once the settings name the node-record table.
    std::optional<structure::NodeIdentity> m_identity;
    std::optional<structure::NodeTypes> m_nodeTypes;
    std::optional<structure::TreeStorage> m_storage;
};

// For the commands that change the data on the application state: throws core::Error when the
// installation has no structure tree yet (only "tree --save" makes the first one). Reads the settings
// without writing anything.
void RequireStoredTree(const Context& context);

} // namespace pelgo::cli
