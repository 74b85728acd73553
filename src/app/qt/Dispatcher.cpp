// The dispatcher: the key and mouse handlers of the file list and of the legends.
// A handler looks the key up in the command table and calls the command's method;
// the list commands (marking, paging, moving, Enter on a row) live here too.
#include "app/qt/Mainunit1.h"

#include "app/CommandTable.h"
#include "app/qt/VirtualKeys.h"
#include "files/ListSelection.h"
#include "files/qt/DataView.h"
#include "files/qt/FileListBox.h"
#include "platform/Paths.h"
#include "platform/qt/MessageBox.h"
#include "ui/CommandLinePanel.h"
#include "ui/StatusPanels.h"
#include "ui/TransferPanel.h"

#include <QApplication>
#include <QGroupBox>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QTimer>

#include <cstddef>
#include <iterator>

namespace {

const QString kSelectFile = QStringLiteral("ファイルを選択してください。!!");

// The method of each command, in the order of Command; SendSelected and
// ReceiveProgram take the Shift state.
struct CommandHandler {
    Command command;
    void (TForm1::*plain)();
    void (TForm1::*shifted)(bool shift);
};

constexpr CommandHandler kCommandHandlers[] = {
    {Command::None, nullptr, nullptr},
    {Command::SendSelected, nullptr, &TForm1::SendSelected},
    {Command::ReceiveProgram, nullptr, &TForm1::ReceiveProgram},
    {Command::DeleteFiles, &TForm1::DeleteFiles, nullptr},
    {Command::MoveFiles, &TForm1::MoveFiles, nullptr},
    {Command::CopyFiles, &TForm1::CopyFiles, nullptr},
    {Command::JoinFiles, &TForm1::JoinFiles, nullptr},
    {Command::ChangeDirectory, &TForm1::ChangeDirectory, nullptr},
    {Command::BrowseDirectory, &TForm1::BrowseDirectory, nullptr},
    {Command::ChangeMask, &TForm1::ChangeMask, nullptr},
    {Command::OpenCommSettings, &TForm1::OpenCommSettings, nullptr},
    {Command::ViewFile, &TForm1::ViewFile, nullptr},
    {Command::ShowTransferLog, &TForm1::ShowTransferLog, nullptr},
    {Command::OpenAssociated, &TForm1::OpenAssociated, nullptr},
    {Command::SplitFile, &TForm1::SplitFile, nullptr},
    {Command::ExitProgram, &TForm1::ExitProgram, nullptr},
    {Command::LaunchEditor, &TForm1::LaunchEditor, nullptr},
    {Command::FindFiles, &TForm1::FindFiles, nullptr},
    {Command::OpenEditorSetup, &TForm1::OpenEditorSetup, nullptr},
    {Command::DoubleAxis, &TForm1::DoubleAxis, nullptr},
    {Command::ShowFileInfo, &TForm1::ShowFileInfo, nullptr},
    {Command::SelectDrive, &TForm1::SelectDrive, nullptr},
    {Command::OpenOptions, &TForm1::OpenOptions, nullptr},
    {Command::RenameFiles, &TForm1::RenameFiles, nullptr},
    {Command::ChangeSort, &TForm1::ChangeSort, nullptr},
    {Command::GoTop, &TForm1::GoTop, nullptr},
    {Command::GoBottom, &TForm1::GoBottom, nullptr},
    {Command::OpenAppList, &TForm1::OpenAppList, nullptr},
    {Command::RefreshList, &TForm1::RefreshList, nullptr},
    {Command::AbortOperation, &TForm1::AbortOperation, nullptr},
    {Command::PageUpList, &TForm1::PageUpList, nullptr},
    {Command::PageDownList, &TForm1::PageDownList, nullptr},
    {Command::MarkFromCursor, &TForm1::MarkFromCursor, nullptr},
    {Command::ClearMarks, &TForm1::ClearMarks, nullptr},
    // Enter on a row runs on the typed character (ListBox1KeyPress).
    {Command::EnterRow, nullptr, nullptr},
};

constexpr bool InCommandOrder() {
    for (std::size_t i = 0; i < std::size(kCommandHandlers); ++i)
        if (kCommandHandlers[i].command != static_cast<Command>(i))
            return false;
    return std::size(kCommandHandlers) == static_cast<std::size_t>(Command::EnterRow) + 1;
}
static_assert(InCommandOrder(), "one handler for each command, in the order of Command");

} // namespace

