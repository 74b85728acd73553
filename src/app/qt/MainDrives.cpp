// The drive menu (L), the drive icons of start-up and the folder change watch of
// the main window.
#include "app/qt/Mainunit1.h"

#include "files/DriveList.h"
#include "files/qt/DriveMenu.h"
#include "files/qt/FileListBox.h"
#include "files/qt/FolderCheck.h"
#include "platform/Volumes.h"
#include "platform/qt/MessageBox.h"

#include <QAction>
#include <QApplication>
#include <QMenu>

void TForm1::LoadDriveIcons() {
    if (ImageList1.empty())
        ::LoadDriveIcons(ImageList1);
}

void TForm1::BuildDriveMenu() {
    if (!PopupMenu2) {
        PopupMenu2 = new QMenu(this);
        PopupMenu2->setFont(GothicFont());
        connect(PopupMenu2, &QMenu::triggered, this, &TForm1::SelectDriveItem);
    }
    FillDriveMenu(PopupMenu2, ListDrives(ParseMounts(ReadProcMounts()), SystemVolumeProbe()),
                  ImageList1);
}

void TForm1::SelectDrive() {
    BuildDriveMenu();
    PopupMenu2->popup(QPoint(x() + ListBox1->x() + 30, y() + ListBox1->height() / 2));
}

void TForm1::SelectDriveItem(QAction* item) {
    const DriveItem drive = DriveOfItem(item);
    // A floppy or a stick whose medium is gone: insert it, or stay where we are.
    const bool needsMedium = drive.kind == DriveKind::Floppy || drive.kind == DriveKind::Removable;
    if (needsMedium && !FolderReadable(drive.mountPoint)) {
        LastAnswer = AskForFloppy(this);
        if (LastAnswer != kAnswerOk || !FolderReadable(drive.mountPoint)) {
            ListDirectory(false, false, false);
            return;
        }
    }
    Settings.DirPath = drive.mountPoint;
    ListDirectory(false, false, false);
}

bool TForm1::CommandRunning() const {
    return !ListBox1->isEnabled() || QApplication::activeModalWidget() != nullptr ||
           QApplication::activePopupWidget() != nullptr || FileList.listingRunning ||
           FileList.renameRunning;
}

void TForm1::StartFolderWatch() {
    if (!FolderCheck)
        FolderCheck = new TFolderCheck([this] { ListDirectory(false, true, false); },
                                       [this] { return CommandRunning(); }, this);
    FolderCheck->Follow(Settings.DirPath);
}
