#pragma once
// Command routing. Menu items, toolbar buttons and accelerators all end in a command id
// that is offered to the view, the document, the frame and the application, in that
// order; the first target that handles it wins. The same route answers "is this command
// enabled / checked?", so the menu bar, the right-button menu and the toolbar always agree.

#include <windows.h>

#include <cstddef>

struct CommandState {
    bool enabled = true;
    bool checked = false;
};

class CCommandTarget {
public:
    virtual ~CCommandTarget() = default;
    // True when this target handled the command.
    virtual bool OnCommand(UINT id);
    // True when this target decides the state of the command (it has filled state).
    // A command that no target on the route decides stays enabled.
    virtual bool QueryCommandState(UINT id, CommandState& state);
};

// One row of a target's command table. run may be null when the target only decides the
// state (e.g. the view enabling the document's commands); updateState may be null when the
// command is always enabled while this target handles it.
template <typename Target>
struct CommandEntry {
    UINT id;
    void (Target::*run)();
    void (Target::*updateState)(CommandState& state);
};

// Runs id from table; true when an entry with a handler was found.
template <typename Target, std::size_t Count>
bool RunCommandFromTable(Target& target, const CommandEntry<Target> (&table)[Count], UINT id) {
    for (const CommandEntry<Target>& entry : table) {
        if (entry.id == id && entry.run != nullptr) {
            (target.*entry.run)();
            return true;
        }
    }
    return false;
}

// Fills state for id from table; true when the table has an entry for id.
template <typename Target, std::size_t Count>
bool QueryCommandFromTable(Target& target, const CommandEntry<Target> (&table)[Count], UINT id,
                           CommandState& state) {
    for (const CommandEntry<Target>& entry : table) {
        if (entry.id == id) {
            state = CommandState{};
            if (entry.updateState != nullptr) (target.*entry.updateState)(state);
            return true;
        }
    }
    return false;
}
