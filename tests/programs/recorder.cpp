// recorder.exe: a stand-in for a program that the setup launches (an
// installer). It writes what it was given to a file and exits with a chosen
// code, so that a caller can check how it was started.
//
//   recorder.exe [--record FILE] [--exit-code N] [other arguments...]
//
// --record FILE   write (without it: to NAME.record.txt in the temporary
//                 folder, NAME being the program's own file name), as UTF-8 lines: "command-line=" the whole command
//                 line, "argument=" once per argument, "working-folder=" the
//                 current folder, "show-window=" the show state the starter
//                 asked for (a number, or "default")
// --exit-code N   end with exit code N (decimal; default 0)
// Every other argument is only recorded.
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

std::wstring ShowState()
{
    STARTUPINFOW startup{};
    startup.cb = sizeof(startup);
    ::GetStartupInfoW(&startup);
    return (startup.dwFlags & STARTF_USESHOWWINDOW) ? std::to_wstring(startup.wShowWindow) : L"default";
}

std::wstring CurrentFolder()
{
    std::vector<wchar_t> buffer(::GetCurrentDirectoryW(0, nullptr) + 1);
    const DWORD length = ::GetCurrentDirectoryW(static_cast<DWORD>(buffer.size()), buffer.data());
    return std::wstring(buffer.data(), length);
}

void Record(const std::wstring& path, const std::vector<std::wstring>& arguments)
{
    std::wstring text = L"command-line=" + std::wstring(::GetCommandLineW()) + L"\n";
    for (const std::wstring& argument : arguments)
        text += L"argument=" + argument + L"\n";
    text += L"working-folder=" + CurrentFolder() + L"\n";
    text += L"show-window=" + ShowState() + L"\n";
    const std::string bytes = Win32xx::WideToUtf8(text);

    const HANDLE file = ::CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL,
                                      nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return;
    DWORD written = 0;
    ::WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
    ::CloseHandle(file);
}

// NAME.record.txt in the temporary folder: where a program started without
// --record (as the demo's installers are) tells that it ran.
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
    const std::wstring recordPath = given.empty() ? DefaultRecordPath() : given;
    if (!recordPath.empty())
        Record(recordPath, arguments);
    return static_cast<int>(std::wcstoul(ValueOf(arguments, L"--exit-code").c_str(), nullptr, 10));
}
