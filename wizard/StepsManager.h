// The sequencer of the setup wizard: the ordered steps in their page
// container, which one is shown, moving forward and back, ignoring offers,
// and the task that runs, so that the whole setup can be suspended and
// resumed. A process-wide singleton; every call comes from the user-interface
// thread.
#pragma once

#include <functional>
#include <memory>
#include <vector>

#include "StepFrame.h"
#include "framework/Tab.h"
#include "resources/GenericSingleton.h"

class MainDialog;

class StepsManager : public GenericSingleton<StepsManager> {
public:
    // Adds the step `name` with a page of class T, unless a step of that name
    // exists: then returns that one and does nothing else.
    template <typename T>
    StepFrame* AddStep(const Win32xx::CString& name);

    StepFrame* FindStep(const Win32xx::CString& name) const;
    std::vector<StepFrame*> GetSteps() const;
    // Selects the page at `index` and returns its record (null when none).
    StepFrame* GetStep(int index);
    Win32xx::CString GetCurrentStepName() const;
    int GetCurrentIndex() const noexcept { return pageContainer.GetCurSel(); }
    int GetStepCount() const noexcept { return pageContainer.GetItemCount(); }

    // Selects the step, enters its page and reports it to the step-changed
    // handler; nothing when there is no such step.
    void ShowStep(int index);
    void GoToStep(const Win32xx::CString& name);
    // Moves forward past ignored offers, if the current page allows it.
    void NextStep();
    // Moves back one step, if the current page allows it; the step left
    // becomes active again and gives up its tasks.
    void PreviousStep();
    void IgnoreCurrentOffer();
    void IgnoreAllOffers();

    // The task started last, which Suspend and Resume apply to.
    void SetCurrentTask(std::shared_ptr<AbstractTaskBase> task);
    void Suspend();
    void Resume();
    bool IsSuspended() const noexcept { return m_suspended; }

    std::function<void(StepFrame*, const Win32xx::CString&)> errorHandler;
    std::function<void()> finishedHandler;
    std::function<void(StepFrame*)> stepChangedHandler;
    Win32xx::CTab pageContainer;
    MainDialog* mainDialog = nullptr;

private:
    StepFrame* AddRecord(std::unique_ptr<StepFrame> record, const Win32xx::CString& name);
    StepFrame* RecordAt(int index) const;
    void Enter(int index);

    std::vector<std::unique_ptr<StepFrame>> m_records;  // keeps them alive until the process ends
    int m_suspendedStepIndex = -1;
    std::shared_ptr<AbstractTaskBase> m_currentTask;
    bool m_suspended = false;
};

template <typename T>
StepFrame* StepsManager::AddStep(const Win32xx::CString& name)
{
    if (StepFrame* existing = FindStep(name))
        return existing;
    return AddRecord(std::make_unique<TIStepFrame<T>>(), name);
}
