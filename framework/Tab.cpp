#include "Tab.h"

#include <commctrl.h>

namespace Win32xx {

void CTab::AddTabPage(CDialog& page, const CString& text)
{
    m_items.push_back({text, &page});
    if (IsWindow()) {
        InsertItem(GetItemCount() - 1);
        CreatePageWindow(page);
    }
}

void CTab::AttachDlgItem(int id, HWND dialog)
{
    CWnd::AttachDlgItem(id, dialog);
    for (int index = 0; index < GetItemCount(); ++index) {
        InsertItem(index);
        CreatePageWindow(GetPage(index));
    }
}

void CTab::InsertItem(int index)
{
    TCITEMW item{};
    item.mask = TCIF_TEXT;
    item.pszText = const_cast<wchar_t*>(m_items[static_cast<size_t>(index)].text.c_str());
    ::SendMessageW(GetHwnd(), TCM_INSERTITEMW, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(&item));
}

void CTab::CreatePageWindow(CDialog& page)
{
    const HWND parent = ::GetParent(GetHwnd());
    page.Create(parent);
    RECT area;
    ::GetWindowRect(GetHwnd(), &area);
    // Given exactly two points, MapWindowPoints takes them as a rectangle and
    // keeps left below right in a mirrored parent.
    ::MapWindowPoints(nullptr, parent, reinterpret_cast<POINT*>(&area), 2);
    ::SendMessageW(GetHwnd(), TCM_ADJUSTRECT, FALSE, reinterpret_cast<LPARAM>(&area));
    ::SetWindowPos(page.GetHwnd(), HWND_TOP, area.left, area.top, area.right - area.left, area.bottom - area.top,
                   SWP_NOACTIVATE | SWP_HIDEWINDOW);
}

void CTab::SelectPage(int index)
{
    if (index < 0 || index >= GetItemCount())
        return;
    m_selected = index;
    if (!IsWindow())
        return;
    ::SendMessageW(GetHwnd(), TCM_SETCURSEL, static_cast<WPARAM>(index), 0);
    for (int other = 0; other < GetItemCount(); ++other) {
        if (other != index && GetPage(other).IsWindow())
            ::ShowWindow(GetPage(other).GetHwnd(), SW_HIDE);
    }
    if (GetPage(index).IsWindow())
        ::ShowWindow(GetPage(index).GetHwnd(), SW_SHOW);
}

}  // namespace Win32xx
