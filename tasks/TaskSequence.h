// TaskSequence: runs tasks one after the other for one window, and is the
// one way in which this program goes on after a task has finished. It reads
// the tasks' messages, takes over a failed task's text, and starts the next
// task or reports the end; its owner says only what each report means.
//
// A worker sends UWM_TASK_FINISHED synchronously and waits inside that send,
// so its receiver must neither stop the task there (the worker would be
// terminated on its normal way out, leaking its thread's data, or, once it
// writes its last log record, leaving the log's lock held) nor wait for it
// (the worker waits for the receiver). So the window's handler of
// UWM_TASK_FINISHED only posts UWM_TASK_ENDED to the window and returns; the
// handler of UWM_TASK_ENDED waits until that worker has ended (handling sent
// messages meanwhile) and only then takes the next step. One worker lives at
// a time, and none lives on under whatever follows the last task.
#pragma once

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "AbstractTaskBase.h"

class TaskSequence {
public:
    using TaskList = std::vector<std::shared_ptr<AbstractTaskBase>>;

    // `window` receives the tasks' messages and passes them to OnMessage; it
    // outlives the sequence.
    explicit TaskSequence(Win32xx::CWnd& window) : m_window(window) {}
    // Stops a task that the sequence started and that still runs: its
    // worker must not send to a window whose object is gone.
    virtual ~TaskSequence();
    TaskSequence(const TaskSequence&) = delete;
    TaskSequence& operator=(const TaskSequence&) = delete;

    // What the owner does with the reports; each may stay empty.
    // A task's progress in percent, from the worker `threadId`.
    std::function<void(WPARAM threadId, int percent)> onProgress;
    // A task failed, with its text (null when it gave none); the sequence
    // stops there, and the text is gone after the call.
    std::function<void(const std::wstring* text)> onError;
    // Just before task `index` is started (also when it must wait, see StepTaskSequence).
    std::function<void(int index)> onStarting;
    // Task `index` has finished and its worker has ended; false stops the
    // sequence, else the next task starts (or onFinished follows the last).
    std::function<bool(int index)> onTaskEnded;
    // The last task has finished and its worker has ended.
    std::function<void()> onFinished;

    // Replaces the list; no task is current.
    void Reset(TaskList tasks);
    // Starts task `index`; nothing for an index outside the list. Raises
    // what AbstractTaskBase::Start raises.
    void Start(int index);
    // Handles the task messages (only the end of the current task's worker
    // leads on); false for every other message.
    virtual bool OnMessage(UINT message, WPARAM wParam, LPARAM lParam);

    const TaskList& Tasks() const noexcept { return m_tasks; }
    int Count() const noexcept { return static_cast<int>(m_tasks.size()); }
    // The index of the task started last, -1 before the first.
    int CurrentIndex() const noexcept { return m_current; }

    // A task that its owner keeps as a member declared before the sequence
    // (so that the sequence lets go of it first), as the list holds it.
    static std::shared_ptr<AbstractTaskBase> Unowned(AbstractTaskBase& task)
    {
        return std::shared_ptr<AbstractTaskBase>(std::shared_ptr<void>(), &task);
    }

protected:
    // Makes task `index` the current one and starts it (a task that still
    // runs is not started again and keeps its window).
    virtual void Launch(int index);
    // Called just before task `index` starts.
    virtual void OnLaunching(int /*index*/) {}
    Win32xx::CWnd& Window() const noexcept { return m_window; }

private:
    AbstractTaskBase* Current() const;
    void OnEnded(WPARAM threadId);

    Win32xx::CWnd& m_window;
    TaskList m_tasks;
    int m_current = -1;
    // Whether the current task's worker is one that this sequence started.
    bool m_started = false;
};
