// The step record of the wizard: its page, whether it is an offer, whether
// it still takes part, and the tasks that it contributes to the setup.
#pragma once

#include <memory>
#include <vector>

#include "IStepFrameDialog.h"
#include "tasks/AbstractTaskBase.h"

class StepFrame {
public:
    virtual ~StepFrame() = default;

    // Established field names, and 32-bit int flags (0 or 1) as every page reads them.
    std::unique_ptr<IStepFrameDialog> page;
    int isOffer = 0;
    // 0 once the user skipped this offer; the next button passes over it.
    int active = 1;
    // Filled by the page when the user leaves it forward; emptied when the
    // user goes back from it.
    std::vector<std::shared_ptr<AbstractTaskBase>> tasks;
    int isTaskStep = 0;
    // Clean-up tasks of an offer: run when the wizard closes unfinished, and
    // taken instead of `tasks` from an offer that the user skipped.
    std::vector<std::shared_ptr<AbstractTaskBase>> cancelSetupTasks;
};

// The step record that creates its page of class T.
template <typename T>
class TIStepFrame : public StepFrame {
public:
    TIStepFrame() { page = std::make_unique<T>(this); }
};
