// Win32xx::CProgressBar: a progress bar control of a dialog.
#pragma once

#include <windows.h>
#include <commctrl.h>

#include "Wnd.h"

namespace Win32xx {

class CProgressBar : public CWnd {
public:
    // The range is 16-bit: both ends are taken modulo 65536.
    void SetRange(int minimum, int maximum) const
    {
        ::SendMessageW(GetHwnd(), PBM_SETRANGE, 0, MAKELPARAM(minimum, maximum));
    }
    void SetPos(int position) const { ::SendMessageW(GetHwnd(), PBM_SETPOS, static_cast<WPARAM>(position), 0); }
};

}  // namespace Win32xx
