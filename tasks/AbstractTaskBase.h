// AbstractTaskBase: a piece of work that runs on a worker thread of its own
// and reports to one window of the user interface by three messages.
//
// Every message is a synchronous send: the worker waits while the user
// interface thread handles it, so a handler must neither stop the task nor
// wait for it; TaskSequence is how a window goes on once a task has
// finished. wParam is always the worker's thread id.
//
// Suspension is cooperative. Freezing a thread at an arbitrary point could
// leave the log's or the heap's lock held and hang the whole program, so the
// worker instead stops at safe points (WaitWhileSuspended) until resumed.
#pragma once

#include <windows.h>

#include <atomic>
#include <memory>
#include <string>

#include "Any.h"
#include "framework/ScopedHandle.h"
#include "framework/CString.h"
#include "framework/CriticalSection.h"
#include "framework/Wnd.h"
#include "res/Messages.h"

class AbstractTaskBase {
public:
    // `notifyWindow` (not owned, may be null) receives the task's messages.
    explicit AbstractTaskBase(Win32xx::CWnd* notifyWindow);
    // Ends a worker that still runs (terminated with exit code 0xFFFFFFFF).
    virtual ~AbstractTaskBase();
    AbstractTaskBase(const AbstractTaskBase&) = delete;
    AbstractTaskBase& operator=(const AbstractTaskBase&) = delete;

    // Names the task and its main parameter; begins every log record about it.
    virtual Win32xx::CString GetDescription() const = 0;

    // Starts the worker and returns once it has entered Run (a thread ended
    // by Stop during its start-up could leave the process loader's lock
    // held); messages sent to this thread meanwhile are handled (a DLL's
    // thread attach may send). Returns FALSE, and does nothing, while a
    // worker runs. Raises Win32xx::CWinException "Failed to create thread".
    BOOL Start();
    // Terminates a worker that still does its work (exit code 0xFFFFFFFF)
    // and waits until it has ended. A worker that has reported its end
    // (finished or failed) is only waited for: it may be writing its last
    // log record or be inside the thread's exit, and killed there it would
    // leave the log's, the heap's or the process loader's lock held for
    // good. The worker and this call decide between the two at one atomic
    // point (see Ending). Returns TRUE. Concrete tasks call it first in
    // their destructor, so that no worker runs on a half-destroyed object.
    // Never call it from the handler of one of the task's own messages: the
    // worker waits there.
    BOOL Stop();
    // Waits until the worker has ended, without stopping it (at once when
    // none runs). A held worker is let go first: nobody else may be there
    // to resume it. Messages sent to the waiting thread are handled
    // meanwhile (a worker's exit may send, or call across apartments, or run
    // a DLL's detach that sends); posted ones stay queued. Never call it
    // from the handler of one of the task's own messages (see TaskSequence).
    void WaitUntilEnded();
    // Holds a running worker at its next safe point.
    void Suspend();
    // Lets a held worker go on; does nothing once the worker has ended.
    void Resume();
    // Lets a held worker go on without a record: for an owner that waits
    // for the worker's end, where nobody else may be there to resume it.
    void ReleaseHold();
    // Changes the receiver of the messages; ignored while a worker runs.
    void SetNotifyWindow(Win32xx::CWnd* window);
    // Makes `task`'s string result this task's input (see each task).
    void SetInputTask(std::shared_ptr<AbstractTaskBase> task);

    // True while a worker exists and has not ended (also while suspended).
    bool IsRunning() const;
    // The worker's id, or 0xFFFFFFFF before the first Start.
    DWORD GetThreadId() const noexcept;
    // The result when it is a string (a path), otherwise an empty string.
    Win32xx::CString GetStringResult() const;
    // The result, null until the task produced one. Read it after
    // UWM_TASK_FINISHED, never while the worker runs.
    const Any::Base* GetResult() const noexcept { return m_result.get(); }

    // The worker's procedure: start message, OnStart, then the finish
    // message or the error report. Exit code 0 on success, 2 on failure,
    // 1 without a task.
    static unsigned __stdcall Run(void* task);

protected:
    // The task's work, on the worker thread. Returns nonzero on success;
    // on failure the task has already called OnError.
    virtual BOOL OnStart() = 0;

    // Reports a failure: UWM_TASK_ERROR to the window, then an error record.
    void OnError(const std::wstring& message);
    // Sends UWM_TASK_PROGRESS with `percent`.
    void SendProgress(int percent);
    // Blocks the worker while the task is suspended. Call only on the worker.
    void WaitWhileSuspended() const;
    // Replaces (and deletes) the previous result.
    void SetResult(std::unique_ptr<Any::Base> result) { m_result = std::move(result); }
    const std::shared_ptr<AbstractTaskBase>& GetInputTask() const noexcept { return m_inputTask; }
    // After any suspension, sends `message` to the window if it exists;
    // returns whether it was sent.
    bool SendToWindow(UINT message, LPARAM lParam) const;
    // For the texts that GetDescription reads and that the worker may change
    // (from its input's result): the user-interface thread writes records
    // about the task (start, suspend, resume, destruction) while the worker
    // runs. Every change and every reading of such a text by another thread
    // goes through these; the worker reads its own texts directly, being
    // their only writer while it runs.
    Win32xx::CString ReadText(const Win32xx::CString& text) const
    {
        Win32xx::CThreadLock lock(m_textLock);
        return text;
    }
    void WriteText(Win32xx::CString& text, const Win32xx::CString& value)
    {
        Win32xx::CThreadLock lock(m_textLock);
        text = value;
    }

private:
    // How a run of the worker ends. It leaves Open exactly once, by a
    // compare-exchange: the worker claims Reported before its first word
    // about its end (the finish or error message and records, or leaving
    // Run), the owner claims Stopped before it terminates the worker. So a
    // worker is never killed once it has begun to report, and never goes on
    // to report once its owner has decided to kill it.
    enum class Ending { Open, Reported, Stopped };

    // The worker's work and report; returns the thread's exit code.
    unsigned RunOnWorker();
    // On the worker: claims the end for the worker. When the owner has
    // claimed it first, the worker is about to be terminated: it waits for
    // that, touching nothing (no lock, no log, no window).
    void ClaimEnd();
    // Writes the completion record and sends UWM_TASK_FINISHED.
    void OnFinish();

    std::unique_ptr<Any::Base> m_result;
    std::shared_ptr<AbstractTaskBase> m_inputTask;
    Win32xx::CWnd* m_notifyWindow;
    Win32xx::CCriticalSection m_lock;
    mutable Win32xx::CCriticalSection m_textLock;
    Win32xx::CScopedHandle m_thread;
    DWORD m_threadId = 0;
    // Manual-reset event, set while the worker may run.
    Win32xx::CScopedHandle m_mayRun;
    // True while a suspension is asked for. The safe points can come
    // thousands of times a second (urlmon may report every chunk it reads);
    // reading this costs nothing, where a wait on the event is a system call
    // each time.
    std::atomic<bool> m_suspendAsked{false};
    std::atomic<Ending> m_ending{Ending::Open};
    // Auto-reset event, set by the worker once it runs the task's code.
    Win32xx::CScopedHandle m_entered;
};
