#include "ChildProcess.h"

#include <cwchar>
#include <stdexcept>
#include <vector>

namespace testing_support {

namespace {

constexpr int kStartAttempts = 3;

// The tester's environment with the overrides, as a block sorted by upper-case name, as the platform wants it.
std::vector<wchar_t> EnvironmentBlock(const std::map<std::wstring, std::wstring>& overrides)
{
    std::map<std::wstring, std::wstring> variables;  // upper-case name -> "Name=value"
    const auto add = [&variables](std::wstring name, const std::wstring& entry) {
        ::CharUpperBuffW(name.data(), static_cast<DWORD>(name.size()));
        variables[name] = entry;
    };
    wchar_t* strings = ::GetEnvironmentStringsW();
    for (const wchar_t* entry = strings; *entry; entry += std::wcslen(entry) + 1)
        if (const wchar_t* equals = std::wcschr(entry + 1, L'='))
            add(std::wstring(entry, equals), entry);
    ::FreeEnvironmentStringsW(strings);
    for (const auto& [name, value] : overrides)
        add(name, name + L"=" + value);
    std::vector<wchar_t> block;
    for (const auto& entry : variables)
        block.insert(block.end(), entry.second.c_str(), entry.second.c_str() + entry.second.size() + 1);
    block.push_back(L'\0');
    return block;
}

}  // namespace

ChildProcess::ChildProcess(const std::wstring& program, const Options& options)
{
    std::wstring commandLine = L"\"" + program + L"\"" + (options.arguments.empty() ? L"" : L" " + options.arguments);
    std::vector<wchar_t> environment = EnvironmentBlock(options.environment);
    STARTUPINFOW startup{};
    startup.cb = sizeof(startup);
    // Now and then Wine fails a start with ERROR_INTERNAL_ERROR, an error of its own that no program file or
    // argument causes (seen about once in a few hundred starts): the start is tried again.
    const wchar_t* folder = options.workingFolder.empty() ? nullptr : options.workingFolder.c_str();
    for (int attempt = 1;; ++attempt) {
        if (::CreateProcessW(program.c_str(), commandLine.data(), nullptr, nullptr, FALSE, CREATE_UNICODE_ENVIRONMENT,
                             environment.data(), folder, &startup, &m_info))
            return;
        const DWORD error = ::GetLastError();
        if (error != ERROR_INTERNAL_ERROR || attempt == kStartAttempts)
            throw std::runtime_error("CreateProcessW failed with error " + std::to_string(error));
        ::Sleep(200);
    }
}

ChildProcess::~ChildProcess()
{
    ::TerminateProcess(m_info.hProcess, 0xDEAD);  // fails, changing nothing, once it has ended
    ::WaitForSingleObject(m_info.hProcess, 5000);
    ::CloseHandle(m_info.hThread);
    ::CloseHandle(m_info.hProcess);
}

bool ChildProcess::Wait(DWORD timeoutMs)
{
    return ::WaitForSingleObject(m_info.hProcess, timeoutMs) == WAIT_OBJECT_0;
}

bool ChildProcess::IsRunning() const
{
    return ::WaitForSingleObject(m_info.hProcess, 0) == WAIT_TIMEOUT;
}

DWORD ChildProcess::ExitCode() const
{
    DWORD code = 0;
    ::GetExitCodeProcess(m_info.hProcess, &code);
    return code;
}

}  // namespace testing_support
