#include "CaseGuard.h"

#include <atomic>
#include <cstdio>

namespace robustness {

namespace {

// What the guard prints when it ends the process. Formatted when a case
// begins: after a stack overflow there is no room left to format anything.
char g_hangReport[512];
char g_crashReport[512];
std::atomic<ULONGLONG> g_deadline{0};

void WriteToStandardError(const char* text)
{
    DWORD written = 0;
    ::WriteFile(::GetStdHandle(STD_ERROR_HANDLE), text, static_cast<DWORD>(lstrlenA(text)), &written, nullptr);
}

LONG WINAPI ReportCrash(EXCEPTION_POINTERS* exception)
{
    WriteToStandardError(g_crashReport);
    char code[64];
    std::snprintf(code, sizeof code, "robustness: exception code 0x%08lX\n",
                  exception ? exception->ExceptionRecord->ExceptionCode : 0ul);
    WriteToStandardError(code);
    ::TerminateProcess(::GetCurrentProcess(), 3);
    return EXCEPTION_EXECUTE_HANDLER;
}

DWORD WINAPI WatchDeadlines(void*)
{
    for (;;) {
        ::Sleep(200);
        const ULONGLONG deadline = g_deadline;
        if (deadline != 0 && ::GetTickCount64() > deadline) {
            WriteToStandardError(g_hangReport);
            ::TerminateProcess(::GetCurrentProcess(), 4);
        }
    }
}

// The watching thread and the crash filter, set up once for the process.
void StartWatching()
{
    static const bool started = [] {
        ::SetUnhandledExceptionFilter(ReportCrash);
        const HANDLE thread = ::CreateThread(nullptr, 0, WatchDeadlines, nullptr, 0, nullptr);
        if (thread)
            ::CloseHandle(thread);
        return thread != nullptr;
    }();
    (void)started;
}

}  // namespace

std::string ReplayLine(unsigned seed)
{
    return "replay: CORPUS_SEED=" + std::to_string(seed) +
           " ctest --test-dir build -R robustness_tests --output-on-failure";
}

CaseGuard::CaseGuard(const char* kind, unsigned seed, DWORD timeoutMs)
{
    StartWatching();
    const std::string replay = ReplayLine(seed);
    std::snprintf(g_hangReport, sizeof g_hangReport,
                  "robustness: %s case seed %u did not finish within %lu ms (a hang)\n%s\n", kind, seed,
                  static_cast<unsigned long>(timeoutMs), replay.c_str());
    std::snprintf(g_crashReport, sizeof g_crashReport, "robustness: %s case seed %u crashed\n%s\n", kind, seed,
                  replay.c_str());
    g_deadline = ::GetTickCount64() + timeoutMs;
}

CaseGuard::~CaseGuard()
{
    g_deadline = 0;
}

}  // namespace robustness
