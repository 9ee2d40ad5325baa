// The task base: messages and their order, the log records, the thread's
// life (start once, stop, destroy while running, a worker that has reported
// its end or is in its exit), cooperative suspension.

#include <stdexcept>

#include "TaskTestSupport.h"
#include "framework/ScopedHandle.h"

using namespace testing_support;

// The loader calls the program's TLS callbacks as each thread ends, after its
// procedure has returned. This one lets a test meet one chosen thread there:
// the thread tells that it is exiting, then either lasts long enough for the
// test to find it there or, with a receiver, waits for the test's go and
// sends the receiver a progress of 77, as a DLL's detach that sends would.
HANDLE g_slowExitEvent = nullptr;
volatile DWORD g_slowExitThread = 0;
HANDLE g_exitSendGo = nullptr;
HWND g_exitSendReceiver = nullptr;

void NTAPI SlowThreadExit(PVOID, DWORD reason, PVOID)
{
    if (reason != DLL_THREAD_DETACH || ::GetCurrentThreadId() != g_slowExitThread)
        return;
    ::SetEvent(g_slowExitEvent);
    if (!g_exitSendReceiver) {
        ::Sleep(300);
        return;
    }
    ::WaitForSingleObject(g_exitSendGo, INFINITE);
    DWORD_PTR result = 0;
    // The time-out only ends the deadlock with a waiter that handles no messages.
    ::SendMessageTimeoutW(g_exitSendReceiver, UWM_TASK_PROGRESS, 0, 77, SMTO_NORMAL, 10000, &result);
}

extern "C" __attribute__((section(".CRT$XLF"), used)) const PIMAGE_TLS_CALLBACK slowThreadExitCallback =
    SlowThreadExit;

namespace {

class AbstractTaskBaseTest : public TaskTest {
protected:
    AbstractTaskBaseTest()
    {
        g_slowExitEvent = exiting.Get();
        g_exitSendGo = release.Get();
    }
    ~AbstractTaskBaseTest() override
    {
        g_slowExitThread = 0;
        g_exitSendReceiver = nullptr;
    }

    // The work of a task whose thread the callback above meets in its exit.
    static BOOL EndThroughTheExitCallback(ScriptedTask&)
    {
        g_slowExitThread = ::GetCurrentThreadId();
        return TRUE;
    }
    // Starts `task` (reporting to `window`) and handles messages until it has reported its finish.
    void StartAndWaitForTheFinish(ScriptedTask& task)
    {
        task.Start();
        ASSERT_TRUE(PumpUntil([&] { return window.Count(UWM_TASK_FINISHED) == 1; }, 10000));
    }

