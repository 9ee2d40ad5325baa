#include "BootstrapDlls.h"

#include <windows.h>

namespace {

// In the order in which the bootstrap first needs them.
constexpr const wchar_t* kBootstrapDlls[] = {L"wininet.dll", L"urlmon.dll", L"bcrypt.dll", L"ieframe.dll"};

DWORD WINAPI LoadBootstrapDlls(void*)
{
    // System32 only, for the DLLs and what they import, as for every DLL of
    // this program (app/DllSearch.h). The handles are never freed.
    for (const wchar_t* name : kBootstrapDlls)
        ::LoadLibraryExW(name, nullptr, LOAD_LIBRARY_SEARCH_SYSTEM32);
    return 0;
}

}  // namespace

void StartLoadingBootstrapDlls() noexcept
{
    // Nobody waits for the thread: without it, each DLL is loaded where it
    // is first used.
    if (const HANDLE thread = ::CreateThread(nullptr, 0, LoadBootstrapDlls, nullptr, 0, nullptr))
        ::CloseHandle(thread);
}
