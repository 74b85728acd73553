// The two cursors of a drag inside the file list: "DRAGMOVE" for one entry, and the
// multi-drag cursor while files are marked. Both are drawn here, so the program
// needs no image files beside it.
#pragma once

#include <QPixmap>

QPixmap DragMoveCursor();
QPixmap MultiDragCursor();
