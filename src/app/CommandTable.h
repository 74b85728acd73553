// The key table of the file list: every key, with or without Shift, that runs a
// command while the operator browses, and the command it runs. Keys are virtual-key
// codes (letters are their upper-case character). Legend clicks reach the same
// table, since they press the key.
#pragma once

#include "platform/VirtualKeyCodes.h"

#include <span>

enum class Command {
    None,
    SendSelected,
    ReceiveProgram,
    DeleteFiles,
    MoveFiles,
    CopyFiles,
    JoinFiles,
    ChangeDirectory,
    BrowseDirectory,
    ChangeMask,
    OpenCommSettings,
    ViewFile,
    ShowTransferLog,
    OpenAssociated,
    SplitFile,
    ExitProgram,
    LaunchEditor,
    FindFiles,
    OpenEditorSetup,
    DoubleAxis,
    ShowFileInfo,
    SelectDrive,
    OpenOptions,
    RenameFiles,
    ChangeSort,
    GoTop,
    GoBottom,
    OpenAppList,
    RefreshList,
    AbortOperation,
    PageUpList,
    PageDownList,
    MarkFromCursor,
    ClearMarks,
    EnterRow,
};

enum class ShiftRule { Any, Without, With };

// The refusal box that the dispatcher shows before a command that needs a row.
enum class RowRefusal {
    None,
    // No current file row: "ﾌｧｲﾙを選択して下さい。\n(複数のﾌｧｲﾙ選択は不可です。)".
    NotAFileRow,
    // No current row: "ﾌｧｲﾙ（ﾌｫﾙﾀﾞ）を選択して下さい。"; the parent row does nothing.
    NoRowOrParent,
};

struct KeyBinding {
    int key;
    ShiftRule shift;
    Command command;
    // The command needs a current file row: none current gives the message
    // "ファイルを選択してください。!!", a folder or parent row does nothing.
    bool rowCheck = false;
    // Runs on the typed character rather than on the key-down (Enter).
    bool onCharacter = false;
    RowRefusal refusal = RowRefusal::None;
};

std::span<const KeyBinding> KeyBindings();
// The binding for a key and the Shift state; nullptr when the key runs nothing.
const KeyBinding* FindBinding(int key, bool shift);
const char* CommandName(Command command);