    TaskWindow window;
    // Set by a test to let a worker that waits for it go on.
    const Win32xx::CScopedHandle release{::CreateEventW(nullptr, TRUE, FALSE, nullptr)};
    // Set by the thread that the callback meets in its exit.
    const Win32xx::CScopedHandle exiting{::CreateEventW(nullptr, TRUE, FALSE, nullptr)};
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

// Without a window, or with one that has gone, the task runs and logs alone.
TEST_F(AbstractTaskBaseTest, TaskWithoutAWindowRunsAndLogs)
{
    window.Destroy();
    for (TaskWindow* receiver : {static_cast<TaskWindow*>(nullptr), &window}) {
        ScriptedTask task(receiver, [](ScriptedTask& self) { return self.OnError(L"unheard"), FALSE; });
        ASSERT_TRUE(RunToEnd(task, nullptr));
        EXPECT_EQ(ThreadExitCode(task.GetThreadId()), 2u);
    }
    EXPECT_TRUE(window.Messages().empty());
    EXPECT_EQ(MessagesFrom("AbstractTaskBase::OnError").size(), 2u);
}

TEST_F(AbstractTaskBaseTest, WhileAWorkerRunsStartAndNotifyWindowChangeNothing)
{
    TaskWindow second;
    LONG runs = 0;
    ScriptedTask task(&window, [&](ScriptedTask&) {
        ::InterlockedIncrement(&runs);
        ::WaitForSingleObject(release.Get(), INFINITE);
        return TRUE;
    });
    EXPECT_EQ(task.Start(), TRUE);
    const DWORD firstThread = task.GetThreadId();
    EXPECT_EQ(task.Start(), FALSE);
    EXPECT_EQ(task.GetThreadId(), firstThread);
    task.SetNotifyWindow(&second);
    ::SetEvent(release.Get());
    ASSERT_TRUE(WaitForTask(task));
    EXPECT_EQ(runs, 1);
    EXPECT_EQ(window.Count(UWM_TASK_FINISHED), 1);
    EXPECT_TRUE(second.Messages().empty());

    // Once ended, the task may run again on a new thread, reporting elsewhere.
    ASSERT_TRUE(RunToEnd(task, &second));
    EXPECT_EQ(runs, 2);
    EXPECT_EQ(second.Count(UWM_TASK_FINISHED), 1);
}

TEST_F(AbstractTaskBaseTest, DestroyingOrStoppingARunningTaskTerminatesItsThread)
{
    const auto blocked = [&](ScriptedTask&) {
        ::WaitForSingleObject(release.Get(), INFINITE);  // never set
        return TRUE;
    };
    Win32xx::CScopedHandle destroyed;
    {
        ScriptedTask task(nullptr, blocked);
        task.Start();
        destroyed.Reset(::OpenThread(SYNCHRONIZE | THREAD_QUERY_INFORMATION, FALSE, task.GetThreadId()));
    }
    DWORD code = 0;
    EXPECT_TRUE(::GetExitCodeThread(destroyed.Get(), &code));
    EXPECT_EQ(code, 0xFFFFFFFFu) << "still running after the destructor";

    ScriptedTask stopped(nullptr, blocked);
    stopped.Start();
    EXPECT_EQ(stopped.Stop(), TRUE);
    EXPECT_FALSE(stopped.IsRunning());
    EXPECT_EQ(ThreadExitCode(stopped.GetThreadId()), 0xFFFFFFFFu);
}

TEST_F(AbstractTaskBaseTest, StoppingAWorkerThatLeftItsWorkLetsItEndNormally)
{
    ScriptedTask task(&window, EndThroughTheExitCallback);
    StartAndWaitForTheFinish(task);
    ASSERT_EQ(::WaitForSingleObject(exiting.Get(), 10000), WAIT_OBJECT_0);
    ASSERT_TRUE(task.IsRunning()) << "the thread is still in its exit";

    // Killed there, the thread would leave the loader's lock held.
    EXPECT_EQ(task.Stop(), TRUE);
    EXPECT_EQ(ThreadExitCode(task.GetThreadId()), 0u);
}

// Waiting lets the worker end by itself, and handles what it sends meanwhile.
TEST_F(AbstractTaskBaseTest, WaitingUntilEndedHandlesWhatTheEndingWorkerSends)
{
    g_exitSendReceiver = window.GetHwnd();
    ScriptedTask task(&window, EndThroughTheExitCallback);
    StartAndWaitForTheFinish(task);
    ::SetEvent(release.Get());
    task.WaitUntilEnded();
    EXPECT_EQ(window.Progress(), (std::vector<int>{0, 77})) << "the wait did not let the exit's message through";
    EXPECT_EQ(ThreadExitCode(task.GetThreadId()), 0u);
}

// The worker cannot have left: it waits for the stopping thread to handle its message.
TEST_F(AbstractTaskBaseTest, StoppingAWorkerThatReportedItsEndWaitsForIt)
{
    ScriptedTask task(&window, [&](ScriptedTask& self) {
        self.OnError(L"x");
        // Still sends after its error, as it writes its record after it.
        ::WaitForSingleObject(release.Get(), INFINITE);
        self.SendProgress(99);
        return FALSE;
    });
    task.Start();
    ASSERT_TRUE(PumpUntil([&] { return !window.Errors().empty(); }, 10000));
    ::SetEvent(release.Get());
    EXPECT_EQ(task.Stop(), TRUE);
    EXPECT_EQ(ThreadExitCode(task.GetThreadId()), 2u) << "terminated after it had reported its end";
    EXPECT_EQ(window.Progress(), (std::vector<int>{0, 99}));
}

TEST_F(AbstractTaskBaseTest, SuspendedTaskSendsNothingUntilResumed)
{
    ScriptedTask task(&window, [&](ScriptedTask& self) {
        self.SendProgress(10);
        ::WaitForSingleObject(release.Get(), INFINITE);
        self.SendProgress(20);
        return TRUE;
    });
    window.onMessage = [&](const TaskMessage& message) {
        if (message.value == 10)
            task.Suspend();
    };
    task.Start();
    ASSERT_TRUE(PumpUntil([&] { return window.Progress().size() == 2; }, 10000));
    ::SetEvent(release.Get());
    PumpUntil([] { return false; }, 300);
    EXPECT_EQ(window.Progress(), (std::vector<int>{0, 10}));

    task.Resume();
    ASSERT_TRUE(WaitForTask(task));
    EXPECT_EQ(window.Progress(), (std::vector<int>{0, 10, 20}));
    // An ended task is neither suspended nor resumed, and says nothing.
    task.Suspend();
    task.Resume();
    EXPECT_EQ(MessagesFrom("AbstractTaskBase::Suspend"), std::vector<std::string>{"[ScriptedTask] Task Suspended"});
    EXPECT_EQ(MessagesFrom("AbstractTaskBase::Resume"), std::vector<std::string>{"[ScriptedTask] Task Resumed"});
}
