// Commands and start-up steps whose features are not built yet: each is one
// named method, so that its feature fills it in without touching the key table.
// A feature that is built moves its method into its own unit.
#include "app/qt/Mainunit1.h"

// ---
void TForm1::ShowAppLegend() {}

// ---
void TForm1::OpenJoinDialog() {}

// ---
void TForm1::OpenAssociated() {}

// ---
void TForm1::SplitFile() {}

// ---
void TForm1::LaunchEditor() {}

// ---
void TForm1::FindFiles() {}

// ---
void TForm1::OpenEditorSetup() {}

// ---
void TForm1::DoubleAxis() {}

// ---
void TForm1::ShowFileInfo() {}

// ---
void TForm1::RenameFiles() {}

// ---
void TForm1::OpenAppList() {}
