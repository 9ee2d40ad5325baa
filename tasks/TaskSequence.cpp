#include "TaskSequence.h"

TaskSequence::~TaskSequence()
{
    if (AbstractTaskBase* task = Current(); task && m_started)
        task->Stop();
}

void TaskSequence::Reset(TaskList tasks)
{
    m_tasks = std::move(tasks);
    m_current = -1;
    m_started = false;
}

void TaskSequence::Start(int index)
{
    if (index < 0 || index >= Count())
        return;
    if (onStarting)
        onStarting(index);
    Launch(index);
}

void TaskSequence::Launch(int index)
{
    m_current = index;
    OnLaunching(index);
    m_started = m_tasks[static_cast<size_t>(index)]->Start() != FALSE;
}

bool TaskSequence::OnMessage(UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case UWM_TASK_PROGRESS:
        if (onProgress)
            onProgress(wParam, static_cast<int>(lParam));
        return true;
    case UWM_TASK_ERROR: {
        const std::unique_ptr<std::wstring> text(reinterpret_cast<std::wstring*>(lParam));
        if (onError)
            onError(text.get());
        return true;
    }
    case UWM_TASK_FINISHED:
        // The worker is still inside this send; it ends once it returns.
        ::PostMessageW(m_window.GetHwnd(), UWM_TASK_ENDED, wParam, 0);
        return true;
    case UWM_TASK_ENDED:
        OnEnded(wParam);
        return true;
    default:
        return false;
    }
}

void TaskSequence::OnEnded(WPARAM threadId)
{
    AbstractTaskBase* task = Current();
    if (!task || task->GetThreadId() != threadId)
        return;
    task->WaitUntilEnded();
    const int index = m_current;
    if (onTaskEnded && !onTaskEnded(index))
        return;
    if (index < Count() - 1)
        Start(index + 1);
    else if (onFinished)
        onFinished();
}

AbstractTaskBase* TaskSequence::Current() const
{
    return m_current >= 0 && m_current < Count() ? m_tasks[static_cast<size_t>(m_current)].get() : nullptr;
}
