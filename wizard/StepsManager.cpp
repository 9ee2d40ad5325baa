#include "StepsManager.h"

#include "framework/logging/Logger.h"

StepFrame* StepsManager::AddRecord(std::unique_ptr<StepFrame> record, const Win32xx::CString& name)
{
    StepFrame* const step = record.get();
    step->page->notify = [this](StepFrame* source, const Win32xx::CString& message) {
        errorHandler(source, message);
    };
    pageContainer.AddTabPage(step->page->Dialog(), name);
    m_records.push_back(std::move(record));
    LOG_NAMED(logging::info, "StepsManager::AddStep") << "Adding Setup Step " << name;
    return step;
}

StepFrame* StepsManager::RecordAt(int index) const
{
    if (index < 0 || index >= GetStepCount())
        return nullptr;
    return dynamic_cast<IStepFrameDialog&>(pageContainer.GetPage(index)).stepFrame;
}

StepFrame* StepsManager::FindStep(const Win32xx::CString& name) const
{
    for (int index = 0; index < GetStepCount(); ++index) {
        if (pageContainer.GetItemText(index) == name)
            return RecordAt(index);
    }
    return nullptr;
}

std::vector<StepFrame*> StepsManager::GetSteps() const
{
    std::vector<StepFrame*> steps;
    for (int index = 0; index < GetStepCount(); ++index)
        steps.push_back(RecordAt(index));
    return steps;
}

StepFrame* StepsManager::GetStep(int index)
{
    pageContainer.SelectPage(index);
    return RecordAt(index);
}

Win32xx::CString StepsManager::GetCurrentStepName() const
{
    const int index = GetCurrentIndex();
    return index < 0 ? Win32xx::CString() : pageContainer.GetItemText(index);
}

void StepsManager::Enter(int index)
{
    pageContainer.SelectPage(index);
    StepFrame* step = RecordAt(index);
    step->page->OnStepEnter();
    if (stepChangedHandler)
        stepChangedHandler(step);
}

void StepsManager::ShowStep(int index)
{
    if (index >= 0 && index < GetStepCount())
        Enter(index);
}

void StepsManager::GoToStep(const Win32xx::CString& name)
{
    for (int index = 0; index < GetStepCount(); ++index) {
        if (pageContainer.GetItemText(index) == name) {
            Enter(index);
            return;
        }
    }
}

void StepsManager::NextStep()
{
    const int current = GetCurrentIndex();
    StepFrame* step = GetStep(current);
    if (!step || !step->page->OnNext())
        return;
    for (int index = current + 1; index < GetStepCount(); ++index) {
        StepFrame* next = GetStep(index);
        if (!next->isOffer || next->active) {
            ShowStep(index);
            return;
        }
    }
}

void StepsManager::PreviousStep()
{
    const int current = GetCurrentIndex();
    if (current <= 0)
        return;
    StepFrame* step = GetStep(current);
    if (!step->page->OnPrevious())
        return;
    if (step->isOffer)
        step->active = 1;
    step->tasks.clear();
    GetStep(current - 1);
    ShowStep(current - 1);
}

void StepsManager::IgnoreCurrentOffer()
{
    StepFrame* step = GetStep(GetCurrentIndex());
    if (!step)
        return;
    if (step->isOffer) {
        LOG_INFO << "Offer " << GetCurrentStepName() << " Ignored.";
        step->active = 0;
    }
    NextStep();
}

void StepsManager::IgnoreAllOffers()
{
    LOG_INFO << "Ignore all offers clicked";
    for (StepFrame* step : GetSteps()) {
        if (step->isOffer)
            step->active = 0;
    }
    NextStep();
}

void StepsManager::SetCurrentTask(std::shared_ptr<AbstractTaskBase> task)
{
    LOG_INFO << "Starting a new Task";
    m_currentTask = std::move(task);
}

void StepsManager::Suspend()
{
    if (m_currentTask)
        m_currentTask->Suspend();
    m_suspendedStepIndex = GetCurrentIndex();
    m_suspended = true;
    LOG_INFO << "Setup Suspended at Step #" << m_suspendedStepIndex << ":" << GetCurrentStepName();
}

void StepsManager::Resume()
{
    m_suspended = false;
    LOG_INFO << "Setup resumed to Step #" << m_suspendedStepIndex << ":"
             << (m_suspendedStepIndex >= 0 && m_suspendedStepIndex < GetStepCount()
                     ? pageContainer.GetItemText(m_suspendedStepIndex)
                     : Win32xx::CString());
    if (m_currentTask)
        m_currentTask->Resume();
    if (m_suspendedStepIndex >= 0)
        ShowStep(m_suspendedStepIndex);
    m_suspendedStepIndex = -1;
}
