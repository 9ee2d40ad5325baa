#include "ChildProcess.h"

#include <cwctype>
#include <stdexcept>
#include <vector>

namespace testing_support {

namespace {

std::wstring Upper(std::wstring text)
{
    for (wchar_t& ch : text)
        ch = static_cast<wchar_t>(std::towupper(ch));
    return text;
}

// The tester's environment with the overrides applied, as an environment
// block (sorted, case-insensitive names).
std::vector<wchar_t> EnvironmentBlock(const std::map<std::wstring, std::wstring>& overrides)
{
    std::map<std::wstring, std::wstring> variables;  // upper-case name -> "Name=value"
    wchar_t* strings = ::GetEnvironmentStringsW();
    for (const wchar_t* entry = strings; *entry; entry += wcslen(entry) + 1) {
        const std::wstring text(entry);
        const size_t equals = text.find(L'=', 1);
        if (equals != std::wstring::npos)
            variables[Upper(text.substr(0, equals))] = text;
    }
    ::FreeEnvironmentStringsW(strings);
    for (const auto& [name, value] : overrides)
        variables[Upper(name)] = name + L"=" + value;

    std::vector<wchar_t> block;
    for (const auto& entry : variables) {
        block.insert(block.end(), entry.second.begin(), entry.second.end());
        block.push_back(L'\0');
    }
    block.push_back(L'\0');
    return block;
}

}  // namespace

ChildProcess::ChildProcess(const std::wstring& program, const Options& options)
{
    std::wstring commandLine = L"\"" + program + L"\"";
    if (!options.arguments.empty())
        commandLine += L" " + options.arguments;
    std::vector<wchar_t> environment = EnvironmentBlock(options.environment);
    STARTUPINFOW startup{};
    startup.cb = sizeof(startup);
    if (!::CreateProcessW(program.c_str(), commandLine.data(), nullptr, nullptr, FALSE, CREATE_UNICODE_ENVIRONMENT,
                          environment.data(), options.workingFolder.empty() ? nullptr : options.workingFolder.c_str(),
                          &startup, &m_info))
        throw std::runtime_error("CreateProcessW failed with error " + std::to_string(::GetLastError()));
}

ChildProcess::~ChildProcess()
{
    if (IsRunning()) {
        ::TerminateProcess(m_info.hProcess, 0xDEAD);
        ::WaitForSingleObject(m_info.hProcess, 5000);
    }
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
