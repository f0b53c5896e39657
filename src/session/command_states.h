// Which commands of the main window are enabled and visible, and the captions that change with the
// state: the rules of the menu set-up, the all-controls switch and the menus refreshed as they open,
// computed from the protection state and the facts of the current selection. The window only applies it.
#pragma once

#include <array>
#include <string>

#include "session/command_map.h"

namespace pelgo::session {

// What the rules need to know about the moment; the window (or a test) fills it.
struct SelectionFacts {
    bool hasSelection = false;
    int icon = -1;              // the selected node's type
    bool hasNextNode = false;   // a node follows the selected one in pre-order
    bool isNetComputer = false; // a computer followed by its MAC-address node
    std::string text;           // the selected node's text, cp1251
    bool currentConfigHasContent = false;
    bool additionalPageShown = false;
};

struct StateFacts {
    bool isProtected = false;
    bool sboiFlag = false;
    bool readOnlyStart = false;
    int userRights = 0;
    bool moveRequestsOn = false; // [Setup] TP_Create
    int languageCount = 0;
    bool brandingPresent = false;
    bool controlsDisabled = false; // during tree load and save, and at shutdown
};

struct CommandState {
    bool enabled = true;
    bool visible = true;
    std::string caption; // cp1251; the translated table caption unless a rule changes it
};

class CommandStates {
public:
    CommandStates();

    // Recomputes every command (the menu set-up, including the menus refreshed as they open).
    void Update(const StateFacts& state, const SelectionFacts& selection);
    const CommandState& State(Command command) const { return m_states[static_cast<std::size_t>(command)]; }

    // Commands whose function is not built yet: they exist and stay disabled.
    static bool IsBuilt(Command command);

private:
    std::array<CommandState, static_cast<std::size_t>(Command::Count)> m_states;
};

} // namespace pelgo::session
