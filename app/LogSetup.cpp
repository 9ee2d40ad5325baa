#include "LogSetup.h"

#include <windows.h>

#include <string>

#include "framework/logging/Logger.h"

bool SetUpLogging()
{
    wchar_t folder[MAX_PATH];
    const DWORD length = ::GetTempPathW(MAX_PATH, folder);
    if (length == 0 || length > MAX_PATH)
        return false;
    // The platform's temporary path ends with a separator already.
    logging::InitFileLogger(logging::debug, std::wstring(folder, length) + L"osi.log");
    return true;
}
