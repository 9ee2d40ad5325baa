// Stands in for a DLL planted beside a program under a system DLL's name: loaded, it writes an empty file named after
// itself with ".loaded" appended (wininet.dll.loaded), so that a test can tell that it was taken.
#include <windows.h>

#include <cwchar>

BOOL WINAPI DllMain(HINSTANCE self, DWORD reason, LPVOID)
{
    wchar_t marker[MAX_PATH + 8];
    const DWORD length = ::GetModuleFileNameW(self, marker, MAX_PATH);
    if (reason != DLL_PROCESS_ATTACH || length == 0 || length >= MAX_PATH)
        return TRUE;
    std::wcscpy(marker + length, L".loaded");
    const HANDLE file = ::CreateFileW(marker, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file != INVALID_HANDLE_VALUE)
        ::CloseHandle(file);
    return TRUE;
}
