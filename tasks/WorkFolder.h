// WorkFolder: a fresh GUID folder under the temporary folder, in which a task
// downloads or extracts, and the judge of whether what the task opens in it
// is really there. The folder gets the access list of GuidFolderAccess.h and
// stays open, undeletable, until the process ends: the user may delete and
// rename anything in the temporary folder, also a folder whose own list
// forbids it, and could otherwise put a folder of theirs in its place once
// the files in it have been written, before they are opened.
#pragma once

#include <windows.h>

#include <string>

#include "framework/CString.h"

class WorkFolder {
public:
    // Makes the temporary folder followed by a fresh brace-enclosed GUID.
    // False when any step fails: no temporary folder, no GUID, no access
    // list, or the folder not made.
    bool Create();

    // The folder's path as the program names it, without a trailing
    // separator; empty before Create.
    const Win32xx::CString& Path() const noexcept { return m_path; }

    // Whether `object`, opened without following a link as Path() + "\" +
    // `relative`, is what that path names inside this folder: no reparse
    // point, and no link on the way to it (see ReachedThroughLink).
    bool Holds(HANDLE object, const Win32xx::CString& relative) const;
    // The same for the folder `relative`, opened here.
    bool HoldsFolder(const Win32xx::CString& relative) const;

private:
    Win32xx::CString m_path;
    std::wstring m_fullPath;   // m_path as the platform normalises it
    std::wstring m_finalPath;  // where the held handle shows the folder to be
};
