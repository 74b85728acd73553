// The key table: the keys whose command depends on Shift, and that every command
// has a key.
#include "app/CommandTable.h"

#include <gtest/gtest.h>

#include <set>
#include <string>

namespace {

std::string CommandOf(int key, bool shift) {
    const KeyBinding* binding = FindBinding(key, shift);
    return binding ? CommandName(binding->command) : "-";
}

TEST(CommandTable, ShiftChoosesTheSecondSetOfFunctionKeys) {
    struct Case {
        int key;
        const char* plain;
        const char* shifted;
    } const cases[] = {
        {vk::F(1), "SendSelected", "SendSelected"},
        {vk::F(2), "ReceiveProgram", "ReceiveProgram"},
        {vk::F(3), "DeleteFiles", "MoveFiles"},
        {vk::F(4), "CopyFiles", "JoinFiles"},
        {vk::F(5), "ChangeDirectory", "BrowseDirectory"},
        {vk::F(6), "ChangeMask", "-"},
        {vk::F(7), "OpenCommSettings", "-"},
        {vk::F(8), "ViewFile", "ShowTransferLog"},
        {vk::F(9), "OpenAssociated", "SplitFile"},
        {vk::F(10), "ExitProgram", "ExitProgram"},
        {vk::F(11), "-", "-"},
        {'D', "DeleteFiles", "DeleteFiles"},
        {'M', "MoveFiles", "MoveFiles"},
        {'K', "JoinFiles", "JoinFiles"},
        {'B', "SplitFile", "SplitFile"},
        {'X', "OpenAssociated", "OpenAssociated"},
        {'A', "-", "-"},
        {vk::Home, "MarkFromCursor", "MarkFromCursor"},
        {vk::Prior, "PageUpList", "PageUpList"},
        {vk::Up, "-", "-"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(CommandOf(c.key, false), c.plain) << c.key;
        EXPECT_EQ(CommandOf(c.key, true), c.shifted) << c.key;
    }
}

TEST(CommandTable, RowCheckedCommandsAndEnterOnTheCharacter) {
    std::set<std::string> checked;
    for (const KeyBinding& binding : KeyBindings())
        if (binding.rowCheck)
            checked.insert(CommandName(binding.command));
    EXPECT_EQ(checked,
              (std::set<std::string>{"SendSelected", "OpenAssociated", "SplitFile", "DoubleAxis"}));
    EXPECT_TRUE(FindBinding(vk::Return, false)->onCharacter);
}

TEST(CommandTable, EveryCommandHasAKey) {
    std::set<Command> bound;
    for (const KeyBinding& binding : KeyBindings())
        bound.insert(binding.command);
    for (int c = static_cast<int>(Command::SendSelected); c <= static_cast<int>(Command::EnterRow);
         ++c)
        EXPECT_TRUE(bound.count(static_cast<Command>(c))) << CommandName(static_cast<Command>(c));
}

} // namespace
