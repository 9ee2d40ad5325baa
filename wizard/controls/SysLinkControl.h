// A SysLink control whose links open with the user's default handler (the
// shell's "open"), on a click and on the Enter key alike; only web and mail
// addresses (IsOpenableLinkAddress), any other leaves a warning record.
#pragma once

#include "framework/Wnd.h"

class SysLinkControl : public Win32xx::CWnd {
public:
    LRESULT OnNotifyReflect(WPARAM wParam, LPARAM lParam) override;
};
