// CTest passes only a program that prints the line below: one that Wine ends early with exit code 0 fails, and so
// does one that ran no case or skipped one.
// Each case, and each suite's set-up and tear-down, runs under a watchdog that names it when it hangs
// (TEST_CASE_LIMIT_S seconds, 120 by default).
#include <windows.h>

#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include <gtest/gtest.h>

#include "Files.h"
#include "Watchdog.h"

namespace {

char g_case[512];
std::atomic<ULONGLONG> g_deadline{0};

DWORD CaseLimitMs()
{
    const char* limit = std::getenv("TEST_CASE_LIMIT_S");
    const unsigned long seconds = limit && *limit ? std::strtoul(limit, nullptr, 10) : 120;
    return static_cast<DWORD>(seconds * 1000);
}

DWORD WINAPI WatchDeadline(void*)
{
    for (;; ::Sleep(250)) {
        const ULONGLONG deadline = g_deadline;
        if (deadline == 0 || ::GetTickCount64() <= deadline)
            continue;
        // Written whole and unbuffered: the hung case may hold the runtime's locks.
        char text[600];
        const int length = std::snprintf(text, sizeof text, "[ WATCHDOG ] %s did not end in time: a hang\n", g_case);
        DWORD written = 0;
        for (const DWORD stream : {STD_OUTPUT_HANDLE, STD_ERROR_HANDLE})
            ::WriteFile(::GetStdHandle(stream), text, static_cast<DWORD>(length), &written, nullptr);
        ::TerminateProcess(::GetCurrentProcess(), 4);
    }
}

// A suite's set-up and tear-down are watched as well: some start the real program for all their cases.
class CaseWatchdog : public testing::EmptyTestEventListener {
public:
    void OnTestSuiteStart(const testing::TestSuite& suite) override { Watch(suite.name(), "(its set-up)"); }
    void OnTestStart(const testing::TestInfo& test) override { Watch(test.test_suite_name(), test.name()); }
    void OnTestEnd(const testing::TestInfo& test) override { Watch(test.test_suite_name(), "(its tear-down)"); }
    void OnTestSuiteEnd(const testing::TestSuite&) override { g_deadline = 0; }

private:
    static void Watch(const char* suite, const char* part)
    {
        char name[sizeof g_case];
        std::snprintf(name, sizeof name, "%s.%s", suite, part);
        testing_support::WatchCase(name, CaseLimitMs());
    }
};

}  // namespace

void testing_support::WatchCase(const char* name, DWORD ms)
{
    std::snprintf(g_case, sizeof g_case, "%s", name);
    g_deadline = ::GetTickCount64() + ms;
}

int main(int argc, char** argv)
{
    testing::InitGoogleTest(&argc, argv);
    // Best effort: a program left waiting by a case that the watchdog ended keeps CTest's output open otherwise.
    const HANDLE job = ::CreateJobObjectW(nullptr, nullptr);
    JOBOBJECT_EXTENDED_LIMIT_INFORMATION limits{};
    limits.BasicLimitInformation.LimitFlags = JOB_OBJECT_LIMIT_KILL_ON_JOB_CLOSE;
    if (job && ::SetInformationJobObject(job, JobObjectExtendedLimitInformation, &limits, sizeof limits))
        ::AssignProcessToJobObject(job, ::GetCurrentProcess());
    if (!::CreateThread(nullptr, 0, WatchDeadline, nullptr, 0, nullptr))
        return 1;
    testing::UnitTest::GetInstance()->listeners().Append(new CaseWatchdog);
    testing_support::RemoveEndedProgramsFolders();
    const int result = RUN_ALL_TESTS();
    // A filter that selects nothing, or a case that skips, must not pass for a run that checked everything.
    const testing::UnitTest& run = *testing::UnitTest::GetInstance();
    const bool allRan = result == 0 && run.successful_test_count() > 0 && run.skipped_test_count() == 0;
    std::printf(allRan ? "[ ALL RAN  ] every case ran and passed\n" : "");
    return result;
}
