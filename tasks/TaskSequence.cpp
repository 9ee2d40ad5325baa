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
    m_current = index;
    OnStarting(index);
    m_started = m_tasks[static_cast<size_t>(index)]->Start() != FALSE;
}

bool TaskSequence::OnMessage(UINT message, WPARAM threadId)
{
    switch (message) {
    case UWM_TASK_FINISHED:
        // The worker is still inside this send; it ends once it returns.
        ::PostMessageW(m_window.GetHwnd(), UWM_TASK_ENDED, threadId, 0);
        return true;
    case UWM_TASK_ENDED: {
        AbstractTaskBase* task = Current();
        if (!task || task->GetThreadId() != threadId)
            return true;
        task->WaitUntilEnded();
        if (onEnded)
            onEnded(m_current);
        return true;
    }
    default:
        return false;
    }
}

AbstractTaskBase* TaskSequence::Current() const
{
    return m_current >= 0 && m_current < Count() ? m_tasks[static_cast<size_t>(m_current)].get() : nullptr;
}
