#include "AbstractTaskBase.h"

#include <process.h>

#include <exception>

#include "framework/Exception.h"
#include "framework/Utf8.h"
#include "framework/VisibleText.h"
#include "framework/logging/Logger.h"

namespace {
constexpr DWORD kNoThreadId = 0xFFFFFFFF;
constexpr DWORD kTerminatedExitCode = 0xFFFFFFFF;

// Waits until one of `handles` is signalled and returns its index. Messages
// sent to this thread are handled meanwhile, and only those: input and
// posted messages are left to the message loop. A signalled handle wins
// over a message sent at the same moment: Start returns for a worker that
// runs before it handles the worker's first message. Returns `count` when
// the wait itself fails (an unusable handle: nothing to wait for).
DWORD WaitHandlingSentMessages(const HANDLE* handles, DWORD count)
{
    for (;;) {
        const DWORD woken =
            ::MsgWaitForMultipleObjectsEx(count, handles, INFINITE, QS_SENDMESSAGE, MWMO_INPUTAVAILABLE);
        if (woken < WAIT_OBJECT_0 + count)
            return woken - WAIT_OBJECT_0;
        if (woken != WAIT_OBJECT_0 + count)
            return count;
        MSG message;
        ::PeekMessageW(&message, nullptr, 0, 0, PM_NOREMOVE | PM_QS_SENDMESSAGE);
    }
}
}  // namespace

AbstractTaskBase::AbstractTaskBase(Win32xx::CWnd* notifyWindow)
    : m_notifyWindow(notifyWindow),
      m_mayRun(::CreateEventW(nullptr, TRUE, TRUE, nullptr)),
      m_entered(::CreateEventW(nullptr, FALSE, FALSE, nullptr))
{
    if (!m_mayRun || !m_entered)
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
    m_ending = Ending::Open;
    ::SetEvent(m_mayRun.Get());
    unsigned threadId = 0;
    const auto handle = reinterpret_cast<HANDLE>(_beginthreadex(nullptr, 0, Run, this, CREATE_SUSPENDED, &threadId));
    if (!handle)
        throw Win32xx::CWinException(L"Failed to create thread");
    m_thread.Reset(handle);
    m_threadId = threadId;
    ::ResumeThread(handle);
    const HANDLE started[] = {m_entered.Get(), handle};
    WaitHandlingSentMessages(started, 2);
    LOG_INFO << GetDescription() << "Task Started";
    return TRUE;
}

BOOL AbstractTaskBase::Stop()
{
    if (!IsRunning())
        return TRUE;
    if (Ending open = Ending::Open; m_ending.compare_exchange_strong(open, Ending::Stopped))
        ::TerminateThread(m_thread.Get(), kTerminatedExitCode);
    // Termination is asynchronous, and an ending thread still runs its exit;
    // the caller may free the task next.
    WaitUntilEnded();
    return TRUE;
}

void AbstractTaskBase::WaitUntilEnded()
{
    if (!m_thread)
        return;
    ReleaseHold();
    const HANDLE thread = m_thread.Get();
    WaitHandlingSentMessages(&thread, 1);
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
    ReleaseHold();
    LOG_INFO << GetDescription() << "Task Resumed";
}

void AbstractTaskBase::ReleaseHold()
{
    ::SetEvent(m_mayRun.Get());
    m_suspendAsked = false;
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
    const unsigned exitCode = task->RunOnWorker();
    // Work that failed without a report leaves here: from now on the thread
    // only exits, which must not be cut short either.
    task->ClaimEnd();
    return exitCode;
}

// The worker's records speak for its procedure.
#define LOG_RUN_ERROR LOG_NAMED(logging::error, "AbstractTaskBase::Run")

unsigned AbstractTaskBase::RunOnWorker()
{
    try {
        SendProgress(0);
        if (!OnStart())
            return 2;
        OnFinish();
        return 0;
    } catch (const std::exception& exception) {
        ClaimEnd();
        const std::wstring text = Win32xx::Utf8ToWide(exception.what());
        LOG_RUN_ERROR << GetDescription() << "Threaded Task Error :" << Win32xx::VisibleText(text);
        OnError(text);
        return 2;
    } catch (...) {
        // Nothing may leave the thread's procedure: the runtime would end the
        // whole program.
        ClaimEnd();
        LOG_RUN_ERROR << GetDescription() << "Threaded Task Error :" << "unknown exception";
        OnError(L"unknown exception");
        return 2;
    }
}

void AbstractTaskBase::ClaimEnd()
{
    Ending open = Ending::Open;
    if (m_ending.compare_exchange_strong(open, Ending::Reported) || open == Ending::Reported)
        return;
    for (;;)
        ::Sleep(INFINITE);
}

void AbstractTaskBase::OnFinish()
{
    ClaimEnd();
    LOG_INFO << GetDescription() << "Task Completed";
    SendToWindow(UWM_TASK_FINISHED, 0);
}

void AbstractTaskBase::OnError(const std::wstring& message)
{
    // The box that the receiver shows and the record say the same: an entry
    // name or an address from outside may hold a NUL or a line break.
    const std::wstring visible = Win32xx::VisibleText(message);
    // The receiver takes the string over and deletes it.
    auto text = std::make_unique<std::wstring>(visible);
    ClaimEnd();
    if (SendToWindow(UWM_TASK_ERROR, reinterpret_cast<LPARAM>(text.get())))
        text.release();
    LOG_ERROR << GetDescription() << "Task Error :" << visible;
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
