// The page of the last step: collects the tasks of every step, runs them one
// after the other with an overall progress bar, and reports when the last
// one has finished. Its own step contributes the product installer's
// download and launch.
#pragma once

#include "framework/ProgressBar.h"
#include "wizard/StepFrameDialogBase.h"
#include "wizard/StepTaskSequence.h"

class PerformTasks : public StepFrameDialogBase {
public:
    static constexpr const wchar_t* kStepName = L"ExecuteSetupTasks";

    explicit PerformTasks(StepFrame* step);
    PageKind Kind() const override { return PageKind::Tasks; }

    void OnStepEnter() override;

    // The tasks of the last activation, in running order.
    const std::vector<std::shared_ptr<AbstractTaskBase>>& Tasks() const noexcept { return m_sequence.Tasks(); }

protected:
    BOOL OnPageMessage(UINT message, WPARAM wParam, LPARAM lParam) override;
    BOOL OnInitPage() override;

private:

    Win32xx::CProgressBar m_progressBar;
    Win32xx::CWnd m_statusText;
    StepTaskSequence m_sequence{*this};
};
