#include "StepTaskSequence.h"

#include "StepsManager.h"

namespace {
constexpr UINT_PTR kWaitTimer = 1;
// How often a task that still runs elsewhere is looked at.
constexpr UINT kWaitPollMs = 50;
}  // namespace

void StepTaskSequence::Collect(const Contribution& contribution)
{
    TaskList tasks;
    for (const StepFrame* step : GenericSingleton<StepsManager>::instance().GetSteps()) {
        const TaskList* contributed = contribution(*step);
        if (!contributed)
            continue;
        for (const auto& task : *contributed) {
            if (!task->IsRunning())
                task->SetNotifyWindow(&Window());
            tasks.push_back(task);
        }
    }
    Reset(std::move(tasks));
}

bool StepTaskSequence::OnMessage(UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message != WM_TIMER || wParam != kWaitTimer)
        return TaskSequence::OnMessage(message, wParam, lParam);
    if (m_waitingIndex >= 0)
        Launch(m_waitingIndex);
    return true;
}

void StepTaskSequence::Launch(int index)
{
    AbstractTaskBase& task = *Tasks()[static_cast<size_t>(index)];
    if (task.IsRunning()) {
        task.ReleaseHold();
        if (m_waitingIndex < 0)
            ::SetTimer(Window().GetHwnd(), kWaitTimer, kWaitPollMs, nullptr);
        m_waitingIndex = index;
        return;
    }
    if (m_waitingIndex >= 0) {
        ::KillTimer(Window().GetHwnd(), kWaitTimer);
        m_waitingIndex = -1;
    }
    task.SetNotifyWindow(&Window());
    TaskSequence::Launch(index);
}

void StepTaskSequence::OnLaunching(int index)
{
    GenericSingleton<StepsManager>::instance().SetCurrentTask(Tasks()[static_cast<size_t>(index)]);
}
