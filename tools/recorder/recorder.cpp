// recorder.exe [--record FILE] [--exit-code N] [other arguments...]: stands in for a program that the setup launches
// (an installer) and exits with code N (decimal; default 0). It writes to FILE (default: NAME.record.txt in the
// temporary folder, NAME its own file name, as the demo's installers tell that they ran) UTF-8 lines
// "command-line=", "argument=" once per argument, "working-folder=" and "show-window=" (the show state or "default").
#include <windows.h>

#include <shellapi.h>

#include <cwchar>
#include <string>
#include <vector>

#include "framework/Utf8.h"

namespace {

std::vector<std::wstring> Arguments()
{
    int count = 0;
    wchar_t** const argv = ::CommandLineToArgvW(::GetCommandLineW(), &count);
    std::vector<std::wstring> arguments;
    for (int index = 1; argv && index < count; ++index)
        arguments.emplace_back(argv[index]);
    ::LocalFree(argv);
    return arguments;
}

// The argument after the last `option`, empty without one.
std::wstring ValueOf(const std::vector<std::wstring>& arguments, const wchar_t* option)
{
    std::wstring value;
    for (size_t index = 0; index + 1 < arguments.size(); ++index)
        if (arguments[index] == option)
            value = arguments[index + 1];
    return value;
}

std::wstring Description(const std::vector<std::wstring>& arguments)
{
    std::wstring text = L"command-line=" + std::wstring(::GetCommandLineW()) + L"\n";
    for (const std::wstring& argument : arguments)
        text += L"argument=" + argument + L"\n";
    std::vector<wchar_t> folder(::GetCurrentDirectoryW(0, nullptr) + 1);
    text += L"working-folder=" + std::wstring(folder.data(), ::GetCurrentDirectoryW(DWORD(folder.size()), folder.data()));
    STARTUPINFOW startup{};
    ::GetStartupInfoW(&startup);
    const bool shown = startup.dwFlags & STARTF_USESHOWWINDOW;
    return text + L"\nshow-window=" + (shown ? std::to_wstring(startup.wShowWindow) : L"default") + L"\n";
}

std::wstring DefaultRecordPath()
{
    wchar_t temp[MAX_PATH + 1];
    wchar_t module[MAX_PATH];
    if (!::GetTempPathW(MAX_PATH + 1, temp) || !::GetModuleFileNameW(nullptr, module, MAX_PATH))
        return std::wstring();
    const std::wstring path(module);
    return std::wstring(temp) + path.substr(path.find_last_of(L"\\/") + 1) + L".record.txt";
}

}  // namespace

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int)
{
    const std::vector<std::wstring> arguments = Arguments();
    const std::wstring given = ValueOf(arguments, L"--record");
    const std::wstring path = given.empty() ? DefaultRecordPath() : given;
    const HANDLE file = path.empty() ? INVALID_HANDLE_VALUE
                                     : ::CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                                     FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file != INVALID_HANDLE_VALUE) {
        const std::string bytes = Win32xx::WideToUtf8(Description(arguments));
        DWORD written = 0;
        ::WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
        ::CloseHandle(file);
    }
    return static_cast<int>(std::wcstoul(ValueOf(arguments, L"--exit-code").c_str(), nullptr, 10));
}
