// Win32xx::CTab: a tab control as an ordered container of pages, one item per
// page, of which only the selected page is shown. Pages may be added before
// the control exists; their windows are made when it is attached, as
// children of the control's dialog over the control's display area.
#pragma once

#include <vector>

#include "Dialog.h"

namespace Win32xx {

class CTab : public CWnd {
public:
    // Adds `page` as the last item, with `text`.
    void AddTabPage(CDialog& page, const CString& text);
    // Binds the container to the dialog's tab control and makes the pages'
    // windows.
    void AttachDlgItem(int id, HWND dialog);

    int GetItemCount() const noexcept { return static_cast<int>(m_items.size()); }
    // The selected item, or -1.
    int GetCurSel() const noexcept { return m_selected; }
    // Selects an item: its page is shown, every other one hidden.
    void SelectPage(int index);
    const CString& GetItemText(int index) const { return m_items.at(static_cast<size_t>(index)).text; }
    CDialog& GetPage(int index) const { return *m_items.at(static_cast<size_t>(index)).page; }

private:
    struct Item {
        CString text;
        CDialog* page;
    };
    void InsertItem(int index);
    void CreatePageWindow(CDialog& page);

    std::vector<Item> m_items;
    int m_selected = -1;
};

}  // namespace Win32xx
