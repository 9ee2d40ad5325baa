// The tasks that the wizard's steps contribute, run one after the other for
// one window (the perform-tasks page, the clean-up dialog). Each task is
// reported to the steps manager as it starts, so that the setup can be
// suspended and resumed.
#pragma once

#include <functional>

#include "StepFrame.h"
#include "tasks/TaskSequence.h"

class StepTaskSequence : public TaskSequence {
public:
    // The list that a step contributes, or null when it contributes none.
    using Contribution = std::function<const TaskList*(const StepFrame&)>;

    using TaskSequence::TaskSequence;

    // Replaces the list with the tasks that `contribution` gives for each
    // step, in page order. A task that is not running is made to report to
    // the window; a running one keeps the window that it has.
    void Collect(const Contribution& contribution);

protected:
    void OnStarting(int index) override;
};
