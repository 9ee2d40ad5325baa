// Folder functions shared by the tasks: the temporary folder, GUID names and
// folders, and the file name that a URL ends with. The GUID folders
// themselves are made by WorkFolder.
#pragma once

#include <windows.h>

#include "framework/CString.h"

// The platform's temporary folder, ending with a backslash. Returns FALSE
// (path untouched) when the platform has none or it exceeds 260 characters.
BOOL GetTempFolderPath(Win32xx::CString& path);

// A new GUID as "{XXXXXXXX-XXXX-XXXX-XXXX-XXXXXXXXXXXX}" in upper case;
// empty when the platform cannot make one.
Win32xx::CString NewGuidString();

// Creates the one directory `name` ('/' read as '\') inside `base`; stores
// its path in `folder` even when creation fails. Returns FALSE when the
// directory was not created, also when it existed already.
BOOL CreateSubFolder(const Win32xx::CString& base, const Win32xx::CString& name, Win32xx::CString& folder);

// The text after the last '/' of `url` (a query included); empty without '/'.
Win32xx::CString FileNameFromUrl(const Win32xx::CString& url);

// True for a file name from FileNameFromUrl that must not be created in the
// download's folder: empty, a device name ("NUL", "con.txt"), or holding '\',
// "..", ':' or a control character, which could put the file elsewhere.
bool IsUnsafeFileName(const Win32xx::CString& name);
