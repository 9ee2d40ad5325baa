// The task base: messages, log records, the thread's life, suspension; the sequence that follows its workers.

#include <atomic>
#include <random>
#include <stdexcept>

#include "TaskTestSupport.h"
#include "framework/ScopedHandle.h"
#include "tasks/TaskSequence.h"

using namespace testing_support;

namespace {

// Tells when its worker first speaks of the run's end (the records of OnFinish and OnError name the task), and
// may hold it there until the test lets it go on.
class EndWatchingTask : public ScriptedTask {
public:
    using ScriptedTask::ScriptedTask;
    Win32xx::CString GetDescription() const override
    {
        if (::GetCurrentThreadId() == GetThreadId() && !reported.exchange(true) && holdAtReport) {
            ::SetEvent(atReport.Get());
            ::WaitForSingleObject(goOn.Get(), INFINITE);
        }
        return ScriptedTask::GetDescription();
    }
    mutable std::atomic<bool> reported{false};
    bool holdAtReport = false;
    const Win32xx::CScopedHandle atReport{::CreateEventW(nullptr, TRUE, FALSE, nullptr)};
    const Win32xx::CScopedHandle goOn{::CreateEventW(nullptr, TRUE, FALSE, nullptr)};
};

// A DLL's thread attach that sends to a window of the starting thread, while `g_attachTarget` is set.
std::atomic<HWND> g_attachTarget{nullptr};
constexpr LPARAM kAttachPercent = 77;

void NTAPI SendAtThreadAttach(PVOID, DWORD reason, PVOID)
{
    if (const HWND target = g_attachTarget; reason == DLL_THREAD_ATTACH && target)
        ::SendMessageW(target, UWM_TASK_PROGRESS, 0, kAttachPercent);
}
extern "C" __attribute__((section(".CRT$XLF"), used)) const PIMAGE_TLS_CALLBACK g_sendAtThreadAttach =
    SendAtThreadAttach;

void SpinMicroseconds(unsigned microseconds)
{
    LARGE_INTEGER frequency, now, end;
    ::QueryPerformanceFrequency(&frequency);
    ::QueryPerformanceCounter(&end);
    end.QuadPart += frequency.QuadPart * microseconds / 1000000;
    do
        ::QueryPerformanceCounter(&now);
    while (now.QuadPart < end.QuadPart);
}

class AbstractTaskBaseTest : public TaskTest {
protected:
    TaskWindow window;
    const Win32xx::CScopedHandle release{::CreateEventW(nullptr, TRUE, FALSE, nullptr)};
};

}  // namespace

TEST_F(AbstractTaskBaseTest, SuccessSendsStartThenFinishWithTheWorkersIdAndLogs)
{
    ScriptedTask task(&window, [](ScriptedTask& self) {
        self.SendProgress(40);
        return TRUE;
    });
    EXPECT_EQ(task.GetThreadId(), 0xFFFFFFFFu);
    ASSERT_TRUE(RunToEnd(task, nullptr));

    std::vector<std::pair<UINT, LPARAM>> received;
    for (const TaskMessage& message : window.Messages()) {
        received.emplace_back(message.id, message.value);
        EXPECT_EQ(message.threadId, task.GetThreadId());
    }
    EXPECT_EQ(received, (std::vector<std::pair<UINT, LPARAM>>{
                            {UWM_TASK_PROGRESS, 0}, {UWM_TASK_PROGRESS, 40}, {UWM_TASK_FINISHED, 0}}));
    EXPECT_EQ(ThreadExitCode(task.GetThreadId()), 0u);
    EXPECT_EQ(MessagesFrom("AbstractTaskBase::Start"), std::vector<std::string>{"[ScriptedTask] Task Started"});
    EXPECT_EQ(MessagesFrom("AbstractTaskBase::OnFinish"), std::vector<std::string>{"[ScriptedTask] Task Completed"});
}

