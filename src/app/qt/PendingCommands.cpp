// Commands and start-up steps whose features are not built yet: each is one
// named method, so that its feature fills it in without touching the key table.
// A feature that is built moves its method into its own unit.
#include "app/qt/Mainunit1.h"

// ---
void TForm1::SelectDrive() {}

// ---
void TForm1::LoadDriveIcons() {}

// ---
void TForm1::StartFolderWatch() {}

// ---
void TForm1::AcceptDroppedFiles() {}
