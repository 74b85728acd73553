// The drive menu PopupMenu2 and its image list: one item per volume of DriveList,
// with the icon of its type, and the question asked when a floppy cannot be read.
#pragma once

#include "files/DriveList.h"

#include <QIcon>

#include <vector>

class QAction;
class QMenu;
class QWidget;

// Fills imageList with the thirteen images in the order of the system's shell icons
// 0 to 11, icon 3 (the folder) twice; the index of the second copy (4).
int LoadDriveIcons(std::vector<QIcon>& imageList);

// Empties menu and adds one item per drive, in order, with its image.
void FillDriveMenu(QMenu* menu, const std::vector<DriveItem>& drives,
                   const std::vector<QIcon>& imageList);
// The drive behind an item of FillDriveMenu.
DriveItem DriveOfItem(const QAction* item);

// "ＦＤ確認": OK and Cancel, the last-answer code of the answer.
int AskForFloppy(QWidget* parent);
