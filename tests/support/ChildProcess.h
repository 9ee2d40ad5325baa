// A program of the build in its own process, with environment overrides; terminated if still running at the end.
#pragma once

#include <windows.h>

#include <map>
#include <string>

namespace testing_support {

class ChildProcess {
public:
    struct Options {
        std::wstring arguments;
        std::wstring workingFolder;                         // empty: the tester's own
        std::map<std::wstring, std::wstring> environment;  // added or replaced variables
    };

    ChildProcess(const std::wstring& program, const Options& options);
    ~ChildProcess();
    ChildProcess(const ChildProcess&) = delete;
    ChildProcess& operator=(const ChildProcess&) = delete;

    DWORD Id() const noexcept { return m_info.dwProcessId; }
    bool Wait(DWORD timeoutMs);  // whether it ended in time
    bool IsRunning() const;
    DWORD ExitCode() const;

private:
    PROCESS_INFORMATION m_info{};
};

}  // namespace testing_support
