#include "AbstractTaskBase.h"

#include <process.h>

#include <exception>

#include "framework/Exception.h"
#include "framework/Utf8.h"
#include "framework/logging/Logger.h"

namespace {
constexpr DWORD kNoThreadId = 0xFFFFFFFF;
constexpr DWORD kTerminatedExitCode = 0xFFFFFFFF;

// Tells Stop that the worker has done its last work, on every way out of Run.
class LeavingSignal {
public:
    explicit LeavingSignal(HANDLE event) : m_event(event) {}
    ~LeavingSignal() { ::SetEvent(m_event); }
    LeavingSignal(const LeavingSignal&) = delete;
    LeavingSignal& operator=(const LeavingSignal&) = delete;

private:
    HANDLE m_event;
};
}  // namespace

AbstractTaskBase::AbstractTaskBase(Win32xx::CWnd* notifyWindow)
    : m_notifyWindow(notifyWindow),
      m_mayRun(::CreateEventW(nullptr, TRUE, TRUE, nullptr)),
      m_entered(::CreateEventW(nullptr, FALSE, FALSE, nullptr)),
      m_left(::CreateEventW(nullptr, TRUE, FALSE, nullptr))
{
    if (!m_mayRun || !m_entered || !m_left)
        throw Win32xx::CWinException(L"Failed to create the task's event");
}

AbstractTaskBase::~AbstractTaskBase()
{
    Stop();
}

BOOL AbstractTaskBase::Start()
{
    if (IsRunning())
        return FALSE;
    // A task suspended in an earlier run starts free.
    m_suspendAsked = false;
    m_endReported = false;
    ::SetEvent(m_mayRun.Get());
    ::ResetEvent(m_left.Get());
    unsigned threadId = 0;
    const auto handle = reinterpret_cast<HANDLE>(_beginthreadex(nullptr, 0, Run, this, CREATE_SUSPENDED, &threadId));
    if (!handle)
        throw Win32xx::CWinException(L"Failed to create thread");
    m_thread.Reset(handle);
    m_threadId = threadId;
    ::ResumeThread(handle);
    const HANDLE started[] = {m_entered.Get(), handle};
    ::WaitForMultipleObjects(2, started, FALSE, INFINITE);
    LOG_INFO << GetDescription() << "Task Started";
    return TRUE;
}

BOOL AbstractTaskBase::Stop()
{
    if (!IsRunning())
        return TRUE;
    if (!m_endReported && ::WaitForSingleObject(m_left.Get(), 0) != WAIT_OBJECT_0)
        ::TerminateThread(m_thread.Get(), kTerminatedExitCode);
    // Termination is asynchronous, and an ending thread still runs its exit;
    // the caller may free the task next.
    WaitUntilEnded();
    return TRUE;
}

void AbstractTaskBase::WaitUntilEnded() const
{
    if (!m_thread)
        return;
    const HANDLE thread = m_thread.Get();
    for (;;) {
        // Handles the messages sent to this thread, and only those: input and
        // posted messages are left to the message loop.
        MSG message;
        ::PeekMessageW(&message, nullptr, 0, 0, PM_NOREMOVE | PM_QS_SENDMESSAGE);
        const DWORD woken = ::MsgWaitForMultipleObjects(1, &thread, FALSE, INFINITE, QS_SENDMESSAGE);
        if (woken != WAIT_OBJECT_0 + 1)
            return;  // ended (or the handle is unusable: nothing to wait for)
    }
}

void AbstractTaskBase::Suspend()
{
    if (!IsRunning())
        return;
    // The event first: a worker that sees the request must find it reset.
    ::ResetEvent(m_mayRun.Get());
    m_suspendAsked = true;
    LOG_INFO << GetDescription() << "Task Suspended";
}

void AbstractTaskBase::Resume()
{
    if (!IsRunning())
        return;
    ::SetEvent(m_mayRun.Get());
    m_suspendAsked = false;
    LOG_INFO << GetDescription() << "Task Resumed";
}

void AbstractTaskBase::SetNotifyWindow(Win32xx::CWnd* window)
{
    if (IsRunning())
        return;
    Win32xx::CThreadLock lock(m_lock);
    m_notifyWindow = window;
}

void AbstractTaskBase::SetInputTask(std::shared_ptr<AbstractTaskBase> task)
{
    m_inputTask = std::move(task);
}

bool AbstractTaskBase::IsRunning() const
{
    return m_thread && ::WaitForSingleObject(m_thread.Get(), 0) == WAIT_TIMEOUT;
}

DWORD AbstractTaskBase::GetThreadId() const noexcept
{
    return m_thread ? m_threadId : kNoThreadId;
}

Win32xx::CString AbstractTaskBase::GetStringResult() const
{
    const Win32xx::CString* text = m_result ? m_result->As<Win32xx::CString>() : nullptr;
    return text ? *text : Win32xx::CString();
}

unsigned __stdcall AbstractTaskBase::Run(void* argument)
{
    auto* const task = static_cast<AbstractTaskBase*>(argument);
    if (!task)
        return 1;
    ::SetEvent(task->m_entered.Get());
    const LeavingSignal leaving(task->m_left.Get());
    try {
        task->SendProgress(0);
        if (!task->OnStart())
            return 2;
        task->OnFinish();
        return 0;
    } catch (const std::exception& exception) {
        task->m_endReported = true;
        LOG_ERROR << task->GetDescription() << "Threaded Task Error :" << exception.what();
        task->OnError(Win32xx::Utf8ToWide(exception.what()));
        return 2;
    } catch (...) {
        // Nothing may leave the thread's procedure: the runtime would end the
        // whole program.
        task->m_endReported = true;
        LOG_ERROR << task->GetDescription() << "Threaded Task Error :" << "unknown exception";
        task->OnError(L"unknown exception");
        return 2;
    }
}

void AbstractTaskBase::OnFinish()
{
    m_endReported = true;
    LOG_INFO << GetDescription() << "Task Completed";
    SendToWindow(UWM_TASK_FINISHED, 0);
}

void AbstractTaskBase::OnError(const std::wstring& message)
{
    // The receiver takes the string over and deletes it.
    auto text = std::make_unique<std::wstring>(message);
    m_endReported = true;
    if (SendToWindow(UWM_TASK_ERROR, reinterpret_cast<LPARAM>(text.get())))
        text.release();
    LOG_ERROR << GetDescription() << "Task Error :" << message;
}

void AbstractTaskBase::SendProgress(int percent)
{
    SendToWindow(UWM_TASK_PROGRESS, percent);
}

void AbstractTaskBase::WaitWhileSuspended() const
{
    if (m_suspendAsked)
        ::WaitForSingleObject(m_mayRun.Get(), INFINITE);
}

bool AbstractTaskBase::SendToWindow(UINT message, LPARAM lParam) const
{
    WaitWhileSuspended();
    // The window may have gone while the task was held.
    if (!m_notifyWindow || !m_notifyWindow->IsWindow())
        return false;
    ::SendMessageW(m_notifyWindow->GetHwnd(), message, GetThreadId(), lParam);
    return true;
}
