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
    // Also looks again at a task that waits for its earlier worker (see Launch).
    bool OnMessage(UINT message, WPARAM wParam, LPARAM lParam) override;

protected:
    // A task whose worker, started elsewhere (the task page), still runs and
    // reports to that window is started again only once it has ended. It is
    // looked at on a timer from the window's modal loop, so that the window
    // shows and handles input meanwhile; a held worker would never end, and
    // nobody else is left to resume it.
    void Launch(int index) override;
    void OnLaunching(int index) override;

private:
    // The task waited for, -1 when none.
    int m_waitingIndex = -1;
};
