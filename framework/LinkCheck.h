// Whether a file or folder that the program opened, without following a
// link, was reached through one. The program runs elevated in folders that
// other processes of the user may have prepared: a symbolic link, a junction
// or a hard link there would let it write, as administrator, where the user
// may not.
#pragma once

#include <windows.h>

#include <string>

namespace Win32xx {

// A file is a link when it is a reparse point (a symbolic link, a junction
// or a mount point) or has another name besides the one opened (a hard link
// to a file elsewhere).
bool IsLinkedFile(DWORD attributes, DWORD nameCount) noexcept;

// An object opened at a path inside a folder was reached through a link when
// it is a reparse point itself, or when the platform's final path of it is
// not `expectedFinalPath`: the folder's own final path followed by the rest
// of the path. Names compare without regard to case, as the file system
// does; an empty final path (unreadable) counts as a link.
bool ReachedThroughLink(DWORD attributes, const std::wstring& finalPath, const std::wstring& expectedFinalPath);

// The final path of an open file or folder ("\\?\C:\..."), every link on the
// way resolved; empty when the platform cannot tell.
std::wstring FinalPathOf(HANDLE object);

// `path` made absolute and normalised as the platform does before opening it
// (separators, "." components, trailing dots and blanks); empty on failure.
std::wstring FullPathOf(const std::wstring& path);

}  // namespace Win32xx
