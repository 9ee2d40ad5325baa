// CTest passes only a program that prints the line below: one that Wine ends early with exit code 0 fails.
// Each case, and each suite's set-up and tear-down, runs under a watchdog that names it when it hangs
// (TEST_CASE_LIMIT_S seconds, 120 by default). The content tool's tests build it natively as well.
#ifdef _WIN32
#include <windows.h>
#else
#include <unistd.h>
#endif

#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <thread>

#include <gtest/gtest.h>

#include "Watchdog.h"

namespace {

using Clock = std::chrono::steady_clock;
char g_case[512];
std::atomic<Clock::time_point> g_deadline{Clock::time_point::max()};

void WatchDeadline()
{
    for (;; std::this_thread::sleep_for(std::chrono::milliseconds(250))) {
        if (Clock::now() <= g_deadline.load())
            continue;
        // Written whole and unbuffered, and the process ended at once: the hung case may hold the runtime's locks.
        char text[600];
        const int length = std::snprintf(text, sizeof text, "[ WATCHDOG ] %s did not end in time: a hang\n", g_case);
#ifdef _WIN32
        DWORD written = 0;
        for (const DWORD stream : {STD_OUTPUT_HANDLE, STD_ERROR_HANDLE})
            ::WriteFile(::GetStdHandle(stream), text, static_cast<DWORD>(length), &written, nullptr);
        ::TerminateProcess(::GetCurrentProcess(), 4);
#else
        for (const int stream : {STDOUT_FILENO, STDERR_FILENO})
            static_cast<void>(::write(stream, text, static_cast<size_t>(length)));
        ::_exit(4);
#endif
    }
}

// A suite's set-up and tear-down are watched as well: some start the real program for all their cases.
class CaseWatchdog : public testing::EmptyTestEventListener {
public:
    void OnTestSuiteStart(const testing::TestSuite& suite) override { Watch(suite.name(), "(its set-up)"); }
    void OnTestStart(const testing::TestInfo& test) override { Watch(test.test_suite_name(), test.name()); }
    void OnTestEnd(const testing::TestInfo& test) override { Watch(test.test_suite_name(), "(its tear-down)"); }
    void OnTestSuiteEnd(const testing::TestSuite&) override { g_deadline = Clock::time_point::max(); }

private:
    static void Watch(const char* suite, const char* part)
    {
        char name[sizeof g_case];
        std::snprintf(name, sizeof name, "%s.%s", suite, part);
        const char* limit = std::getenv("TEST_CASE_LIMIT_S");
        testing_support::WatchCase(name, (limit && *limit ? std::strtoul(limit, nullptr, 10) : 120) * 1000);
    }
};

}  // namespace

void testing_support::WatchCase(const char* name, unsigned long ms)
{
    std::snprintf(g_case, sizeof g_case, "%s", name);
    g_deadline = Clock::now() + std::chrono::milliseconds(ms);
}

int main(int argc, char** argv)
{
    testing::InitGoogleTest(&argc, argv);
#ifdef _WIN32
    // Best effort: a program left waiting by a case that the watchdog ended keeps CTest's output open otherwise.
    const HANDLE job = ::CreateJobObjectW(nullptr, nullptr);
    JOBOBJECT_EXTENDED_LIMIT_INFORMATION limits{};
    limits.BasicLimitInformation.LimitFlags = JOB_OBJECT_LIMIT_KILL_ON_JOB_CLOSE;
    if (job && ::SetInformationJobObject(job, JobObjectExtendedLimitInformation, &limits, sizeof limits))
        ::AssignProcessToJobObject(job, ::GetCurrentProcess());
#endif
    std::thread(WatchDeadline).detach();
    testing::UnitTest::GetInstance()->listeners().Append(new CaseWatchdog);
    const int result = RUN_ALL_TESTS();
    std::printf(result == 0 ? "[ ALL RAN  ] every case ran and passed\n" : "");
    return result;
}
