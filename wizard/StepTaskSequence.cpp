#include "StepTaskSequence.h"

#include "StepsManager.h"

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

void StepTaskSequence::OnStarting(int index)
{
    GenericSingleton<StepsManager>::instance().SetCurrentTask(Tasks()[static_cast<size_t>(index)]);
}
