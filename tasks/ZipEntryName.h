// The rules that keep archive entry names inside the extraction folder.
#pragma once

#include <string>

// Strips what would make a stored name absolute or climb out through a
// separator followed by "..": a leading drive ("C:"), a leading '\' or '/',
// and everything up to the first "\..\", "\../", "/../" or "/..\". The rules
// repeat until none applies. C:\x\..\y.txt becomes y.txt; x\..\..\y.txt
// becomes ..\y.txt, which IsUnsafeEntryName then refuses.
std::wstring MakeEntryNameSafe(std::wstring name);

// True for a name (after MakeEntryNameSafe) that must not be extracted: it is
// empty, absolute, holds ':' (drives, alternate data streams) or a control
// character (a NUL ends the path that the platform sees), has a
// component that the platform reads as the parent folder ("..", and dots
// followed by blanks or more dots, which the platform trims), or one that it
// opens as a device ("NUL", "con.txt", "COM1", ...), where the entry's bytes
// would go instead of into a file.
bool IsUnsafeEntryName(const std::wstring& name);
