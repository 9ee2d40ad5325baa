#pragma once

#include "framework/CString.h"

// The resource archive's built-in address. The build stores it scrambled:
// its characters in upper case, interleaved with '*'. Restoring it deletes
// every '*' and lowers every other character.
Win32xx::CString UnscrambleAddress(const wchar_t* scrambled);

// The built-in address of this build, restored.
Win32xx::CString ResourceArchiveAddress();

// The address that the connectivity check connects to: the build's setting,
// or the archive's address when the setting is empty.
Win32xx::CString ConnectivityCheckAddress();
