#include "PerformTasks.h"

#include "InstallerChain.h"
#include "res/resource.h"
#include "resources/ResourceManager.h"
#include "wizard/StepsManager.h"

namespace {
constexpr int kProgressPerTask = 100;
}  // namespace

PerformTasks::PerformTasks(StepFrame* step) : StepFrameDialogBase(step, IDD_PERFORM_TASKS_PAGE)
{
    step->tasks = InstallerChain(GenericSingleton<ResourceManager>::instance(), Resource::kProductInstaller).Tasks();
    step->isOffer = 0;
    step->active = 1;
    step->isTaskStep = 1;
    m_sequence.onProgress = [this](WPARAM, int percent) {
        m_progressBar.SetPos(m_sequence.CurrentIndex() * kProgressPerTask + percent);
    };
    m_sequence.onError = [this](const std::wstring* text) {
        if (notify && text)
            notify(stepFrame, Win32xx::CString(text->c_str()));
    };
    m_sequence.onFinished = [] {
        StepsManager& steps = GenericSingleton<StepsManager>::instance();
        if (steps.finishedHandler)
            steps.finishedHandler();
    };
}

BOOL PerformTasks::OnInitPage()
{
    m_progressBar.AttachDlgItem(IDC_TASKS_PROGRESS, GetHwnd());
    m_statusText.AttachDlgItem(IDC_TASKS_STATUS, GetHwnd());
    m_statusText.SetWindowText(GenericSingleton<ResourceManager>::instance().getText(Resource::TASKS_STATUS));
    return TRUE;
}

void PerformTasks::OnStepEnter()
{
    // A skipped offer contributes its clean-up tasks instead.
    m_sequence.Collect([](const StepFrame& step) {
        return (!step.isOffer || step.active) ? &step.tasks : &step.cancelSetupTasks;
    });
    m_progressBar.SetRange(0, m_sequence.Count() * kProgressPerTask);
    m_progressBar.SetPos(0);
    m_sequence.Start(0);
}

BOOL PerformTasks::OnPageMessage(UINT message, WPARAM wParam, LPARAM lParam)
{
    return m_sequence.OnMessage(message, wParam, lParam);
}
