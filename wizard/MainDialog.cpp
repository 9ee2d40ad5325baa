#include "MainDialog.h"

#include <algorithm>

#include "StepFrameDialogBase.h"
#include "StepsManager.h"
#include "app/Die.h"
#include "framework/logging/Logger.h"
#include "pages/GenericMessageFrame.h"
#include "res/resource.h"
#include "resources/ResourceManager.h"

namespace {

const wchar_t kMessageStep[] = L"GenericMessage";

constexpr int kBannerPicture = 239;
constexpr int kFinishedStrip = 25, kTasksStrip = 26, kOfferStrip = 27, kWelcomeStrip = 28;
constexpr int kSkipText = 1, kSkipAllText = 2, kTitleText = 65, kVersionText = 233, kPreviousText = 77,
              kNextText = 78, kCancelText = 84, kCloseText = 85, kFinishText = 216;

constexpr int kButtons[] = {IDC_MAIN_SKIP,     IDC_MAIN_SKIP_ALL, IDC_MAIN_NEXT,       IDC_MAIN_CLOSE,
                            IDC_MAIN_PREVIOUS, IDC_MAIN_CANCEL,   IDC_MAIN_TASK_CANCEL};

StepsManager& Steps()
{
    return GenericSingleton<StepsManager>::instance();
}

ResourceManager& Resources()
{
    return GenericSingleton<ResourceManager>::instance();
}

Win32xx::CString PlainText(int id)
{
    ResourceManager& resources = Resources();
    return Win32xx::CString(resources.getString(resources.currentLanguage().code, id).c_str());
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
    skipButton.AttachDlgItem(IDC_MAIN_SKIP, dialog);
    skipAllButton.AttachDlgItem(IDC_MAIN_SKIP_ALL, dialog);
    nextButton.AttachDlgItem(IDC_MAIN_NEXT, dialog);
    banner.AttachDlgItem(IDC_MAIN_BANNER, dialog);
    closeButton.AttachDlgItem(IDC_MAIN_CLOSE, dialog);
    previousButton.AttachDlgItem(IDC_MAIN_PREVIOUS, dialog);
    cancelButton.AttachDlgItem(IDC_MAIN_CANCEL, dialog);
    taskCancelButton.AttachDlgItem(IDC_MAIN_TASK_CANCEL, dialog);
    strip.AttachDlgItem(IDC_MAIN_STRIP, dialog);
    headerTitle.AttachDlgItem(IDC_MAIN_HEADER_TITLE, dialog);
    headerText.AttachDlgItem(IDC_MAIN_HEADER_TEXT, dialog);
    bottomRule.AttachDlgItem(IDC_MAIN_RULE, dialog);

    MakeFontBold(headerTitle.GetHwnd());
    Resources().loadPicture(kBannerPicture, banner);
    Steps().pageContainer.AttachDlgItem(IDC_MAIN_PAGES, dialog);
    Steps().pageContainer.ShowWindow(SW_HIDE);
    LoadTexts();
    Steps().GoToStep(kMessageStep);
    return TRUE;
}

void MainDialog::LoadTexts()
{
    ::SendMessageW(GetHwnd(), WM_SETICON, ICON_BIG,
                   reinterpret_cast<LPARAM>(::LoadIconW(::GetModuleHandleW(nullptr), MAKEINTRESOURCEW(IDI_SETUP))));
    skipButton.SetWindowText(PlainText(kSkipText));
    skipAllButton.SetWindowText(PlainText(kSkipAllText));
    nextButton.SetWindowText(PlainText(kNextText));
    SetWindowText(Resources().getLocalizedString(kTitleText) + L" (V" + Resources().getLocalizedString(kVersionText) +
                  L")");
    closeButton.SetWindowText(PlainText(kCloseText));
    cancelButton.SetWindowText(PlainText(kCancelText));
    taskCancelButton.SetWindowText(PlainText(kCancelText));
    previousButton.SetWindowText(PlainText(kPreviousText));

    headerTitle.ShowWindow(SW_HIDE);
    headerText.ShowWindow(SW_HIDE);
    previousButton.ShowWindow(SW_HIDE);
    cancelButton.ShowWindow(SW_SHOW);
    nextPlacement.length = sizeof(nextPlacement);
    ::GetWindowPlacement(nextButton.GetHwnd(), &nextPlacement);
}

void MainDialog::ShowButtons(std::initializer_list<int> visible)
{
    for (const int id : kButtons) {
        const bool show = std::find(visible.begin(), visible.end(), id) != visible.end();
        ::ShowWindow(GetDlgItem(id), show ? SW_SHOW : SW_HIDE);
    }
}

void MainDialog::MoveNextToCancel()
{
    RECT cancel;
    ::GetWindowRect(cancelButton.GetHwnd(), &cancel);
    ::MapWindowPoints(nullptr, GetHwnd(), reinterpret_cast<POINT*>(&cancel), 2);
    // The corners swap in a mirrored dialog.
    const int left = std::min(cancel.left, cancel.right);
    ::SetWindowPos(nextButton.GetHwnd(), nullptr, left, cancel.top, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
}

void MainDialog::OnStepChanged(StepFrame* step)
{
    const auto* message = dynamic_cast<GenericMessageFrame*>(step->page.get());
    const int mode = message ? message->GetMode() : -1;

    ::SetWindowPlacement(nextButton.GetHwnd(), &nextPlacement);
    ::SetFocus(nextButton.GetHwnd());

    if (message && mode == GenericMessageFrame::Welcome) {
        Resources().loadPicture(kWelcomeStrip, strip);
        ShowButtons({IDC_MAIN_NEXT, IDC_MAIN_CANCEL});
    } else if (step->isOffer) {
        Resources().loadPicture(kOfferStrip, strip);
        ShowButtons({IDC_MAIN_NEXT, IDC_MAIN_PREVIOUS, IDC_MAIN_CANCEL, IDC_MAIN_SKIP, IDC_MAIN_SKIP_ALL});
    } else if (Steps().IsSuspended()) {
        ShowButtons({IDC_MAIN_NEXT, IDC_MAIN_CLOSE});
        MoveNextToCancel();
    } else if (step->isTaskStep) {
        Resources().loadPicture(kTasksStrip, strip);
        ShowButtons({IDC_MAIN_CANCEL, IDC_MAIN_TASK_CANCEL});
        cancelButton.EnableWindow(false);
        cancelButton.SetWindowText(PlainText(kFinishText));
    } else if (message && mode == GenericMessageFrame::Finished) {
        Resources().loadPicture(kFinishedStrip, strip);
        ShowButtons({IDC_MAIN_NEXT});
        nextButton.EnableWindow(true);
        nextButton.SetWindowText(PlainText(kFinishText));
    }

    if (!step->isTaskStep)
        step->page->OnStepShown();
}

BOOL MainDialog::OnCommand(WPARAM wParam, LPARAM)
{
    if (HIWORD(wParam) != BN_CLICKED)
        return FALSE;
    StepsManager& steps = Steps();
    switch (LOWORD(wParam)) {
    case IDC_MAIN_SKIP:
        steps.IgnoreCurrentOffer();
        return TRUE;
    case IDC_MAIN_SKIP_ALL:
        steps.IgnoreAllOffers();
        return TRUE;
    case IDC_MAIN_NEXT:
        if (setupFinished) {
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
        return reinterpret_cast<INT_PTR>(backgroundBrush.Get());
    default:
        break;
    }
    return DialogProcDefault(message, wParam, lParam);
}

bool MainDialog::ConfirmCancel()
{
    StepsManager& steps = Steps();
    if (setupFinished || steps.IsSuspended())
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
    setupFinished = true;
    LOG_INFO << "All Setup Tasks Done.";
    SetMessageMode(GenericMessageFrame::Finished);
}
