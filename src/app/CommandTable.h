// The key table of the file list: every key, with or without Shift, that runs a
// command while the operator browses, and the command it runs. Keys are virtual-key
// codes (letters are their upper-case character). Legend clicks reach the same
// table, since they press the key.
#pragma once

#include <span>

namespace vk {
inline constexpr int Back = 0x08;
inline constexpr int Return = 0x0D;
inline constexpr int Shift = 0x10;
inline constexpr int Control = 0x11;
inline constexpr int Menu = 0x12; // Alt
inline constexpr int Escape = 0x1B;
inline constexpr int Space = 0x20;
inline constexpr int Prior = 0x21; // PgUp
inline constexpr int Next = 0x22;  // PgDn
inline constexpr int End = 0x23;
inline constexpr int Home = 0x24;
inline constexpr int Left = 0x25;
inline constexpr int Up = 0x26;
inline constexpr int Right = 0x27;
inline constexpr int Down = 0x28;
inline constexpr int F1 = 0x70;
inline constexpr int F(int n) {
    return F1 + n - 1;
}
} // namespace vk

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
