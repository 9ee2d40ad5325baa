// TaskSequence: runs tasks one after the other for one window, and is the
// one way in which this program goes on after a task has finished.
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
#include <vector>

#include "AbstractTaskBase.h"

class TaskSequence {
public:
    using TaskList = std::vector<std::shared_ptr<AbstractTaskBase>>;

    // `window` receives the tasks' messages and passes UWM_TASK_FINISHED and
    // UWM_TASK_ENDED to OnMessage; it outlives the sequence.
    explicit TaskSequence(Win32xx::CWnd& window) : m_window(window) {}
    // Stops a task that the sequence started and that still runs: its
    // worker must not send to a window whose object is gone.
    virtual ~TaskSequence();
    TaskSequence(const TaskSequence&) = delete;
    TaskSequence& operator=(const TaskSequence&) = delete;

    // The next step, once the worker of task `index` has finished and ended.
    std::function<void(int index)> onEnded;

    // Replaces the list; no task is current.
    void Reset(TaskList tasks);
    // Makes task `index` the current one and starts it (a task that still
    // runs is not started again and keeps its window); nothing for an index
    // outside the list. Raises what AbstractTaskBase::Start raises.
    void Start(int index);
    // Handles UWM_TASK_FINISHED and UWM_TASK_ENDED (only those of the
    // current task's worker lead on); false for every other message.
    bool OnMessage(UINT message, WPARAM threadId);

    const TaskList& Tasks() const noexcept { return m_tasks; }
    int Count() const noexcept { return static_cast<int>(m_tasks.size()); }
    // The index of the task started last, -1 before the first.
    int CurrentIndex() const noexcept { return m_current; }
    bool IsLast(int index) const noexcept { return index == Count() - 1; }

    // A task that its owner keeps as a member declared before the sequence
    // (so that the sequence lets go of it first), as the list holds it.
    static std::shared_ptr<AbstractTaskBase> Unowned(AbstractTaskBase& task)
    {
        return std::shared_ptr<AbstractTaskBase>(std::shared_ptr<void>(), &task);
    }

protected:
    // Called just before task `index` starts.
    virtual void OnStarting(int /*index*/) {}
    Win32xx::CWnd& Window() const noexcept { return m_window; }

private:
    AbstractTaskBase* Current() const;

    Win32xx::CWnd& m_window;
    TaskList m_tasks;
    int m_current = -1;
    // Whether the current task's worker is one that this sequence started.
    bool m_started = false;
};
