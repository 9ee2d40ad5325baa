#include "PerformTasks.h"

#include "InstallerDigest.h"
#include "res/resource.h"
#include "resources/ResourceManager.h"
#include "tasks/DownloadTask.h"
#include "tasks/ExecProgramTask.h"
#include "wizard/StepsManager.h"

namespace {
constexpr int kProgressPerTask = 100;
}  // namespace

PerformTasks::PerformTasks(StepFrame* step) : StepFrameDialogBase(step, IDD_PERFORM_TASKS_PAGE)
{
    ResourceManager& resources = GenericSingleton<ResourceManager>::instance();
    const std::wstring code = resources.currentLanguage().code;
    const Win32xx::CString address(resources.getString(code, Resource::kProductInstaller.address).c_str());
    const Win32xx::CString parameters = resources.getLocalizedString(Resource::kProductInstaller.parameters);

    auto download = std::make_shared<DownloadTask>(address);
    auto launch = std::make_shared<ExecProgramTask>(download);
    launch->SetParameters(parameters);
    launch->SetExpectedDigest(InstallerDigest(resources, Resource::kProductInstaller.digest));
    step->tasks.push_back(download);
    step->tasks.push_back(launch);
    step->isOffer = 0;
    step->active = 1;
    step->isTaskStep = 1;
    m_sequence.onEnded = [this](int index) { OnTaskEnded(index); };
}

BOOL PerformTasks::OnInitPage()
{
    m_progressBar.AttachDlgItem(IDC_TASKS_PROGRESS, GetHwnd());
    m_statusText.AttachDlgItem(IDC_TASKS_STATUS, GetHwnd());
    ResourceManager& resources = GenericSingleton<ResourceManager>::instance();
    m_statusText.SetWindowText(resources.getString(resources.currentLanguage().code, Resource::TASKS_STATUS).c_str());
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
    switch (message) {
    case UWM_TASK_PROGRESS:
        m_progressBar.SetPos(m_sequence.CurrentIndex() * kProgressPerTask + static_cast<int>(lParam));
        return TRUE;
    case UWM_TASK_ERROR:
        OnTaskError(reinterpret_cast<std::wstring*>(lParam));
        return TRUE;
    default:
        return m_sequence.OnMessage(message, wParam);
    }
}

void PerformTasks::OnTaskError(std::wstring* text)
{
    const std::unique_ptr<std::wstring> owned(text);
    // The sequence stops here: no further task is started.
    if (notify && owned)
        notify(stepFrame, Win32xx::CString(owned->c_str()));
}

void PerformTasks::OnTaskEnded(int index)
{
    if (!m_sequence.IsLast(index)) {
        m_sequence.Start(index + 1);
        return;
    }
    StepsManager& steps = GenericSingleton<StepsManager>::instance();
    if (steps.finishedHandler)
        steps.finishedHandler();
}
