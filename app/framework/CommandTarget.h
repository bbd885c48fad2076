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

// What one class on the route answers, declared as data: the commands it runs, and the
// predicates that decide the state of a group of commands. A command the class runs but no
// predicate of its own decides is enabled while it is the class that answers.
template <typename Target>
struct CommandHandler {
    UINT id;
    void (Target::*run)();
};

// The ids a predicate decides end at the first 0 (no command has id 0).
constexpr std::size_t kMostCommandsPerRule = 12;

template <typename Target>
struct CommandRule {
    void (Target::*decide)(CommandState& state);
    UINT ids[kMostCommandsPerRule];

    bool Covers(UINT id) const {
        for (UINT covered : ids) {
            if (covered == 0) return false;
            if (covered == id) return true;
        }
        return false;
    }
};

template <typename Target>
struct CommandTable {
    template <std::size_t HandlerCount>
    constexpr explicit CommandTable(const CommandHandler<Target> (&handlerList)[HandlerCount])
        : handlers(handlerList), handlerCount(HandlerCount) {}
    template <std::size_t HandlerCount, std::size_t RuleCount>
    constexpr CommandTable(const CommandHandler<Target> (&handlerList)[HandlerCount],
                           const CommandRule<Target> (&ruleList)[RuleCount])
        : handlers(handlerList), handlerCount(HandlerCount), rules(ruleList), ruleCount(RuleCount) {}

    const CommandHandler<Target>* handlers = nullptr;
    std::size_t handlerCount = 0;
    const CommandRule<Target>* rules = nullptr;
    std::size_t ruleCount = 0;
};

// Answers the route from Target::Commands() and passes what it does not answer on to Base,
// so a class on the route declares only its table. Target derives from
// CCommandTableTarget<Target, Base>; Commands() is a static member function, so the table
// defined in it may name the class's private handlers.
template <typename Target, typename Base = CCommandTarget>
class CCommandTableTarget : public Base {
public:
    using Base::Base;

    bool OnCommand(UINT id) override {
        const CommandTable<Target>& table = Target::Commands();
        for (std::size_t index = 0; index < table.handlerCount; ++index) {
            if (table.handlers[index].id == id) {
                (Self().*table.handlers[index].run)();
                return true;
            }
        }
        return Base::OnCommand(id);
    }

    bool QueryCommandState(UINT id, CommandState& state) override {
        const CommandTable<Target>& table = Target::Commands();
        for (std::size_t index = 0; index < table.ruleCount; ++index) {
            if (table.rules[index].Covers(id)) {
                state = CommandState{};
                (Self().*table.rules[index].decide)(state);
                return true;
            }
        }
        for (std::size_t index = 0; index < table.handlerCount; ++index) {
            if (table.handlers[index].id == id) {
                state = CommandState{};
                return true;
            }
        }
        return Base::QueryCommandState(id, state);
    }

private:
    Target& Self() { return static_cast<Target&>(*this); }
};
