#include "SysLinkControl.h"

#include <commctrl.h>
#include <shellapi.h>

LRESULT SysLinkControl::OnNotifyReflect(WPARAM, LPARAM lParam)
{
    const auto* link = reinterpret_cast<const NMLINK*>(lParam);
    if (link->hdr.code == NM_CLICK || link->hdr.code == NM_RETURN)
        ::ShellExecuteW(nullptr, L"open", link->item.szUrl, nullptr, nullptr, SW_SHOWNORMAL);
    return 0;
}
