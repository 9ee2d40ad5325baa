// The lower limit of the start-up benchmark: the least a program of the
// product's toolchain, manifest, entry and linking can do to show a dialog.
// It registers the common controls and shows one dialog with the bootstrap
// dialog's controls, and ends when the dialog is closed. Whatever the
// product needs beyond this before its first window is its own work.
#include <windows.h>
#include <commctrl.h>

#include "StartupLimit.h"

namespace {

INT_PTR CALLBACK DialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM)
{
    if (message == WM_INITDIALOG)
        return TRUE;
    if (message == WM_CLOSE || (message == WM_COMMAND && LOWORD(wParam) == IDCANCEL)) {
        ::EndDialog(dialog, 0);
        return TRUE;
    }
    return FALSE;
}

}  // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int)
{
    ::InitCommonControls();
    return static_cast<int>(::DialogBoxParamW(instance, MAKEINTRESOURCEW(IDD_STARTUP_LIMIT), nullptr, DialogProc, 0));
}