TEST_F(AbstractTaskBaseTest, ReportedFailureOrEscapedExceptionEndsWithCodeTwoAndNoFinish)
{
    struct Case {
        const char* name;
        ScriptedTask::Work work;
        std::wstring error;
        std::vector<std::string> runRecords;  // only an exception that escaped the work is logged by Run
    };
    const Case cases[] = {
        {"reported", [](ScriptedTask& self) { return self.OnError(L"broken \u00E9"), FALSE; }, L"broken \u00E9", {}},
        {"escaped", [](ScriptedTask&) -> BOOL { throw std::runtime_error("x"); }, L"x",
         {"[ScriptedTask] Threaded Task Error :x"}},
        // A NUL cut the box's text and went into the log, a line break made a line of its own: both show escaped.
        {"control characters", [](ScriptedTask& self) { return self.OnError({L"a\0b\n\u2028\u2029\x7F c\\d", 11}), FALSE; },
         L"a\\u0000b\\u000A\\u2028\\u2029\\u007F c\\d", {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        StartCase(Widen(c.name));
        TaskWindow failing;
        ScriptedTask task(&failing, c.work);
        ASSERT_TRUE(RunToEnd(task, nullptr));
        ExpectFailure(task, failing, c.error);
        EXPECT_EQ(MessagesFrom("AbstractTaskBase::Run"), c.runRecords);
        EXPECT_EQ(MessagesFrom("AbstractTaskBase::OnError"),
                  std::vector<std::string>{"[ScriptedTask] Task Error :" + Narrow(c.error)});
        EXPECT_TRUE(MessagesFrom("AbstractTaskBase::OnFinish").empty());
    }
}

// While a worker runs, Start and SetNotifyWindow change nothing; once ended, the task runs again, reporting elsewhere.
TEST_F(AbstractTaskBaseTest, WhileAWorkerRunsStartAndNotifyWindowChangeNothing)
{
    TaskWindow second;
    ScriptedTask task(&window, [&](ScriptedTask&) { return ::WaitForSingleObject(release.Get(), INFINITE), TRUE; });
    EXPECT_EQ(task.Start(), TRUE);
    const DWORD firstThread = task.GetThreadId();
    EXPECT_EQ(task.Start(), FALSE);
    EXPECT_EQ(task.GetThreadId(), firstThread);
    task.SetNotifyWindow(&second);
    ::SetEvent(release.Get());
    ASSERT_TRUE(WaitForTask(task));
    EXPECT_EQ(window.Count(UWM_TASK_FINISHED), 1);
    EXPECT_TRUE(second.Messages().empty());
}

// Stopping one terminates its thread: StopAndAFinishingWorkerDecideOnceWhoEndsTheRun.
TEST_F(AbstractTaskBaseTest, TaskWithoutAWindowReportsItsFailureToTheLogAlone)
{
    ScriptedTask reporting(nullptr, [](ScriptedTask& self) { return self.OnError(L"unheard"), FALSE; });
    ASSERT_TRUE(RunToEnd(reporting, nullptr));
    EXPECT_EQ(MessagesFrom("AbstractTaskBase::OnError").size(), 1u);
}

// The owner stops a worker just as it finishes, with the worker's finish shifted a little each round so that some
// rounds are decided each way. A run is killed only before its worker began to report its end (killed later, it
// would leave the log's lock held and the next record would hang), and a worker whose owner decided to kill it
// reports nothing.
TEST_F(AbstractTaskBaseTest, StopAndAFinishingWorkerDecideOnceWhoEndsTheRun)
{
    std::mt19937 random(20);
    int killed = 0, finished = 0;
    for (int round = 0; round < 300 && !HasFailure(); ++round) {
        std::atomic<bool> ready{false}, go{false};
        const unsigned delay = std::uniform_int_distribution<unsigned>(0, 60)(random);
        EndWatchingTask task(nullptr, [&](ScriptedTask&) {
            ready = true;
            while (!go) {
            }
            SpinMicroseconds(delay);
            return TRUE;
        });
        task.Start();
        while (!ready) {
        }
        go = true;
        ASSERT_TRUE(task.Stop() && !task.IsRunning());
        const DWORD exitCode = ThreadExitCode(task.GetThreadId());
        if (exitCode == 0xFFFFFFFF) {
            ++killed;
            EXPECT_FALSE(task.reported) << "round " << round << ": killed after it had begun to report its end";
        } else {
            ++finished;
            EXPECT_EQ(exitCode, 0u) << "round " << round;
            EXPECT_TRUE(task.reported) << "round " << round;
        }
    }
    EXPECT_GT(killed, 0) << "no round was decided for the owner: the race was not run";
    EXPECT_GT(finished, 0) << "no round was decided for the worker: the race was not run";
}

// A worker held (suspended) after it had begun to report its end would never end if stopping or waiting for it
// depended on someone resuming it.
TEST_F(AbstractTaskBaseTest, StopAndWaitLetGoAWorkerHeldAfterItReportedItsEnd)
{
    for (const bool stop : {true, false}) {
        SCOPED_TRACE(stop ? "Stop" : "WaitUntilEnded");
        TaskWindow reported;
        EndWatchingTask task(&reported, [](ScriptedTask&) { return TRUE; });
        task.holdAtReport = true;
        task.Start();
        ASSERT_TRUE(PumpUntil([&] { return ::WaitForSingleObject(task.atReport.Get(), 0) == WAIT_OBJECT_0; }, 10000));
        task.Suspend();
        ::SetEvent(task.goOn.Get());
        stop ? static_cast<void>(task.Stop()) : task.WaitUntilEnded();
        EXPECT_EQ(ThreadExitCode(task.GetThreadId()), 0u);
        EXPECT_EQ(reported.Count(UWM_TASK_FINISHED), 1);
    }
}

// Start waits until its worker runs; a DLL's thread attach may send to this thread meanwhile.
TEST_F(AbstractTaskBaseTest, StartHandlesWhatTheNewThreadSendsBeforeItRuns)
{
    ScriptedTask task(nullptr, [](ScriptedTask&) { return TRUE; });
    g_attachTarget = window.GetHwnd();
    const BOOL started = task.Start();
    g_attachTarget = nullptr;
    EXPECT_TRUE(started);
    EXPECT_EQ(window.Progress(), std::vector<int>{kAttachPercent});
    ASSERT_TRUE(WaitForTask(task));
}

// A task message from a thread that is not the current task's worker must not lead on.
TEST_F(AbstractTaskBaseTest, SequenceGoesOnOnlyAfterItsCurrentWorker)
{
    ScriptedTask task(&window, [](ScriptedTask&) { return TRUE; });
    TaskSequence sequence(window);
    std::vector<int> ended;
    sequence.onTaskEnded = [&](int index) { return ended.push_back(index), true; };
    sequence.Reset({TaskSequence::Unowned(task)});
    sequence.Start(0);
    ASSERT_TRUE(WaitForTask(task));
    sequence.OnMessage(UWM_TASK_ENDED, ::GetCurrentThreadId(), 0);
    EXPECT_TRUE(ended.empty());
    sequence.OnMessage(UWM_TASK_ENDED, task.GetThreadId(), 0);
    EXPECT_EQ(ended, std::vector<int>{0});
}

// The worker posts a marker just before its next safe point. A send is handled before any posted message, so a
// worker that went on unheld shows its 20 before the marker, in the same batch, or waiting in the queue.
TEST_F(AbstractTaskBaseTest, SuspendedTaskSendsNothingUntilResumed)
{
    constexpr int kAtSafePoint = 15;
    ScriptedTask task(&window, [&](ScriptedTask& self) {
        self.SendProgress(10);
        ::PostMessageW(window.GetHwnd(), UWM_TASK_PROGRESS, ::GetCurrentThreadId(), kAtSafePoint);
        self.SendProgress(20);
        return TRUE;
    });
    window.onMessage = [&](const TaskMessage& message) {
        if (message.value == 10)
            task.Suspend();
    };
    task.Start();
    ASSERT_TRUE(PumpUntil([&] { return window.Progress().size() >= 3; }, 10000));
    EXPECT_EQ(window.Progress(), (std::vector<int>{0, 10, kAtSafePoint}));
    EXPECT_FALSE(HIWORD(::GetQueueStatus(QS_SENDMESSAGE)) & QS_SENDMESSAGE) << "a send waits to be handled";

    task.Resume();
    ASSERT_TRUE(WaitForTask(task));
    EXPECT_EQ(window.Progress(), (std::vector<int>{0, 10, kAtSafePoint, 20}));
    // An ended task is neither suspended nor resumed, and says nothing.
    task.Suspend();
    task.Resume();
    EXPECT_EQ(MessagesFrom("AbstractTaskBase::Suspend"), std::vector<std::string>{"[ScriptedTask] Task Suspended"});
    EXPECT_EQ(MessagesFrom("AbstractTaskBase::Resume"), std::vector<std::string>{"[ScriptedTask] Task Resumed"});
}
