// Starts a program of the build as its own process, with environment
// overrides (for example TMP and TEMP pointing at a test's own folder), and
// waits for it. A process still running when the object goes is terminated.
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
    // True when the process ended within the timeout.
    bool Wait(DWORD timeoutMs);
    bool IsRunning() const;
    // The exit code (after Wait returned true).
    DWORD ExitCode() const;

private:
    PROCESS_INFORMATION m_info{};
};

}  // namespace testing_support
