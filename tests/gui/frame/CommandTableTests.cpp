// The command-table base: which handler or predicate answers an id, and what goes on below.
#include <gtest/gtest.h>

#include <string>

#include "framework/CommandTarget.h"

namespace {

// Below the table: runs 40 and greys it, knows nothing else.
class LowerTarget : public CCommandTarget {
public:
    bool OnCommand(UINT id) override {
        if (id == 40) ran += "lower40 ";
        return id == 40;
    }
    bool QueryCommandState(UINT id, CommandState& state) override {
        if (id == 40) state.enabled = false;
        return id == 40;
    }
    std::string ran;
};

class TableTarget : public CCommandTableTarget<TableTarget, LowerTarget> {
public:
    static const CommandTable<TableTarget>& Commands() {
        static const CommandHandler<TableTarget> handlers[] = {{10, &TableTarget::RunTen}, {20, &TableTarget::RunTwenty}};
        static const CommandRule<TableTarget> rules[] = {{&TableTarget::Grey, {20, 30}}, {&TableTarget::Check, {40}}};
        static const CommandTable<TableTarget> table{handlers, rules};
        return table;
    }
    void RunTen() { ran += "10 "; }
    void RunTwenty() { ran += "20 "; }
    void Grey(CommandState& state) { state.enabled = false; }
    void Check(CommandState& state) { state.checked = true; }
};

struct CommandCase {
    UINT id;
    bool run;            // OnCommand's answer
    const char* ran;     // what ran
    bool decided;        // QueryCommandState's answer
    bool enabled, checked;
};

TEST(CommandTable, HandlersAndPredicatesAnswerTheirIdsAndTheRestGoesBelow) {
    const CommandCase cases[] = {
        {10, true, "10 ", true, true, false},        // a handler with no predicate: enabled
        {20, true, "20 ", true, false, false},       // a handler and a predicate
        {30, false, "", true, false, false},         // only a predicate: the run goes on down the route
        {40, true, "lower40 ", true, true, true},    // run below, decided by the table's predicate alone
        {50, false, "", false, false, true},         // nobody's: the state is left as it came
    };
    for (const CommandCase& expected : cases) {
        TableTarget target;
        EXPECT_EQ(target.OnCommand(expected.id), expected.run) << expected.id;
        EXPECT_EQ(target.ran, expected.ran) << expected.id;
        CommandState state;
        state.enabled = false;
        state.checked = true;   // a decided state starts afresh
        EXPECT_EQ(target.QueryCommandState(expected.id, state), expected.decided) << expected.id;
        EXPECT_EQ(state.enabled, expected.enabled) << expected.id;
        EXPECT_EQ(state.checked, expected.checked) << expected.id;
    }
}

}  // namespace
