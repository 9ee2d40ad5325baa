#pragma once

#include "framework/Wnd.h"

// A top-level window that is never shown: it gives the process a window of
// its own while the modal dialogs run.
class Splash : public Win32xx::CWnd {
protected:
    void PreCreate(CREATESTRUCTW& cs) override { cs.style &= ~WS_VISIBLE; }
};
