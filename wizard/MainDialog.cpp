#include "MainDialog.h"

#include <algorithm>

#include "FrameLayout.h"
#include "StepFrameDialogBase.h"
#include "StepsManager.h"
#include "app/Die.h"
#include "framework/logging/Logger.h"
#include "pages/GenericMessageFrame.h"
#include "res/resource.h"
#include "resources/ResourceManager.h"

namespace {

const wchar_t* const kMessageStep = GenericMessageFrame::kStepName;

StepsManager& Steps()
{
    return GenericSingleton<StepsManager>::instance();
}

ResourceManager& Resources()
{
    return GenericSingleton<ResourceManager>::instance();
}

}  // namespace

MainDialog::MainDialog(UINT templateId) : CDialog(templateId)
{
    StepsManager& steps = Steps();
    steps.mainDialog = this;
    steps.errorHandler = [](StepFrame*, const Win32xx::CString& message) { Die(message); };
    steps.stepChangedHandler = [this](StepFrame* step) { OnStepChanged(step); };
    steps.finishedHandler = [this] { OnSetupFinished(); };
}

MainDialog::~MainDialog()
{
    // The pages must not reach a frame that is gone.
    if (Steps().mainDialog == this)
        Steps().mainDialog = nullptr;
}

BOOL MainDialog::OnInitDialog()
{
    const HWND dialog = GetHwnd();
    m_skipButton.AttachDlgItem(IDC_MAIN_SKIP, dialog);
    m_skipAllButton.AttachDlgItem(IDC_MAIN_SKIP_ALL, dialog);
    m_nextButton.AttachDlgItem(IDC_MAIN_NEXT, dialog);
    m_banner.AttachDlgItem(IDC_MAIN_BANNER, dialog);
    m_closeButton.AttachDlgItem(IDC_MAIN_CLOSE, dialog);
    m_previousButton.AttachDlgItem(IDC_MAIN_PREVIOUS, dialog);
    m_cancelButton.AttachDlgItem(IDC_MAIN_CANCEL, dialog);
    m_taskCancelButton.AttachDlgItem(IDC_MAIN_TASK_CANCEL, dialog);
    m_strip.AttachDlgItem(IDC_MAIN_STRIP, dialog);
    m_headerTitle.AttachDlgItem(IDC_MAIN_HEADER_TITLE, dialog);
    m_headerText.AttachDlgItem(IDC_MAIN_HEADER_TEXT, dialog);
    m_bottomRule.AttachDlgItem(IDC_MAIN_RULE, dialog);

    MakeFontBold(m_headerTitle.GetHwnd());
    Resources().loadPicture(Resource::PICTURE_BANNER, m_banner);
    Steps().pageContainer.AttachDlgItem(IDC_MAIN_PAGES, dialog);
    Steps().pageContainer.ShowWindow(SW_HIDE);
    LoadTexts();
    Steps().GoToStep(kMessageStep);
    // The step change has given the next button the focus; TRUE would move it
    // on to the first tab stop, the welcome page's link, which Enter opens.
    return FALSE;
}

void MainDialog::LoadTexts()
{
    ::SendMessageW(GetHwnd(), WM_SETICON, ICON_BIG,
                   reinterpret_cast<LPARAM>(::LoadIconW(::GetModuleHandleW(nullptr), MAKEINTRESOURCEW(IDI_SETUP))));
    m_skipButton.SetWindowText(Resources().getText(Resource::BUTTON_SKIP));
    m_skipAllButton.SetWindowText(Resources().getText(Resource::BUTTON_SKIP_ALL));
    m_nextButton.SetWindowText(Resources().getText(Resource::BUTTON_NEXT));
    SetWindowText(Resources().getText(Resource::WINDOW_TITLE) + L" (V" + Resources().getText(Resource::WINDOW_TITLE_VERSION) +
                  L")");
    m_closeButton.SetWindowText(Resources().getText(Resource::BUTTON_CLOSE));
    m_cancelButton.SetWindowText(Resources().getText(Resource::BUTTON_CANCEL));
    m_taskCancelButton.SetWindowText(Resources().getText(Resource::BUTTON_CANCEL));
    m_previousButton.SetWindowText(Resources().getText(Resource::BUTTON_PREVIOUS));

    m_headerTitle.ShowWindow(SW_HIDE);
    m_headerText.ShowWindow(SW_HIDE);
    m_previousButton.ShowWindow(SW_HIDE);
    m_cancelButton.ShowWindow(SW_SHOW);
    m_nextPlacement.length = sizeof(m_nextPlacement);
    ::GetWindowPlacement(m_nextButton.GetHwnd(), &m_nextPlacement);
}

