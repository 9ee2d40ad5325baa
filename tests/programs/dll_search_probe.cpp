// dll_search_probe.exe [--restricted] NAME...: loads DLLs by name, as a program does when it first needs one (with
// --restricted: the DLL search restricted as the product's entry point does); exits with the count that failed.
#include <windows.h>

#include <shellapi.h>

#include <string>

#include "app/DllSearch.h"

int main()
{
    int count = 0;
    wchar_t** const argv = ::CommandLineToArgvW(::GetCommandLineW(), &count);
    if (!argv)
        return 1;
    int failed = 0;
    for (int index = 1; index < count; ++index) {
        const std::wstring argument = argv[index];
        if (argument == L"--restricted")
            RestrictDllSearchToSystem32();
        else if (!::LoadLibraryW(argument.c_str()))
            ++failed;
    }
    ::LocalFree(argv);
    return failed;
}
