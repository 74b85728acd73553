#include "files/qt/DriveMenu.h"

#include "files/qt/TransferDialogs.h"
#include "platform/qt/MessageBox.h"
#include "platform/qt/QtText.h"

#include <QAction>
#include <QApplication>
#include <QMenu>
#include <QStyle>

namespace {

struct IconSource {
    const char* theme;
    QStyle::StandardPixmap fallback;
};

// Stand-ins for the shell's first twelve small icons, by meaning: documents,
// program, folder, open folder, floppy, removable, fixed, network, network off
// line, CD-ROM, RAM disk.
const IconSource kShellIcons[12] = {
    {"text-x-generic", QStyle::SP_FileIcon},           {"text-x-generic", QStyle::SP_FileIcon},
    {"application-x-executable", QStyle::SP_FileIcon}, {"folder", QStyle::SP_DirClosedIcon},
    {"folder-open", QStyle::SP_DirOpenIcon},           {"media-floppy", QStyle::SP_DriveFDIcon},
    {"drive-removable-media", QStyle::SP_DriveFDIcon}, {"drive-harddisk", QStyle::SP_DriveHDIcon},
    {"folder-remote", QStyle::SP_DriveNetIcon},        {"network-offline", QStyle::SP_DriveNetIcon},
    {"media-optical", QStyle::SP_DriveCDIcon},         {"drive-multidisk", QStyle::SP_DriveHDIcon},
};

} // namespace

int LoadDriveIcons(std::vector<QIcon>& imageList) {
    imageList.clear();
    QStyle* style = QApplication::style();
    int secondFolder = -1;
    for (int icon = 0; icon < 12; ++icon) {
        const IconSource& source = kShellIcons[icon];
        imageList.push_back(QIcon::fromTheme(QString::fromLatin1(source.theme),
                                             style->standardIcon(source.fallback)));
        // The folder twice, so that the drive images fall on the numbers the menu uses.
        if (icon == 3) {
            imageList.push_back(imageList.back());
            secondFolder = static_cast<int>(imageList.size()) - 1;
        }
    }
    return secondFolder;
}

void FillDriveMenu(QMenu* menu, const std::vector<DriveItem>& drives,
                   const std::vector<QIcon>& imageList) {
    menu->clear();
    for (size_t i = 0; i < drives.size(); ++i) {
        const DriveItem& drive = drives[i];
        QAction* item = menu->addAction(ShownText(DriveCaption(i, drive)));
        size_t image = static_cast<size_t>(DriveImage(drive.kind));
        if (image < imageList.size())
            item->setIcon(imageList[image]);
        item->setData(QByteArray::fromStdString(drive.mountPoint));
        item->setProperty("driveKind", static_cast<int>(drive.kind));
        item->setProperty("driveSource", QByteArray::fromStdString(drive.source));
    }
}

DriveItem DriveOfItem(const QAction* item) {
    DriveItem drive;
    drive.mountPoint = item->data().toByteArray().toStdString();
    drive.source = item->property("driveSource").toByteArray().toStdString();
    drive.kind = static_cast<DriveKind>(item->property("driveKind").toInt());
    return drive;
}

int AskForFloppy(QWidget* parent) {
    return ShowBox(parent,
                   {BoxIcon::Exclamation,
                    BoxButtons::OkCancel,
                    QStringLiteral("ＦＤ確認"),
                    QStringLiteral("ディレクトリの設定がフロッピーディスクです。\n"
                                   "フロッピーディスクを使用する場合は挿入してからＯＫを押して"
                                   "ください。\nキャンセルの場合はデフォルト設定です。"),
                    {}});
}
