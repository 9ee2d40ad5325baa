// Creating a folder and opening it in one step.
#pragma once

#include <windows.h>

#include <string>

#include "ScopedHandle.h"

namespace Win32xx {

// Creates the folder `path` with `descriptor` (null: the one its parent
// passes on) and returns a handle to it that shares reading and writing but
// not deletion: as long as the handle is held, nobody can remove, rename or
// replace the folder. Empty when the folder exists already (also as a link)
// or cannot be made. CreateDirectoryW would leave a moment between the
// creation and any later open in which another process could put a folder of
// its own, or a junction, in the new one's place; one call leaves none.
CScopedHandle CreateFolderAndOpen(const std::wstring& path, PSECURITY_DESCRIPTOR descriptor);

}  // namespace Win32xx