bool TForm1::RefusedForRow(RowRefusal refusal) {
    const int row = ListBox1->ItemIndex();
    switch (refusal) {
    case RowRefusal::None:
        return false;
    case RowRefusal::NotAFileRow:
        if (FileList.IsFileRow(row))
            return false;
        ShowRefusal(this, QStringLiteral("ﾌｧｲﾙを選択して下さい。\n(複数のﾌｧｲﾙ選択は不可です。)"));
        return true;
    case RowRefusal::NoRowOrParent:
        if (row < 0) {
            ShowRefusal(this, QStringLiteral("ﾌｧｲﾙ（ﾌｫﾙﾀﾞ）を選択して下さい。"));
            return true;
        }
        return FileList.KindOf(row) == RowKind::Parent;
    }
    return false;
}

void TForm1::ListBox1KeyDown(int& key, bool shift) {
    Timer1->stop();
    RichEdit1->Clear();
    TransferPanel->Hide();
    SetMessage(QString(), CommandLine->MessageColour());
    SetStatusPanel(0, QString());
    SetStatusPanel(2, QString());
    shift ? ShowShiftLegend() : ShowNormalLegend();

    const KeyBinding* binding = FindBinding(key, shift);
    if (!binding || binding->onCharacter)
        return;
    // Every key of the table is the list's command, not also its own navigation.
    key = 0;
    if (RefusedForRow(binding->refusal))
        return;
    if (binding->rowCheck) {
        int row = ListBox1->ItemIndex();
        if (row < 0) {
            SetMessage(kSelectFile);
            ListBox1->setEnabled(true);
            ListBox1->setFocus();
            return;
        }
        if (!FileList.IsFileRow(row))
            return;
    }
    const CommandHandler& handler = kCommandHandlers[static_cast<std::size_t>(binding->command)];
    if (handler.shifted)
        (this->*handler.shifted)(shift);
    else if (handler.plain)
        (this->*handler.plain)();
}

void TForm1::ListBox1AltKeyDown(int& key) {
    const int pressed = key;
    key = 0;
    if (pressed == vk::Menu)
        ShowAppLegend();
    else if (pressed >= 'A' && pressed <= 'Z')
        Menu_outaClick(pressed - 'A' + 2); // the menu item's tag
}

void TForm1::ListBox1KeyPress(QChar ch) {
    // Every character is taken here, so the list's own search by letter never runs.
    if (ch == QChar('\r') && ListBox1->Count() > 0)
        EnterRow();
}

void TForm1::ListBox1KeyUp(int& key, bool shift) {
    shift ? ShowShiftLegend() : ShowNormalLegend();
    GroupBox5->hide();
    AltLegendShown = false;
    key = 0;
}

void TForm1::ListBox1Click() {
    ShowRowDetails(ListBox1->ItemIndex());
    FileList.lastClickedRow = ListBox1->ItemIndex();
}

void TForm1::ListBox1DblClick() {
    PressKey(vk::Return);
}

void TForm1::ListBox1MouseDown(Qt::MouseButton button, bool shift, int x, int y) {
    if (button != Qt::LeftButton || !shift)
        return;
    int row = ListBox1->RowAt(QPoint(x, y));
    if (row < 0)
        return;
    ::MarkRange(FileList, row);
    ListBox1->RepaintRows();
}

