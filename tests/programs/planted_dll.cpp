// A DLL that stands in for one planted beside a program under a system
// DLL's name: when a process loads it, it writes an empty file named after
// itself with ".loaded" appended (version.dll.loaded), so that a test can
// tell that it was taken instead of the system's.
#include <windows.h>

#include <cwchar>

namespace {

void WriteMarker(HINSTANCE self)
{
    const wchar_t suffix[] = L".loaded";
    wchar_t marker[MAX_PATH + sizeof suffix / sizeof suffix[0]];
    const DWORD length = ::GetModuleFileNameW(self, marker, MAX_PATH);
    if (length == 0 || length >= MAX_PATH)
        return;
    std::wcscpy(marker + length, suffix);
    const HANDLE file = ::CreateFileW(marker, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                      FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file != INVALID_HANDLE_VALUE)
        ::CloseHandle(file);
}

}  // namespace

BOOL WINAPI DllMain(HINSTANCE self, DWORD reason, LPVOID)
{
    if (reason == DLL_PROCESS_ATTACH)
        WriteMarker(self);
    return TRUE;
}