void MainDialog::ShowButtons(const std::vector<int>& visible)
{
    for (const int id : FrameButtons()) {
        const bool show = std::find(visible.begin(), visible.end(), id) != visible.end();
        ::ShowWindow(GetDlgItem(id), show ? SW_SHOW : SW_HIDE);
    }
}

void MainDialog::MoveNextToCancel()
{
    RECT cancel;
    ::GetWindowRect(m_cancelButton.GetHwnd(), &cancel);
    // As a rectangle (two points): left stays below right in the mirrored dialog.
    ::MapWindowPoints(nullptr, GetHwnd(), reinterpret_cast<POINT*>(&cancel), 2);
    ::SetWindowPos(m_nextButton.GetHwnd(), nullptr, cancel.left, cancel.top, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
}

void MainDialog::OnStepChanged(StepFrame* step)
{
    const FrameLayout& layout = LayoutFor(step->page->Kind(), Steps().IsSuspended());

    ::SetWindowPlacement(m_nextButton.GetHwnd(), &m_nextPlacement);
    ::SetFocus(m_nextButton.GetHwnd());
    if (layout.changes)
        ApplyLayout(layout);

    if (!step->isTaskStep)
        step->page->OnStepShown();
}

BOOL MainDialog::OnCommand(WPARAM wParam, LPARAM)
{
    if (HIWORD(wParam) != BN_CLICKED)
        return FALSE;
    // On Enter the dialog manager sends the default button's command even
    // while that button is hidden (next, on the task step): a button that the
    // user cannot see or use has not been clicked.
    const HWND button = GetDlgItem(LOWORD(wParam));
    if (button && !(::IsWindowVisible(button) && ::IsWindowEnabled(button)))
        return TRUE;
    StepsManager& steps = Steps();
    switch (LOWORD(wParam)) {
    case IDC_MAIN_SKIP:
        steps.IgnoreCurrentOffer();
        return TRUE;
    case IDC_MAIN_SKIP_ALL:
        steps.IgnoreAllOffers();
        return TRUE;
    case IDC_MAIN_NEXT:
        if (m_setupFinished) {
            // Ends the modal run at once; a window destroyed under its modal
            // loop would leave the loop waiting for a message.
            EndDialog(0);
        } else if (steps.IsSuspended()) {
            if (auto* message = dynamic_cast<GenericMessageFrame*>(steps.FindStep(kMessageStep)->page.get()))
                message->ResetMode(GenericMessageFrame::Welcome);
            steps.Resume();
        } else {
            steps.NextStep();
        }
        return TRUE;
    case IDC_MAIN_PREVIOUS:
        steps.PreviousStep();
        return TRUE;
    case IDC_MAIN_CANCEL:
        return ConfirmCancel();
    case IDC_MAIN_CLOSE:
    case IDC_MAIN_TASK_CANCEL:
        EndDialog(0);
        return TRUE;
    default:
        return FALSE;
    }
}

INT_PTR MainDialog::DialogProc(UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_CLOSE:
        if (!ConfirmCancel())
            return TRUE;
        break;
    case WM_CTLCOLORDLG:
    case WM_CTLCOLORSTATIC:
        return reinterpret_cast<INT_PTR>(m_backgroundBrush.Get());
    default:
        break;
    }
    return DialogProcDefault(message, wParam, lParam);
}

void MainDialog::ApplyLayout(const FrameLayout& layout)
{
    if (layout.strip)
        Resources().loadPicture(layout.strip, m_strip);
    ShowButtons(layout.buttons);
    if (layout.nextAtCancel)
        MoveNextToCancel();
    if (layout.cancelDisabled)
        m_cancelButton.EnableWindow(false);
    if (layout.cancelCaption)
        m_cancelButton.SetWindowText(Resources().getText(layout.cancelCaption));
    if (layout.nextEnabled)
        m_nextButton.EnableWindow(true);
    if (layout.nextCaption)
        m_nextButton.SetWindowText(Resources().getText(layout.nextCaption));
}

bool MainDialog::ConfirmCancel()
{
    StepsManager& steps = Steps();
    if (m_setupFinished || steps.IsSuspended())
        return true;
    StepFrame* step = steps.FindStep(steps.GetCurrentStepName());
    if (!step || step->isTaskStep)
        return false;
    step->page->OnSetupCancel();
    steps.Suspend();
    SetMessageMode(GenericMessageFrame::CancelRequested);
    return false;
}

void MainDialog::SetMessageMode(int mode)
{
    StepsManager& steps = Steps();
    if (auto* message = dynamic_cast<GenericMessageFrame*>(steps.FindStep(kMessageStep)->page.get()))
        message->SetMode(mode);
    steps.GoToStep(kMessageStep);
}

void MainDialog::OnSetupFinished()
{
    m_setupFinished = true;
    LOG_INFO << "All Setup Tasks Done.";
    SetMessageMode(GenericMessageFrame::Finished);
}