void TForm1::Label1MouseDown(int x, int y) {
    static constexpr int kRight[] = {144, 279, 414, 549, 745};
    int column = 0;
    while (column < 5 && x > kRight[column])
        ++column;
    if (x < 0 || column == 5)
        return;
    if (y > 16 && column == 4) {
        close(); // the lower fifth column closes the window directly
        return;
    }
    PressKey(vk::F(1 + column + (y > 16 ? 5 : 0)));
}

void TForm1::Label16MouseDown(int x) {
    if (x >= 220 && x <= 340)
        PressKeyDown(vk::F(3));
}

void TForm1::Label22MouseDown() {
    PressKey(vk::Escape);
}

namespace {

void PostKey(QEvent::Type type, int virtualKey) {
    QWidget* target = QApplication::focusWidget();
    if (!target)
        return;
    Qt::KeyboardModifiers modifiers = QApplication::keyboardModifiers();
    bool shift = modifiers.testFlag(Qt::ShiftModifier);
    QCoreApplication::postEvent(target, new QKeyEvent(type, QtKeyFromVirtual(virtualKey), modifiers,
                                                      TextOfVirtualKey(virtualKey, shift)));
}

} // namespace

void TForm1::PressKey(int key) {
    // Posted to the focused control, with the Shift state of the moment, exactly as
    // a typed key would arrive.
    PostKey(QEvent::KeyPress, key);
    PostKey(QEvent::KeyRelease, key);
}

void TForm1::PressKeyDown(int key) {
    PostKey(QEvent::KeyPress, key);
}

void TForm1::ExitProgram() {
    close();
}

void TForm1::GoTop() {
    ListBox1->SetItemIndex(0);
    ShowRowDetails(ListBox1->ItemIndex());
}

void TForm1::GoBottom() {
    ListBox1->SetItemIndex(ListBox1->Count() - 1);
    ShowRowDetails(ListBox1->ItemIndex());
}

void TForm1::RefreshList() {
    ListDirectory(false, true, false);
    Timer1->start(1000);
}

void TForm1::AbortOperation() {
    AbortToIdle();
    CommandLine->Enable(false);
    for (int panel : {4, 5, 6})
        SetStatusPanel(panel, QString());
}

void TForm1::PageUpList() {
    ListBox1->SetItemIndex(PageUpRow(ListBox1->ItemIndex(), ListBox1->Count(), Settings.ListColumn,
                                     ListBox1->RowsPerColumn()));
    ShowRowDetails(ListBox1->ItemIndex());
}

void TForm1::PageDownList() {
    PageMove move = PageDownRows(ListBox1->ItemIndex(), ListBox1->Count(), Settings.ListColumn,
                                 ListBox1->RowsPerColumn());
    ListBox1->SetItemIndex(move.scrollTo);
    ListBox1->SetItemIndex(move.current);
    ShowRowDetails(ListBox1->ItemIndex());
}

void TForm1::MarkFromCursor() {
    ::MarkFromCursor(FileList, ListBox1->ItemIndex());
    ListBox1->RepaintRows();
}

void TForm1::ClearMarks() {
    ClearAllMarks(FileList);
    ListBox1->RepaintRows();
}

void TForm1::EnterRow() {
    int row = ListBox1->ItemIndex();
    switch (FileList.KindOf(row)) {
    case RowKind::File: {
        ToggleMark(FileList, row);
        ListBox1->RowChanged(row);
        ListBox1->SetItemIndex(std::min(row + 1, ListBox1->Count() - 1));
        ShowRowDetails(ListBox1->ItemIndex());
        FileList.lastClickedRow = ListBox1->ItemIndex();
        return;
    }
    case RowKind::Parent: {
        // The parent of "/x" is "/"; the root has no parent row.
        size_t slash = Settings.DirPath.rfind('/');
        Settings.DirPath = slash == 0 || slash == std::string::npos
                               ? std::string("/")
                               : Settings.DirPath.substr(0, slash);
        break;
    }
    case RowKind::Folder:
        Settings.DirPath = JoinPath(Settings.DirPath, FileList.EntryName(row));
        break;
    case RowKind::None:
        return;
    }
    ListDirectory(false, false, false);
}
