// Deleting to the freedesktop trash, the stand-in for the recycle bin: the items can
// be restored from the desktop's trash afterwards.
#pragma once

#include <string>

// Moves path (file or folder) to the trash. False with *error naming the path when
// it cannot be trashed; the item then stays where it was.
bool MoveToTrash(const std::string& path, std::string* error = nullptr);
