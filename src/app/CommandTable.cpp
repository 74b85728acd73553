#include "app/CommandTable.h"

#include <array>

namespace {

using enum Command;
constexpr ShiftRule Any = ShiftRule::Any;
constexpr ShiftRule Without = ShiftRule::Without;
constexpr ShiftRule With = ShiftRule::With;

constexpr std::array kBindings{
    KeyBinding{vk::F(1), Any, SendSelected, true},
    KeyBinding{vk::F(2), Any, ReceiveProgram},
    KeyBinding{vk::F(3), Without, DeleteFiles},
    KeyBinding{'D', Any, DeleteFiles},
    KeyBinding{vk::F(3), With, MoveFiles},
    KeyBinding{'M', Any, MoveFiles},
    KeyBinding{vk::F(4), Without, CopyFiles},
    KeyBinding{'C', Any, CopyFiles},
    KeyBinding{vk::F(4), With, JoinFiles},
    KeyBinding{'K', Any, JoinFiles},
    KeyBinding{vk::F(5), Without, ChangeDirectory},
    KeyBinding{vk::F(5), With, BrowseDirectory},
    KeyBinding{vk::F(6), Without, ChangeMask},
    KeyBinding{vk::F(7), Without, OpenCommSettings},
    KeyBinding{vk::F(8), Without, ViewFile},
    KeyBinding{'V', Any, ViewFile},
    KeyBinding{vk::F(8), With, ShowTransferLog},
    KeyBinding{vk::F(9), Without, OpenAssociated, true},
    KeyBinding{'X', Any, OpenAssociated, true},
    KeyBinding{vk::F(9), With, SplitFile, true},
    KeyBinding{'B', Any, SplitFile, true},
    KeyBinding{vk::F(10), Any, ExitProgram},
    KeyBinding{'E', Any, LaunchEditor, false, false, RowRefusal::NotAFileRow},
    KeyBinding{'F', Any, FindFiles},
    KeyBinding{'G', Any, OpenEditorSetup},
    KeyBinding{'H', Any, DoubleAxis, true},
    KeyBinding{'I', Any, ShowFileInfo, false, false, RowRefusal::NoRowOrParent},
    KeyBinding{'L', Any, SelectDrive},
    KeyBinding{'O', Any, OpenOptions},
    KeyBinding{'R', Any, RenameFiles, false, false, RowRefusal::NoRowOrParent},
    KeyBinding{'S', Any, ChangeSort},
    KeyBinding{'T', Any, GoTop},
    KeyBinding{'Z', Any, GoBottom},
    KeyBinding{'Y', Any, OpenAppList},
    KeyBinding{vk::Space, Any, RefreshList},
    KeyBinding{vk::Escape, Any, AbortOperation},
    KeyBinding{vk::Prior, Any, PageUpList},
    KeyBinding{vk::Next, Any, PageDownList},
    KeyBinding{vk::Home, Any, MarkFromCursor},
    KeyBinding{vk::End, Any, ClearMarks},
    KeyBinding{vk::Return, Any, EnterRow, false, true},
};

constexpr std::array<const char*, 35> kNames{
    "None",
    "SendSelected",
    "ReceiveProgram",
    "DeleteFiles",
    "MoveFiles",
    "CopyFiles",
    "JoinFiles",
    "ChangeDirectory",
    "BrowseDirectory",
    "ChangeMask",
    "OpenCommSettings",
    "ViewFile",
    "ShowTransferLog",
    "OpenAssociated",
    "SplitFile",
    "ExitProgram",
    "LaunchEditor",
    "FindFiles",
    "OpenEditorSetup",
    "DoubleAxis",
    "ShowFileInfo",
    "SelectDrive",
    "OpenOptions",
    "RenameFiles",
    "ChangeSort",
    "GoTop",
    "GoBottom",
    "OpenAppList",
    "RefreshList",
    "AbortOperation",
    "PageUpList",
    "PageDownList",
    "MarkFromCursor",
    "ClearMarks",
    "EnterRow",
};
static_assert(kNames.size() == static_cast<size_t>(EnterRow) + 1);

} // namespace

std::span<const KeyBinding> KeyBindings() {
    return kBindings;
}

const KeyBinding* FindBinding(int key, bool shift) {
    for (const KeyBinding& binding : kBindings) {
        if (binding.key != key)
            continue;
        if (binding.shift == Any || (binding.shift == With) == shift)
            return &binding;
    }
    return nullptr;
}

const char* CommandName(Command command) {
    return kNames[static_cast<size_t>(command)];
}
