// Win32xx::CComboBox: a combo box control of a dialog.
#pragma once

#include "Wnd.h"

namespace Win32xx {

class CComboBox : public CWnd {
public:
    // The new item's index, or CB_ERR.
    int AddString(const CString& text) const
    {
        return static_cast<int>(::SendMessageW(GetHwnd(), CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(text.c_str())));
    }
    void SetCurSel(int index) const { ::SendMessageW(GetHwnd(), CB_SETCURSEL, static_cast<WPARAM>(index), 0); }
    // The selected item's index, or CB_ERR (-1) when nothing is selected.
    int GetCurSel() const { return static_cast<int>(::SendMessageW(GetHwnd(), CB_GETCURSEL, 0, 0)); }
};

}  // namespace Win32xx
