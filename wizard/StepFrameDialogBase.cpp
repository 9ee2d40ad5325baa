#include "StepFrameDialogBase.h"

#include "framework/Exception.h"

namespace {

int ScreenDpiPercent()
{
    const HDC screen = ::GetDC(nullptr);
    const int percent = ::MulDiv(::GetDeviceCaps(screen, LOGPIXELSY), 100, 96);
    ::ReleaseDC(nullptr, screen);
    return percent;
}

}  // namespace

StepFrameDialogBase::StepFrameDialogBase(StepFrame* owner, WORD dialogTemplateId)
    : CDialog(dialogTemplateId), backgroundBrush(RGB(255, 255, 255)), dpiPercent(ScreenDpiPercent())
{
    stepFrame = owner;
}

BOOL StepFrameDialogBase::OnPageMessage(UINT, WPARAM, LPARAM)
{
    return FALSE;
}

INT_PTR StepFrameDialogBase::DialogProc(UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_CTLCOLORDLG:
    case WM_CTLCOLORSTATIC:
        return reinterpret_cast<INT_PTR>(backgroundBrush.Get());
    case WM_WINDOWPOSCHANGED:
        if ((reinterpret_cast<const WINDOWPOS*>(lParam)->flags & SWP_SHOWWINDOW) && !firstShownPosted) {
            firstShownPosted = 1;
            const bool visible = ::GetWindowLongPtrW(GetHwnd(), GWL_STYLE) & WS_VISIBLE;
            ::PostMessageW(GetHwnd(), UWM_PAGE_FIRST_SHOWN, visible ? 1 : 0, 0);
        }
        break;
    case UWM_PAGE_FIRST_SHOWN:
        OnFirstShown();
        break;
    default:
        break;
    }
    if (OnPageMessage(message, wParam, lParam))
        return 1;
    return DialogProcDefault(message, wParam, lParam);
}

void MakeFontBold(HWND control)
{
    const auto font = reinterpret_cast<HFONT>(::SendMessageW(control, WM_GETFONT, 0, 0));
    LOGFONTW description{};
    ::GetObjectW(font ? static_cast<HGDIOBJ>(font) : ::GetStockObject(DEFAULT_GUI_FONT), sizeof(description),
                 &description);
    description.lfWeight = FW_BOLD;
    // Lives until the process ends: the control keeps drawing with it.
    const HFONT bold = ::CreateFontIndirectW(&description);
    if (!bold)
        throw Win32xx::CResourceException(L"CreateFont failed");
    ::SendMessageW(control, WM_SETFONT, reinterpret_cast<WPARAM>(bold), TRUE);
}
