// The task base: messages and their order, the log records, the thread's
// life (start once, stop, destroy while running), cooperative suspension,
// and the result.

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

    // Set by a test to let a worker that waits for it go on.
    const Win32xx::CScopedHandle release{::CreateEventW(nullptr, TRUE, FALSE, nullptr)};
    // Set by the thread that the callback meets in its exit.
    const Win32xx::CScopedHandle exiting{::CreateEventW(nullptr, TRUE, FALSE, nullptr)};
};

}  // namespace

TEST_F(AbstractTaskBaseTest, SuccessSendsStartThenFinishWithTheWorkersIdAndLogs)
{
    TaskWindow window;
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
        {"reported",
         [](ScriptedTask& self) {
             self.OnError(L"broken \u00E9");
             return FALSE;
         },
         L"broken \u00E9", {}},
        {"escaped", [](ScriptedTask&) -> BOOL { throw std::runtime_error("x"); }, L"x",
         {"[ScriptedTask] Threaded Task Error :x"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        StartCase(Widen(c.name));
        TaskWindow window;
        ScriptedTask task(&window, c.work);
        ASSERT_TRUE(RunToEnd(task, nullptr));
        ExpectFailure(task, window, c.error);
        EXPECT_EQ(MessagesFrom("AbstractTaskBase::Run"), c.runRecords);
        EXPECT_EQ(MessagesFrom("AbstractTaskBase::OnError"),
                  std::vector<std::string>{"[ScriptedTask] Task Error :" + Narrow(c.error)});
        EXPECT_TRUE(MessagesFrom("AbstractTaskBase::OnFinish").empty());
    }
}

TEST_F(AbstractTaskBaseTest, TaskWithoutWindowStillRunsLogsAndStoresItsResult)
{
    ScriptedTask task(nullptr, [](ScriptedTask& self) {
        self.SendProgress(50);
        self.SetResult(std::make_unique<Any::Derived<Win32xx::CString>>(L"C:\\done"));
        return TRUE;
    });
    ASSERT_TRUE(RunToEnd(task, nullptr));
    EXPECT_EQ(task.GetStringResult(), Win32xx::CString(L"C:\\done"));
    EXPECT_EQ(ThreadExitCode(task.GetThreadId()), 0u);
    EXPECT_EQ(MessagesFrom("AbstractTaskBase::OnFinish").size(), 1u);
}

TEST_F(AbstractTaskBaseTest, WhileAWorkerRunsStartAndNotifyWindowChangeNothing)
{
    TaskWindow first;
    TaskWindow second;
    LONG runs = 0;
    ScriptedTask task(&first, [&](ScriptedTask&) {
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
    EXPECT_EQ(MessagesFrom("AbstractTaskBase::Start").size(), 1u);
    EXPECT_EQ(first.Count(UWM_TASK_FINISHED), 1);
    EXPECT_TRUE(second.Messages().empty());

    // Once ended, the task may run again on a new thread, reporting elsewhere.
    ASSERT_TRUE(RunToEnd(task, &second));
    EXPECT_EQ(runs, 2);
    EXPECT_EQ(second.Count(UWM_TASK_FINISHED), 1);
    EXPECT_EQ(first.Count(UWM_TASK_FINISHED), 1);
}

TEST_F(AbstractTaskBaseTest, DestroyingOrStoppingARunningTaskTerminatesItsThread)
{
    auto blocked = [&](ScriptedTask&) {
        ::WaitForSingleObject(release.Get(), INFINITE);  // never set
        return TRUE;
    };
    DWORD destroyedThread = 0;
    Win32xx::CScopedHandle destroyedHandle;
    {
        ScriptedTask task(nullptr, blocked);
        task.Start();
        destroyedThread = task.GetThreadId();
        destroyedHandle.Reset(::OpenThread(SYNCHRONIZE | THREAD_QUERY_INFORMATION, FALSE, destroyedThread));
        ASSERT_TRUE(destroyedHandle);
    }
    EXPECT_EQ(::WaitForSingleObject(destroyedHandle.Get(), 5000), WAIT_OBJECT_0);
    DWORD code = 0;
    ::GetExitCodeThread(destroyedHandle.Get(), &code);
    EXPECT_EQ(code, 0xFFFFFFFFu);

    ScriptedTask stopped(nullptr, blocked);
    stopped.Start();
    EXPECT_EQ(stopped.Stop(), TRUE);
    EXPECT_FALSE(stopped.IsRunning());
    EXPECT_EQ(ThreadExitCode(stopped.GetThreadId()), 0xFFFFFFFFu);
    EXPECT_EQ(stopped.Stop(), TRUE);
}

TEST_F(AbstractTaskBaseTest, StoppingAWorkerThatLeftItsWorkLetsItEndNormally)
{
    TaskWindow window;
    ScriptedTask task(&window, EndThroughTheExitCallback);
    task.Start();
    ASSERT_TRUE(PumpUntil([&] { return window.Count(UWM_TASK_FINISHED) == 1; }, 10000));
    ASSERT_EQ(::WaitForSingleObject(exiting.Get(), 10000), WAIT_OBJECT_0);
    ASSERT_TRUE(task.IsRunning()) << "the thread is still in its exit";

    // Killed there, the thread would leave the loader's lock held.
    EXPECT_EQ(task.Stop(), TRUE);
    EXPECT_FALSE(task.IsRunning());
    EXPECT_EQ(ThreadExitCode(task.GetThreadId()), 0u);
}

TEST_F(AbstractTaskBaseTest, WaitingUntilEndedHandlesWhatTheEndingWorkerSends)
{
    TaskWindow window;
    g_exitSendReceiver = window.GetHwnd();
    ScriptedTask task(&window, EndThroughTheExitCallback);
    task.Start();
    ASSERT_TRUE(PumpUntil([&] { return window.Count(UWM_TASK_FINISHED) == 1; }, 10000));
    ::SetEvent(release.Get());
    task.WaitUntilEnded();
    EXPECT_EQ(window.Progress(), (std::vector<int>{0, 77})) << "the wait did not let the exit's message through";
}

TEST_F(AbstractTaskBaseTest, StoppingAWorkerThatReportedItsEndWaitsForIt)
{
    TaskWindow window;
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

TEST_F(AbstractTaskBaseTest, WaitingUntilEndedLetsTheWorkerFinishItsWork)
{
    bool done = false;
    ScriptedTask task(nullptr, [&](ScriptedTask&) {
        ::Sleep(300);
        done = true;
        return TRUE;
    });
    task.WaitUntilEnded();  // nothing started: returns at once
    ASSERT_TRUE(task.Start());
    task.WaitUntilEnded();
    EXPECT_TRUE(done);
    EXPECT_FALSE(task.IsRunning());
    EXPECT_EQ(ThreadExitCode(task.GetThreadId()), 0u) << "ended by itself, not terminated";
    EXPECT_EQ(MessagesFrom("AbstractTaskBase::OnFinish"), std::vector<std::string>{"[ScriptedTask] Task Completed"});
}

TEST_F(AbstractTaskBaseTest, SuspendedTaskSendsNothingUntilResumed)
{
    TaskWindow window;
    ScriptedTask task(&window, [&](ScriptedTask& self) {
        self.SendProgress(10);
        ::WaitForSingleObject(release.Get(), INFINITE);
        self.SendProgress(20);
        return TRUE;
    });
    window.onMessage = [&](const TaskMessage& message) {
        if (message.id == UWM_TASK_PROGRESS && message.value == 10)
            task.Suspend();
    };
    task.Start();
    ASSERT_TRUE(PumpUntil([&] { return window.Progress().size() == 2; }, 10000));
    ::SetEvent(release.Get());
    PumpFor(300);
    EXPECT_EQ(window.Progress(), (std::vector<int>{0, 10}));
    EXPECT_TRUE(task.IsRunning());

    task.Resume();
    ASSERT_TRUE(WaitForTask(task));
    EXPECT_EQ(window.Progress(), (std::vector<int>{0, 10, 20}));
    EXPECT_EQ(window.Count(UWM_TASK_FINISHED), 1);
    EXPECT_EQ(MessagesFrom("AbstractTaskBase::Suspend"), std::vector<std::string>{"[ScriptedTask] Task Suspended"});
    EXPECT_EQ(MessagesFrom("AbstractTaskBase::Resume"), std::vector<std::string>{"[ScriptedTask] Task Resumed"});

    // An ended task is neither suspended nor resumed, and says nothing.
    task.Suspend();
    task.Resume();
    EXPECT_EQ(MessagesFrom("AbstractTaskBase::Suspend").size(), 1u);
    EXPECT_EQ(MessagesFrom("AbstractTaskBase::Resume").size(), 1u);
}

TEST_F(AbstractTaskBaseTest, DestroyedWindowSilencesTheTask)
{
    auto window = std::make_unique<TaskWindow>();
    ScriptedTask task(window.get(), [](ScriptedTask& self) {
        self.OnError(L"unheard");
        return FALSE;
    });
    window->Destroy();
    ASSERT_TRUE(RunToEnd(task, nullptr));
    EXPECT_TRUE(window->Messages().empty());
    EXPECT_EQ(MessagesFrom("AbstractTaskBase::OnError").size(), 1u);
}

// A number as the result gives no string: the launch task's exit code shows it.
TEST_F(AbstractTaskBaseTest, StringResultOnlyForAString)
{
    ScriptedTask task(nullptr, [](ScriptedTask&) { return TRUE; });
    EXPECT_EQ(task.GetStringResult(), Win32xx::CString());
    EXPECT_EQ(task.GetResult(), nullptr);
    task.SetResult(std::make_unique<Any::Derived<Win32xx::CString>>(L"C:\\T\\a.zip"));
    EXPECT_EQ(task.GetStringResult(), Win32xx::CString(L"C:\\T\\a.zip"));

    const std::unique_ptr<Any::Base> copy = task.GetResult()->clone();
    ASSERT_NE(copy->As<Win32xx::CString>(), nullptr);
    EXPECT_EQ(*copy->As<Win32xx::CString>(), Win32xx::CString(L"C:\\T\\a.zip"));
}

TEST(AbstractTaskBaseRun, WithoutATaskEndsWithCodeOne)
{
    EXPECT_EQ(AbstractTaskBase::Run(nullptr), 1u);
}
